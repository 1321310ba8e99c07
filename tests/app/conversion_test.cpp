#include <gtest/gtest.h>

#include "app/conversion.h"

TEST(StepTime, NormalisesLimitsAndRoundsToFiveHundredths) {
    struct Row {
        uint8_t m, s, h;
        const char* text;
    };
    for (const Row& r :
         {Row{30, 59, 99, "30:00.00"}, Row{29, 60, 50, "29:59.00"}, Row{29, 59, 98, "30:00.00"},
          Row{0, 0, 2, "00:00.00"}, Row{0, 0, 3, "00:00.05"}, Row{0, 0, 12, "00:00.10"},
          Row{0, 0, 18, "00:00.20"}, Row{0, 5, 98, "00:06.00"}, Row{0, 59, 99, "01:00.00"}}) {
        uint8_t m = r.m, s = r.s, h = r.h;
        NormalizeStepTime(m, s, h);
        EXPECT_EQ(StepTimeToText(m, s, h), r.text) << int(r.m) << ":" << int(r.s) << "." << int(r.h);
    }
    EXPECT_EQ(StepTimeToText(1, 5, 7), "01:05.05");
}

TEST(StepTime, ConvertsBetweenTextAndUnitsAndReportsUnreadableText) {
    EXPECT_EQ(ParseStepTime("00:00.05"), 1);
    EXPECT_EQ(ParseStepTime("45:00.00"), 36000);
    EXPECT_EQ(StepUnitsToText(1199), "00:59.95");
    EXPECT_EQ(StepUnitsToText(65535), "30:00.00");
    for (uint16_t u = 0; u <= 36000; u += 7)
        EXPECT_EQ(ParseStepTime(StepUnitsToText(u)), u);

    for (const char* bad : {"0_:00.00", "__:__.__", "", "01:00.0", "0\u0663:00.00"})
        EXPECT_FALSE(TryParseStepTime(QString::fromUtf8(bad)).has_value()) << bad;
    EXPECT_EQ(TryParseStepTime("01:02.50").value_or(0), 1250);
}

TEST(Crc16, MatchesTheXmodemCheckValueAndStoresLowByteFirst) {
    uint8_t zeroBased[11] = {'1', '2', '3', '4', '5', '6', '7', '8', '9', 0, 0};
    ASSERT_TRUE(AppendCrc16(zeroBased, sizeof zeroBased, 0, 0, 9));
    EXPECT_EQ(zeroBased[9], 0xC3);
    EXPECT_EQ(zeroBased[10], 0x31);

    // A 1-based packet: logical index 1 is the array's first element.
    uint8_t oneBased[12] = {'x', '1', '2', '3', '4', '5', '6', '7', '8', '9', 0, 0};
    ASSERT_TRUE(AppendCrc16(oneBased, sizeof oneBased, 1, 2, 9));
    EXPECT_EQ(oneBased[10], 0xC3);
    EXPECT_EQ(oneBased[11], 0x31);

    uint8_t small[10] = {};
    EXPECT_FALSE(AppendCrc16(small, sizeof small, 0, 0, 9)); // no room for the CRC
    EXPECT_EQ(small[9], 0);
}

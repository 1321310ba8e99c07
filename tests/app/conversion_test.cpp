#include <gtest/gtest.h>

#include "app/conversion.h"

namespace {
QString Normalized(uint8_t m, uint8_t s, uint8_t h) {
    NormalizeStepTime(m, s, h);
    return StepTimeToText(m, s, h);
}
}  // namespace

TEST(StepTime, NormalisesLimitsAndRoundsToFiveHundredths) {
    EXPECT_EQ(Normalized(30, 59, 99), "30:00.00");
    EXPECT_EQ(Normalized(29, 60, 50), "29:59.00");
    EXPECT_EQ(Normalized(29, 59, 98), "30:00.00");
    EXPECT_EQ(Normalized(0, 0, 2), "00:00.00");
    EXPECT_EQ(Normalized(0, 0, 3), "00:00.05");
    EXPECT_EQ(Normalized(0, 0, 12), "00:00.10");
    EXPECT_EQ(Normalized(0, 0, 17), "00:00.15");
    EXPECT_EQ(Normalized(0, 0, 18), "00:00.20");
    EXPECT_EQ(Normalized(0, 0, 88), "00:00.90");
    EXPECT_EQ(Normalized(0, 5, 98), "00:06.00");
    EXPECT_EQ(Normalized(0, 59, 99), "01:00.00");
    EXPECT_EQ(StepTimeToText(1, 5, 7), "01:05.05");
}

TEST(StepTime, ConvertsBetweenTextAndUnits) {
    EXPECT_EQ(ParseStepTime("00:00.05"), 1);
    EXPECT_EQ(ParseStepTime("01:00.00"), 1200);
    EXPECT_EQ(ParseStepTime("30:00.00"), 36000);
    EXPECT_EQ(ParseStepTime("45:00.00"), 36000);
    EXPECT_EQ(StepUnitsToText(1), "00:00.05");
    EXPECT_EQ(StepUnitsToText(1199), "00:59.95");
    EXPECT_EQ(StepUnitsToText(40000), "30:00.00");
    EXPECT_EQ(StepUnitsToText(65535), "30:00.00");
    for (uint16_t u = 0; u <= 36000; u += 7) EXPECT_EQ(ParseStepTime(StepUnitsToText(u)), u);
}

TEST(StepTime, UnreadableTextIsReportedNotConverted) {
    EXPECT_FALSE(TryParseStepTime("0_:00.00").has_value());
    EXPECT_FALSE(TryParseStepTime("__:__.__").has_value());
    EXPECT_FALSE(TryParseStepTime("").has_value());
    EXPECT_FALSE(TryParseStepTime("01:00.0").has_value());
    EXPECT_FALSE(TryParseStepTime(QString::fromUtf8("0\u0663:00.00")).has_value());  // non-ASCII digit
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
    EXPECT_FALSE(AppendCrc16(small, sizeof small, 0, 0, 9));  // no room for the CRC
    EXPECT_EQ(small[9], 0);
}

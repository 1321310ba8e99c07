#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "maker/Karakt.h"

namespace {

tDeviceConfig Factory() {
    tDeviceConfig c;
    SetDefaultConfig(c);
    return c;
}

}  // namespace

TEST(Karakt, FactoryValuesLeaveWhiteAmberAndOutputLevelsAlone) {
    tDeviceConfig c;
    c.Def[4] = 11;
    c.Min[5] = 12;
    c.Max[4] = 13;
    c.Gamma[5] = 4.5;
    c.Offs[4] = 14;
    c.OutMin[1] = 15;
    c.OutMax[2] = 16;
    c.OutStart[3] = 17;
    SetDefaultConfig(c);
    EXPECT_EQ(c.Def[4], 11);
    EXPECT_EQ(c.Min[5], 12);
    EXPECT_EQ(c.Max[4], 13);
    EXPECT_DOUBLE_EQ(c.Gamma[5], 4.5);
    EXPECT_EQ(c.Offs[4], 14);
    EXPECT_EQ(c.OutMin[1], 15);
    EXPECT_EQ(c.OutMax[2], 16);
    EXPECT_EQ(c.OutStart[3], 17);
    for (int ch = 1; ch <= 3; ++ch) {
        EXPECT_EQ(c.Max[ch], 255);
        EXPECT_DOUBLE_EQ(c.Gamma[ch], 2.2);
        EXPECT_EQ(c.Offs[ch], 30);
    }
    EXPECT_EQ(c.WhiteBalance, 1);
    EXPECT_EQ(c.Overheat, 1);
    EXPECT_EQ(c.LinearCurve, 1);
    EXPECT_EQ(c.Infra, 0);
    EXPECT_EQ(c.Speed[1], 1200);
    EXPECT_EQ(c.Speed[9], 20);
    EXPECT_EQ(c.Brightness[1], 0);
    EXPECT_EQ(c.Brightness[10], 100);
}

TEST(Karakt, ChannelComesFromTheLastLetter) {
    EXPECT_EQ(ChannelIndexFromName(QString("seKarMinR")), 1);
    EXPECT_EQ(ChannelIndexFromName(QString("seKarMinG")), 2);
    EXPECT_EQ(ChannelIndexFromName(QString("tbKonfQ73GGammaB")), 3);
    EXPECT_EQ(ChannelIndexFromName(QString("seCharZK4OutMaxW")), 4);
    EXPECT_EQ(ChannelIndexFromName(QString("seCharZK4OutMinA")), 5);
    // The ZK4 input range has no channel letter: it belongs to channel 1.
    EXPECT_EQ(ChannelIndexFromName(QString("seCharZK4InMin")), 1);
    EXPECT_EQ(ChannelIndexFromName(QChar('a')), 1);
    EXPECT_EQ(ChannelIndexFromName(QString()), 1);
}

// Values worked out by hand: out = OutMin + (40000 - OutMin) * (y / 255) ^ gamma, truncated.
TEST(Karakt, GenericCurveOfTheFactoryValues) {
    const tDeviceConfig c = Factory();
    tCurveRow row;
    row.fill(1);
    ComputeCharacteristicCurve(c, 1, row);
    EXPECT_EQ(row[0], 0);
    EXPECT_EQ(row[1], 0);       // 40000 * (1/255)^2.2 = 0.2
    EXPECT_EQ(row[128], 8780);  // 40000 * (128/255)^2.2 = 8780.79
    EXPECT_EQ(row[255], 40000);
    for (int x = 2; x <= 255; ++x) EXPECT_GE(row[x], row[x - 1]);
}

TEST(Karakt, GenericCurveClipsOrScalesTheInputRange) {
    tDeviceConfig c = Factory();
    c.Gamma[2] = 1.0;
    c.Min[2] = 50;
    c.Max[2] = 200;
    c.WhiteBalance = 0;
    tCurveRow row;
    ComputeCharacteristicCurve(c, 2, row);
    for (int x = 1; x <= 50; ++x) EXPECT_EQ(row[x], 7843) << x;      // 50/255 of 40000
    for (int x = 200; x <= 255; ++x) EXPECT_EQ(row[x], 31372) << x;  // 200/255 of 40000
    EXPECT_EQ(row[128], 20078);
    EXPECT_EQ(row[0], 0);

    // White balance scales 1..255 onto 50..200: input 128 maps to 50 + 19200 div 255 = 125.
    c.WhiteBalance = 1;
    ComputeCharacteristicCurve(c, 2, row);
    EXPECT_EQ(row[1], 7843);
    EXPECT_EQ(row[128], 19607);
    EXPECT_EQ(row[255], 31372);  // never full scale
}

TEST(Karakt, GenericCurveStartsFromTheOutputFloor) {
    tDeviceConfig c = Factory();
    c.WhiteBalance = 0;
    c.Gamma[3] = 1.0;
    c.OutMin[3] = 4000;
    tCurveRow row;
    ComputeCharacteristicCurve(c, 3, row);
    EXPECT_EQ(row[0], 0);  // entry 0 is always 0
    EXPECT_EQ(row[255], 40000);
    EXPECT_EQ(row[128], 4000 + 18070);  // 36000 * 128/255 = 18070.6
}

TEST(Karakt, ZK4CurveRunsFromStartToMaximum) {
    tDeviceConfig c;
    c.Min[1] = 0;
    c.Max[1] = 255;
    c.OutStart[1] = 1000;
    c.OutMax[1] = 40000;
    c.OutMin[1] = 0;
    c.Gamma[1] = 1.0;
    tCurveRow row;
    ComputeZK4Curve(c, 1, row);
    EXPECT_EQ(row[0], 0);
    EXPECT_EQ(row[1], 1000);
    EXPECT_EQ(row[128], 20500);  // 1000 + 39000 * 127/254
    EXPECT_EQ(row[255], 40000);
    // A straight line: 39000 / 254 = 153.5 a step.
    for (int x = 2; x <= 255; ++x) {
        EXPECT_GE(row[x] - row[x - 1], 153) << x;
        EXPECT_LE(row[x] - row[x - 1], 154) << x;
    }

    c.Gamma[1] = 2.2;
    ComputeZK4Curve(c, 1, row);
    EXPECT_EQ(row[128], 9487);  // 1000 + 39000 * 0.5^2.2 = 9487.87
}

TEST(Karakt, ZK4CurveWithNarrowOrInvertedRangeNeverDividesByZero) {
    tDeviceConfig c;
    c.Min[4] = 100;
    c.Max[4] = 101;
    c.OutMin[4] = 5;
    c.OutStart[4] = 600;
    c.OutMax[4] = 30000;
    c.Gamma[4] = 2.0;
    tCurveRow row;
    ComputeZK4Curve(c, 4, row);
    EXPECT_EQ(row[100], 5);
    EXPECT_EQ(row[101], 600);
    EXPECT_EQ(row[102], 30000);
    EXPECT_EQ(row[255], 30000);

    c.Min[4] = 200;
    c.Max[4] = 100;
    ComputeZK4Curve(c, 4, row);
    EXPECT_EQ(row[200], 5);
    EXPECT_EQ(row[201], 30000);
}

// Any value a page, a file or a device may set gives a table of real levels.
TEST(Karakt, CurvesStayInRangeForExtremeRecords) {
    const double gammas[] = {0.0, 0.1, 1.0, 5.0, 25.5, -3.0, 1e9, std::numeric_limits<double>::quiet_NaN()};
    const int ends[] = {0, 1, 127, 128, 254, 255};
    const uint16_t levels[] = {0, 40000, 65535};
    tCurveRow row;
    for (double g : gammas)
        for (int mn : ends)
            for (int mx : ends)
                for (uint16_t lv : levels)
                    for (int wb = 0; wb <= 1; ++wb) {
                        tDeviceConfig c;
                        c.Gamma[5] = g;
                        c.Min[5] = uint8_t(mn);
                        c.Max[5] = uint8_t(mx);
                        c.OutMin[5] = lv;
                        c.OutStart[5] = uint16_t(65535 - lv);
                        c.OutMax[5] = lv;
                        c.WhiteBalance = uint8_t(wb);
                        ComputeCharacteristicCurve(c, 5, row);
                        EXPECT_EQ(row[0], 0);
                        ComputeZK4Curve(c, 5, row);
                        EXPECT_EQ(row[0], lv);
                    }
    // Gamma 0 gives a flat curve at full scale above the floor.
    tDeviceConfig c = Factory();
    c.Gamma[1] = 0.0;
    ComputeCharacteristicCurve(c, 1, row);
    EXPECT_EQ(row[1], 40000);
    // Channels outside 1..5 leave the row untouched.
    row.fill(7);
    ComputeCharacteristicCurve(c, 0, row);
    ComputeZK4Curve(c, 6, row);
    EXPECT_EQ(row[100], 7);
}

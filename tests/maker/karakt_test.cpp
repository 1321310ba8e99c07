#include <gtest/gtest.h>

#include <limits>

#include "maker/Karakt.h"

// Values worked out by hand from the two curve formulas (results truncated):
//   generic: OutMin + (40000 - OutMin) * (y / 255) ^ gamma, y clipped to Min..Max
//            or, with white balance, scaled: y = Min + x * (Max - Min) div 255;
//   ZK4:     OutStart + (OutMax - OutStart) * ((x - Min - 1) / (Max - Min - 1)) ^ gamma
//            above Min, OutMin at and below it, OutMax above Max.
TEST(Karakt, CurveTableAtChosenInputs) {
    struct Row {
        const char* what;
        bool zk4, wb;
        double gamma;
        int mn, mx, outMin, outStart, outMax;
        std::vector<std::pair<int, int>> expected; // {input, level}
    };
    const Row rows[] = {
        // 40000 * (1/255)^2.2 = 0.2; 40000 * (128/255)^2.2 = 8780.79
        {"factory", false, true, 2.2, 0, 255, 0, 0, 0, {{0, 0}, {1, 0}, {128, 8780}, {255, 40000}}},
        // 50/255, 128/255 and 200/255 of 40000
        {"clipped", false, false, 1, 50, 200, 0, 0, 0, {{1, 7843}, {50, 7843}, {128, 20078}, {255, 31372}}},
        // 128 maps to 50 + 19200 div 255 = 125; never full scale
        {"white balance", false, true, 1, 50, 200, 0, 0, 0, {{0, 0}, {1, 7843}, {128, 19607}, {255, 31372}}},
        // 4000 + 36000 * 128/255 = 4000 + 18070.6; entry 0 is always 0
        {"output floor", false, false, 1, 0, 255, 4000, 0, 0, {{0, 0}, {128, 22070}, {255, 40000}}},
        {"gamma 0", false, true, 0, 0, 255, 0, 0, 0, {{0, 0}, {1, 40000}, {255, 40000}}},
        // 1000 + 39000 * 127/254; 1000 + 39000 * 0.5^2.2 = 9487.87
        {"ZK4", true, false, 1, 0, 255, 0, 1000, 40000, {{0, 0}, {1, 1000}, {128, 20500}, {255, 40000}}},
        {"ZK4 gamma", true, false, 2.2, 0, 255, 0, 1000, 40000, {{1, 1000}, {128, 9487}, {255, 40000}}},
        // a range one step wide, then an inverted one: no division by zero
        {"ZK4 narrow", true, false, 2, 100, 101, 5, 600, 30000, {{100, 5}, {101, 600}, {102, 30000}}},
        {"ZK4 inverted", true, false, 2, 200, 100, 5, 600, 30000, {{200, 5}, {201, 30000}}},
    };
    for (const Row& r : rows) {
        tDeviceConfig c;
        c.WhiteBalance = r.wb;
        c.Gamma[1] = r.gamma;
        c.Min[1] = uint8_t(r.mn);
        c.Max[1] = uint8_t(r.mx);
        c.OutMin[1] = uint16_t(r.outMin);
        c.OutStart[1] = uint16_t(r.outStart);
        c.OutMax[1] = uint16_t(r.outMax);
        tCurveRow row;
        row.fill(1);
        (r.zk4 ? ComputeZK4Curve : ComputeCharacteristicCurve)(c, 1, row);
        for (auto [x, level] : r.expected)
            EXPECT_EQ(row[x], level) << r.what << " at " << x;
        for (int x = 2; x <= 255; ++x)
            ASSERT_GE(row[x], row[x - 1]) << r.what << " at " << x;
    }
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
                        c.OutMin[5] = c.OutMax[5] = lv;
                        c.OutStart[5] = uint16_t(65535 - lv);
                        c.WhiteBalance = uint8_t(wb);
                        ComputeCharacteristicCurve(c, 5, row);
                        EXPECT_EQ(row[0], 0);
                        ComputeZK4Curve(c, 5, row);
                        EXPECT_EQ(row[0], lv);
                    }
    // Channels outside 1..5 leave the row untouched.
    tDeviceConfig c;
    row.fill(7);
    ComputeCharacteristicCurve(c, 0, row);
    ComputeZK4Curve(c, 6, row);
    EXPECT_EQ(row[100], 7);
}

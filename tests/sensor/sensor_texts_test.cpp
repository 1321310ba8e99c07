#include <gtest/gtest.h>

#include "views/sensor_geometry.h"
#include "views/sensor_texts.h"

namespace {

tRdmSensor Ranged(int rmin, int rmax, int nmin, int nmax, uint8_t type = 0, uint8_t unit = 0) {
    return {.type = type,
            .unit = unit,
            .rangeMin = int16_t(rmin),
            .rangeMax = int16_t(rmax),
            .normalMin = int16_t(nmin),
            .normalMax = int16_t(nmax),
            .description = {}};
}
// A sensor whose range and normal range are both undefined.
tRdmSensor Sensor(uint8_t type, uint8_t unit = 0) {
    return Ranged(-32768, 32767, -32768, 32767, type, unit);
}

const QString Deg = QString(QChar(0xB0));

} // namespace

TEST(SensorTexts, UnitsAndPrefixes) {
    struct Case {
        int value;
        uint8_t prefix, unit;
        QString text;
    };
    // clang-format off
    const Case cases[] = {
        {25, 1, 0, "2.5"},      {-5, 1, 0, "-0.5"},     {0, 1, 0, "0.0"},           {1200, 2, 0, "12.00"},
        {-7, 2, 0, "-0.07"},    {-32768, 2, 0, "-327.68"}, {-12, 0, 1, "-12" + Deg + "C"}, {5, 19, 10, "5kW"},
        {500, 3, 2, "500mV DC"}, {5, 20, 10, "5mW"} /* mega reads like milli */,           {7, 23, 0, "7p"},
        {7, 26, 0, "7y"},       {7, 10, 0, "7y"},       {1, 0, 4, "1V AC"},         {1, 0, 7, "1A AC RMS"},
        {1, 0, 22, "1" + Deg},  {1, 0, 28, "1byte"},    {7, 0, 29, "7"},
        // An undefined prefix gives no number; the unit still follows.
        {7, 11, 10, "W"},       {7, 12, 0, ""},         {7, 16, 0, ""},             {7, 27, 0, ""},
    };
    // clang-format on
    for (const Case& c : cases)
        EXPECT_EQ(FormatSensorValue(c.value, c.prefix, Sensor(0, c.unit), 0, 2), c.text)
            << c.value << " prefix " << int(c.prefix) << " unit " << int(c.unit);
}

TEST(SensorTexts, MakerMeaningsByDeviceKindAndType) {
    struct Case {
        uint8_t kind, type;
        int value, language;
        QString text;
    };
    const int date = -32768 + 13 * 512 + 5 * 32 + 7; // 7 May 2013
    const Case cases[] = {
        {1, 0x1C, 0, 2, "Jumper OFF"},
        {1, 0x1C, -1, 2, "Jumper ON"},
        {1, 0x81, 0, 2, "Driver type: CA"},
        {2, 0x80, 1, 2, "Driver type: CC"},
        {4, 0x80, 2, 2, "Bad config of the driver"},
        {4, 0x80, 3, 2, "No power for driver"},
        {2, 0x80, -1, 2, "Driver faliure"},
        {3, 0x80, 1, 2, "1"}, // no meaning for kind 3
        {5, 0x82, 0, 2, "IR not pushed"},
        {5, 0x82, 12, 2, "FADE"},
        {5, 0x82, 13, 2, "IR faliure"},
        {5, 0x83, date, 3, "GPS Date: 7/5/2013"},
        {5, 0x83, date, 1, "GPS Date: 2013.5.7."},
        {5, 0x83, date - 3 * 512, 2, "GPS Date not received"},  // year 10
        {5, 0x83, date + 87 * 512, 2, "GPS Date not received"}, // year 100
        {5, 0x83, date - 5 * 32, 2, "GPS Date not received"},   // month 0
        {5, 0x83, date + 8 * 32, 2, "GPS Date not received"},   // month 13
        {5, 0x83, date - 7, 2, "GPS Date not received"},        // day 0
        {5, 0x84, -32768 + 23 * 1800 + 59 * 30 + 29, 2, "GPS UTC Time: 23:59:58"},
        {5, 0x84, -32768 + 24 * 1800, 2, "GPS Time not received"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatSensorValue(c.value, 0, Sensor(c.type), c.kind, c.language), c.text)
            << "kind " << int(c.kind) << " type " << int(c.type) << " value " << c.value;
}

TEST(SensorTexts, BarIsGreenExactlyInsideTheNormalRange) {
    const tRdmSensor s = Ranged(-40, 85, 0, 60);
    for (auto [value, green] : {std::pair{0, true}, {60, true}, {-1, false}, {61, false}})
        EXPECT_EQ(SensorRangeColor(s, value), green ? QColor(0, 128, 0) : QColor(255, 0, 0)) << value;
    EXPECT_EQ(SensorRangeColor(Sensor(0), -32768), QColor(0, 128, 0)); // undefined normal range
}

TEST(SensorGeometry, BrokenDefinitionsStayOnTheBar) {
    // Equal range ends, an inverted range, a normal range outside the range,
    // a range wholly below zero, open ends: nothing divides by zero and every
    // mark and bar stays on the background.
    const tRdmSensor cases[] = {Ranged(5, 5, 0, 10),
                                Ranged(50, -50, 0, 10),
                                Ranged(0, 100, -500, 900),
                                Ranged(-100, -10, -50, -20),
                                Ranged(-32767, 32766, -32768, 32767),
                                Ranged(0, 100, -32768, 32767)};
    for (const tRdmSensor& s : cases) {
        const SensorMarks m = ComputeSensorMarks(s, 72, 353);
        for (int x : {m.normalMinX, m.normalMaxX})
            EXPECT_TRUE(x >= 72 && x <= 72 + 353) << x;
        EXPECT_TRUE(!m.zeroShown || (m.zeroX >= 72 && m.zeroX <= 72 + 351)) << m.zeroX;
        for (int v : {-32768, -1, 0, 5, 32767}) {
            const int w = SensorBarWidth(ClampSensorValue(v, s), s, 353);
            EXPECT_TRUE(w >= 0 && w <= 351) << w;
        }
    }
    EXPECT_FALSE(ComputeSensorMarks(Ranged(-100, -10, -50, -20), 72, 353).zeroShown);
    const SensorMarks open = ComputeSensorMarks(Ranged(0, 100, -32768, 32767), 72, 353);
    EXPECT_EQ(open.normalMinX, 72);
    EXPECT_EQ(open.normalMaxX, 72 + 353);
}

TEST(SensorGeometry, BarWidthScalesOverRangeOrNormalRange) {
    const tRdmSensor open = Ranged(-32768, 32767, 0, 100); // both ends undefined: the normal range scales
    for (auto [value, width] : {std::pair{50, 175}, {500, 351}, {-5, 0}}) // beyond the normal range: clamped
        EXPECT_EQ(SensorBarWidth(value, open, 353), width) << value;
    EXPECT_EQ(SensorBarWidth(0, Ranged(-40, 85, 0, 60), 353), 40 * 351 / 125);
}

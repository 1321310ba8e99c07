#include <gtest/gtest.h>

#include "views/sensor_geometry.h"
#include "views/sensor_texts.h"

namespace {

tRdmSensor Sensor(uint8_t type, uint8_t unit = 0, uint8_t prefix = 0) {
    tRdmSensor s;
    s.type = type;
    s.unit = unit;
    s.prefix = prefix;
    s.rangeMin = -32768;
    s.rangeMax = 32767;
    s.normalMin = -32768;
    s.normalMax = 32767;
    return s;
}

tRdmSensor Ranged(int rmin, int rmax, int nmin, int nmax) {
    tRdmSensor s = Sensor(0);
    s.rangeMin = int16_t(rmin);
    s.rangeMax = int16_t(rmax);
    s.normalMin = int16_t(nmin);
    s.normalMax = int16_t(nmax);
    return s;
}

} // namespace

TEST(SensorTexts, UnitSymbols) {
    EXPECT_EQ(GetSensorUnitText(0), "");
    EXPECT_EQ(GetSensorUnitText(1), QString::fromUtf8("\u00B0C"));
    EXPECT_EQ(GetSensorUnitText(4), "V AC"); // an RMS unit reads as plain AC
    EXPECT_EQ(GetSensorUnitText(6), "A AC"); // a peak unit too
    EXPECT_EQ(GetSensorUnitText(7), "A AC RMS");
    EXPECT_EQ(GetSensorUnitText(22), QString(QChar(0xB0)));
    EXPECT_EQ(GetSensorUnitText(28), "byte");
    EXPECT_EQ(GetSensorUnitText(29), "");
    EXPECT_EQ(GetSensorUnitText(255), "");
}

TEST(SensorTexts, DeciAndCentiMoveTheDecimalPoint) {
    EXPECT_EQ(FormatPrefixedValue(25, 1), "2.5");
    EXPECT_EQ(FormatPrefixedValue(-15, 1), "-1.5");
    EXPECT_EQ(FormatPrefixedValue(-5, 1), "-0.5");
    EXPECT_EQ(FormatPrefixedValue(0, 1), "0.0");
    EXPECT_EQ(FormatPrefixedValue(105, 2), "1.05");
    EXPECT_EQ(FormatPrefixedValue(1200, 2), "12.00");
    EXPECT_EQ(FormatPrefixedValue(-7, 2), "-0.07");
    EXPECT_EQ(FormatPrefixedValue(-32768, 2), "-327.68");
}

TEST(SensorTexts, OtherPrefixesAppendALowerCaseLetter) {
    EXPECT_EQ(FormatPrefixedValue(-12, 0), "-12");
    EXPECT_EQ(FormatPrefixedValue(5, 19) + GetSensorUnitText(10), "5kW");
    EXPECT_EQ(FormatPrefixedValue(500, 3) + GetSensorUnitText(2), "500mV DC");
    EXPECT_EQ(FormatPrefixedValue(5, 20) + GetSensorUnitText(10), "5mW"); // mega reads like milli
    EXPECT_EQ(FormatPrefixedValue(7, 23), "7p");
    EXPECT_EQ(FormatPrefixedValue(7, 26), "7y");
    EXPECT_EQ(FormatPrefixedValue(7, 10), "7y");
    for (uint8_t undefined : {11, 12, 16, 27, 200})
        EXPECT_EQ(FormatPrefixedValue(7, undefined), "") << undefined;
    // The unit still follows an undefined prefix's empty number.
    EXPECT_EQ(FormatSensorValue(7, 12, Sensor(0, 10), 0, 2), "W");
    EXPECT_EQ(FormatSensorValue(7, 0, Sensor(0, 40), 0, 2), "7");
}

TEST(SensorTexts, MakerMeaningsDependOnDeviceKindAndType) {
    EXPECT_EQ(FormatSensorValue(0, 0, Sensor(0x1C), 1, 2), "Jumper OFF");
    EXPECT_EQ(FormatSensorValue(-1, 0, Sensor(0x1C), 1, 2), "Jumper ON");
    EXPECT_EQ(FormatSensorValue(0, 0, Sensor(0x81), 1, 2), "Driver type: CA");
    EXPECT_EQ(FormatSensorValue(9, 0, Sensor(0x81), 1, 2), "Driver type: CC");
    EXPECT_EQ(FormatSensorValue(1, 0, Sensor(0x80), 2, 2), "Driver type: CC");
    EXPECT_EQ(FormatSensorValue(2, 0, Sensor(0x80), 4, 2), "Bad config of the driver");
    EXPECT_EQ(FormatSensorValue(3, 0, Sensor(0x80), 4, 2), "No power for driver");
    EXPECT_EQ(FormatSensorValue(-1, 0, Sensor(0x80), 2, 2), "Driver faliure");
    EXPECT_EQ(FormatSensorValue(1, 0, Sensor(0x80, 1), 3, 2), QString::fromUtf8("1\u00B0C")); // kind 3: plain
    EXPECT_EQ(FormatSensorValue(0, 0, Sensor(0x82), 5, 2), "IR not pushed");
    EXPECT_EQ(FormatSensorValue(12, 0, Sensor(0x82), 5, 2), "FADE");
    EXPECT_EQ(FormatSensorValue(13, 0, Sensor(0x82), 5, 2), "IR faliure");
    EXPECT_EQ(FormatSensorValue(-1, 0, Sensor(0x82), 5, 2), "IR faliure");
}

TEST(SensorTexts, GpsDateAndTime) {
    const int date = -32768 + 13 * 512 + 5 * 32 + 7;
    EXPECT_EQ(FormatSensorValue(date, 0, Sensor(0x83), 5, 2), "GPS Date: 7/5/2013");
    EXPECT_EQ(FormatSensorValue(date, 0, Sensor(0x83), 5, 3), "GPS Date: 7/5/2013");
    EXPECT_EQ(FormatSensorValue(date, 0, Sensor(0x83), 5, 1), "GPS Date: 2013.5.7.");
    for (int bad :
         {-32768 + 10 * 512 + 5 * 32 + 7, -32768 + 100 * 512 + 5 * 32 + 7, -32768 + 13 * 512 + 7,
          -32768 + 13 * 512 + 13 * 32 + 7, -32768 + 13 * 512 + 15 * 32 + 7, -32768 + 13 * 512 + 5 * 32})
        EXPECT_EQ(FormatSensorValue(bad, 0, Sensor(0x83), 5, 2), "GPS Date not received") << bad;

    EXPECT_EQ(FormatSensorValue(-32768, 0, Sensor(0x84), 5, 2), "GPS UTC Time: 0:0:0");
    EXPECT_EQ(FormatSensorValue(-32768 + 23 * 1800 + 59 * 30 + 29, 0, Sensor(0x84), 5, 2),
              "GPS UTC Time: 23:59:58");
    EXPECT_EQ(FormatSensorValue(-32768 + 24 * 1800, 0, Sensor(0x84), 5, 2), "GPS Time not received");
    EXPECT_EQ(FormatSensorValue(32767, 0, Sensor(0x84), 5, 2), "GPS Time not received");
}

TEST(SensorTexts, BarIsGreenExactlyInsideTheNormalRange) {
    const tRdmSensor s = Ranged(-40, 85, 0, 60);
    EXPECT_EQ(SensorRangeColor(s, 0), QColor(0, 128, 0));
    EXPECT_EQ(SensorRangeColor(s, 60), QColor(0, 128, 0));
    EXPECT_EQ(SensorRangeColor(s, -1), QColor(255, 0, 0));
    EXPECT_EQ(SensorRangeColor(s, 61), QColor(255, 0, 0));
    EXPECT_EQ(SensorRangeColor(Sensor(0), -32768), QColor(0, 128, 0)); // undefined normal range
}

TEST(SensorGeometry, MarksOfARangeWithNegativeValues) {
    const SensorMarks m = ComputeSensorMarks(Ranged(-40, 85, 0, 60), 72, 353);
    EXPECT_TRUE(m.zeroShown);
    EXPECT_EQ(m.zeroX, 184);
    EXPECT_EQ(m.normalMinX, 184);
    EXPECT_EQ(m.normalMaxX, 354);

    const SensorMarks open = ComputeSensorMarks(Ranged(0, 100, -32768, 32767), 72, 353);
    EXPECT_FALSE(open.zeroShown);
    EXPECT_EQ(open.normalMinX, 72);
    EXPECT_EQ(open.normalMaxX, 72 + 353);
}

TEST(SensorGeometry, BrokenDefinitionsStayOnTheBar) {
    // Equal range ends, an inverted range, a normal range outside the range,
    // a range that lies wholly below zero: nothing divides by zero, every mark
    // stays on the background.
    const tRdmSensor cases[] = {Ranged(5, 5, 0, 10), Ranged(50, -50, 0, 10), Ranged(0, 100, -500, 900),
                                Ranged(-100, -10, -50, -20), Ranged(-32767, 32766, -32768, 32767)};
    for (const tRdmSensor& s : cases) {
        const SensorMarks m = ComputeSensorMarks(s, 72, 353);
        EXPECT_GE(m.normalMinX, 72);
        EXPECT_LE(m.normalMinX, 72 + 353);
        EXPECT_GE(m.normalMaxX, 72);
        EXPECT_LE(m.normalMaxX, 72 + 353);
        if (m.zeroShown) {
            EXPECT_GE(m.zeroX, 72);
            EXPECT_LE(m.zeroX, 72 + 351);
        }
        for (int v : {-32768, -1, 0, 5, 32767}) {
            const int w = SensorBarWidth(ClampSensorValue(v, s), s, 353);
            EXPECT_GE(w, 0);
            EXPECT_LE(w, 351);
        }
    }
    EXPECT_FALSE(ComputeSensorMarks(Ranged(-100, -10, -50, -20), 72, 353).zeroShown);
}

TEST(SensorGeometry, BarWidthScalesOverRangeOrNormalRange) {
    EXPECT_EQ(SensorBarWidth(50, Ranged(-32768, 32767, 0, 100), 353), 175);
    // With the normal range standing in, a value beyond it fills the bar, not more.
    EXPECT_EQ(SensorBarWidth(500, Ranged(-32768, 32767, 0, 100), 353), 351);
    EXPECT_EQ(SensorBarWidth(-5, Ranged(-32768, 32767, 0, 100), 353), 0);
    EXPECT_EQ(SensorBarWidth(85, Ranged(-40, 85, 0, 60), 353), 351);
    EXPECT_EQ(SensorBarWidth(0, Ranged(-40, 85, 0, 60), 353), 40 * 351 / 125);
    EXPECT_EQ(ClampSensorValue(90, Ranged(-40, 85, 0, 60)), 85);
    EXPECT_EQ(ClampSensorValue(-41, Ranged(-40, 85, 0, 60)), -40);
}

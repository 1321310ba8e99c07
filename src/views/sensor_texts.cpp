#include "views/sensor_texts.h"

#include <cstdlib>

namespace {

// Indexed by the E1.20 unit code (0..28).
const char* const UnitTexts[] = {
    "",   "\u00B0C", "V DC",   "V AC peak", "V AC", "A DC", "A AC", "A AC RMS", "Hz",   "Ohm",
    "W",  "Kg",      "m",      "m2",        "m3",   "Kgm3", "m/s",  "m/s2",     "N",    "J",
    "Pa", "sec",     "\u00B0", "sr",        "cd",   "lum",  "lux",  "ire",      "byte",
};

// Letters of the prefixes that only append a letter; indexed by prefix code.
// Deci (1) and centi (2) are formatted separately, 11..16 are undefined.
char PrefixLetter(uint8_t prefix) {
    switch (prefix) {
    case 3:
        return 'm';
    case 4:
        return 'u';
    case 5:
        return 'n';
    case 6:
        return 'p';
    case 7:
        return 'f';
    case 8:
        return 'a';
    case 9:
        return 'z';
    case 10:
        return 'y';
    case 17:
        return 'd';
    case 18:
        return 'h';
    case 19:
        return 'k';
    case 20:
        return 'm';
    case 21:
        return 'g';
    case 22:
        return 't';
    case 23:
        return 'p';
    case 24:
        return 'e';
    case 25:
        return 'z';
    case 26:
        return 'y';
    default:
        return 0;
    }
}

QString WithDecimals(int value, int divisor, int digits) {
    const int a = std::abs(value);
    QString text = value < 0 ? QStringLiteral("-") : QString();
    text +=
        QString::number(a / divisor) + '.' + QStringLiteral("%1").arg(a % divisor, digits, 10, QChar('0'));
    return text;
}

QString InfraredKeyText(int value) {
    static const char* const keys[] = {"IR not pushed", "DMX", "LOCK", "SPEED+", "SPEED-", "BRIG+",
                                       "BRIG-",         "P1",  "P2",   "P3",     "P4",     "P5",
                                       "FADE"};
    if (value < 0 || value > 12) return QStringLiteral("IR faliure");
    return QString::fromLatin1(keys[value]);
}

QString GpsDateText(int value, int languageIndex) {
    const unsigned d = static_cast<unsigned>(value + 32768) & 0xFFFFu;
    const unsigned y = d >> 9;
    const unsigned m = (d >> 5) & 0x0Fu;
    const unsigned t = d & 0x1Fu;
    if (y < 11 || y > 99 || m < 1 || m > 12 || t < 1) return QStringLiteral("GPS Date not received");
    if (languageIndex == 1) return QStringLiteral("GPS Date: 20%1.%2.%3.").arg(y).arg(m).arg(t);
    return QStringLiteral("GPS Date: %1/%2/20%3").arg(t).arg(m).arg(y);
}

QString GpsTimeText(int value) {
    const unsigned d = static_cast<unsigned>(value + 32768) & 0xFFFFu;
    const unsigned h = d / 1800;
    const unsigned r = d % 1800;
    if (h > 23) return QStringLiteral("GPS Time not received");
    return QStringLiteral("GPS UTC Time: %1:%2:%3").arg(h).arg(r / 30).arg((r % 30) * 2);
}

} // namespace

QString GetSensorUnitText(uint8_t unit) {
    if (unit >= std::size(UnitTexts)) return QString();
    return QString::fromUtf8(UnitTexts[unit]);
}

QString FormatPrefixedValue(int value, uint8_t prefix) {
    if (prefix == 0) return QString::number(value);
    if (prefix == 1) return WithDecimals(value, 10, 1);
    if (prefix == 2) return WithDecimals(value, 100, 2);
    const char letter = PrefixLetter(prefix);
    if (letter == 0) return QString();
    return QString::number(value) + QLatin1Char(letter);
}

QString FormatSensorValue(int value, uint8_t prefix, const tRdmSensor& sensor, uint8_t deviceKind,
                          int languageIndex) {
    const uint8_t type = sensor.type;
    if (deviceKind == 1 && type == 0x1C)
        return value == 0 ? QStringLiteral("Jumper OFF") : QStringLiteral("Jumper ON");
    if (deviceKind == 1 && type == 0x81)
        return value == 0 ? QStringLiteral("Driver type: CA") : QStringLiteral("Driver type: CC");
    if ((deviceKind == 2 || deviceKind == 4) && type == 0x80) {
        switch (value) {
        case 0:
            return QStringLiteral("Driver type: CA");
        case 1:
            return QStringLiteral("Driver type: CC");
        case 2:
            return QStringLiteral("Bad config of the driver");
        case 3:
            return QStringLiteral("No power for driver");
        default:
            return QStringLiteral("Driver faliure");
        }
    }
    if (deviceKind == 5 && type == 0x82) return InfraredKeyText(value);
    if (deviceKind == 5 && type == 0x83) return GpsDateText(value, languageIndex);
    if (deviceKind == 5 && type == 0x84) return GpsTimeText(value);
    return FormatPrefixedValue(value, prefix) + GetSensorUnitText(sensor.unit);
}

bool SensorValueInNormalRange(const tRdmSensor& sensor, int value) {
    return sensor.normalMin <= value && value <= sensor.normalMax;
}

QColor SensorRangeColor(const tRdmSensor& sensor, int value) {
    return SensorValueInNormalRange(sensor, value) ? QColor(0, 128, 0) : QColor(255, 0, 0);
}

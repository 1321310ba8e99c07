#pragma once

#include <QColor>
#include <QString>
#include <cstdint>

#include "rdm/RdmDevice.h"

// Texts of sensor values as the sensor tab shows them: E1.20 unit symbols and
// prefixes, and the fixed meanings of the maker's own sensor types. Widget-free.

// E1.20 values that mark an undefined range or normal-range end.
constexpr int SensorUndefinedMin = -32768;
constexpr int SensorUndefinedMax = 32767;

// The unit symbol of an E1.20 unit code; empty for NONE and unknown codes.
QString GetSensorUnitText(uint8_t unit);

// The number with its prefix, without the unit. Deci and centi move the
// decimal point; every other defined prefix appends one lower-case letter;
// an undefined prefix gives an empty text.
QString FormatPrefixedValue(int value, uint8_t prefix);

// The text of one value of `sensor`: the maker's meaning where the device kind
// and sensor type have one, else the prefixed number followed by the unit.
// Only the GPS date depends on the language (1 Hungarian, 2 English, 3 German).
QString FormatSensorValue(int value, uint8_t prefix, const tRdmSensor& sensor, uint8_t deviceKind,
                          int languageIndex);

// True when normal minimum <= value <= normal maximum.
bool SensorValueInNormalRange(const tRdmSensor& sensor, int value);

// The colour of the value bar: green inside the normal range, red outside.
QColor SensorRangeColor(const tRdmSensor& sensor, int value);

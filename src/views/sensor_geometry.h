#pragma once

#include "rdm/RdmDevice.h"

// Positions on a sensor row's bar. The bar background has left edge L and
// width W; the value bar starts inside it and is at most W - 2 wide. Every
// result stays on the background, whatever definition a device reports.

struct SensorMarks {
    int normalMinX = 0; // left of the normal-minimum mark
    int normalMaxX = 0; // left of the normal-maximum mark
    bool zeroShown = false;
    int zeroX = 0; // left of the zero mark, when shown
};

// The present value limited to the sensor's range.
int ClampSensorValue(int value, const tRdmSensor& sensor);

// The normal-range and zero marks of a defined sensor.
SensorMarks ComputeSensorMarks(const tRdmSensor& sensor, int left, int width);

// Width of the value bar for a (clamped) present value. The scale is the range,
// or the normal range when neither end of the range is defined.
int SensorBarWidth(int present, const tRdmSensor& sensor, int width);

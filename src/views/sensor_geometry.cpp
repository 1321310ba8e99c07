#include "views/sensor_geometry.h"

#include <algorithm>

#include "views/sensor_texts.h"

int ClampSensorValue(int value, const tRdmSensor& sensor) {
    if (value > sensor.rangeMax) value = sensor.rangeMax;
    if (value < sensor.rangeMin) value = sensor.rangeMin;
    return value;
}

SensorMarks ComputeSensorMarks(const tRdmSensor& s, int L, int W) {
    SensorMarks m;
    const int rmin = s.rangeMin, rmax = s.rangeMax, nmin = s.normalMin, nmax = s.normalMax;
    const int span = rmax - rmin; // zero or negative for a device that reports a broken range
    const int lastX = L + W - 1;

    if (nmin == SensorUndefinedMin || rmin == SensorUndefinedMin || span <= 0)
        m.normalMinX = L;
    else
        m.normalMinX = std::clamp(L + (nmin - rmin) * W / span, L, lastX);

    if (nmax == SensorUndefinedMax)
        m.normalMaxX = L + W; // an open end sits just past the bar
    else if (rmax == SensorUndefinedMax || span <= 0)
        m.normalMaxX = lastX;
    else
        m.normalMaxX = std::clamp(L + W - 1 - (rmax - nmax) * W / span, L, lastX);

    // Zero lies on the bar only when the range runs from below zero to zero or above.
    if (SensorUndefinedMin < rmin && rmin < 0 && rmax >= 0 && span > 0) {
        m.zeroShown = true;
        m.zeroX = L + (-rmin) * (W - 2) / span;
    }
    return m;
}

int SensorBarWidth(int present, const tRdmSensor& s, int W) {
    int lo = s.rangeMin, hi = s.rangeMax;
    if (lo == SensorUndefinedMin && hi == SensorUndefinedMax) {
        lo = s.normalMin;
        hi = s.normalMax;
    }
    const int full = std::max(W - 2, 0);
    if (hi <= lo) return present >= hi ? full : 0;
    return std::clamp((present - lo) * (W - 2) / (hi - lo), 0, full);
}

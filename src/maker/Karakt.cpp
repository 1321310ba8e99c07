#include "maker/Karakt.h"

#include <algorithm>
#include <cmath>

void SetDefaultConfig(tDeviceConfig& c) {
    for (int ch = 1; ch <= 3; ++ch) {
        c.Def[ch] = 0;
        c.Min[ch] = 0;
        c.Max[ch] = 255;
        c.Gamma[ch] = 2.2;
        c.Offs[ch] = 30;
    }
    c.WhiteBalance = 1;
    c.Overheat = 1;
    c.LinearCurve = 1;
    c.Infra = 0;
    c.HzNumber = 0;
    static constexpr uint16_t speeds[9] = {1200, 600, 400, 300, 200, 100, 60, 40, 20};
    for (int i = 1; i <= 9; ++i) {
        c.Speed[i] = speeds[i - 1];
        c.Wait[i] = 0;
    }
    static constexpr uint8_t levels[10] = {0, 3, 6, 10, 15, 20, 25, 50, 75, 100};
    for (int i = 1; i <= 10; ++i) c.Brightness[i] = levels[i - 1];
}

int ChannelIndexFromName(QChar letter) {
    switch (letter.unicode()) {
    case 'A': return 5;
    case 'B': return 3;
    case 'G': return 2;
    case 'W': return 4;
    default: return 1;
    }
}

int ChannelIndexFromName(const QString& controlName) {
    return controlName.isEmpty() ? 1 : ChannelIndexFromName(controlName.back());
}

namespace {

// A curve value may come out of range only for records no page can produce
// (an output floor above full scale, a negative gamma from a damaged file);
// the table then holds the nearest level it can store instead of a wrapped one.
uint16_t ToLevel(double out) {
    if (!(out > 0.0)) return 0;  // also catches NaN
    if (out >= 65535.0) return 65535;
    return static_cast<uint16_t>(std::trunc(out));
}

// base ^ gamma as exp(ln(base) * gamma), for a base in (0, 1].
double Rise(double base, double gamma) {
    return std::exp(std::log(base) * gamma);
}

bool ValidChannel(int ch) {
    return ch >= 1 && ch <= kCurveChannels;
}

}  // namespace

void ComputeCharacteristicCurve(const tDeviceConfig& c, int ch, tCurveRow& row) {
    if (!ValidChannel(ch)) return;
    const int mn = c.Min[ch];
    const int mx = c.Max[ch];
    const double outMin = c.OutMin[ch];
    row[0] = 0;
    for (int x = 1; x <= 255; ++x) {
        int y;
        if (c.WhiteBalance)
            y = mn + ((mx - mn) * x) / 255;  // C++ division truncates toward zero
        else if (x < mn)
            y = mn;
        else if (x > mx)
            y = mx;
        else
            y = x;
        double out;
        if (y == 0)
            out = outMin;
        else
            out = outMin + (kOutputFullScale - outMin) * Rise(y / 255.0, c.Gamma[ch]);
        row[x] = ToLevel(out);
    }
}

void ComputeZK4Curve(const tDeviceConfig& c, int ch, tCurveRow& row) {
    if (!ValidChannel(ch)) return;
    const int mn = c.Min[ch];
    const int mx = c.Max[ch];
    const int lo = mn + 1;
    const double start = c.OutStart[ch];
    const double top = c.OutMax[ch];
    for (int x = 0; x <= 255; ++x) {
        double out;
        if (x <= mn)
            out = c.OutMin[ch];
        else if (x > mx)
            out = top;
        else if (x == lo)
            out = start;
        else
            // Here lo < x <= mx, so mx - lo is at least 1.
            out = start + (top - start) * Rise(double(x - lo) / double(mx - lo), c.Gamma[ch]);
        row[x] = ToLevel(out);
    }
}

#pragma once

#include <QString>
#include <array>
#include <cstdint>

// The configuration record of the maker's LED drivers and controllers, and the
// dimming curves computed from it. Channel index 1..5 stands for R, G, B, W, A
// in every array (element 0 is unused).
struct tDeviceConfig {
    std::array<uint8_t, 6> Def{};       // output value after power-up
    std::array<uint8_t, 6> Min{};       // input minimum
    std::array<uint8_t, 6> Max{};       // input maximum
    std::array<uint16_t, 6> OutMin{};   // output level below the input range
    std::array<uint16_t, 6> OutMax{};   // output level at and above the input maximum
    std::array<uint16_t, 6> OutStart{}; // output level at the first input step above the minimum
    std::array<double, 6> Gamma{};      // rise of the curve
    std::array<uint8_t, 6> Offs{};      // offset correction
    uint8_t WhiteBalance = 0;           // scale the input range instead of clipping it
    uint8_t Overheat = 0;
    uint8_t LinearCurve = 0;
    uint8_t Infra = 0;
    uint16_t HzNumber = 0;              // output frequency; 0 = free running
    std::array<uint16_t, 10> Speed{};   // remote-control steps 1..9, 50 ms units
    std::array<uint16_t, 10> Wait{};
    std::array<uint8_t, 11> Brightness{}; // levels 1..10 in percent
};

// Output level (0..40000 PWM steps) of each channel for each input value.
constexpr int kCurveChannels = 5;
using tCurveRow = std::array<uint16_t, 256>;
using tCurveTable = std::array<tCurveRow, kCurveChannels + 1>;  // rows 1..5

// Full scale of the output levels.
constexpr double kOutputFullScale = 40000.0;

// Factory values; the W and A entries and the output levels keep what they hold.
void SetDefaultConfig(tDeviceConfig& config);

// Channel of a control from the last letter of its name: "A" 5, "B" 3, "G" 2,
// "W" 4, anything else 1.
int ChannelIndexFromName(QChar letter);
int ChannelIndexFromName(const QString& controlName);

// The generic curve (Kelvar, Q7, Q9Sub, Q73G devices) of channel ch (1..5).
void ComputeCharacteristicCurve(const tDeviceConfig& config, int ch, tCurveRow& row);

// The ZK4 curve with explicit output levels, of channel ch (1..5).
void ComputeZK4Curve(const tDeviceConfig& config, int ch, tCurveRow& row);

#pragma once

#include <array>
#include <cstdint>

// The colour programs of the maker's controllers: nine programs of up to ten
// steps, each step a colour for 20 fixtures as R, G, B, W, A bytes, with a
// speed time, a wait time, a speed switch and a step mode per program.
// Programs, steps, fixtures and channels count from 1.
struct tProgramData {
    static constexpr int kPrograms = 9;
    static constexpr int kSteps = 10;
    static constexpr int kDevices = 20;
    static constexpr int kChannels = 5;  // 1 R, 2 G, 3 B, 4 W, 5 A

    // Colour byte of program p, step s, device d, channel c at
    // (p - 1) * 1000 + (s - 1) * 100 + (d - 1) * 5 + (c - 1).
    std::array<uint8_t, 9000> ProgramStore{};

    // Per program, [1..9]; element 0 is unused.
    std::array<uint8_t, 10> ProgramSteps{};
    std::array<uint16_t, 10> ProgramSpeed{};  // 50 ms units
    std::array<uint16_t, 10> ProgramWait{};   // 50 ms units
    std::array<uint8_t, 10> ProgramSpeedOn{};
    std::array<uint8_t, 10> ProgramStepMode{};

    uint8_t CurrentProgram = 1;
    uint8_t CurrentStep = 1;
    uint8_t CurrentDevice = 1;
    // Colours a fixture has in the editor: 3 (R, G, B) or 5 (R, G, B, W, A).
    uint8_t EditorChannels = 3;

    static int StoreIndex(int p, int s, int d, int c) {
        return (p - 1) * 1000 + (s - 1) * 100 + (d - 1) * 5 + (c - 1);
    }
    static bool ValidCell(int p, int s, int d) {
        return p >= 1 && p <= kPrograms && s >= 1 && s <= kSteps && d >= 1 && d <= kDevices;
    }

    static bool ValidByte(int p, int s, int d, int c) { return ValidCell(p, s, d) && c >= 1 && c <= kChannels; }

    // A cell outside the store (a current program, step or device another
    // unit left out of range) reads as 0 and takes no writes.
    uint8_t Colour(int p, int s, int d, int c) const {
        return ValidByte(p, s, d, c) ? ProgramStore[StoreIndex(p, s, d, c)] : 0;
    }
    void SetColour(int p, int s, int d, int c, uint8_t v) {
        if (ValidByte(p, s, d, c)) ProgramStore[StoreIndex(p, s, d, c)] = v;
    }

    // R + G * 256 + B * 65536 of one fixture in one step.
    uint32_t Rgb(int p, int s, int d) const;
    // Stores R, G and B from the low three bytes of a colour; W and A are kept.
    void SetRgb(int p, int s, int d, uint32_t colour);

    // Channels of a fixture on the DMX line: 5 when the editor works with five, else 3.
    int FixtureChannels() const { return EditorChannels == 5 ? 5 : 3; }

    // Every program: 10 steps, speed 00:00.15, wait 0, speed on, step mode off,
    // R, G and B black; W and A untouched.
    void InitPrograms();
    void SelectFirstProgram() {
        CurrentProgram = 1;
        CurrentStep = 1;
    }
};

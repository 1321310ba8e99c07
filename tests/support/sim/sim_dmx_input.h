#pragma once

// What arrives on the simulated interface's DMX input, and the interface's
// configuration answers:
// - the escaped monitor stream of the DMX interfaces (a plain sender, or one
//   of the maker's controllers with its status record and signature),
// - the polled slot values of the repeaters and splitters,
// - the answers to the interface-configuration and RF-configuration requests,
// - a record of the RF frames and RF configurations the program sends.
// A SimDmxInput takes over the interface's onCommand.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "support/sim/SimHidPlatform.h"

namespace sim {

// A controller's status as it writes it into slots 1..124 of its output.
struct ControllerStatus {
    std::array<uint32_t, 20> colours{}; // 0x00BBGGRR per fixture
    uint8_t program = 1;
    uint8_t step = 1;
    uint8_t stepCount = 1;
    uint16_t speed = 20; // 50-ms units
    uint16_t wait = 40;
    uint8_t speedGauge = 0;
    uint16_t waitGauge = 0;
    uint8_t locked = 0;
    uint8_t fade = 1;
    uint8_t stepMode = 0;
    uint16_t brightness = 256;
    uint8_t temperature = 25;
    std::array<uint8_t, 5> software{2, 3, 24, 5, 17}; // major, minor, year - 2000, month, day
    std::array<uint8_t, 4> hardware{4, 23, 11, 2};    // version, year - 2000, month, day
    uint8_t model = 0x42;
    uint8_t commonAnode = 1;
    uint16_t manufacturer = 0x7FF1;
    uint32_t device = 0x00ABCDEF;
    std::string serial = "SN123456";
    bool signature = true;

    // The 513-byte frame: start code 0, the record, and `fill` in the slots after it.
    std::vector<uint8_t> Frame(uint8_t fill = 0) const;
};

// A frame of a plain sender: start code 0, slot n = (n * step + offset) mod 256.
std::vector<uint8_t> PlainFrame(int step = 1, int offset = 0);

// One frame as the interface streams it: the start code as it is, every 0xFD
// of the slots doubled, and 0xFD 0x01 after the last slot.
std::vector<uint8_t> EncodeMonitorFrame(const std::vector<uint8_t>& frame);

// Queues stream bytes in monitor reports {11, 5, n, 0, bytes} of at most
// `perReport` bytes.
void PushMonitorStream(SimInterface& box, const std::vector<uint8_t>& stream, int perReport = 60);

// An RF frame report as the interface received it.
struct SimRfFrame {
    std::vector<uint8_t> payload;
    bool lengthOk = false;     // byte 2 fits the payload (and the trailing 0 when there is one)
    bool checkOk = false;      // the check byte fits
    bool trailingZero = false; // a training frame: one 0 byte after the check byte
};

class SimDmxInput {
public:
    // Answers the box's commands from now on.
    explicit SimDmxInput(SimInterface& box);

    // The frame on the DMX input (start code and 512 slots); empty: no signal.
    std::vector<uint8_t> input;

    // Streams the input frame `count` times as monitor reports.
    void StreamFrames(int count);
    // Bytes cut from the stream before it (the interface joined a frame late).
    void StreamBytes(const std::vector<uint8_t>& bytes);

    // Slot values per answer to a poll, and the offset of the next answer
    // (it walks through the 512 slots).
    int pollValues = 60;
    int pollOffset = 0;
    int pollsAnswered = 0;

    // Configuration answer: boot [0] application present, [1..2] version,
    // [3..5] date; application [0..1] version, [2..4] date, [5] hardware
    // version, [6..8] hardware date.
    std::array<uint8_t, 6> boot{1, 1, 2, 20, 1, 15};
    std::array<uint8_t, 9> application{3, 4, 24, 6, 30, 2, 22, 3, 9};
    bool answerConfig = true;

    // The radio link's settings, as read by command 8 and written by command 7.
    uint8_t rfChannel = 2;
    uint8_t rfPower = 5;
    uint16_t rfDmxChannels = 256;
    uint8_t rfRepeated = 1;
    uint8_t rfExtra = 42;
    // Command 7's "keep it here" (1) or "forward it by radio" (0) of the last write.
    int rfStoredOnly = -1;
    int rfConfigWrites = 0;

    std::vector<SimRfFrame> rfFrames;

private:
    void OnCommand(const RawReport& report);

    SimInterface& box;
};

} // namespace sim

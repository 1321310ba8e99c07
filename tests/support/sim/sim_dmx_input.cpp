#include "support/sim/sim_dmx_input.h"

#include <algorithm>

#include "link/LinkTypes.h"

namespace sim {

std::vector<uint8_t> ControllerStatus::Frame(uint8_t fill) const {
    std::vector<uint8_t> f(513, fill);
    f[0] = 0;
    for (int k = 0; k < 20; ++k) {
        f[size_t(1 + 3 * k)] = uint8_t(colours[size_t(k)]);
        f[size_t(2 + 3 * k)] = uint8_t(colours[size_t(k)] >> 8);
        f[size_t(3 + 3 * k)] = uint8_t(colours[size_t(k)] >> 16);
    }
    auto word = [&f](int slot, uint16_t v) {
        f[size_t(slot)] = uint8_t(v >> 8);
        f[size_t(slot) + 1] = uint8_t(v);
    };
    f[61] = program;
    f[62] = step;
    word(63, speed);
    f[65] = 0;
    word(66, wait);
    f[68] = speedGauge;
    word(69, waitGauge);
    f[71] = uint8_t(stepCount - 1);
    f[72] = locked;
    f[73] = fade;
    f[74] = stepMode;
    word(75, brightness);
    f[77] = temperature;
    std::copy(software.begin(), software.end(), f.begin() + 78);
    f[83] = hardware[0];
    f[84] = model;
    std::copy(hardware.begin() + 1, hardware.end(), f.begin() + 85);
    f[88] = commonAnode;
    word(89, manufacturer);
    word(91, uint16_t(device >> 16));
    word(93, uint16_t(device));
    for (size_t i = 0; i < 8; ++i)
        f[95 + i] = i < serial.size() ? uint8_t(serial[i]) : 0;
    for (int slot = 103; slot <= 124; ++slot)
        f[size_t(slot)] = 0;
    f[121] = 0x37;
    if (signature) {
        f[122] = 0xAA;
        f[123] = 0xF3;
        f[124] = uint8_t(f[121] + 0xAA + 0xF3);
    }
    return f;
}

std::vector<uint8_t> PlainFrame(int step, int offset) {
    std::vector<uint8_t> f(513);
    for (size_t n = 1; n < f.size(); ++n)
        f[n] = uint8_t(int(n) * step + offset);
    return f;
}

std::vector<uint8_t> EncodeMonitorFrame(const std::vector<uint8_t>& frame) {
    std::vector<uint8_t> out;
    if (frame.empty()) return out;
    out.push_back(frame[0]);
    for (size_t i = 1; i < frame.size(); ++i) {
        out.push_back(frame[i]);
        if (frame[i] == 0xFD) out.push_back(0xFD);
    }
    out.push_back(0xFD);
    out.push_back(0x01);
    return out;
}

void PushMonitorStream(SimInterface& box, const std::vector<uint8_t>& stream, int perReport) {
    for (size_t pos = 0; pos < stream.size(); pos += size_t(perReport)) {
        const size_t n = std::min(stream.size() - pos, size_t(perReport));
        std::vector<uint8_t> body(4 + n);
        body[0] = InputData;
        body[1] = 5;
        body[2] = uint8_t(n);
        std::copy_n(stream.begin() + long(pos), n, body.begin() + 4);
        box.PushReport(body);
    }
}

SimDmxInput::SimDmxInput(SimInterface& b) : box(b) {
    box.onCommand = [this](SimInterface&, const RawReport& report) { OnCommand(report); };
}

void SimDmxInput::StreamFrames(int count) {
    std::vector<uint8_t> stream;
    const std::vector<uint8_t> one = EncodeMonitorFrame(input);
    for (int i = 0; i < count; ++i)
        stream.insert(stream.end(), one.begin(), one.end());
    PushMonitorStream(box, stream);
}

void SimDmxInput::StreamBytes(const std::vector<uint8_t>& bytes) {
    PushMonitorStream(box, bytes);
}

void SimDmxInput::OnCommand(const RawReport& r) {
    if (r.size() < 10) return;
    switch (r[1]) {
    case CmdStartMonitor:
        if (r[2] != 1) break; // only the repeaters' poll is answered
        ++pollsAnswered;
        if (input.size() < 513) {
            box.PushReport({0, 0, 0, 0});
            break;
        }
        {
            const int n = std::min(pollValues, 512 - pollOffset);
            std::vector<uint8_t> body(4 + size_t(n));
            body[1] = uint8_t(n);
            body[2] = uint8_t(pollOffset);
            body[3] = uint8_t(pollOffset >> 8);
            std::copy_n(input.begin() + 1 + pollOffset, n, body.begin() + 4);
            box.PushReport(body);
            pollOffset = (pollOffset + n) % 512;
        }
        break;
    case CmdReadInterfaceConfig:
        if (answerConfig) {
            std::vector<uint8_t> body{CmdReadInterfaceConfig};
            body.insert(body.end(), boot.begin(), boot.end());
            body.insert(body.end(), application.begin(), application.end());
            box.PushReport(body);
        }
        break;
    case CmdReadRfConfig:
        box.PushReport({CmdReadRfConfig, rfChannel, rfPower, 0, uint8_t(rfDmxChannels),
                        uint8_t(rfDmxChannels >> 8), rfRepeated, rfExtra});
        break;
    case CmdRfDmxConfigWrite:
        ++rfConfigWrites;
        rfChannel = r[3];
        rfDmxChannels = uint16_t(r[6] | r[7] << 8);
        rfRepeated = r[8];
        rfStoredOnly = r[9];
        break;
    case CmdRfFrame: {
        SimRfFrame f;
        const size_t L = r[6] >= 0x80 ? size_t(r[6] - 0x80) : 0;
        if (L + 9 > r.size()) {
            rfFrames.push_back(f);
            break;
        }
        f.payload.assign(r.begin() + 7, r.begin() + 7 + long(L));
        uint8_t check = 0x5F;
        for (size_t i = 5; i <= L + 6; ++i)
            check ^= r[i];
        f.checkOk = r[0] == 0 && r[5] == 0xF0 && check == r[L + 7];
        f.trailingZero = r[2] == L + 6 && r[L + 8] == 0;
        f.lengthOk = r[2] == L + 5 || f.trailingZero;
        rfFrames.push_back(f);
        break;
    }
    default:
        break;
    }
}

} // namespace sim

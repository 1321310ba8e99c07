#include "support/sim/maker_responder.h"

#include <algorithm>

namespace {

constexpr uint16_t UnknownPid = 0x0000;
constexpr uint16_t FormatError = 0x0001;

SimRdmResponder::Reply Ack(std::vector<uint8_t> data = {}) {
    return {0, std::move(data), false};
}

SimRdmResponder::Reply Nack(uint16_t reason) {
    return {2, {uint8_t(reason >> 8), uint8_t(reason)}, false};
}

} // namespace

SimMakerDevice::SimMakerDevice(uint64_t uid, uint8_t kind) : rdm(uid), kind(kind) {
    rdm.extension = [this](SimRdmResponder&, uint8_t cc, uint16_t pid, std::span<const uint8_t> data) {
        return Answer(cc, pid, data);
    };
    // The set-up chains that follow a mode SET.
    rdm.settable = {0x00F0, 0x00E0};
    rdm.values[0x00F0] = {0, 1};
    rdm.values[0x00E0] = {1, 5};
    config.assign(size_t(ConfigLength()), 0);
}

bool SimMakerDevice::HasPid(uint16_t pid) const {
    switch (pid) {
    case 0x8000:
    case 0x8001:
        return kind == 1;
    case 0x8004:
        return kind == 2 || kind == 4 || (kind >= 7 && kind <= 11);
    case 0x8005:
        return kind >= 2 && kind <= 4;
    case 0x8007:
        return kind >= 7 && kind <= 10;
    case 0x8016:
        return kind == 11 || kind == 12;
    case 0x8006:
        return kind == 2 || kind == 4;
    case 0x8008:
        return kind >= 7 && kind <= 11;
    default:
        return false;
    }
}

int SimMakerDevice::ConfigLength() const {
    switch (kind) {
    case 2:
        return 61;
    case 3:
        return 4;
    case 4:
        return 57;
    case 7:
    case 8:
    case 9:
    case 10:
        return 71;
    case 11:
    case 12:
        return 54;
    default:
        return 0;
    }
}

uint16_t SimMakerDevice::ProgramPid() const {
    return HasPid(0x8006) ? 0x8006 : HasPid(0x8008) ? 0x8008 : 0;
}

int SimMakerDevice::ProgramPacketLength() const {
    return ProgramPid() == 0x8006 ? 62 : 52;
}

std::vector<uint8_t> SimMakerDevice::MemoryAnswer(uint16_t address, bool& known) const {
    const uint8_t* block = nullptr;
    if (address == 0x4000) {
        block = memoryConfig.data();
    } else if (address >= 0x4400 && address <= 0x5380 && (address - 0x4400) % 0x80 == 0) {
        block = memoryPrograms.data() + (address - 0x4400) / 0x80 * 192;
    }
    known = block != nullptr;
    if (!known) return {};
    // Address and length little-endian, the data, then a check word.
    std::vector<uint8_t> d = {uint8_t(address), uint8_t(address >> 8), 192, 0};
    d.insert(d.end(), block, block + 192);
    d.push_back(0);
    d.push_back(0);
    return d;
}

std::optional<SimRdmResponder::Reply> SimMakerDevice::Answer(uint8_t cc, uint16_t pid,
                                                             std::span<const uint8_t> data) {
    if (pid < 0x8000 || pid > 0x8016) return std::nullopt;
    const int n = ++makerRequests;
    requests.push_back({cc, pid, std::vector<uint8_t>(data.begin(), data.end())});
    if (n == silentAt) return SimRdmResponder::Reply{0, {}, true};
    if (n == nackAt) return Nack(nackReason);
    if (!HasPid(pid)) return Nack(UnknownPid);

    std::optional<SimRdmResponder::Reply> reply;
    const bool get = cc == 0x20;
    switch (pid) {
    case 0x8000:
    case 0x8004: {
        std::vector<uint8_t>& mode = pid == 0x8000 ? operatingMode : dmxMode;
        if (get) {
            reply = Ack(mode);
        } else if (data.size() != mode.size()) {
            reply = Nack(FormatError);
        } else {
            mode.assign(data.begin(), data.end());
            reply = Ack();
        }
        break;
    }
    case 0x8005:
    case 0x8007:
    case 0x8016:
        if (get) {
            reply = Ack(config);
        } else if (int(data.size()) != ConfigLength()) {
            reply = Nack(FormatError);
        } else {
            config.assign(data.begin(), data.end());
            reply = Ack();
        }
        break;
    case 0x8006:
    case 0x8008: {
        if (get) {
            if (data.size() != 2) {
                reply = Nack(FormatError);
                break;
            }
            const auto it = programPackets.find({data[0], data[1]});
            std::vector<uint8_t> packet =
                it != programPackets.end() ? it->second : std::vector<uint8_t>(size_t(ProgramPacketLength()));
            packet[0] = data[0];
            packet[1] = data[1];
            reply = Ack(packet);
        } else if (int(data.size()) != ProgramPacketLength()) {
            reply = Nack(FormatError);
        } else {
            programPackets[{data[0], data[1]}] = std::vector<uint8_t>(data.begin(), data.end());
            reply = Ack();
        }
        break;
    }
    case 0x8001: {
        bool known = false;
        if (get && data.size() == 2) {
            std::vector<uint8_t> d = MemoryAnswer(uint16_t(data[0] | (data[1] << 8)), known);
            reply = known ? Ack(d) : Nack(0x0006);
        } else {
            reply = Nack(FormatError);
        }
        break;
    }
    default:
        reply = Nack(UnknownPid);
        break;
    }
    if (tamper && reply) tamper(n, reply->data);
    return reply;
}

#include "support/sim/rdm_decoder_responder.h"

#include <algorithm>

namespace {

constexpr uint8_t GetCommand = 0x20;
constexpr uint8_t SetCommand = 0x30;
constexpr size_t BlockSize = 192;
constexpr uint16_t NackFormatError = 0x0001;
constexpr uint16_t NackOutOfRange = 0x0006;

SimRdmResponder::Reply Ack(std::vector<uint8_t> data = {}) {
    return {0, std::move(data), false};
}
SimRdmResponder::Reply Nack(uint16_t reason) {
    return {2, {uint8_t(reason >> 8), uint8_t(reason)}, false};
}

// CRC-16, polynomial 0x1021, initial value 0, computed here bit by bit so that
// it does not share the program's code.
uint16_t Crc(const uint8_t* bytes, size_t n) {
    uint16_t crc = 0;
    for (size_t i = 0; i < n; ++i) {
        crc ^= uint16_t(bytes[i] << 8);
        for (int b = 0; b < 8; ++b)
            crc = (crc & 0x8000) ? uint16_t((crc << 1) ^ 0x1021) : uint16_t(crc << 1);
    }
    return crc;
}

} // namespace

SimDecoderBehaviour::SimDecoderBehaviour(SimRdmResponder& r) : responder(r) {
    responder.extension = [this](SimRdmResponder&, uint8_t cc, uint16_t pid,
                                 std::span<const uint8_t> data) -> std::optional<SimRdmResponder::Reply> {
        if (pid != Pid) return std::nullopt;
        return Handle(cc, std::vector<uint8_t>(data.begin(), data.end()));
    };
}

void SimDecoderBehaviour::Forget() {
    nackAtBlock.reset();
    silentAtBlock.reset();
    shortAtBlock.reset();
    nackLimits.reset();
    limitsRequests = crcFailures = closings = 0;
    readAddresses.clear();
    writeAddresses.clear();
    writes.clear();
}

void SimDecoderBehaviour::PutWord(size_t at, uint16_t v) {
    PutByte(at, uint8_t(v >> 8));
    PutByte(at + 1, uint8_t(v));
}

void SimDecoderBehaviour::PutLong(size_t at, uint32_t v) {
    PutWord(at, uint16_t(v >> 16));
    PutWord(at + 2, uint16_t(v));
}

void SimDecoderBehaviour::PutText(size_t at, const std::string& text) {
    for (size_t i = 0; i < 33; ++i)
        PutByte(at + i, i < text.size() ? uint8_t(text[i]) : 0);
}

std::optional<SimRdmResponder::Reply> SimDecoderBehaviour::Handle(uint8_t cc, const std::vector<uint8_t>& d) {
    auto misbehave = [this](int block) -> std::optional<SimRdmResponder::Reply> {
        if (silentAtBlock == block) return SimRdmResponder::Reply{0, {}, true};
        if (nackAtBlock == block) return Nack(nackReason);
        return std::nullopt;
    };
    if (cc == GetCommand && d.size() == 2 && d[0] == 0 && d[1] == 0) {
        ++limitsRequests;
        if (nackLimits) return Nack(*nackLimits);
        return Ack({0, 0, 0x55, personalityMax, slotMax, subDeviceMax, 0x55, uint8_t(flagMask >> 8),
                    uint8_t(flagMask), 0x55});
    }
    if (cc == GetCommand && d.size() == 4) {
        const uint16_t address = uint16_t(d[0] << 8 | d[1]);
        readAddresses.push_back(address);
        const int block = BlockOf(address);
        if (address < FirstAddress || block > 31 || d[2] != 0x00 || d[3] != BlockSize)
            return Nack(NackOutOfRange);
        if (auto reply = misbehave(block)) return reply;
        std::vector<uint8_t> out{d[0], d[1], 0x00, uint8_t(BlockSize)};
        out.insert(out.end(), memory.begin() + long(block * BlockSize),
                   memory.begin() + long((block + 1) * BlockSize));
        if (shortAtBlock == block) out.resize(std::min(out.size(), shortLength));
        return Ack(out);
    }
    if (cc == SetCommand && d.size() == 2 && d[0] == 0xFF && d[1] == 0xFF) {
        ++closings;
        return Ack();
    }
    if (cc == SetCommand && d.size() == 4 + BlockSize + 2) {
        const uint16_t address = uint16_t(d[1] << 8 | d[0]);
        writeAddresses.push_back(address);
        writes.push_back(d);
        const int block = BlockOf(address);
        if (address < FirstAddress || block > 31 || d[2] != BlockSize || d[3] != 0x00)
            return Nack(NackOutOfRange);
        if (auto reply = misbehave(block)) return reply;
        if (Crc(d.data(), 4 + BlockSize) != uint16_t(d[4 + BlockSize] | d[5 + BlockSize] << 8)) {
            ++crcFailures;
            return Nack(NackFormatError);
        }
        std::copy_n(d.begin() + 4, BlockSize, memory.begin() + long(block * BlockSize));
        return Ack();
    }
    return Nack(NackFormatError);
}

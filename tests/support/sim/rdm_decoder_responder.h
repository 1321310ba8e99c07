#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "support/sim/rdm_responder.h"

// The maker's configurable decoder on the simulated line: a 6144-byte
// configuration memory of 32 blocks of 192 bytes behind PID 0x8014, with the
// limits it reports. GET with data 00 00 gives the limits; GET of an address
// (big-endian, then the length 0x00C0) gives that block; SET of an address
// (little-endian, length, 192 bytes, CRC-16 low byte first) stores the block
// when its CRC matches; SET FF FF closes a write. Installs itself as the
// responder's extension; it must outlive the responder's use.
class SimDecoderBehaviour {
public:
    explicit SimDecoderBehaviour(SimRdmResponder& responder);

    static constexpr uint16_t Pid = 0x8014;
    static constexpr uint16_t FirstAddress = 0x8000;

    SimRdmResponder& responder;
    std::array<uint8_t, 6144> memory{};
    uint8_t personalityMax = 8;
    uint8_t slotMax = 32;
    uint8_t subDeviceMax = 4;
    uint16_t flagMask = 0xFFFF;

    // Misbehaviour at one block number (of reads and writes alike).
    std::optional<int> nackAtBlock;
    uint16_t nackReason = 0x0006; // DATA_OUT_OF_RANGE
    std::optional<int> silentAtBlock;
    std::optional<int> shortAtBlock;
    size_t shortLength = 100; // parameter data bytes of the short block answer
    // The limits request answered with a NACK of this reason.
    std::optional<uint16_t> nackLimits;

    // What it received.
    int limitsRequests = 0;
    std::vector<uint16_t> readAddresses;
    std::vector<uint16_t> writeAddresses;
    std::vector<std::vector<uint8_t>> writes; // the data of every block write, as received
    int crcFailures = 0;
    int closings = 0;

    // Device-side writers of the memory, big-endian as the device keeps it.
    void PutByte(size_t at, uint8_t v) { memory.at(at) = v; }
    void PutWord(size_t at, uint16_t v);
    void PutLong(size_t at, uint32_t v);
    void PutText(size_t at, const std::string& text); // and zeros up to 33 bytes

    // Forgets what it received and behaves again; keeps its memory and limits.
    void Forget();

    static int BlockOf(uint16_t address) { return (address - FirstAddress) / 0x80; }

private:
    std::optional<SimRdmResponder::Reply> Handle(uint8_t cc, const std::vector<uint8_t>& data);
};

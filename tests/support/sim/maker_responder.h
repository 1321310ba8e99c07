#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <utility>
#include <vector>

#include "support/sim/rdm_responder.h"

// One of the maker's own devices on the simulated line. It answers the
// maker's parameters of its kind from its own memory (the operating or DMX
// mode, the configuration, nine programs, and for the oldest controller its
// program memory of 32 blocks) and stores what the SETs send. Requests of a
// parameter its kind does not have get NACK UNKNOWN_PID; a SET of the wrong
// length gets NACK FORMAT_ERROR. The standard parameters are left to the
// responder underneath.
class SimMakerDevice {
public:
    SimMakerDevice(uint64_t uid, uint8_t kind);

    SimRdmResponder rdm;
    uint8_t kind;

    std::vector<uint8_t> operatingMode = std::vector<uint8_t>(8); // 0x8000
    std::vector<uint8_t> dmxMode = std::vector<uint8_t>(6);       // 0x8004
    std::vector<uint8_t> config;                                  // the configuration as the last SET sent it
    // Program packets by (program, part), as the SETs sent them.
    std::map<std::pair<int, int>, std::vector<uint8_t>> programPackets;
    // Memory of the oldest controller: the configuration block at 0x4000 and
    // the program blocks at 0x4400, 0x4480, ... (192 data bytes each).
    std::array<uint8_t, 192> memoryConfig{};
    std::array<uint8_t, 32 * 192> memoryPrograms{};

    // Faults, by the number of the maker request (counted from 1).
    int nackAt = 0;
    uint16_t nackReason = 0x0006; // DATA_OUT_OF_RANGE
    int silentAt = 0;
    // Changes the parameter data of the answer to maker request n.
    std::function<void(int n, std::vector<uint8_t>& data)> tamper;

    int makerRequests = 0;
    // The maker requests received: command class, PID, data.
    struct Request {
        int commandClass;
        int pid;
        std::vector<uint8_t> data;
    };
    std::vector<Request> requests;

    // The parameters and lengths of the kind.
    bool HasPid(uint16_t pid) const;
    int ConfigLength() const;        // SET length of the configuration; 0 without one
    uint16_t ProgramPid() const;     // 0x8006, 0x8008 or 0 without programs
    int ProgramPacketLength() const; // 62 or 52

private:
    std::optional<SimRdmResponder::Reply> Answer(uint8_t commandClass, uint16_t pid,
                                                 std::span<const uint8_t> data);
    std::vector<uint8_t> MemoryAnswer(uint16_t address, bool& known) const;
};

#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

// The discovery side of the simulated DMX line: responders that take part in
// the E1.20 binary search. A DISC_UNIQUE_BRANCH (link type 0x60) is answered
// by every un-muted responder whose UID lies in the range: one answer gives a
// subtype-0 report carrying the encoded UID, several give a collision (subtype
// 1, or a garbled subtype-0 answer), none give subtype 2. DISC_MUTE (link type
// 0x40, command class 0x10) is acknowledged by the addressed responder with a
// DISCOVERY_COMMAND_RESPONSE; the broadcast DISC_UN_MUTE (link type 0x20)
// un-mutes everyone and, being a broadcast, is not answered. A DISC_MUTE to
// FFFF:FFFFFFFF mutes everyone, one to mmmm:FFFFFFFF every responder of that
// manufacturer; nobody answers it.
struct SimDiscoveryResponder {
    uint64_t uid = 0;
    bool muted = false;
    // Misbehaviour.
    bool neverAcknowledgesMute = false;  // hears its mute but never answers it
    bool answersEveryBranch = false;     // answers whatever the range (rdm_any_range_responder.h)
    bool ignoresMute = false;            // stays un-muted after a mute (rdm_unmutable_responder.h)
    uint64_t answersWithUid = 0;         // when not 0, the UID it claims in branch answers
    std::vector<uint8_t> branchAnswer{}; // when not empty, the exact bytes of its branch answers
    int mutesReceived = 0;
    int branchesAnswered = 0;
};

using SimDiscoveryReport = std::array<uint8_t, 65>; // type, subtype, count, 0, data...

class SimDiscoveryLine {
public:
    std::vector<SimDiscoveryResponder> responders;
    // Several answers at once: true gives a subtype-0 report whose bytes are
    // the answers laid over each other (the checksum no longer holds).
    bool collisionsAsGarbledAnswer = false;
    // Several answers at once whose mix happens to pass the checksum: when not
    // empty, these bytes are the subtype-0 answer to every collision.
    std::vector<uint8_t> collisionAnswer{};

    int branchRequests = 0;
    int muteRequests = 0;
    int unMuteRequests = 0;

    // True when the packet is a discovery request (branch, mute or un-mute);
    // its reports, if any, are appended to `reports`.
    bool HandlePacket(std::span<const uint8_t> packet, std::vector<SimDiscoveryReport>& reports);

    // The same from the request's fields.
    void HandleRequest(uint8_t linkType, uint64_t destination, uint16_t pid, std::span<const uint8_t> data,
                       std::vector<SimDiscoveryReport>& reports);

    // The preamble, separator, encoded UID and checksum of an E1.20 branch answer.
    static std::vector<uint8_t> EncodeUniqueBranchAnswer(uint64_t uid);
    static SimDiscoveryReport DataReport(uint8_t subtype, std::span<const uint8_t> data);

    // Adds `count` responders with distinct random UIDs of manufacturer ids 1..0x7FFF.
    void AddRandomResponders(int count, uint32_t seed);
};

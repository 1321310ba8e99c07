#include "support/sim/rdm_discovery_line.h"

#include <algorithm>
#include <random>
#include <set>

namespace {
uint64_t ReadUid(std::span<const uint8_t> b, size_t i) {
    uint64_t uid = 0;
    for (size_t k = 0; k < 6; ++k)
        uid = (uid << 8) | (i + k < b.size() ? b[i + k] : 0);
    return uid;
}

void PutUid(std::vector<uint8_t>& out, uint64_t uid) {
    for (int i = 0; i < 6; ++i)
        out.push_back(uint8_t(uid >> (40 - 8 * i)));
}

// The answer to a DISC_MUTE from the sub-start code on: DISCOVERY_COMMAND_RESPONSE
// with the two-byte control field.
std::vector<uint8_t> MuteAnswer(uint64_t responder) {
    std::vector<uint8_t> a{0x01, 26};
    PutUid(a, uint64_t(0x7FF1) << 32); // to the controller
    PutUid(a, responder);
    a.insert(a.end(), {0x00, 0x00, 0x00, 0x00, 0x00, 0x11, 0x00, 0x02, 0x02, 0x00, 0x00});
    uint16_t sum = 0xCC;
    for (uint8_t b : a)
        sum = uint16_t(sum + b);
    a.push_back(uint8_t(sum >> 8));
    a.push_back(uint8_t(sum));
    return a;
}

constexpr uint64_t Broadcast = 0xFFFF'FFFFFFFFull;
} // namespace

std::vector<uint8_t> SimDiscoveryLine::EncodeUniqueBranchAnswer(uint64_t uid) {
    std::vector<uint8_t> a(7, 0xFE);
    a.push_back(0xAA);
    uint16_t sum = 0;
    for (int i = 0; i < 6; ++i) {
        const uint8_t b = uint8_t(uid >> (40 - 8 * i));
        a.push_back(b | 0xAA);
        a.push_back(b | 0x55);
        sum = uint16_t(sum + (b | 0xAA) + (b | 0x55));
    }
    a.push_back(uint8_t(sum >> 8) | 0xAA);
    a.push_back(uint8_t(sum >> 8) | 0x55);
    a.push_back(uint8_t(sum) | 0xAA);
    a.push_back(uint8_t(sum) | 0x55);
    return a;
}

SimDiscoveryReport SimDiscoveryLine::DataReport(uint8_t subtype, std::span<const uint8_t> data) {
    SimDiscoveryReport r{};
    r[0] = 11;
    r[1] = subtype;
    const size_t n = std::min<size_t>(data.size(), 61);
    r[2] = uint8_t(n);
    std::copy_n(data.begin(), n, r.begin() + 4);
    return r;
}

void SimDiscoveryLine::HandleRequest(uint8_t linkType, uint64_t destination, uint16_t pid,
                                     std::span<const uint8_t> data,
                                     std::vector<SimDiscoveryReport>& reports) {
    switch (pid) {
    case 0x0001: { // DISC_UNIQUE_BRANCH
        ++branchRequests;
        if (linkType != 0x60) return;
        const uint64_t lower = ReadUid(data, 0), upper = ReadUid(data, 6);
        std::vector<SimDiscoveryResponder*> answering;
        for (SimDiscoveryResponder& r : responders)
            if (!r.muted && (r.answersEveryBranch || (r.uid >= lower && r.uid <= upper)))
                answering.push_back(&r);
        if (answering.empty()) {
            reports.push_back(DataReport(2, {}));
        } else if (answering.size() == 1) {
            SimDiscoveryResponder& r = *answering.front();
            ++r.branchesAnswered;
            const auto answer = !r.branchAnswer.empty()
                                    ? r.branchAnswer
                                    : EncodeUniqueBranchAnswer(r.answersWithUid ? r.answersWithUid : r.uid);
            reports.push_back(DataReport(0, answer));
        } else if (!collisionAnswer.empty()) {
            for (SimDiscoveryResponder* r : answering)
                ++r->branchesAnswered;
            reports.push_back(DataReport(0, collisionAnswer));
        } else if (collisionsAsGarbledAnswer) {
            std::vector<uint8_t> mixed(24, 0);
            for (SimDiscoveryResponder* r : answering) {
                ++r->branchesAnswered;
                const auto answer = EncodeUniqueBranchAnswer(r->answersWithUid ? r->answersWithUid : r->uid);
                for (size_t i = 0; i < mixed.size(); ++i)
                    mixed[i] |= answer[i];
            }
            reports.push_back(DataReport(0, mixed));
        } else {
            for (SimDiscoveryResponder* r : answering)
                ++r->branchesAnswered;
            reports.push_back(DataReport(1, {}));
        }
        return;
    }
    case 0x0002: { // DISC_MUTE
        ++muteRequests;
        if ((destination & 0xFFFFFFFFu) == 0xFFFFFFFFu) {
            for (SimDiscoveryResponder& r : responders) {
                if (destination != Broadcast && r.uid >> 32 != destination >> 32) continue;
                ++r.mutesReceived;
                r.muted = !r.ignoresMute;
            }
            reports.push_back(DataReport(2, {}));
            return;
        }
        for (SimDiscoveryResponder& r : responders) {
            if (r.uid != destination) continue;
            ++r.mutesReceived;
            r.muted = !r.ignoresMute;
            if (r.neverAcknowledgesMute) break;
            reports.push_back(DataReport(4, MuteAnswer(r.uid)));
            return;
        }
        reports.push_back(DataReport(2, {}));
        return;
    }
    case 0x0003: // DISC_UN_MUTE
        ++unMuteRequests;
        if (destination == Broadcast)
            for (SimDiscoveryResponder& r : responders)
                r.muted = false;
        return;
    default:
        return;
    }
}

bool SimDiscoveryLine::HandlePacket(std::span<const uint8_t> packet,
                                    std::vector<SimDiscoveryReport>& reports) {
    // Link header, then the frame from the START code: 0xCC, 0x01, length,
    // destination (6), source (6), transaction, port, count, sub-device (2),
    // command class, PID (2), PDL, data.
    if (packet.size() < 3 + 24) return false;
    const uint8_t linkType = packet[0] & 0xFC;
    const auto frame = packet.subspan(3);
    if (frame[0] != 0xCC || frame[20] != 0x10) return false; // not a DISCOVERY_COMMAND
    const uint16_t pid = uint16_t(frame[21] << 8 | frame[22]);
    const size_t pdl = std::min<size_t>(frame[23], frame.size() > 24 ? frame.size() - 24 : 0);
    HandleRequest(linkType, ReadUid(frame, 3), pid, frame.subspan(24, pdl), reports);
    return true;
}

void SimDiscoveryLine::AddRandomResponders(int count, uint32_t seed) {
    std::mt19937_64 rng(seed);
    std::set<uint64_t> used;
    for (const SimDiscoveryResponder& r : responders)
        used.insert(r.uid);
    while (count > 0) {
        const uint64_t manufacturer = 1 + rng() % 0x7FFF;
        const uint64_t uid = manufacturer << 32 | (rng() & 0xFFFFFFFFu);
        if ((uid & 0xFFFFFFFFu) == 0xFFFFFFFFu) continue; // the maker's broadcast address
        if (!used.insert(uid).second) continue;
        SimDiscoveryResponder r;
        r.uid = uid;
        responders.push_back(r);
        --count;
    }
}

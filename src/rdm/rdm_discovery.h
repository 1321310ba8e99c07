#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <span>
#include <vector>

// The binary search of E1.20 discovery (DISC_UNIQUE_BRANCH, DISC_MUTE) over
// the UIDs 0001:00000000 .. 7FFF:FFFFFFFF. It is answer-driven: each step sends
// one request and returns; the interface's report of the answer (or of its
// absence) runs the next step.

// Formats a UID as "7FF1:0000002A" and its manufacturer id as "7FF1".
QString FormatRdmUid(uint64_t uid);
QString FormatManufacturerId(uint64_t uid);
// Twelve hexadecimal digits without a colon, as the discovery lines show it.
QString FormatUid12(uint64_t uid);
// True for 0000:00000000 and for the broadcast UIDs FFFF:FFFFFFFF and
// mmmm:FFFFFFFF (every device of one maker): addresses no single device owns.
bool IsNullOrBroadcastUid(uint64_t uid);

struct tDiscoveryRange {
    uint64_t lower = 0;
    uint64_t upper = 0;
    uint64_t mid = 0;   // last UID of the lower half after a split
    uint64_t found = 0; // the UID that answered this range
    uint16_t state = 0; // 0 new .. 6, see DiscoveryStep
};

// What the search needs from the program: a way to send requests, the device
// log, the text table, the device tree, and the hand-over when it is done.
class DiscoveryHost {
public:
    virtual ~DiscoveryHost() = default;
    virtual void SendDiscoveryRequest(uint64_t destination, uint16_t pid, std::span<const uint8_t> data,
                                      uint8_t linkType) = 0;
    virtual void AddDeviceListLine(const QString& text) = 0;
    virtual QString Text(int n) const = 0;
    // A device was found, muted and listed: put it into the tree.
    virtual void AddFoundDevice(uint64_t uid) = 0;
    // The search is over (the count line is written); count devices were found.
    virtual void DiscoveryFinished(uint16_t count) = 0;
};

enum : uint16_t {
    DiscoveryReplyNoAck = 0,
    DiscoveryReplyUid = 1,
    DiscoveryReplyNone = 2,
    DiscoveryReplyCollision = 3,
};

class RdmDiscovery {
public:
    static constexpr int StackSize = 100;
    static constexpr int MaxUids = 1001;
    static constexpr uint64_t FirstUid = 0x0001'00000000ull;
    static constexpr uint64_t LastUid = 0x7FFF'FFFFFFFFull;
    // A UID whose mute went unanswered in this many branches is not muted again in the run.
    static constexpr int MuteFailuresMax = 2;
    // Requests in a row that list no new device before the search gives up.
    // A line of devices that follow the rules lists its next device within a
    // few hundred requests, even with UIDs that differ only in their last bit.
    static constexpr int RequestsWithoutDeviceMax = 1000;
    // Asks of one request in a row that got no report by their deadline.
    static constexpr int AsksUnansweredMax = 20;

    explicit RdmDiscovery(DiscoveryHost& host) : host(host) {}

    std::array<tDiscoveryRange, StackSize> DiscoveryStack{};
    int32_t DiscoveryTop = -1;
    std::array<uint64_t, MaxUids> DiscoveredUids{};
    uint16_t DiscoveredCount = 0;
    uint16_t DiscoveryReply = 0;
    uint64_t FoundUid = 0;
    uint64_t MuteUid = 0;
    uint8_t MuteTries = 0;
    // Requests sent since the last device was listed (or the run began).
    int RequestsSinceListed = 0;
    // Asks of the current request that got no report by their deadline.
    int AsksUnanswered = 0;

    void StartDiscovery();
    void DiscoveryStep();
    // One input report from its type byte on, as the link received it.
    void HandleDiscoveryReport(std::span<const uint8_t> report);
    // No report came for the search's last request by its deadline: it never
    // left the queue, or its report is late or lost. That tells nothing of
    // the line, so the same request is asked again; after AsksUnansweredMax
    // asks with no report at all, the run ends without a count.
    void NoReport();
    void SendDiscUniqueBranch(uint64_t lower, uint64_t upper);
    // `anotherTry` false: the same try again, its request having had no report.
    void SendDiscMute(uint64_t uid, bool anotherTry = true);
    bool IsUidKnown(uint64_t uid) const;

    // Appends a UID to DiscoveredUids; false when the list is full.
    bool AppendDiscoveredUid(uint64_t uid);

    // True when the UID's mute went unanswered in MuteFailuresMax branches of this run.
    bool MuteGivenUp(uint64_t uid) const;

    // True from StartDiscovery until the search has ended.
    bool Searching() const { return DiscoveryTop >= 0; }

    // Decodes the DISC_UNIQUE_BRANCH answer in the data bytes of a subtype-0
    // report: the UID, or nothing when the answer is garbled (a collision).
    static bool DecodeUniqueBranchAnswer(std::span<const uint8_t> data, uint64_t& uid);

private:
    bool Push(uint64_t lower, uint64_t upper);
    void EndSearch(const QString& why);
    void NoteMuteFailure(uint64_t uid);

    struct MuteFailure {
        uint64_t uid = 0;
        int branches = 0; // branches in which all its mutes went unanswered
    };
    std::vector<MuteFailure> muteFailures; // of this run, in the order first seen

    DiscoveryHost& host;
};

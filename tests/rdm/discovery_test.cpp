#include <gtest/gtest.h>

#include <QStringList>
#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <utility>

#include "rdm/rdm_discovery.h"
#include "support/sim/rdm_any_range_responder.h"
#include "support/sim/rdm_discovery_line.h"
#include "support/sim/rdm_unmutable_responder.h"
#include "support/test_helpers.h"

namespace {
// Runs the search against the simulated line, answering each request at once.
class LineHost : public DiscoveryHost {
public:
    SimDiscoveryLine line;
    RdmDiscovery discovery{*this};
    QStringList log;
    int finishedCalls = 0;
    std::deque<SimDiscoveryReport> pending;
    int requests = 0;
    std::vector<uint64_t> muted; // destinations of the DISC_MUTEs, in order

    // Says which requests (numbered from 1) get no report by their deadline.
    std::function<bool(int request, uint16_t pid)> unanswered;
    bool deadline = false;

    void SendDiscoveryRequest(uint64_t destination, uint16_t pid, std::span<const uint8_t> data,
                              uint8_t linkType) override {
        ++requests;
        if (pid == 0x0002) muted.push_back(destination);
        std::vector<SimDiscoveryReport> reports;
        line.HandleRequest(linkType, destination, pid, data, reports);
        if (unanswered && unanswered(requests, pid)) {
            deadline = true;
            return;
        }
        pending.insert(pending.end(), reports.begin(), reports.end());
    }
    void AddDeviceListLine(const QString& text) override { log << text; }
    QString Text(int n) const override {
        static const std::map<int, QString> texts{
            {51, "Disc.branch"},  {52, "Mute device"},     {109, "To list"},
            {110, "No answer"},   {111, "Found"},          {112, "More device answered"},
            {113, "Acknoledged"}, {114, "No acknoledged"}, {115, "Number of discovered units"}};
        return texts.at(n);
    }
    void AddFoundDevice(uint64_t) override {}
    void DiscoveryFinished(uint16_t) override { ++finishedCalls; }

    void Run() {
        discovery.StartDiscovery();
        for (int guard = 0; (deadline || !pending.empty()) && ++guard < 1'000'000;) {
            if (std::exchange(deadline, false)) {
                discovery.NoReport();
                continue;
            }
            const SimDiscoveryReport r = pending.front();
            pending.pop_front();
            discovery.HandleDiscoveryReport(r);
        }
    }
    std::set<uint64_t> Found() const {
        return {discovery.DiscoveredUids.begin(),
                discovery.DiscoveredUids.begin() + discovery.DiscoveredCount};
    }
};
} // namespace

TEST(Discovery, UidTextsAreZeroPadded) {
    EXPECT_EQ(FormatRdmUid(Uid(0x7FF1, 42)), "7FF1:0000002A");
    EXPECT_EQ(FormatManufacturerId(Uid(0x00AB, 1)), "00AB");
    EXPECT_EQ(FormatUid12(Uid(0x7FF3, 0x05CA03B7)), "7FF305CA03B7");
}

TEST(Discovery, KnownSingleUidIsDroppedWithoutRequest) {
    LineHost h;
    h.discovery.AppendDiscoveredUid(Uid(0x7FF3, 7));
    h.discovery.DiscoveryTop = 0;
    h.discovery.DiscoveryStack[0] = tDiscoveryRange{Uid(0x7FF3, 7), Uid(0x7FF3, 7), 0, 0, 0};
    h.discovery.DiscoveryStep();
    EXPECT_EQ(h.requests, 0);
    EXPECT_FALSE(h.discovery.Searching());
}

// Every answer is read only within the bytes that came; 17 bytes decode only with 0xAA first.
TEST(Discovery, BranchAnswersOfEveryShapeAreReadWithinTheirBytes) {
    const auto answer = SimDiscoveryLine::EncodeUniqueBranchAnswer(Uid(0x7FF3, 1));
    const std::vector<uint8_t> tight(answer.begin() + 7, answer.end()); // 0xAA and 16 encoded bytes
    std::vector<uint8_t> late{0xFE}; // a preamble byte and the whole answer
    late.insert(late.end(), tight.begin(), tight.end());
    auto flipped = answer;
    flipped[10] ^= 0x01;
    auto report = [](uint8_t subtype, uint8_t count, const std::vector<uint8_t>& data) {
        std::vector<uint8_t> r{11, subtype, count, 0};
        r.insert(r.end(), data.begin(), data.end());
        return r;
    };
    const struct {
        std::vector<uint8_t> report;
        QString line;
    } cases[] = {
        {report(0, uint8_t(answer.size()), answer), "Found: 7FF300000001"},
        {report(0, 17, tight), "Found: 7FF300000001"},
        {report(0, 17, {late.begin(), late.end() - 1}), "More device answered"},
        {report(0, 17, late), "More device answered"}, // the count leaves the last byte out
        {report(0, uint8_t(flipped.size()), flipped), "More device answered"},
        {report(0, 1, {0}), "No answer"},
        {report(0, 5, {1, 2, 3, 4, 5}), "More device answered"},
        {report(0, 255, tight), "Found: 7FF300000001"}, // a count past the bytes that came
        {report(0, 200, {0xAA, 1, 2}), "More device answered"},
        {report(1, 0, {}), "More device answered"},
        {report(2, 0, {}), "No answer"},
        {{11, 2, 0}, "No answer"}, // no room for data at all
    };
    for (const auto& c : cases) {
        LineHost h;
        h.discovery.StartDiscovery();
        h.log.clear();
        h.discovery.HandleDiscoveryReport(c.report);
        ASSERT_FALSE(h.log.isEmpty());
        EXPECT_EQ(h.log.front(), c.line);
    }
    // The shortest mute answer that still holds its command class.
    LineHost m;
    m.discovery.StartDiscovery();
    m.discovery.HandleDiscoveryReport(report(0, uint8_t(answer.size()), answer));
    std::vector<uint8_t> ack(24, 0);
    ack[0] = 11, ack[1] = 4, ack[2] = 20, ack[23] = 0x11; // the command class
    m.log.clear();
    m.discovery.HandleDiscoveryReport(ack);
    ASSERT_FALSE(m.log.isEmpty());
    EXPECT_EQ(m.log.front(), "Acknoledged: 7FF300000001");
    // Truncated reports and foreign types are ignored.
    LineHost h;
    h.discovery.StartDiscovery();
    h.log.clear();
    const uint8_t shortReport[] = {11, 0}, credit[] = {10, 64, 0, 0};
    h.discovery.HandleDiscoveryReport(shortReport);
    h.discovery.HandleDiscoveryReport(credit);
    EXPECT_TRUE(h.log.isEmpty());
}

// Lines with a responder that breaks the discovery rules: the search always
// ends, lists every device that can be muted once, and names what it gave up.
TEST(Discovery, MisbehavingRespondersCannotKeepTheSearchGoing) {
    const uint64_t broken = Uid(0x4000, 0x1234);
    struct Row {
        const char* name;
        SimDiscoveryResponder responder;
        bool listed;          // the broken responder ends up listed
        int mutesAtMost;      // DISC_MUTEs it gets
        int requestsAtMost;   // all requests of the run
        QStringList warnings; // the lines that name the fault
    };
    SimDiscoveryResponder foreignClaim{Uid(0x2000, 0x100)};
    foreignClaim.answersWithUid = Uid(0x7FFF, 1); // claims a UID nobody has
    // The last UID a device can own (7FFF:FFFFFFFF addresses all of its maker's):
    // it acknowledges its mute and answers on.
    SimDiscoveryResponder deafLast{RdmDiscovery::LastUid - 1};
    deafLast.ignoresMute = true;
    // clang-format off
    const Row rows[] = {
        {"answers every branch", AnyRangeResponder(broken), true, 1, 100, {}},
        {"never mutes", UnmutableResponder(broken), false, 6, 200,
         {"Device does not answer its mute: 4000:00001234"}},
        {"keeps answering at the last UID", deafLast, true, 1, 200, {}},
        {"claims another UID", foreignClaim, true, 1, 200, {"Device does not answer its mute: 7FFF:00000001"}},
        {"never mutes, answers every branch", UnmutableResponder(broken, true), false, 6,
         RdmDiscovery::RequestsWithoutDeviceMax + 20,
         {"Discovery stopped: a device on the line does not follow the discovery rules",
          "Device does not answer its mute: 4000:00001234"}},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LineHost h;
        h.line.AddRandomResponders(9, 16);
        h.line.responders.push_back(row.responder);
        h.Run();
        ASSERT_FALSE(h.discovery.Searching());
        EXPECT_EQ(h.finishedCalls, 1);
        EXPECT_LE(h.requests, row.requestsAtMost);
        EXPECT_LE(h.line.responders.back().mutesReceived, row.mutesAtMost);
        EXPECT_EQ(h.log.filter("does not"), row.warnings);
        if (row.responder.answersEveryBranch && row.responder.ignoresMute) continue; // nothing can be found
        std::set<uint64_t> expected;
        for (const auto& r : h.line.responders)
            if (r.uid != broken || row.listed) expected.insert(r.uid);
        EXPECT_EQ(h.Found(), expected);
        EXPECT_EQ(h.log.back(), QString("Number of discovered units: %1").arg(expected.size()));
        // A line that names an unanswered mute names the UID that was muted.
        QString muted;
        for (const QString& line : h.log) {
            if (line.startsWith("Mute device: ")) muted = line.mid(13).remove(':');
            if (line.startsWith("No acknoledged: ")) {
                EXPECT_EQ(line.mid(16), muted);
            }
        }
    }
}

// An answer that decodes to no UID or to a broadcast one comes from several
// devices at once (their mix passed the checksum) or from a broken one: it is
// split like a collision and never muted, for a mute there would silence
// every device, or every device of a maker.
TEST(Discovery, AnAnswerFromANullOrBroadcastUidIsSplitNotMuted) {
    const uint64_t addresses[] = {0, 0xFFFF'FFFFFFFFull, Uid(0x4A4A, 0xFFFFFFFF)};
    const uint64_t good[] = {Uid(0x4A4A, 1), Uid(0x4A4A, 0x80000000), Uid(0x4A4A, 0xFFFFFFFE), Uid(0x1000, 5),
                             Uid(0x7FF0, 0x00ABCDEF)};
    for (const uint64_t address : addresses) {
        for (const bool fromCollisions : {true, false}) {
            SCOPED_TRACE(FormatRdmUid(address).toStdString() +
                         (fromCollisions ? " from collisions" : " from one device"));
            LineHost h;
            for (const uint64_t uid : good)
                h.line.responders.push_back(SimDiscoveryResponder{uid});
            const auto answer = SimDiscoveryLine::EncodeUniqueBranchAnswer(address);
            if (fromCollisions) {
                h.line.collisionAnswer = answer;
            } else {
                SimDiscoveryResponder odd{Uid(0x4A4A, 0x77)};
                odd.branchAnswer = answer;
                h.line.responders.push_back(odd);
            }
            h.Run();
            ASSERT_FALSE(h.discovery.Searching());
            std::set<uint64_t> expected;
            for (const auto& r : h.line.responders)
                expected.insert(r.uid);
            EXPECT_EQ(h.Found(), expected);
            EXPECT_EQ(std::count(h.muted.begin(), h.muted.end(), address), 0);
            for (const auto& r : h.line.responders)
                EXPECT_EQ(r.mutesReceived, 1) << FormatRdmUid(r.uid).toStdString();
            EXPECT_TRUE(h.log.filter("Found: " + FormatUid12(address)).isEmpty());
            EXPECT_TRUE(h.log.filter("stopped").isEmpty());
            EXPECT_EQ(h.log.back(), QString("Number of discovered units: %1").arg(expected.size()));
        }
    }
}

// Lines whose devices all follow the rules, laid out to make the search go
// deep and wide between two finds: every device is listed, and the longest
// run of requests without a new device stays far from the limit that ends a
// run broken by a responder.
TEST(Discovery, TheLimitForBrokenLinesIsFarFromWhatAGoodLineNeeds) {
    const uint64_t base = Uid(0x4000, 0x5555AAAA);
    struct Row {
        const char* name;
        std::vector<uint64_t> uids;
        int randomCount;
    };
    std::vector<uint64_t> oneBitApart{base};
    for (int bit = 0; bit < 47; ++bit)
        if (const uint64_t u = base ^ (uint64_t(1) << bit); u >= RdmDiscovery::FirstUid)
            oneBitApart.push_back(u);
    // The search runs up to 7FFF:FFFFFFFF, but that UID addresses every device of its maker.
    const uint64_t first = RdmDiscovery::FirstUid, last = RdmDiscovery::LastUid - 1;
    const Row rows[] = {
        {"both ends of the UID space, in pairs one apart", {first, first + 1, last - 1, last}, 0},
        {"one device at the last UID", {last}, 0},
        {"one device per bit apart from another", oneBitApart, 0},
        {"500 random", {}, 500},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        LineHost h;
        for (uint64_t uid : row.uids)
            h.line.responders.push_back(SimDiscoveryResponder{uid});
        if (row.randomCount) h.line.AddRandomResponders(row.randomCount, 11);
        h.Run();
        std::set<uint64_t> expected;
        for (const auto& r : h.line.responders)
            expected.insert(r.uid);
        EXPECT_EQ(h.Found(), expected);
        EXPECT_TRUE(h.log.filter("does not").isEmpty());
        int gap = 0, longest = 0;
        for (const QString& line : h.log) {
            if (line.startsWith("Disc.branch") || line.startsWith("Mute device"))
                longest = std::max(longest, ++gap);
            if (line.startsWith("To list")) gap = 0;
        }
        EXPECT_LT(longest, RdmDiscovery::RequestsWithoutDeviceMax / 4);
    }
}

TEST(Discovery, TheUidListIsNeverWrittenPastItsEnd) {
    LineHost h;
    h.line.AddRandomResponders(RdmDiscovery::MaxUids + 5, 7);
    h.Run();
    EXPECT_EQ(h.discovery.DiscoveredCount, RdmDiscovery::MaxUids);
    EXPECT_FALSE(h.discovery.AppendDiscoveredUid(1));
    EXPECT_EQ(h.finishedCalls, 1);
    EXPECT_TRUE(h.log.contains("Discovery stopped: the list of devices is full"));
    EXPECT_EQ(h.log.back(), QString("Number of discovered units: %1").arg(RdmDiscovery::MaxUids));
}

TEST(Discovery, TheRangeStackIsNeverWrittenPastItsEnd) {
    LineHost h;
    RdmDiscovery& d = h.discovery;
    // A search 100 ranges deep whose innermost range collides.
    for (int i = 0; i < RdmDiscovery::StackSize; ++i)
        d.DiscoveryStack[i] = tDiscoveryRange{Uid(0x0001, 0), Uid(0x0001, 0x1000), Uid(0x0001, 0x800), 0, 4};
    d.DiscoveryTop = RdmDiscovery::StackSize - 1;
    d.DiscoveryStack[d.DiscoveryTop].state = 2;
    d.HandleDiscoveryReport(SimDiscoveryLine::DataReport(1, {}));
    EXPECT_FALSE(d.Searching());
    EXPECT_TRUE(h.log.contains("Discovery stopped: too many ranges to search"));
    EXPECT_EQ(h.log.back(), "Number of discovered units: 0");
    EXPECT_EQ(h.finishedCalls, 1);
}

// A deadline is no report: the search asks the same request again, prunes
// nothing, and finds every device with one more request per deadline. Only
// when one request is asked twenty times with no report at all does the run
// end, with a line that says so and no count of a line nobody searched.
TEST(Discovery, ADeadlineAsksTheSameRequestAgain) {
    struct Row {
        const char* name;
        std::function<bool(int request, uint16_t pid)> unanswered;
        int more;      // requests beyond a run that gets every report
        bool searched; // the run ends with its count
    };
    std::shared_ptr<int> mutes = std::make_shared<int>(0);
    const Row rows[] = {
        {"the first branch's report", [](int n, uint16_t) { return n == 1; }, 1, true},
        {"a mute's report", [mutes](int, uint16_t pid) { return pid == 0x0002 && ++*mutes == 1; }, 1, true},
        {"a later branch's report twice", [](int n, uint16_t) { return n == 6 || n == 7; }, 2, true},
        {"nineteen reports of one branch", [](int n, uint16_t) { return n <= 19; }, 19, true},
        {"every report", [](int, uint16_t) { return true; }, 0, false},
    };
    LineHost all;
    all.line.AddRandomResponders(5, 37);
    all.Run();
    ASSERT_EQ(all.discovery.DiscoveredCount, 5);
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        *mutes = 0;
        LineHost h;
        h.line.AddRandomResponders(5, 37);
        h.unanswered = row.unanswered;
        h.Run();
        ASSERT_FALSE(h.discovery.Searching());
        EXPECT_EQ(h.finishedCalls, 1);
        if (!row.searched) {
            EXPECT_EQ(h.requests, RdmDiscovery::AsksUnansweredMax);
            EXPECT_EQ(h.log.filter("Disc.branch:0001:00000000-7FFF:FFFFFFFF").size(),
                      RdmDiscovery::AsksUnansweredMax);
            EXPECT_EQ(h.log.back(), "Discovery stopped: the USB interface did not take or answer the search");
            EXPECT_TRUE(h.log.filter("Number of discovered units").isEmpty());
            continue;
        }
        EXPECT_EQ(h.Found(), all.Found());
        EXPECT_EQ(h.requests, all.requests + row.more);
        EXPECT_EQ(h.log.filter("test_cnt").size(), all.log.filter("test_cnt").size())
            << "a mute that got no report is not counted unacknowledged";
        EXPECT_EQ(h.log.back(), "Number of discovered units: 5");
    }
}

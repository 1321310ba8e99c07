#include <gtest/gtest.h>

#include <QStringList>
#include <deque>
#include <map>

#include "rdm/rdm_discovery.h"
#include "support/sim/rdm_discovery_line.h"

namespace {
// Runs the search against the simulated line, answering each request at once.
class LineHost : public DiscoveryHost {
public:
    SimDiscoveryLine line;
    RdmDiscovery discovery{*this};
    QStringList log;
    std::vector<uint64_t> treeAdds;
    int finishedCalls = 0;
    uint16_t finishedCount = 0;
    std::deque<SimDiscoveryReport> pending;
    int requests = 0;

    void SendDiscoveryRequest(uint64_t destination, uint16_t pid, std::span<const uint8_t> data,
                              uint8_t linkType) override {
        ++requests;
        std::vector<SimDiscoveryReport> reports;
        line.HandleRequest(linkType, destination, pid, data, reports);
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
    void AddFoundDevice(uint64_t uid) override { treeAdds.push_back(uid); }
    void DiscoveryFinished(uint16_t count) override {
        ++finishedCalls;
        finishedCount = count;
    }

    void Run() {
        discovery.StartDiscovery();
        Pump();
    }
    void Pump() {
        int guard = 0;
        while (!pending.empty() && ++guard < 1'000'000) {
            const SimDiscoveryReport r = pending.front();
            pending.pop_front();
            discovery.HandleDiscoveryReport(r);
        }
    }
    std::set<uint64_t> Found() const {
        return {discovery.DiscoveredUids.begin(),
                discovery.DiscoveredUids.begin() + discovery.DiscoveredCount};
    }
    SimDiscoveryResponder& Add(uint64_t uid) {
        line.responders.push_back(SimDiscoveryResponder{uid});
        return line.responders.back();
    }
};

constexpr uint64_t Uid(uint16_t manufacturer, uint32_t device) {
    return uint64_t(manufacturer) << 32 | device;
}
} // namespace

TEST(DiscoveryFormat, UidTexts) {
    EXPECT_EQ(FormatRdmUid(Uid(0x7FF1, 42)), "7FF1:0000002A");
    EXPECT_EQ(FormatManufacturerId(Uid(0x00AB, 1)), "00AB");
    EXPECT_EQ(FormatUid12(Uid(0x7FF3, 0x05CA03B7)), "7FF305CA03B7");
}

TEST(Discovery, SingleDeviceIsMutedListedAndTheRangeSearchedAgain) {
    LineHost h;
    h.Add(Uid(0x7FF3, 0x00000001));
    h.Run();
    const QStringList expected{
        "Disc.branch:0001:00000000-7FFF:FFFFFFFF",
        "Found: 7FF300000001",
        "Mute device: 7FF3:00000001",
        "Acknoledged: 7FF300000001",
        "test_cnt: 1",
        "To list: 1 - 7FF3:00000001",
        "Disc.branch:0001:00000000-7FFF:FFFFFFFF",
        "No answer",
        "Number of discovered units: 1",
    };
    EXPECT_EQ(h.log, expected);
    EXPECT_EQ(h.treeAdds, std::vector<uint64_t>{Uid(0x7FF3, 1)});
    EXPECT_EQ(h.finishedCalls, 1);
    EXPECT_EQ(h.finishedCount, 1);
    EXPECT_FALSE(h.discovery.Searching());
}

TEST(Discovery, NoDeviceEndsWithCountZero) {
    LineHost h;
    h.Run();
    EXPECT_EQ(h.log, (QStringList{"Disc.branch:0001:00000000-7FFF:FFFFFFFF", "No answer",
                                  "Number of discovered units: 0"}));
    EXPECT_EQ(h.finishedCalls, 1);
    EXPECT_EQ(h.finishedCount, 0);
    // A stray report after the end starts nothing and writes nothing.
    h.discovery.HandleDiscoveryReport(SimDiscoveryLine::DataReport(2, {}));
    EXPECT_EQ(h.log.size(), 3);
    EXPECT_EQ(h.finishedCalls, 1);
}

TEST(Discovery, CollidingDevicesAreSplitUntilEachAnswersAlone) {
    for (bool garbled : {false, true}) {
        LineHost h;
        h.line.collisionsAsGarbledAnswer = garbled;
        h.Add(Uid(0x7FF3, 0x10));
        h.Add(Uid(0x7FF3, 0x11));
        h.Add(Uid(0x0101, 0xFFFFFFFF));
        h.Run();
        EXPECT_EQ(h.Found(),
                  (std::set<uint64_t>{Uid(0x7FF3, 0x10), Uid(0x7FF3, 0x11), Uid(0x0101, 0xFFFFFFFF)}));
        EXPECT_EQ(h.discovery.DiscoveredCount, 3) << "each listed once";
        EXPECT_TRUE(h.log.contains("More device answered"));
        EXPECT_EQ(h.log.back(), "Number of discovered units: 3");
        for (const auto& r : h.line.responders)
            EXPECT_TRUE(r.muted);
    }
}

TEST(Discovery, MuteNeverAcknowledgedIsTriedThreeTimesThenSplit) {
    LineHost h;
    auto& deaf = h.Add(Uid(0x1234, 0x00000005));
    deaf.neverAcknowledgesMute = true;
    h.Add(Uid(0x7FF3, 0x00000009));
    h.Run();
    // The first answer in the whole range comes from two devices; find the first mute run.
    const int first = h.log.indexOf("Mute device: 1234:00000005");
    ASSERT_GE(first, 0);
    EXPECT_EQ(h.log.mid(first, 9),
              (QStringList{"Mute device: 1234:00000005", "No acknoledged: 123400000005", "test_cnt: 1",
                           "Mute device: 1234:00000005", "No acknoledged: 123400000005", "test_cnt: 2",
                           "Mute device: 1234:00000005", "No acknoledged: 123400000005", "test_cnt: 3"}));
    // Then the range is split as a collision: the next request is a branch over its lower half.
    EXPECT_TRUE(h.log[first + 9].startsWith("Disc.branch:"));
    // The search ends (the deaf device is given up), and the other device is found.
    EXPECT_EQ(h.Found(), (std::set<uint64_t>{Uid(0x7FF3, 9)}));
    EXPECT_EQ(h.finishedCalls, 1);
    EXPECT_LT(h.requests, 2000);
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

TEST(Discovery, SameManufacturerDevicesAndASecondManufacturerAreEachListedOnce) {
    LineHost h;
    h.Add(Uid(0x7FF3, 0x03F0CF64));
    h.Add(Uid(0x7FF3, 0x042DD93A));
    h.Add(Uid(0x0808, 0x00000001));
    h.Run();
    ASSERT_EQ(h.treeAdds.size(), 3u);
    EXPECT_EQ(std::set<uint64_t>(h.treeAdds.begin(), h.treeAdds.end()), h.Found());
}

TEST(Discovery, BranchAnswerDecoding) {
    const auto answer = SimDiscoveryLine::EncodeUniqueBranchAnswer(Uid(0x7FF3, 0x05CA03B7));
    uint64_t uid = 0;
    ASSERT_TRUE(RdmDiscovery::DecodeUniqueBranchAnswer(answer, uid));
    EXPECT_EQ(uid, Uid(0x7FF3, 0x05CA03B7));

    // Exactly 17 bytes: 0xAA first decodes, 0xAA second does not leave 16 bytes behind it.
    std::vector<uint8_t> tight(answer.begin() + 7, answer.end());
    ASSERT_EQ(tight.size(), 17u);
    EXPECT_TRUE(RdmDiscovery::DecodeUniqueBranchAnswer(tight, uid));
    std::vector<uint8_t> late{0xFE};
    late.insert(late.end(), tight.begin(), tight.end() - 1);
    ASSERT_EQ(late.size(), 17u);
    EXPECT_FALSE(RdmDiscovery::DecodeUniqueBranchAnswer(late, uid));

    // One flipped bit breaks the checksum.
    auto broken = answer;
    broken[10] ^= 0x01;
    EXPECT_FALSE(RdmDiscovery::DecodeUniqueBranchAnswer(broken, uid));
}

TEST(Discovery, ReportsOfEveryShapeAreReadWithinTheirBytes) {
    const auto answer = SimDiscoveryLine::EncodeUniqueBranchAnswer(Uid(0x7FF3, 1));
    std::vector<uint8_t> tight(answer.begin() + 7, answer.end());
    struct Case {
        std::vector<uint8_t> report;
        QString line;
    };
    std::vector<Case> cases;
    auto report = [](uint8_t subtype, uint8_t count, std::vector<uint8_t> data) {
        std::vector<uint8_t> r{11, subtype, count, 0};
        r.insert(r.end(), data.begin(), data.end());
        return r;
    };
    cases.push_back({report(0, 17, tight), "Found: 7FF300000001"});
    std::vector<uint8_t> late{0xFE};
    late.insert(late.end(), tight.begin(), tight.end() - 1);
    cases.push_back({report(0, 17, late), "More device answered"});
    cases.push_back({report(0, 1, {0}), "No answer"});
    cases.push_back({report(0, 5, {1, 2, 3, 4, 5}), "More device answered"});
    // A count larger than the bytes that came: only what came is read.
    cases.push_back({report(0, 255, tight), "Found: 7FF300000001"});
    cases.push_back({report(0, 200, {0xAA, 1, 2}), "More device answered"});
    cases.push_back({report(1, 0, {}), "More device answered"});
    cases.push_back({report(2, 0, {}), "No answer"});
    for (const Case& c : cases) {
        LineHost h;
        h.discovery.StartDiscovery();
        h.pending.clear();
        h.log.clear();
        h.discovery.HandleDiscoveryReport(c.report);
        ASSERT_FALSE(h.log.isEmpty());
        EXPECT_EQ(h.log.front(), c.line);
    }
    // Truncated reports and foreign types are ignored without reading past them.
    LineHost h;
    h.discovery.StartDiscovery();
    h.log.clear();
    const uint8_t shortReport[] = {11, 0};
    h.discovery.HandleDiscoveryReport(shortReport);
    const uint8_t credit[] = {10, 64, 0, 0};
    h.discovery.HandleDiscoveryReport(credit);
    EXPECT_TRUE(h.log.isEmpty());
}

TEST(Discovery, AnswerWithAUidOutsideTheRangeCountsAsACollision) {
    LineHost h;
    auto& liar = h.Add(Uid(0x2000, 0x00000100));
    liar.answersWithUid = Uid(0x7FFF, 0x00000001); // inside the first range, outside every later one
    h.Run();
    // The claimed UID lies in the whole range: it is muted, nobody acknowledges, and the range splits.
    EXPECT_EQ(h.log.mid(0, 3), (QStringList{"Disc.branch:0001:00000000-7FFF:FFFFFFFF", "Found: 7FFF00000001",
                                            "Mute device: 7FFF:00000001"}));
    // In the lower half the same claim lies outside the range: it is split again, nobody is muted.
    const int half = h.log.indexOf("Disc.branch:0001:00000000-4000:7FFFFFFF");
    ASSERT_GT(half, 0);
    EXPECT_EQ(h.log.mid(half + 1, 2),
              (QStringList{"Found: 7FFF00000001", "Disc.branch:0001:00000000-2000:BFFFFFFF"}));
    EXPECT_EQ(h.finishedCalls, 1);
    // Split down to its own UID, the device acknowledges its mute and is listed under it alone.
    EXPECT_EQ(h.Found(), (std::set<uint64_t>{Uid(0x2000, 0x00000100)}));
    EXPECT_EQ(h.discovery.DiscoveredCount, 1);
}

TEST(Discovery, HundredRandomDevicesAreAllFoundExactlyOnce) {
    LineHost h;
    h.line.AddRandomResponders(100, 2026);
    h.Run();
    std::set<uint64_t> expected;
    for (const auto& r : h.line.responders)
        expected.insert(r.uid);
    EXPECT_EQ(h.discovery.DiscoveredCount, 100);
    EXPECT_EQ(h.Found(), expected);
    EXPECT_EQ(h.treeAdds.size(), 100u);
    EXPECT_EQ(h.finishedCount, 100);
}

TEST(Discovery, TheUidListIsNeverWrittenPastItsEnd) {
    LineHost h;
    h.line.AddRandomResponders(RdmDiscovery::MaxUids + 5, 7);
    h.Run();
    EXPECT_EQ(h.discovery.DiscoveredCount, RdmDiscovery::MaxUids);
    EXPECT_EQ(h.finishedCalls, 1);
    EXPECT_EQ(h.finishedCount, RdmDiscovery::MaxUids);
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

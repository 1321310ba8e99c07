#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include "discovery_scan_fixture.h"
#include "rdm/rdm_ops.h"
#include "views/rdm_scan.h"

namespace {

// How a misbehaving responder of a line of five stays silent.
enum class Silence {
    Whole,           // answers no GET at all
    AfterDeviceInfo, // answers DEVICE_INFO, then nothing more
    SubDevice,       // the device is fine; its first sub-device answers nothing
    RuntAlways,      // answers DEVICE_INFO, then every SOFTWARE_VERSION_LABEL with six bytes
    RuntOnce,        // the first SOFTWARE_VERSION_LABEL answer is six bytes, the next whole
    RootWithSubs,    // answers DEVICE_INFO announcing two sub-devices, then nothing more
};

struct SilentCase {
    const char* name;
    std::vector<int> silentDevices; // 0..4 in line order
    Silence how;
    std::vector<const char*> leftLines; // the lines that say which devices were left
    // Discovery runs once before, and silent polls leave the retry count at its limit.
    bool rescanAfterSilentPolls = false;
};

// Requests that the scan sends to a responder that answers everything.
const std::vector<uint16_t> FullChain = {0x0060, 0x00C0, 0x00F0, 0x1000, 0x0050, 0x0080};

// Answers a GET of SOFTWARE_VERSION_LABEL with a frame cut to six bytes, `times` times (-1: always).
std::function<std::optional<SimRdmResponder::Reply>(SimRdmResponder&, uint8_t, uint16_t,
                                                    std::span<const uint8_t>)>
RuntLabel(int times) {
    return [left = times](SimRdmResponder&, uint8_t cc, uint16_t pid,
                          std::span<const uint8_t>) mutable -> std::optional<SimRdmResponder::Reply> {
        if (cc != RdmGetCommand || pid != 0x00C0 || left == 0) return std::nullopt;
        if (left > 0) --left;
        SimRdmResponder::Reply runt;
        runt.data = {'v', '.', '1'};
        runt.cutTo = 6;
        return runt;
    };
}

class SilentScan : public DiscoveryScanTest, public ::testing::WithParamInterface<SilentCase> {
protected:
    // A device of the first run only (see ScanThenPollSilence).
    static constexpr uint64_t GoneUid = 0x7FF3'00000099ull;
    static uint64_t DeviceUid(int i) { return Uid(0x7FF3, uint32_t(i + 1)); }
    // The root responder of a UID.
    SimRdmResponder& Root(uint64_t uid) {
        return *std::find_if(devices.begin(), devices.end(),
                             [uid](const SimRdmResponder& d) { return d.uid == uid && d.subDevice == 0; });
    }
    static bool Silent(int i) {
        const auto& s = GetParam().silentDevices;
        return std::find(s.begin(), s.end(), i) != s.end();
    }

    // Five devices, each at DMX address 10 × its number, with the silent
    // responders the case says. Returns them; `subs` gets sub-device
    // responders that the scan must leave alone.
    std::vector<SimRdmResponder*> BuildLine(std::vector<SimRdmResponder*>& subs) {
        const SilentCase& c = GetParam();
        std::vector<SimRdmResponder*> silent;
        for (int i = 0; i < 5; ++i) {
            const bool withSubs =
                (c.how == Silence::SubDevice || c.how == Silence::RootWithSubs) && Silent(i);
            auto& d = Device(DeviceUid(i));
            simdev::Basic(d, 1, "D", "M", {0x0080}, 0, 0, withSubs ? 2 : 0, uint16_t(10 * (i + 1)));
            d.settable.insert(0x00F0);
            if (!Silent(i)) continue;
            if (c.how == Silence::Whole) d.silent = true;
            if (c.how == Silence::AfterDeviceInfo || c.how == Silence::RootWithSubs) {
                d.extension = [](SimRdmResponder&, uint8_t cc, uint16_t pid,
                                 std::span<const uint8_t>) -> std::optional<SimRdmResponder::Reply> {
                    if (cc == RdmGetCommand && pid == 0x0060) return std::nullopt;
                    SimRdmResponder::Reply quiet;
                    quiet.silent = true;
                    return quiet;
                };
            }
            if (c.how == Silence::RuntAlways) d.extension = RuntLabel(-1);
            if (c.how == Silence::RuntOnce) d.extension = RuntLabel(1);
            if (c.how != Silence::SubDevice) silent.push_back(&d);
            if (withSubs) {
                for (uint16_t n : {1, 2}) {
                    auto& sub = Device(DeviceUid(i), n);
                    simdev::Basic(sub, 1, "Sub", "M", {0x0080}, 0, 0, 0, uint16_t(100 + n));
                    if (c.how == Silence::RootWithSubs) {
                        subs.push_back(&sub);
                    } else if (n == 1) {
                        sub.silent = true;
                        silent.push_back(&sub);
                    }
                }
            }
        }
        return silent;
    }

    // A discovery, then GETs to a device that has gone quiet until the
    // retry count is at its limit: the next scan must not start with it.
    void ScanThenPollSilence() {
        const uint64_t quiet = GoneUid;
        auto& gone = Device(quiet);
        simdev::Basic(gone, 1, "Gone", "M", {});
        ASSERT_NO_FATAL_FAILURE(Discover());
        gone.silent = true;
        for (int k = 0; k < 25; ++k) {
            dm->SendRdmRequest(0, RdmGetCommand, quiet, 0x0201, 0, {}, RdmLinkTypeRequest);
            Settle();
        }
        ASSERT_EQ(St().RdmRetryCount, 20);
        line->discovery.responders.erase(
            std::find_if(line->discovery.responders.begin(), line->discovery.responders.end(),
                         [&](const SimDiscoveryResponder& d) { return d.uid == quiet; }));
        for (SimRdmResponder& d : devices)
            d.received.clear();
        view->btnClrTortenetClick();
    }
};

TEST_P(SilentScan, TheRunLeavesTheSilentDeviceReadsEveryOtherAndModifyReachesTheClickedDevice) {
    const SilentCase& c = GetParam();
    std::vector<SimRdmResponder*> subs;
    const std::vector<SimRdmResponder*> silent = BuildLine(subs);
    if (c.rescanAfterSilentPolls) {
        ASSERT_NO_FATAL_FAILURE(ScanThenPollSilence());
    }
    ASSERT_NO_FATAL_FAILURE(Discover());

    EXPECT_TRUE(ui->btnDiscovery->isEnabled()) << "the run ends";
    EXPECT_FALSE(view->RunInProgress());
    EXPECT_EQ(Log().filter("Process ready").size(), 1);
    QStringList left;
    for (const char* l : c.leftLines)
        left << l;
    EXPECT_EQ(Log().filter("the scan goes on without this device"), left);
    const int resends = c.how == Silence::RuntOnce ? 1 : 20 * int(c.leftLines.size());
    EXPECT_EQ(Log().filter("Waiting for answer...").size(), resends);

    auto isSilent = [&](const SimRdmResponder& d) {
        return std::find(silent.begin(), silent.end(), &d) != silent.end();
    };
    for (const SimRdmResponder* d : silent) {
        const std::vector<uint16_t> gets = GetPids(*d);
        ASSERT_FALSE(gets.empty());
        if (c.how == Silence::RuntOnce) {
            // One more try of the label, then the rest of its chain.
            std::vector<uint16_t> chain = FullChain;
            chain.insert(chain.begin() + 1, 0x00C0);
            EXPECT_EQ(gets, chain);
            continue;
        }
        // The request it did not answer was sent once and resent twenty times, and nothing more followed.
        const uint16_t unanswered = gets.back();
        EXPECT_EQ(std::count(gets.begin(), gets.end(), unanswered), 21) << std::hex << d->uid;
        const bool answeredDeviceInfo = c.how != Silence::Whole && c.how != Silence::SubDevice;
        EXPECT_EQ(gets.size(), answeredDeviceInfo ? 22u : 21u) << std::hex << d->uid;
    }
    for (const SimRdmResponder* sub : subs)
        EXPECT_TRUE(sub->received.empty()) << "a sub-device of a root that was left is not asked";

    // Every other device (and sub-device) is read in full and stays in the tree.
    for (const SimRdmResponder& d : devices) {
        if (isSilent(d) || std::find(subs.begin(), subs.end(), &d) != subs.end() || d.uid == GoneUid)
            continue;
        EXPECT_EQ(GetPids(d), FullChain) << std::hex << d.uid << " sub " << d.subDevice;
    }
    for (int i = 0; i < 5; ++i) {
        const int node = NodeOf(DeviceUid(i));
        ASSERT_GE(node, 0) << i;
        if (Silent(i) && c.how == Silence::Whole) continue;
        EXPECT_EQ(view->RecordAt(node)->dmxStartAddress, 10 * (i + 1)) << i;
    }
    if (c.how == Silence::SubDevice) {
        const int root = NodeOf(DeviceUid(c.silentDevices.front()));
        EXPECT_EQ(view->RecordAt(root + 2)->subDevice, 2);
        EXPECT_EQ(view->RecordAt(root + 2)->dmxStartAddress, 102)
            << "the sub-device after the silent one is read";
    }

    // A click on another device, then Modify: the SET goes to that device only.
    int target = (c.silentDevices.back() + 1) % 5;
    while (Silent(target))
        target = (target + 1) % 5;
    SimRdmResponder& other = Root(DeviceUid(target));
    std::vector<size_t> silentBefore;
    for (const SimRdmResponder* d : silent)
        silentBefore.push_back(d->received.size());
    Click(NodeOf(other.uid));
    EXPECT_EQ(int(St().RdmCurrentNode), NodeOf(other.uid));
    EXPECT_EQ(ui->lUidD->text(), FormatRdmUid(other.uid));
    auto* address = w->findChild<QSpinBox*>("seDmxStartAdrD");
    auto* modify = w->findChild<QPushButton*>("btnModDmxAdr");
    ASSERT_TRUE(address && modify);
    address->setValue(77);
    QTest::mouseClick(modify, Qt::LeftButton);
    Settle();
    EXPECT_EQ(Log().filter("Send new dmx address (77) to: "),
              QStringList{"Send new dmx address (77) to: " + FormatRdmUid(other.uid) + " - 0"});
    EXPECT_EQ(Log().last(), "Dmx address modified");
    EXPECT_EQ(other.values[0x00F0], (std::vector<uint8_t>{0, 77}));
    EXPECT_EQ(view->RecordAt(NodeOf(other.uid))->dmxStartAddress, 77);
    for (const SimRdmResponder& d : devices) {
        if (&d == &other || d.uid == GoneUid) continue;
        EXPECT_EQ(d.values.at(0x00F0)[1], d.subDevice ? 100 + d.subDevice : 10 * (d.uid & 0xF))
            << std::hex << d.uid << " changed";
    }
    for (size_t k = 0; k < silent.size(); ++k)
        EXPECT_EQ(silent[k]->received.size(), silentBefore[k]) << "nothing more went to a silent device";
}

INSTANTIATE_TEST_SUITE_P(
    LineOfFive, SilentScan,
    ::testing::Values(
        SilentCase{"First",
                   {0},
                   Silence::Whole,
                   {"No answer to GET 0x0060, the scan goes on without this device: 7FF3:00000001 - 0"}},
        SilentCase{"Middle",
                   {2},
                   Silence::Whole,
                   {"No answer to GET 0x0060, the scan goes on without this device: 7FF3:00000003 - 0"}},
        SilentCase{"Last",
                   {4},
                   Silence::Whole,
                   {"No answer to GET 0x0060, the scan goes on without this device: 7FF3:00000005 - 0"}},
        SilentCase{"MiddleOfItsChain",
                   {2},
                   Silence::AfterDeviceInfo,
                   {"No answer to GET 0x00C0, the scan goes on without this device: 7FF3:00000003 - 0"}},
        SilentCase{"SubDevice",
                   {1},
                   Silence::SubDevice,
                   {"No answer to GET 0x0060, the scan goes on without this device: 7FF3:00000002 - 1"}},
        SilentCase{"RuntOnEveryTry",
                   {2},
                   Silence::RuntAlways,
                   {"No answer to GET 0x00C0, the scan goes on without this device: 7FF3:00000003 - 0"}},
        SilentCase{"RuntThenAWholeAnswer", {2}, Silence::RuntOnce, {}},
        SilentCase{"RootAnnouncesSubDevicesThenFallsSilent",
                   {1},
                   Silence::RootWithSubs,
                   {"No answer to GET 0x00C0, the scan goes on without this device: 7FF3:00000002 - 0"}},
        SilentCase{"TwoSilentInARow",
                   {1, 2},
                   Silence::Whole,
                   {"No answer to GET 0x0060, the scan goes on without this device: 7FF3:00000002 - 0",
                    "No answer to GET 0x0060, the scan goes on without this device: 7FF3:00000003 - 0"}},
        SilentCase{"FirstTwoSilentAfterSilentPolls",
                   {0, 1},
                   Silence::Whole,
                   {"No answer to GET 0x0060, the scan goes on without this device: 7FF3:00000001 - 0",
                    "No answer to GET 0x0060, the scan goes on without this device: 7FF3:00000002 - 0"},
                   true}),
    [](const auto& info) { return std::string(info.param.name); });

using ScanSilence = DiscoveryScanTest;

TEST_F(ScanSilence, SilenceToARequestThatIsNotTheScansIsNeitherResentNorEndsAScan) {
    auto& a = Device(Uid(0x7FF3, 1));
    simdev::Basic(a, 1, "A", "M", {0x0080});
    ASSERT_NO_FATAL_FAILURE(Discover());
    ASSERT_EQ(St().RdmPendingOp, RdmOpScan) << "the scan's operation stays pending after it";
    Click(1);
    view->btnClrTortenetClick();
    a.silent = true;
    a.received.clear();
    // Polls of a device that has gone quiet (a sensor value, the remote display).
    for (int k = 0; k < 25; ++k) {
        dm->SendRdmRequest(0, RdmGetCommand, a.uid, k % 2 ? 0x0201 : 0x8002, 0, {}, RdmLinkTypeRequest);
        Settle();
    }
    EXPECT_EQ(a.received.size(), 25u) << "nothing was resent";
    EXPECT_TRUE(Log().isEmpty()) << Log().join('\n').toStdString();
    EXPECT_EQ(int(St().RdmCurrentNode), 1);
}

// A line that stops answering the scan's requests until the test lets them through.
class HeldLine : public SimRdmDiscoveryLinkLine {
public:
    std::function<bool(const sim::SimLinkPacket&)> holdFrom; // the first packet held
    bool holding = false;
    std::vector<sim::SimLinkPacket> held;

    void OnLinkPacket(sim::SimInterface& box, const sim::SimLinkPacket& packet) override {
        if (!holding && holdFrom && holdFrom(packet)) holding = true;
        if (holding) {
            held.push_back(packet);
            return;
        }
        SimRdmDiscoveryLinkLine::OnLinkPacket(box, packet);
    }
    void Release(sim::SimInterface& box) {
        holding = false;
        holdFrom = nullptr;
        for (const auto& p : std::exchange(held, {}))
            OnLinkPacket(box, p);
    }
};

using ClickDuringRun = DiscoveryScanTest;

TEST_F(ClickDuringRun, ShowsNothingAndIsTakenWholeWhenTheRunEnds) {
    auto heldLine = std::make_shared<HeldLine>();
    line = heldLine;
    box->line = heldLine;
    auto& kelvar = Device(Uid(0x7FF3, 1));
    simdev::Basic(kelvar, 0x0042, "KELVAR", "M", {});
    auto& last = Device(Uid(0x7FF3, 2));
    simdev::Basic(last, 1, "Other", "M", {});
    // The scan stops, waiting, at the last device's software version.
    heldLine->holdFrom = [&](const sim::SimLinkPacket& p) {
        const auto b = p.payload();
        return b.size() > 22 && (b[3] << 8 | b[4]) == 0x7FF3 && b[8] == 2 && (b[21] << 8 | b[22]) == 0x00C0;
    };
    ASSERT_NO_FATAL_FAILURE(Discover());
    ASSERT_TRUE(view->RunInProgress());
    const int scanNode = St().RdmCurrentNode;
    ASSERT_EQ(scanNode, NodeOf(last.uid));
    const QString shownBefore = ui->lUidD->text();
    const size_t kelvarBefore = kelvar.received.size();

    Click(NodeOf(kelvar.uid));
    EXPECT_EQ(int(St().RdmCurrentNode), scanNode) << "the scan keeps its node";
    EXPECT_EQ(ui->lUidD->text(), shownBefore) << "the page shows no other node";
    EXPECT_EQ(kelvar.received.size(), kelvarBefore) << "nothing went to the clicked device";

    heldLine->Release(*box);
    Settle();
    EXPECT_FALSE(view->RunInProgress());
    EXPECT_EQ(GetPids(last).size(), 5u) << "the scan went on where it stopped";
    EXPECT_EQ(int(St().RdmCurrentNode), NodeOf(kelvar.uid)) << "the click is taken once the run has ended";
    EXPECT_EQ(ui->lUidD->text(), "7FF3:00000001");
    ASSERT_GT(kelvar.received.size(), kelvarBefore);
    EXPECT_EQ(GetPids(kelvar).back(), 0x8000) << "with the maker's GET of its kind";
}

TEST_F(ClickDuringRun, ADemoEndsARunThatWaitsAndALateAnswerChangesNothing) {
    auto heldLine = std::make_shared<HeldLine>();
    line = heldLine;
    box->line = heldLine;
    simdev::Basic(Device(Uid(0x7FF3, 1)), 1, "A", "M", {});
    auto& b = Device(Uid(0x7FF3, 2));
    simdev::Basic(b, 1, "B", "M", {0x0080});
    heldLine->holdFrom = [&](const sim::SimLinkPacket& p) {
        const auto d = p.payload();
        return d.size() > 22 && d[8] == 2 && (d[21] << 8 | d[22]) == 0x0080;
    };
    ASSERT_NO_FATAL_FAILURE(Discover());
    ASSERT_TRUE(view->RunInProgress());

    view->btnDemoDiscClick();
    EXPECT_TRUE(ui->btnDiscovery->isEnabled());
    EXPECT_EQ(St().RdmPendingOp, 0);
    const QString caption = NodeAt(ui->tvDeviceList, 2)->text(0);
    heldLine->Release(*box);
    Settle();
    EXPECT_EQ(NodeAt(ui->tvDeviceList, 2)->text(0), caption) << "the late answer is not read into the demo";
    Click(1);
    EXPECT_EQ(St().RdmCurrentNode, 1);
}

} // namespace

#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

#include "discovery_scan_fixture.h"
#include "rdm/rdm_ops.h"
#include "views/rdm_scan.h"

namespace {

// How the one misbehaving responder of a line of five stays silent.
enum class Silence {
    Whole,           // answers no GET at all
    AfterDeviceInfo, // answers DEVICE_INFO, then nothing more
    SubDevice,       // the device is fine; its first sub-device answers nothing
};

struct SilentCase {
    const char* name;
    int silentDevice; // 0..4 in line order
    Silence how;
    const char* leftLine; // the one line that says which device was left
};

// Requests that the scan sends to a responder that answers everything.
const std::vector<uint16_t> FullChain = {0x0060, 0x00C0, 0x00F0, 0x1000, 0x0050, 0x0080};

class SilentScan : public DiscoveryScanTest, public ::testing::WithParamInterface<SilentCase> {
protected:
    static uint64_t DeviceUid(int i) { return Uid(0x7FF3, uint32_t(i + 1)); }
    // The root responder of a UID.
    SimRdmResponder& Root(uint64_t uid) {
        return *std::find_if(devices.begin(), devices.end(),
                             [uid](const SimRdmResponder& d) { return d.uid == uid && d.subDevice == 0; });
    }

    // Five devices, each at DMX address 10 × its number, with one silent
    // responder as the case says. Returns the silent one.
    SimRdmResponder& BuildLine() {
        const SilentCase& c = GetParam();
        SimRdmResponder* silent = nullptr;
        for (int i = 0; i < 5; ++i) {
            const bool withSubs = c.how == Silence::SubDevice && i == c.silentDevice;
            auto& d = Device(DeviceUid(i));
            simdev::Basic(d, 1, "D", "M", {0x0080}, 0, 0, withSubs ? 2 : 0, uint16_t(10 * (i + 1)));
            d.settable.insert(0x00F0);
            if (i != c.silentDevice) continue;
            if (c.how == Silence::Whole) d.silent = true;
            if (c.how == Silence::AfterDeviceInfo) {
                d.extension = [](SimRdmResponder&, uint8_t cc, uint16_t pid,
                                 std::span<const uint8_t>) -> std::optional<SimRdmResponder::Reply> {
                    if (cc == RdmGetCommand && pid == 0x0060) return std::nullopt;
                    SimRdmResponder::Reply quiet;
                    quiet.silent = true;
                    return quiet;
                };
            }
            silent = &d;
            if (withSubs) {
                for (uint16_t n : {1, 2}) {
                    auto& sub = Device(DeviceUid(i), n);
                    simdev::Basic(sub, 1, "Sub", "M", {0x0080}, 0, 0, 0, uint16_t(100 + n));
                    if (n == 1) {
                        sub.silent = true;
                        silent = &sub;
                    }
                }
            }
        }
        return *silent;
    }
};

TEST_P(SilentScan, TheRunLeavesTheSilentDeviceReadsEveryOtherAndModifyReachesTheClickedDevice) {
    const SilentCase& c = GetParam();
    SimRdmResponder& silent = BuildLine();
    ASSERT_NO_FATAL_FAILURE(Discover());

    EXPECT_TRUE(ui->btnDiscovery->isEnabled()) << "the run ends";
    EXPECT_FALSE(view->RunInProgress());
    EXPECT_EQ(Log().filter("Process ready").size(), 1);
    EXPECT_EQ(Log().filter("the scan goes on without this device"), QStringList{c.leftLine});
    EXPECT_EQ(Log().filter("Waiting for answer...").size(), 20);

    // The request it did not answer was sent once and resent twenty times, and nothing more followed.
    const std::vector<uint16_t> silentGets = GetPids(silent);
    ASSERT_FALSE(silentGets.empty());
    const uint16_t unanswered = silentGets.back();
    EXPECT_EQ(std::count(silentGets.begin(), silentGets.end(), unanswered), 21);
    EXPECT_EQ(silentGets.size(), c.how == Silence::AfterDeviceInfo ? 22u : 21u);

    // Every other device (and sub-device) is read in full and stays in the tree.
    for (const SimRdmResponder& d : devices) {
        if (&d == &silent) continue;
        EXPECT_EQ(GetPids(d), FullChain) << std::hex << d.uid << " sub " << d.subDevice;
    }
    for (int i = 0; i < 5; ++i) {
        const int node = NodeOf(DeviceUid(i));
        ASSERT_GE(node, 0) << i;
        if (i == c.silentDevice && c.how == Silence::Whole) continue;
        EXPECT_EQ(view->RecordAt(node)->dmxStartAddress, 10 * (i + 1)) << i;
    }
    if (c.how == Silence::SubDevice) {
        const int root = NodeOf(DeviceUid(c.silentDevice));
        EXPECT_EQ(view->RecordAt(root + 2)->subDevice, 2);
        EXPECT_EQ(view->RecordAt(root + 2)->dmxStartAddress, 102)
            << "the sub-device after the silent one is read";
    }

    // A click on another device, then Modify: the SET goes to that device only.
    const int target = (c.silentDevice + 1) % 5;
    SimRdmResponder& other = Root(DeviceUid(target));
    const size_t silentBefore = silent.received.size();
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
        if (&d == &other) continue;
        EXPECT_EQ(d.values.at(0x00F0)[1], d.subDevice ? 100 + d.subDevice : 10 * (d.uid & 0xF))
            << std::hex << d.uid << " changed";
    }
    EXPECT_EQ(silent.received.size(), silentBefore) << "nothing more went to the silent device";
}

INSTANTIATE_TEST_SUITE_P(
    LineOfFive, SilentScan,
    ::testing::Values(
        SilentCase{"First", 0, Silence::Whole,
                   "No answer to GET 0x0060, the scan goes on without this device: 7FF3:00000001 - 0"},
        SilentCase{"Middle", 2, Silence::Whole,
                   "No answer to GET 0x0060, the scan goes on without this device: 7FF3:00000003 - 0"},
        SilentCase{"Last", 4, Silence::Whole,
                   "No answer to GET 0x0060, the scan goes on without this device: 7FF3:00000005 - 0"},
        SilentCase{"MiddleOfItsChain", 2, Silence::AfterDeviceInfo,
                   "No answer to GET 0x00C0, the scan goes on without this device: 7FF3:00000003 - 0"},
        SilentCase{"SubDevice", 1, Silence::SubDevice,
                   "No answer to GET 0x0060, the scan goes on without this device: 7FF3:00000002 - 1"}),
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

#include <QElapsedTimer>
#include <QLabel>
#include <QTabWidget>
#include <QTest>
#include <QThread>

#include "discovery_scan_fixture.h"
#include "link/LinkTypes.h"
#include "views/rdm_scan.h"

namespace {

// A line of twenty maker devices, each with two sensors and the remote
// display, whose answers come a few milliseconds after each request as on a
// real line: a run then lasts long enough for the polls' timers to fire in it.
class BusyRun : public DiscoveryScanTest {
protected:
    static constexpr int DeviceCount = 20;
    static constexpr int LateMs = 8;

    static uint64_t DeviceUid(int i) { return Uid(0x7FF3, uint32_t(i + 1)); }

    void BuildLine() {
        for (int i = 0; i < DeviceCount; ++i) {
            auto& d = Device(DeviceUid(i));
            simdev::Basic(d, 1, "D", "M", {0x8002, 0x8003}, 0, 2, 0, uint16_t(10 + i));
            simdev::Sensor(d, 0, 0x00, 0x01, -40, 120, "Temp");
            simdev::Sensor(d, 1, 0x00, 0x01, -40, 120, "Temp 2");
        }
        w->showMainPage("RDM");
    }

    // Presses DISCOVERY and returns once the scan is reading device `n` (from 0).
    void PressDiscoveryAndWaitForDevice(int n) {
        for (SimRdmResponder& d : devices)
            d.received.clear();
        view->btnClrTortenetClick();
        QTest::mouseClick(ui->btnDiscovery, Qt::LeftButton);
        ASSERT_TRUE(RunUntil([&] { return view->Scan->AskDeviceIndex >= n || !view->RunInProgress(); }));
        ASSERT_TRUE(view->RunInProgress()) << "the run ended before the test could act in it\n"
                                           << Log().join('\n').toStdString();
    }

    // GETs of a PID that all devices received.
    int GetsOf(uint16_t pid) const {
        int n = 0;
        for (const SimRdmResponder& d : devices)
            for (uint16_t p : GetPids(d))
                n += p == pid;
        return n;
    }
    int GetsOf(int device, uint16_t pid) const {
        const auto pids = GetPids(devices[size_t(device)]);
        return int(std::count(pids.begin(), pids.end(), pid));
    }

    void ExpectTheRunEndedWithEveryDeviceRead() {
        EXPECT_FALSE(view->RunInProgress());
        EXPECT_TRUE(ui->btnDiscovery->isEnabled());
        EXPECT_EQ(Log().filter("Process ready").size(), 1);
        for (int i = 0; i < DeviceCount; ++i) {
            EXPECT_EQ(FirstGet(devices[size_t(i)]), 0x0060) << i;
            const int node = NodeOf(DeviceUid(i));
            ASSERT_GE(node, 0) << i;
            EXPECT_EQ(view->RecordAt(node)->dmxStartAddress, 10 + i) << i;
            EXPECT_EQ(view->RecordAt(node)->sensorCount, 2) << i;
            EXPECT_EQ(Asked(devices[size_t(i)], 0x0200), (std::vector<int>{0, 1})) << i;
        }
    }

    QTabWidget* Tabs() const { return ui->pcRdm; }
};

enum class Poll { SensorsOpenedInTheScan, SensorsPollingWhenDiscoveryIsPressed, RemoteOpenedInTheScan };

struct PollCase {
    const char* name;
    Poll poll;
};

class PollDuringRun : public BusyRun, public ::testing::WithParamInterface<PollCase> {};

TEST_P(PollDuringRun, SendsNothingTheRunEndsAndAClickAfterItPolls) {
    const Poll poll = GetParam().poll;
    const bool remote = poll == Poll::RemoteOpenedInTheScan;
    const uint16_t pollPid = remote ? 0x8002 : 0x0201;
    BuildLine();

    if (poll != Poll::SensorsOpenedInTheScan) {
        // A run before, on a quick line; then the tab of one device is in use.
        ASSERT_NO_FATAL_FAILURE(Discover());
        Click(NodeOf(DeviceUid(3)));
        Tabs()->setCurrentWidget(remote ? ui->tsRemoteAccess : ui->tsErzekelok);
        ASSERT_EQ(Tabs()->currentWidget(), remote ? ui->tsRemoteAccess : ui->tsErzekelok);
        if (!remote) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return GetsOf(3, pollPid) > 0; }, 3000)) << "it polls";
        }
    }

    line->answerDelayMs = LateMs;
    ASSERT_NO_FATAL_FAILURE(PressDiscoveryAndWaitForDevice(2));
    if (poll == Poll::SensorsOpenedInTheScan) {
        // Opened once the device being read has told its sensors, as a user would see them.
        ASSERT_TRUE(RunUntil([&] {
            const tRdmDevice* rec = view->RecordAt(St().RdmCurrentNode);
            return rec && rec->sensorCount == 2;
        }));
        Tabs()->setCurrentWidget(ui->tsErzekelok);
    }
    if (remote) {
        // The tab of the device before stays among the tabs into the run.
        ASSERT_TRUE(Tabs()->isTabVisible(Tabs()->indexOf(ui->tsRemoteAccess)));
        Tabs()->setCurrentWidget(ui->tsRemoteAccess);
    }
    ASSERT_NO_FATAL_FAILURE(Settle());

    ExpectTheRunEndedWithEveryDeviceRead();
    EXPECT_EQ(GetsOf(pollPid), 0) << "no poll went out while the run was on";

    // After the run the tab works again for the device clicked.
    if (!remote) Tabs()->setCurrentWidget(ui->tsErzekelok);
    Click(NodeOf(DeviceUid(7)));
    if (remote) Tabs()->setCurrentWidget(ui->tsRemoteAccess);
    EXPECT_TRUE(QTest::qWaitFor([&] { return GetsOf(7, pollPid) > 0; }, 3000))
        << "the clicked device is polled";
}

INSTANTIATE_TEST_SUITE_P(Tabs, PollDuringRun,
                         ::testing::Values(PollCase{"SensorsOpenedInTheScan", Poll::SensorsOpenedInTheScan},
                                           PollCase{"SensorsPollingWhenDiscoveryIsPressed",
                                                    Poll::SensorsPollingWhenDiscoveryIsPressed},
                                           PollCase{"RemoteOpenedInTheScan", Poll::RemoteOpenedInTheScan}),
                         [](const auto& info) { return std::string(info.param.name); });

using ReplugDuringRun = BusyRun;

TEST_F(ReplugDuringRun, EndsTheRunSendsNothingOfItAndANewDiscoveryReadsEveryDevice) {
    BuildLine();
    line->answerDelayMs = LateMs;
    ASSERT_NO_FATAL_FAILURE(PressDiscoveryAndWaitForDevice(4));
    const int readBefore = view->Scan->AskDeviceIndex;

    platform->Unplug(box);
    ASSERT_NO_FATAL_FAILURE(Settle());
    EXPECT_FALSE(view->RunInProgress());
    EXPECT_FALSE(view->DiscoveryRunning);
    EXPECT_EQ(Log().filter("Discovery cut short, the USB interface was removed").size(), 1);
    EXPECT_EQ(Log().filter("Process ready").size(), 0);

    for (SimRdmResponder& d : devices)
        d.received.clear();
    box = platform->PlugInterface(0);
    box->line = line;
    ASSERT_NO_FATAL_FAILURE(Settle());
    QTest::qWait(3 * LateMs);
    ASSERT_NO_FATAL_FAILURE(Settle());
    EXPECT_TRUE(ui->btnDiscovery->isEnabled());
    EXPECT_EQ(GetsOf(0x0060) + GetsOf(0x00C0) + GetsOf(0x00F0) + GetsOf(0x1000) + GetsOf(0x0050) +
                  GetsOf(0x0200),
              0)
        << "nothing of the run went out to the interface that came back";
    for (const auto& p : box->packets)
        EXPECT_NE(p.type, 0x40) << "no RDM request until the user acts";

    // What was read stays, and a click shows it.
    for (int i = 0; i < readBefore; ++i)
        EXPECT_EQ(view->RecordAt(NodeOf(DeviceUid(i)))->dmxStartAddress, 10 + i) << i;
    Click(NodeOf(DeviceUid(1)));
    EXPECT_EQ(ui->lUidD->text(), FormatRdmUid(DeviceUid(1)));
    EXPECT_EQ(int(St().RdmCurrentNode), NodeOf(DeviceUid(1)));

    ASSERT_NO_FATAL_FAILURE(Discover());
    ExpectTheRunEndedWithEveryDeviceRead();
}

} // namespace

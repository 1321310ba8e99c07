#include <QCheckBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "sensor_polling_fixture.h"
#include "support/sim/rdm_discovery_link.h"

namespace {

const QString Deg = QString::fromUtf8("\u00B0C");

} // namespace

TEST_F(SensorPolling, LiveValuesFromTheDevice) {
    EXPECT_TRUE(dm->tmrSensor->isActive());
    EXPECT_EQ(Text("lSensPagesNum"), "1/2");
    // The normal maximum of an open range stays readable inside its panel.
    EXPECT_EQ(Text("lSensNormMax3"), "2000mA DC");
    EXPECT_LT(Find<QLabel>("lSensNormMax3")->geometry().right(), Find<QWidget>("pSensor3")->width());

    Tick(3);
    EXPECT_EQ(Sent(), (std::vector<Req>{{0x20, 0x0201, {0}}, {0x20, 0x0201, {1}}, {0x20, 0x0201, {2}}}));
    const QStringList shown{Text("lSensCurr1"), Text("lSensLow1"),  Text("lSensHigh1"),
                            Text("lSensCurr2"), Text("lSensCurr3"), Text("lRecorded3")};
    EXPECT_EQ(shown, (QStringList{"43" + Deg, "Lowest: 21" + Deg, "Highest: 72" + Deg, "24.1V DC",
                                  "1750mA DC", "Recorded: 1750mA DC"}));

    // A reset of all sensors and a record of sensor 1, clicked before the
    // next tick, reach the device on the next two ticks, each as clicked.
    Find<QCheckBox>("cbAllSensor")->setChecked(true);
    Click("btnSensDatRes1");
    Click("btnRecSens1");
    Tick(2);
    EXPECT_EQ(behaviour1.sensorResets, Data{0xFF});
    EXPECT_EQ(behaviour1.sensorRecords, Data{0});
    Tick();
    EXPECT_EQ(Text("lSensLow1"), "Lowest: 43" + Deg);

    // Page 2 shows the fourth sensor.
    Click("btnRdmSensNext");
    Tick();
    EXPECT_EQ(Text("lSensCurr1"), "50Hz");

    // Coming back to the RDM page with the sensor tab open polls again; another page does not.
    dm->tmrSensor->stop();
    w->showMainPage("Logo");
    EXPECT_FALSE(dm->tmrSensor->isActive());
    w->showMainPage("RDM");
    EXPECT_TRUE(dm->tmrSensor->isActive());
}

// A personality change reads the device again. A tick's GET in the middle of
// that would take the place of the request the reading waits on: the ticks
// wait until the reading is over, and the polling goes on after it.
TEST_F(SensorPolling, TicksWaitWhileTheDeviceIsReadAgainAndPollOnAfter) {
    ASSERT_TRUE(dm->tmrSensor->isActive());
    auto hold = std::make_shared<bool>(true);
    dev1.extension = [this, hold, extension = dev1.extension](SimRdmResponder& r, uint8_t cc, uint16_t pid,
                                                              std::span<const uint8_t> data) {
        if (cc == 0x20 && pid == 0x0060 && std::exchange(*hold, false)) box->HoldInput(true);
        return extension(r, cc, pid, data);
    };
    Select(1);
    Set("cbPersonality", 1);
    Click("btnModDmxPers");
    ASSERT_TRUE(view->ScanHoldsTheLine());
    ASSERT_EQ(box->HeldCount(), 1);
    ClearLog();

    Tick(3);
    EXPECT_TRUE(Sent().empty()) << "no poll while the device is read again";

    box->HoldInput(false);
    box->ReleaseInput();
    Settle();
    ASSERT_FALSE(view->ScanHoldsTheLine()) << "the reading again ends";
    EXPECT_EQ(Log().filter("Process ready").size(), 1);
    EXPECT_TRUE(Log().filter("can not be modified").isEmpty()) << Log().join('\n').toStdString();
    EXPECT_EQ(Rec().currentPersonality, 2);

    ClearLog();
    Tick();
    ASSERT_EQ(Sent().size(), 1u);
    EXPECT_EQ(std::get<1>(Sent().front()), 0x0201);
    EXPECT_TRUE(dm->tmrSensor->isActive());
}

// A reset or a record goes to the device it was pressed for, whatever is
// selected when the tick comes: a click on device 2 before the tick drops it
// with a line, and a click back to device 1 before the tick lets it go there.
TEST_F(SensorPolling, ASensorCommandGoesOnlyToTheDeviceItWasPressedFor) {
    behaviour2.sensors = {
        {.unit = 1, .description = "Fan temperature", .present = 50, .lowest = 10, .highest = 90}};
    behaviour2.PublishSensors();
    Rec(2).sensorCount = 1;
    Rec(2).sensors[0] = {.number = 0, .unit = 1, .recordedSupport = 3, .description = "Fan temperature"};
    tree->expandAll();
    const QString reset = "Send sensor data reset (Sensor 2 - Supply voltage) to: 7FF3:00000001 - 0";
    const QString record = "Send record sensor (Sensor 3 - LED current) to: 7FF3:00000001 - 0";
    const QString resetDropped = "Sensor data reset not sent, another device is selected: 7FF3:00000001 - 0";
    const QString recordDropped = "Record sensor not sent, another device is selected: 7FF3:00000001 - 0";
    struct Row {
        const char* name;
        std::vector<const char*> buttons;
        std::vector<int> clicks; // tree nodes clicked before the tick
        Data resets, records;    // what device 1 receives
        QStringList lines;
    };
    // clang-format off
    const Row rows[] = {
        {"reset, device 2 clicked", {"btnSensDatRes2"}, {2}, {}, {}, {reset, resetDropped}},
        {"record, device 2 clicked", {"btnRecSens3"}, {2}, {}, {}, {record, recordDropped}},
        {"both, device 2 clicked", {"btnSensDatRes2", "btnRecSens3"}, {2}, {}, {},
         {reset, record, resetDropped, recordDropped}},
        {"reset, the group node clicked", {"btnSensDatRes2"}, {0}, {}, {}, {reset, resetDropped}},
        // Dropped when device 2 is selected: device 1 picked again does not bring it back.
        {"reset, device 2 and device 1 again clicked", {"btnSensDatRes2"}, {2, 1}, {}, {}, {reset, resetDropped}},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ClickItem(tree, NodeAt(tree, 1));
        Settle();
        behaviour1.sensorResets.clear();
        behaviour1.sensorRecords.clear();
        ClearLog();
        for (const char* button : row.buttons)
            Click(button);
        for (int node : row.clicks) {
            ClickItem(tree, NodeAt(tree, node));
            Settle();
        }
        Tick(2);
        // Back on device 1, nothing dropped comes later.
        ClickItem(tree, NodeAt(tree, 1));
        Settle();
        Tick(2);
        EXPECT_EQ(behaviour1.sensorResets, row.resets);
        EXPECT_EQ(behaviour1.sensorRecords, row.records);
        EXPECT_EQ(Log(), row.lines);
    }
    EXPECT_TRUE(behaviour2.sensorResets.empty());
    EXPECT_TRUE(behaviour2.sensorRecords.empty());
    EXPECT_EQ(behaviour2.sensors[0].lowest, 10) << "device 2 keeps its values";
    EXPECT_EQ(behaviour2.sensors[0].highest, 90);
}

// While a run reads the devices, the sensor page works on the node the run
// reads, which the user did not pick: a reset or a record pressed then is
// refused with its line, and nothing of it reaches a device after the run.
TEST_F(SensorPolling, ASensorCommandPressedDuringARunIsRefused) {
    for (const char* button : {"btnSensDatRes1", "btnRecSens1"}) {
        SCOPED_TRACE(button);
        ClearLog();
        behaviour1.sensorResets.clear();
        behaviour1.sensorRecords.clear();
        // A run in progress, as far as the page can tell.
        view->DiscoveryRunning = true;
        Find<QPushButton>("btnDiscovery")->setEnabled(false);
        Click(button);
        view->DiscoveryRunning = false;
        Find<QPushButton>("btnDiscovery")->setEnabled(true);
        dm->tmrSensor->start();
        Tick(2);
        EXPECT_EQ(Log(), QStringList{QString(button == QStringLiteral("btnSensDatRes1") ? "Sensor data reset"
                                                                                        : "Record sensor") +
                                     " not sent: the devices on the DMX line are being read"});
        EXPECT_TRUE(behaviour1.sensorResets.empty());
        EXPECT_TRUE(behaviour1.sensorRecords.empty());
    }
}

namespace {

// The two devices on a line that also takes part in discovery.
void PutOnADiscoveryLine(SimRdmResponder& dev1, SimRdmResponder& dev2, std::shared_ptr<SimRdmLinkLine>& line,
                         sim::SimInterface& box) {
    auto withDiscovery = std::make_shared<SimRdmDiscoveryLinkLine>();
    withDiscovery->Add(dev1);
    withDiscovery->Add(dev2);
    line = withDiscovery;
    box.line = withDiscovery;
}

} // namespace

// A reset or a record pressed just before the interface is pulled out, the
// demo or a discovery does not wait for a later tick: it is dropped with its
// line, and the device gets nothing of it, also once an interface is back or
// the discovery lists the device again.
TEST_F(SensorPolling, ASensorCommandEndsWithTheLinesOperations) {
    PutOnADiscoveryLine(dev1, dev2, line, *box);
    struct Row {
        const char* name;
        std::function<void()> end;
        const char* why;
    };
    const Row rows[] = {
        {"the interface pulled out and plugged in again",
         [this] {
             platform->Unplug(box);
             Settle();
             box = platform->PlugInterface(0);
             box->line = line;
         },
         "the USB interface was removed"},
        {"DEMO, then a discovery", [this] { view->btnDemoDiscClick(); }, "the demo replaced the devices"},
        {"a discovery", [] {}, "a discovery was started"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ClickItem(tree, NodeAt(tree, 1));
        Settle();
        ClearLog();
        behaviour1.sensorResets.clear();
        behaviour1.sensorRecords.clear();
        Click("btnSensDatRes2");
        Click("btnRecSens3");
        row.end();
        Settle();
        if (std::string(row.why) != "the USB interface was removed") {
            view->btnDiscoveryClick();
            ASSERT_TRUE(QTest::qWaitFor([&] { return !view->DiscoveryRunning; }, 10000));
        }
        const QStringList log = Log();
        EXPECT_EQ(log.mid(0, 4),
                  (QStringList{"Send sensor data reset (Sensor 2 - Supply voltage) to: 7FF3:00000001 - 0",
                               "Send record sensor (Sensor 3 - LED current) to: 7FF3:00000001 - 0",
                               QString("Sensor data reset not sent, %1: 7FF3:00000001 - 0").arg(row.why),
                               QString("Record sensor not sent, %1: 7FF3:00000001 - 0").arg(row.why)}));
        // The device is shown again on the sensor tab, and polled.
        w->showMainPage("RDM");
        ClickItem(tree, NodeAt(tree, 1));
        Find<QTabWidget>("pcRdm")->setCurrentWidget(Find<QWidget>("tsErzekelok"));
        Settle();
        ASSERT_EQ(Rec().uid, Uid1);
        dev1.received.clear();
        Tick(3);
        EXPECT_TRUE(behaviour1.sensorResets.empty());
        EXPECT_TRUE(behaviour1.sensorRecords.empty());
        EXPECT_GT(Count(dev1, 0x20, 0x0201), 0) << "the polling goes on";
    }
}

// The repeated discovery test's next run does not start on a line that is
// gone: once an interface is back the page is not left in a discovery that
// nothing runs.
TEST_F(SensorPolling, TheRepeatedDiscoveryTestEndsWithTheInterface) {
    PutOnADiscoveryLine(dev1, dev2, line, *box);
    Find<QCheckBox>("cbTestAutoDisc")->setChecked(true);
    view->btnDiscoveryClick();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dm->tTest->isActive(); }, 10000)) << "a scan ended";
    platform->Unplug(box);
    Settle();
    QTest::qWait(dm->tTest->interval() + 200); // when its next run was due
    box = platform->PlugInterface(0);
    box->line = line;
    Settle();
    auto* discovery = Find<QPushButton>("btnDiscovery");
    EXPECT_TRUE(discovery->isEnabled());
    EXPECT_FALSE(view->DiscoveryRunning);
    EXPECT_FALSE(view->RunInProgress());
    EXPECT_GE(view->NodeCountInTree(), 3) << "the devices found stay";
    // And a discovery pressed now runs to its end.
    Find<QCheckBox>("cbTestAutoDisc")->setChecked(false);
    discovery->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return discovery->isEnabled() && !view->DiscoveryRunning; }, 10000));
}

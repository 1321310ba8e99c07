#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QTabWidget>
#include <QTimer>

#include "RdmDeviceFixture.h"
#include "rdm/rdm_ops.h"

namespace {

const QString Deg = QString::fromUtf8("\u00B0C");

// Sensors of the simulated device, read into its record by a scan of that device.
class SensorPolling : public RdmDeviceFixture {
protected:
    void SetUp() override {
        RdmDeviceFixture::SetUp();
        // clang-format off
        behaviour1.sensors = {
            {.unit = 1, .rangeMin = -40, .rangeMax = 85, .normalMin = 0, .normalMax = 60, .description = "Driver temperature", .present = 43},
            {.unit = 2, .prefix = 1, .rangeMin = 0, .rangeMax = 300, .normalMin = 110, .normalMax = 260, .recordedSupport = 2, .description = "Supply voltage", .present = 241},
            {.unit = 5, .prefix = 3, .normalMin = 0, .normalMax = 2000, .recordedSupport = 1, .description = "LED current", .present = 1750},
            {.unit = 8, .rangeMin = 0, .rangeMax = 1000, .normalMin = 40, .normalMax = 60, .recordedSupport = 0, .description = "Fan speed", .present = 50},
        };
        // clang-format on
        for (SimSensor& s : behaviour1.sensors)
            s.lowest = s.highest = s.recorded = s.present;
        for (int16_t v : {21, 72, 43})
            behaviour1.sensors[0].Measure(v);
        behaviour1.PublishSensors();
        view->Discovery.DiscoveredCount = 2;

        RdmState& st = dm->RdmGlobals();
        st.AwaitingAnswer = 1; // this device only
        st.RdmPendingOp = RdmOpScan;
        st.RdmCurrentPid = 0x0060;
        st.AskItemIndex = 0;
        dm->SendRdmRequest(0, 0x20, Uid1, 0x0060, 0, st.RdmParamData, 0x40);
        Settle();
        EXPECT_EQ(Rec().sensorCount, 4);
        ClearLog();

        w->showMainPage("RDM");
        // Opening the tab shows the page and starts the polling.
        Find<QTabWidget>("pcRdm")->setCurrentWidget(Find<QWidget>("tsErzekelok"));
    }

    void Tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            dm->tmrSensorTimer();
            Settle();
        }
    }
    QString Text(const char* label) { return Find<QLabel>(label)->text(); }
};

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
}

TEST_F(SensorPolling, Screenshot) {
    const QString dir = qEnvironmentVariable("TAMARIND_SCREENSHOTS");
    if (dir.isEmpty()) GTEST_SKIP() << "TAMARIND_SCREENSHOTS not set";
    w->resize(1100, 720);
    tree->expandAll();
    tree->setCurrentItem(NodeAt(tree, 1));
    Tick(3);
    QCoreApplication::processEvents();
    DeviceLogText(w); // the log's memo catches up before the picture
    EXPECT_TRUE(w->grab().save(QDir(dir).filePath("sensor-tab.png")));
}

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QTabWidget>
#include <QTimer>

#include "RdmDeviceFixture.h"
#include "rdm/rdm_ops.h"
#include "views/sensor_page.h"

namespace {

// Sensors of the simulated device, read into its record by a scan of that device.
class SensorPolling : public RdmDeviceFixture {
protected:
    void SetUp() override {
        RdmDeviceFixture::SetUp();
        struct Def {
            uint8_t unit, prefix;
            int16_t rmin, rmax, nmin, nmax;
            uint8_t support;
            const char* desc;
            int16_t value;
        };
        const Def defs[] = {
            {1, 0, -40, 85, 0, 60, 3, "Driver temperature", 43},
            {2, 1, 0, 300, 110, 260, 2, "Supply voltage", 241},
            {5, 3, -32768, 32767, 0, 2000, 1, "LED current", 1750},
            {8, 0, 0, 1000, 40, 60, 0, "Fan speed", 50},
        };
        for (const Def& d : defs) {
            SimSensor s;
            s.unit = d.unit;
            s.prefix = d.prefix;
            s.rangeMin = d.rmin;
            s.rangeMax = d.rmax;
            s.normalMin = d.nmin;
            s.normalMax = d.nmax;
            s.recordedSupport = d.support;
            s.description = d.desc;
            s.present = s.lowest = s.highest = s.recorded = d.value;
            behaviour1.sensors.push_back(s);
        }
        behaviour1.sensors[0].Measure(21);
        behaviour1.sensors[0].Measure(72);
        behaviour1.sensors[0].Measure(43);
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
        page = TSensorPage::of(w);

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

    TSensorPage* page = nullptr;
};

} // namespace

TEST_F(SensorPolling, LiveValuesFromTheDevice) {
    EXPECT_TRUE(dm->tmrSensor->isActive());
    EXPECT_EQ(Text("lSensPagesNum"), "1/2");
    EXPECT_EQ(Text("lSensName1"), "Sensor 1 - Driver temperature");
    EXPECT_EQ(Text("lSensCurr1"), "---");
    // The normal maximum of an open range stays readable inside its panel.
    EXPECT_EQ(Text("lSensNormMax3"), "2000mA DC");
    EXPECT_LT(Find<QLabel>("lSensNormMax3")->geometry().right(), Find<QWidget>("pSensor3")->width());

    Tick(3);
    EXPECT_EQ(Text("lSensCurr1"), QString::fromUtf8("43\u00B0C"));
    EXPECT_EQ(Text("lSensLow1"), QString::fromUtf8("Lowest: 21\u00B0C"));
    EXPECT_EQ(Text("lSensHigh1"), QString::fromUtf8("Highest: 72\u00B0C"));
    EXPECT_EQ(Text("lSensCurr2"), "24.1V DC");
    EXPECT_EQ(Text("lSensCurr3"), "1750mA DC");
    EXPECT_EQ(Text("lRecorded3"), "Recorded: 1750mA DC");
    auto requests = Requests();
    ASSERT_EQ(requests.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(requests[i].commandClass, 0x20);
        EXPECT_EQ(requests[i].pid, 0x0201);
        EXPECT_EQ(requests[i].data, std::vector<uint8_t>{uint8_t(i)});
    }

    // A reset of all sensors and a record of sensor 1, clicked before the
    // next tick, reach the device on the next two ticks, each as clicked.
    Find<QCheckBox>("cbAllSensor")->setChecked(true);
    Click("btnSensDatRes1");
    Click("btnRecSens1");
    Tick(2);
    EXPECT_EQ(behaviour1.sensorResets, std::vector<uint8_t>{0xFF});
    EXPECT_EQ(behaviour1.sensorRecords, std::vector<uint8_t>{0});
    Tick();
    EXPECT_EQ(Text("lSensLow1"), QString::fromUtf8("Lowest: 43\u00B0C"));

    // Page 2 polls sensor 4 again and again.
    line->requests.clear();
    Click("btnRdmSensNext");
    Tick(3);
    for (const SeenRequest& r : Requests())
        EXPECT_EQ(r.data, std::vector<uint8_t>{3});
    EXPECT_EQ(Text("lSensCurr1"), "50Hz");
    EXPECT_EQ(Text("lSensName2"), "Sensor - not defined");
}

TEST_F(SensorPolling, Screenshot) {
    const QString dir = qEnvironmentVariable("TAMARIND_SCREENSHOTS");
    if (dir.isEmpty()) GTEST_SKIP() << "TAMARIND_SCREENSHOTS not set";
    w->resize(1100, 720);
    tree->expandAll();
    tree->setCurrentItem(NodeAt(tree, 1));
    Tick(3);
    QCoreApplication::processEvents();
    EXPECT_TRUE(w->grab().save(QDir(dir).filePath("sensor-tab.png")));
}

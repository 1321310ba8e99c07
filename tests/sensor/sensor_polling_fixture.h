#pragma once

#include <QLabel>
#include <QTabWidget>

#include "RdmDeviceFixture.h"
#include "rdm/rdm_ops.h"
#include "views/rdm_scan.h"

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
        st.AwaitingAnswer = 1;    // this device only
        view->Scan->ReadAgain(1); // device 1's node
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

#include <QCheckBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <functional>
#include <tuple>

#include "rdm/RdmState.h"
#include "support/log_access.h"
#include "ui_KonfigPage.h"
#include "ui_Lvn24Conf.h"
#include "ui_ProgramPage.h"
#include "ui_SensorTab.h"
#include "ui_SpecialTab.h"
#include "views/lvn_page.h"
#include "views/remacc.h"
#include "views/sensor_page.h"
#include "views_fixture.h"

using Demo = ViewsTest;

// Each press gives the same nine nodes and records: the captions, the six UIDs found, and per node its kinds,
// UID and sample numbers.
TEST_F(Demo, PressedTwiceGivesTheSameNineNodesAndRecords) {
    // node kind, device kind, UID (manufacturer 7FF3), sub-device, model, software id, current personality,
    // personalities, start address, sub-devices, sensors, identify mode, hours, power cycles, slots, listed
    // PIDs, protocol version, category
    const std::vector<int64_t> rows[9] = {
        {1, 0, 0x7FF305CA03B7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        {2, 1, 0x7FF303F0CF64, 0, 66, 0x0042020F, 1, 3, 1, 0, 3, 0, 0, 0, 0, 9, 0x0100, 0x0508},
        {2, 2, 0x7FF3042DD93A, 0, 70, 0x00460232, 1, 6, 6, 0, 3, 0, 143, 0, 0, 13, 0x0100, 0x0508},
        {2, 3, 0x7FF3043D1B5C, 0, 71, 0x0047023F, 0, 0, 65535, 3, 0, 0, 0, 0, 0, 4, 0x0100, 0x0508},
        {3, 4, 0x7FF3043D1B5C, 1, 71, 0x0047023F, 1, 6, 67, 3, 3, 70, 0, 0, 3, 99, 0x0100, 0x0508},
        {3, 4, 0x7FF3043D1B5C, 2, 71, 0x0047023F, 1, 6, 70, 3, 3, 0, 0, 0, 3, 15, 0x0100, 0x0508},
        {3, 4, 0x7FF3043D1B5C, 3, 71, 0x0047023F, 1, 6, 73, 3, 3, 0, 0, 0, 3, 15, 0x0100, 0x0508},
        {2, 7, 0x7FF305CA03B7, 0, 97, 0x00610310, 1, 6, 10, 0, 4, 255, 35, 311, 3, 23, 0x0100, 0x0508},
        {2, 10, 0x7FF305D945F1, 0, 98, 0x00620310, 1, 6, 111, 0, 4, 255, 102, 34, 5, 23, 0x0100, 0x0508}};
    const char* versions[9] = {
        "",          "SW version 2.15 (66)", "SW version 2.50 (70)", "2.63 (71)", "2.63 (71)", "2.63 (71)",
        "2.63 (71)", "v.3.16 (97)",          "v.3.16 (98)"};
    for (int press = 0; press < 2; ++press) {
        QTest::mouseClick(ui->btnDemoDisc, Qt::LeftButton);
        EXPECT_EQ(view->DemoMode, 1);
        EXPECT_EQ(NodeCaptions(ui->tvDeviceList),
                  (QStringList{"Pellmor GmbH", "KELVAR RGB DMX", "VINTARO RGB DMX 2G",
                               "Q9 VINTARO RGB DMX 2G", "subdevice - 1", "subdevice - 2", "subdevice - 3",
                               "KELVAR 3G", "VINTARO RGBAW MULTI 3G"}));
        ASSERT_EQ(view->Discovery.DiscoveredCount, 6);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(view->Discovery.DiscoveredUids[i], (uint64_t(0x7FF3) << 32) + 1 + i);
        for (int i = 0; i < 9; ++i) {
            const tRdmDevice& r = *view->RecordAt(i);
            SCOPED_TRACE(i);
            EXPECT_EQ((std::vector<int64_t>{
                          r.nodeKind, r.DeviceKind, int64_t(r.uid), r.subDevice, r.deviceModelId,
                          r.softwareVersionId, r.currentPersonality, r.personalityCount, r.dmxStartAddress,
                          r.subDeviceCount, r.sensorCount, r.identifyMode, r.deviceHours, r.devicePowerCycles,
                          r.slotCount, r.supportedPidCount, r.rdmProtocolVersion, r.productCategory}),
                      rows[i]);
            EXPECT_EQ(r.softwareVersionLabel, versions[i]);
            EXPECT_EQ(r.manufacturerLabel, "Pellmor GmbH");
            EXPECT_EQ(r.identify | r.lampState | r.lampOnMode | r.displayInvert | r.displayLevel |
                          r.panInvert | r.tiltInvert | r.panTiltSwap | r.powerState | r.languageCount |
                          r.productDetailCount,
                      0);
        }
    }
    // Node 4's further PIDs are none that a view looks up.
    for (int k = 15; k < 99; ++k)
        EXPECT_GE(view->RecordAt(4)->supportedPids[size_t(k)], 0x8100);
    EXPECT_TRUE(NodeAt(ui->tvDeviceList, 3)->isExpanded());
}

// Clicks on the demo's nodes show them (node 3 without address or personalities, the group node 0, node 8
// with its five slots from 111), build the DMX map and leave the sensor polling alone.
TEST_F(Demo, NodesAreShownWithoutErrors) {
    QTest::mouseClick(ui->btnDemoDisc, Qt::LeftButton);
    int built = 0, polling = 0;
    view->hooks.BuildDmxChannelMap = [&] { ++built; };
    view->hooks.StartSensorPolling = view->hooks.StopSensorPolling = [&] { ++polling; };
    const auto click = [&](int node) {
        ui->tvDeviceList->setCurrentItem(NodeAt(ui->tvDeviceList, node));
        view->tvDeviceListClick();
    };
    click(3);
    EXPECT_EQ(view->RdmCurrentNode(), 3);
    ExpectShown({{ui->lUidD, "7FF3:043D1B5C"},
                 {ui->seDmxStartAdrD, "0"},
                 {ui->cbPersonality, ""},
                 {ui->lDevModDescD, "Q9 VINTARO RGB DMX 2G"},
                 {ui->lDevHours, "0 h"}});
    EXPECT_FALSE(ui->seDmxStartAdrD->isEnabled());
    EXPECT_EQ(built, 1);
    EXPECT_EQ(polling, 0) << "demo clicks leave the sensor polling as it was";
    click(0);
    EXPECT_EQ(ui->lUidD->text(), "7FF3");
    click(8);
    ExpectShown(
        {{ui->seDmxStartAdrD, "111"},
         {ui->lBootSoftVerLabD, "v.5.00 (98)"},
         {ui->lbSlotInf, "01. DMX:111 Color Add Red|02. DMX:112 Color Add Green|03. DMX:113 Color Add "
                         "Blue|04. DMX:114 AMBER|05. DMX:115 WHITE"}});
    EXPECT_TRUE(ui->btnReset->isEnabled());
}

// The demo's personality, sensor and slot tables as the views list them.
TEST_F(Demo, PersonalitySensorAndSlotSamples) {
    view->btnDemoDiscClick();
    const auto shown = [&](int node, const QWidget* list) {
        view->ShowDeviceDetails(node);
        return Shown(list);
    };
    EXPECT_EQ(shown(1, ui->cbPersonality),
              "[1. - 3 ch - Dimmer mode: Red, Green, Blue]|2. - 0 ch - Auto program mode|"
              "3. - 1 ch - 1 channel dimmer mode");
    for (int node : {2, 4, 5, 6, 7})
        EXPECT_EQ(shown(node, ui->cbPersonality),
                  "[1. - 3 ch - Dimmer mode. CHs:RGB]|2. - 3 ch - Single mode w/ DMX pri. CHs:RGB|"
                  "3. - 0 ch - Single mode|4. - 3 ch - Master mode w/ DMX pri. CHs:RGB|"
                  "5. - 3 ch - Manual mode w/ DMX pri. CHs:RGB|6. - 0 ch - Manual mode")
            << node;
    EXPECT_EQ(shown(8, ui->cbPersonality),
              "[1. - 5 ch - Dimmer mode. CHs:RGBAW]|2. - 5 ch - Single mode w/ DMX pri. CHs:RGBA|"
              "3. - 0 ch - Single mode|4. - 5 ch - Master mode w/ DMX pri. CHs:RGBA|"
              "5. - 5 ch - Manual mode w/ DMX pri. CHs:RGBA|6. - 0 ch - Manual mode");
    EXPECT_EQ(shown(5, ui->lbSlotInf),
              "01. DMX:070 Color Add Red|02. DMX:071 Color Add Green|03. DMX:072 Color Add Blue");
    // Sensors: number, type, unit, prefix, ranges, recorded-value support, and descriptions.
    const auto sensor = [&](int node, int i) {
        const tRdmSensor& s = view->RecordAt(node)->sensors[size_t(i)];
        return std::vector<int>{s.number,   s.type,      s.unit,      s.prefix,         s.rangeMin,
                                s.rangeMax, s.normalMin, s.normalMax, s.recordedSupport};
    };
    EXPECT_EQ(sensor(7, 2), (std::vector<int>{2, 0x03, 8, 0, 80, 1200, 80, 1200, 0}));
    EXPECT_EQ(sensor(2, 1), (std::vector<int>{1, 0x01, 2, 0, 0, 26, 5, 24, 0}));
    EXPECT_EQ(view->RecordAt(7)->sensors[2].description, "PWM driver frequency");
    EXPECT_EQ(view->RecordAt(1)->sensors[2].description, "Driver type  (0-CA 1-CC)");
    EXPECT_EQ(view->RecordAt(8)->sensors[3].description, "Driver type (0-CA 1-CC 2-CCU)");
}

// In demo mode without an interface, every sender of the RDM page, its tabs
// and the upload pages. The demo's devices are on no line, so none is refused
// for the missing interface: the record-only SETs change the record and the
// view, the identify-mode box and a drag on the channel map hand their request
// on (it goes nowhere), and every other sender does nothing at all.
TEST_F(Demo, EverySenderWithoutAnInterface) {
    QTest::mouseClick(ui->btnDemoDisc, Qt::LeftButton);
    ASSERT_FALSE(dm->HidConnected);
    w->showMainPage("RDM");
    constexpr uint16_t NoRequest = 0xFFFF;
    const QString tail7 = "7FF3:05CA03B7 - 0"; // KELVAR 3G, node 7
    const auto select = [&](int node) {
        ui->tvDeviceList->setCurrentItem(NodeAt(ui->tvDeviceList, node));
        view->tvDeviceListClick();
    };
    const auto press = [&](QAbstractButton* b) {
        b->setEnabled(true);
        b->click();
    };
    const auto modify = [&](const char* button, const std::function<void()>& input) {
        return [=, this] {
            input();
            press(Find<QAbstractButton>(button));
        };
    };
    const auto upload = [&](const char* page, QAbstractButton* button) {
        return [=, this] {
            w->showMainPage(page);
            press(button);
            w->showMainPage("RDM");
        };
    };
    QTableWidget* grid = Find<QTableWidget>("StringGrid1");
    const auto cell = [](int channel) {
        return QPoint((channel - 1) % 22 * 22 + 11, (channel - 1) / 22 * 17 + 8);
    };
    TSensorPage* sensors = TSensorPage::of(w);
    TLvnPage* lvn = TLvnPage::of(w);
    struct Row {
        const char* name;
        int node; // selected before the sender
        std::function<void()> act;
        std::function<void(tRdmDevice&)> change; // of the node's record; none: unchanged
        uint16_t pid;                            // the request handed on
        QStringList lines;
    };
    // clang-format off
    const Row rows[] = {
        {"personality", 7, modify("btnModDmxPers", [&] { ui->cbPersonality->setCurrentIndex(2); }),
         [](tRdmDevice& r) { r.currentPersonality = 3; r.dmxStartAddress = 0; }, NoRequest,
         {"Send new dmx personality to: " + tail7}},
        {"DMX address", 7, modify("btnModDmxAdr", [&] { ui->seDmxStartAdrD->setValue(20); }),
         [](tRdmDevice& r) { r.dmxStartAddress = 20; }, NoRequest, {}},
        {"device label", 7, modify("btnModDevLab", [&] { ui->eDeviceLabel->setText("Truss"); }),
         [](tRdmDevice& r) { r.deviceLabel = "Truss"; }, NoRequest, {"Send new device label (Truss) to: " + tail7}},
        {"identify-mode box", 7,
         [&] { QTest::mouseClick(ui->cbQuietIdentify, Qt::LeftButton, {}, QPoint(5, ui->cbQuietIdentify->height() / 2)); },
         [](tRdmDevice& r) { r.identifyMode = 0x00; }, 0x1040, {"Send new identify mode to: " + tail7}},
        {"drag on the channel map", 0,
         [&] {
             ui->pcRdm->setCurrentWidget(ui->tsDmxKiosztas);
             QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, cell(2));
             QTest::mouseMove(grid->viewport(), cell(11));
             QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, cell(11));
         },
         nullptr, 0x00F0, {"Send new dmx address (10) to: 7FF3:03F0CF64 - 0"}},
        {"display level", 7, modify("btnDispLevel", [&] { ui->seDispLevel->setValue(77); }), nullptr, NoRequest, {}},
        {"display invert", 7, modify("btnDispInv", [&] { ui->cbDispInv->setCurrentIndex(1); }), nullptr, NoRequest, {}},
        {"identify", 7, [&] { press(ui->btnIdentify); }, nullptr, NoRequest, {}},
        {"factory defaults", 7, [&] { press(ui->btnSetFactDef); }, nullptr, NoRequest, {}},
        {"reset", 7, [&] { press(ui->btnReset); }, nullptr, NoRequest, {}},
        {"lamp hours", 7, modify("btnModLampHours", [&] { ui->seLampHours->setValue(5); }), nullptr, NoRequest, {}},
        {"power cycles", 7, modify("btnModDevPowCyc", [&] { ui->seDevPowCyc->setValue(5); }), nullptr, NoRequest, {}},
        {"lamp state", 7, modify("btnModLampState", [&] { ui->cbLampState->setCurrentIndex(1); }), nullptr, NoRequest, {}},
        {"lamp on mode", 7, modify("btnModLampOnMode", [&] { ui->cbLampOnMode->setCurrentIndex(1); }), nullptr, NoRequest, {}},
        {"pan invert", 7, modify("btnPanInv", [&] { ui->cbPanInv->setCurrentIndex(1); }), nullptr, NoRequest, {}},
        {"tilt invert", 7, modify("btnTiltInv", [&] { ui->cbTiltInv->setCurrentIndex(1); }), nullptr, NoRequest, {}},
        {"pan/tilt swap", 7, modify("btnPTSwap", [&] { ui->cbPTSwap->setCurrentIndex(1); }), nullptr, NoRequest, {}},
        {"power state", 7, modify("btnModPowState", [&] { ui->cbPowState->setCurrentIndex(1); }), nullptr, NoRequest, {}},
        {"Special tab SEND", 7, [&] { press(view->specUi->btnRdmSendSpec); }, nullptr, NoRequest, {}},
        {"Special tab GET CONFIG", 7, [&] { press(view->specUi->btnRdmGetConf); }, nullptr, NoRequest, {}},
        {"Special tab GET PROGRAM", 7, [&] { press(view->specUi->btnRdmGetPrg); }, nullptr, NoRequest, {}},
        {"sensor reset and record", 7,
         [&] {
             ui->pcRdm->setCurrentWidget(ui->tsErzekelok);
             press(sensors->ui->sensorArea->findChild<QPushButton*>("btnSensDatRes1"));
             press(sensors->ui->sensorArea->findChild<QPushButton*>("btnRecSens1"));
         },
         nullptr, NoRequest, {}},
        {"remote access keys, then a tick", 2,
         [&] {
             ui->pcRdm->setCurrentWidget(ui->tsRemoteAccess);
             TRemoteAccess::of(w)->sUpMouseDown();
             TRemoteAccess::of(w)->sDownMouseUp();
             dm->tmrRemAccTimer();
         },
         nullptr, NoRequest, {}},
        {"decoder GET and SET CONFIG", 7,
         [&] {
             view->RecordAt(7)->DeviceKind = 6;
             press(lvn->ui->btnGet);
             press(lvn->ui->btnSet);
             view->RecordAt(7)->DeviceKind = 7;
         },
         nullptr, NoRequest, {}},
        {"program upload, RDM", 7, upload("Programok", w->prgUi->btnPrgEszkozbe), nullptr, NoRequest, {}},
        {"configuration upload, RDM", 7, upload("Konfiguracio", w->konfUi->btnKonfEszkbe), nullptr, NoRequest, {}},
        {"program upload, stream", 1, upload("Programok", w->prgUi->btnPrgEszkozbe), nullptr, NoRequest, {}},
        {"configuration upload, stream", 1, upload("Konfiguracio", w->konfUi->btnKonfEszkbe), nullptr, NoRequest, {}},
    };
    // clang-format on
    // The fields a sender may change, as one comparable value.
    const auto settable = [](const tRdmDevice& r) {
        return std::make_tuple(r.dmxStartAddress, r.currentPersonality, r.deviceLabel, r.identify,
                               r.identifyMode, r.displayLevel, r.displayInvert, r.lampHours,
                               r.devicePowerCycles, r.lampState, r.lampOnMode, r.panInvert, r.tiltInvert,
                               r.panTiltSwap, r.powerState);
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        QTest::mouseClick(ui->btnDemoDisc, Qt::LeftButton);
        ui->pcRdm->setCurrentIndex(0);
        select(row.node == 0 ? 1 : row.node);
        const int node = row.node == 0 ? 1 : row.node;
        tRdmDevice expected = *view->RecordAt(node);
        if (row.change) row.change(expected);
        if (row.node == 0) expected.dmxStartAddress = 10;
        view->btnClrTortenetClick();
        dm->RdmGlobals().RdmCurrentPid = NoRequest;
        row.act();
        EXPECT_EQ(settable(*view->RecordAt(node)), settable(expected));
        EXPECT_EQ(dm->RdmGlobals().RdmCurrentPid, row.pid);
        EXPECT_EQ(DeviceLogLines(w), row.lines);
        EXPECT_FALSE(w->prgUi->gPrg->isVisibleTo(w) || w->konfUi->gKonf->isVisibleTo(w));
        EXPECT_EQ(w->LineState.TransmitFlag, 0);
        EXPECT_EQ(sensors->SensorResetPending | sensors->SensorRecordPending, 0);
    }
    // What the record-only SETs leave on the page.
    select(7);
    ui->eDeviceLabel->setText("Truss");
    press(ui->btnModDevLab);
    EXPECT_EQ(NodeAt(ui->tvDeviceList, 7)->text(0), "Truss");
    EXPECT_FALSE(ui->btnModDevLab->isEnabled());
    ui->seDmxStartAdrD->setValue(30);
    press(ui->btnModDmxAdr);
    EXPECT_FALSE(ui->btnModDmxAdr->isEnabled());
    // The identify-mode box is not put back: it shows what was handed on.
    select(8);
    QTest::mouseClick(ui->cbQuietIdentify, Qt::LeftButton, {}, QPoint(5, ui->cbQuietIdentify->height() / 2));
    EXPECT_TRUE(ui->cbQuietIdentify->isChecked());
    EXPECT_FALSE(DeviceLogText(w).contains("not sent"));
}

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

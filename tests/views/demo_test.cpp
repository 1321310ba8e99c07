#include "views_fixture.h"

#include "views/ValueTexts.h"

using Demo = ViewsTest;

namespace {
QStringList Captions(QTreeWidget* tv) {
    QStringList l;
    for (int i = 0; i < NodeCount(tv); ++i)
        l << NodeAt(tv, i)->text(0);
    return l;
}
} // namespace

TEST_F(Demo, PressedTwiceGivesTheSameNineNodes) {
    for (int press = 0; press < 2; ++press) {
        QTest::mouseClick(ui.btnDemoDisc, Qt::LeftButton);
        EXPECT_EQ(view.DemoMode, 1);
        EXPECT_EQ(Captions(ui.tvDeviceList),
                  (QStringList{"Pellmor GmbH", "KELVAR RGB DMX", "VINTARO RGB DMX 2G",
                               "Q9 VINTARO RGB DMX 2G", "subdevice - 1", "subdevice - 2", "subdevice - 3",
                               "KELVAR 3G", "VINTARO RGBAW MULTI 3G"}));
        EXPECT_EQ(view.Discovery.DiscoveredCount, 6);
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(view.Discovery.DiscoveredUids[i], (uint64_t(0x7FF3) << 32) + 1 + i);
    }
    const uint8_t kinds[] = {1, 2, 2, 2, 3, 3, 3, 2, 2};
    const uint8_t deviceKinds[] = {0, 1, 2, 3, 4, 4, 4, 7, 10};
    const uint32_t ids[] = {0x05CA03B7, 0x03F0CF64, 0x042DD93A, 0x043D1B5C, 0x043D1B5C,
                            0x043D1B5C, 0x043D1B5C, 0x05CA03B7, 0x05D945F1};
    for (int i = 0; i < 9; ++i) {
        const tRdmDevice* rec = view.RecordAt(i);
        ASSERT_NE(rec, nullptr);
        EXPECT_EQ(rec->nodeKind, kinds[i]) << i;
        EXPECT_EQ(rec->DeviceKind, deviceKinds[i]) << i;
        EXPECT_EQ(rec->uid, uint64_t(0x7FF3) << 32 | ids[i]) << i;
        EXPECT_EQ(rec->manufacturerLabel, "Pellmor GmbH");
    }
    EXPECT_EQ(view.RecordAt(4)->subDevice, 1);
    EXPECT_EQ(view.RecordAt(6)->subDevice, 3);
    EXPECT_EQ(view.RecordAt(4)->supportedPidCount, 99);
    EXPECT_EQ(view.RecordAt(5)->supportedPidCount, 15);
    EXPECT_EQ(view.RecordAt(7)->supportedPidCount, 23);
    EXPECT_EQ(view.RecordAt(8)->sensors[1].normalMin, 5);
    EXPECT_EQ(view.RecordAt(7)->sensors[1].normalMin, 12);
    EXPECT_EQ(view.RecordAt(1)->sensors[2].description, "Driver type  (0-CA 1-CC)");
    EXPECT_EQ(view.RecordAt(8)->slotInfo[4].description, "WHITE");
    EXPECT_EQ(view.RecordAt(4)->identifyMode, 70);
    EXPECT_TRUE(NodeAt(ui.tvDeviceList, 3)->isExpanded());
}

TEST_F(Demo, NodesAreShownWithoutErrors) {
    QTest::mouseClick(ui.btnDemoDisc, Qt::LeftButton);
    int built = 0;
    view.hooks.BuildDmxChannelMap = [&] { ++built; };
    int polling = 0;
    view.hooks.StartSensorPolling = [&] { ++polling; };
    view.hooks.StopSensorPolling = [&] { ++polling; };

    // Node 3: a root device of kind 3 with address 65535 and no personalities.
    QTreeWidgetItem* item = NodeAt(ui.tvDeviceList, 3);
    ui.tvDeviceList->setCurrentItem(item);
    view.tvDeviceListClick();
    EXPECT_EQ(view.RdmCurrentNode(), 3);
    EXPECT_EQ(ui.lUidD->text(), "7FF3:043D1B5C");
    EXPECT_EQ(ui.seDmxStartAdrD->value(), 0);
    EXPECT_FALSE(ui.seDmxStartAdrD->isEnabled());
    EXPECT_EQ(ui.cbPersonality->count(), 0);
    EXPECT_EQ(ui.lDevModDescD->text(), "Q9 VINTARO RGB DMX 2G");
    EXPECT_EQ(ui.lDevHours->text(), "0 h");
    EXPECT_EQ(built, 1);
    EXPECT_EQ(polling, 0) << "demo clicks leave the sensor polling as it was";

    // Node 0: the group.
    ui.tvDeviceList->setCurrentItem(NodeAt(ui.tvDeviceList, 0));
    view.tvDeviceListClick();
    EXPECT_EQ(ui.lUidD->text(), "7FF3");

    // Node 8 and its five slots from 111.
    ui.tvDeviceList->setCurrentItem(NodeAt(ui.tvDeviceList, 8));
    view.tvDeviceListClick();
    EXPECT_EQ(ui.seDmxStartAdrD->value(), 111);
    EXPECT_EQ(ui.lbSlotInf->count(), 5);
    EXPECT_EQ(ui.lbSlotInf->item(4)->text(), "05. DMX:115 WHITE");
    EXPECT_EQ(ui.lBootSoftVerLabD->text(), "v.5.00 (98)");
    EXPECT_EQ(ui.lProdCatD->text(), "DIMMER DC PWM");
    EXPECT_TRUE(ui.btnReset->isEnabled());
}

// The sample values of every demo node, as the views read them.
TEST_F(Demo, SampleValuesOfEveryNode) {
    view.btnDemoDiscClick();
    struct Row {
        uint16_t model;
        uint32_t software;
        const char* label;
        uint8_t current, personalities;
        uint16_t address, subDevices;
        uint8_t sensors, identifyMode;
        uint32_t hours, cycles;
        uint8_t slotCount, pids;
    };
    const Row rows[9] = {
        {0, 0, "", 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        {66, 0x0042020F, "SW version 2.15 (66)", 1, 3, 1, 0, 3, 0, 0, 0, 0, 9},
        {70, 0x00460232, "SW version 2.50 (70)", 1, 6, 6, 0, 3, 0, 143, 0, 0, 13},
        {71, 0x0047023F, "2.63 (71)", 0, 0, 65535, 3, 0, 0, 0, 0, 0, 4},
        {71, 0x0047023F, "2.63 (71)", 1, 6, 67, 3, 3, 70, 0, 0, 3, 99},
        {71, 0x0047023F, "2.63 (71)", 1, 6, 70, 3, 3, 0, 0, 0, 3, 15},
        {71, 0x0047023F, "2.63 (71)", 1, 6, 73, 3, 3, 0, 0, 0, 3, 15},
        {97, 0x00610310, "v.3.16 (97)", 1, 6, 10, 0, 4, 255, 35, 311, 3, 23},
        {98, 0x00620310, "v.3.16 (98)", 1, 6, 111, 0, 4, 255, 102, 34, 5, 23},
    };
    for (int i = 0; i < 9; ++i) {
        const tRdmDevice& r = *view.RecordAt(i);
        const Row& e = rows[i];
        SCOPED_TRACE(i);
        EXPECT_EQ(r.deviceModelId, e.model);
        EXPECT_EQ(r.softwareVersionId, e.software);
        EXPECT_EQ(r.softwareVersionLabel, e.label);
        EXPECT_EQ(r.currentPersonality, e.current);
        EXPECT_EQ(r.personalityCount, e.personalities);
        EXPECT_EQ(r.dmxStartAddress, e.address);
        EXPECT_EQ(r.subDeviceCount, e.subDevices);
        EXPECT_EQ(r.sensorCount, e.sensors);
        EXPECT_EQ(r.identifyMode, e.identifyMode);
        EXPECT_EQ(r.identify, 0);
        EXPECT_EQ(r.deviceHours, e.hours);
        EXPECT_EQ(r.devicePowerCycles, e.cycles);
        EXPECT_EQ(r.slotCount, e.slotCount);
        EXPECT_EQ(r.supportedPidCount, e.pids);
        EXPECT_EQ(r.rdmProtocolVersion, i == 0 ? 0 : 0x0100);
        EXPECT_EQ(r.productCategory, i == 0 ? 0 : 0x0508);
        // Fields the table leaves out are zero.
        EXPECT_EQ(r.lampState | r.lampOnMode | r.displayInvert | r.displayLevel | r.panInvert | r.tiltInvert |
                      r.panTiltSwap | r.powerState | r.languageCount | r.productDetailCount,
                  0);
        // No view looks up one of node 4's further PIDs.
        for (int k = 15; k < r.supportedPidCount && i == 4; ++k)
            EXPECT_GE(r.supportedPids[size_t(k)], 0x8100);
    }
    EXPECT_EQ(view.RecordAt(3)->modelDescription, "Q9 VINTARO RGB DMX 2G");
    EXPECT_EQ(view.RecordAt(5)->modelDescription, "Q9 VINTARO RGB DMX 2G");
    EXPECT_EQ(view.RecordAt(7)->modelDescription, "KELVAR RGB MULTI 3G");
    EXPECT_EQ(view.RecordAt(7)->deviceLabel, "KELVAR 3G");
    EXPECT_EQ(view.RecordAt(7)->bootSoftwareVersionLabel, "v.5.00 (97)");
    EXPECT_EQ(view.RecordAt(0)->modelDescription, "");
    // Personalities as the configuration tab lists them.
    const auto personalities = [&](int node) {
        view.ShowDeviceDetails(node);
        return Items(ui.cbPersonality);
    };
    EXPECT_EQ(personalities(1),
              (QStringList{"1. - 3 ch - Dimmer mode: Red, Green, Blue", "2. - 0 ch - Auto program mode",
                           "3. - 1 ch - 1 channel dimmer mode"}));
    const QStringList rgb{"1. - 3 ch - Dimmer mode. CHs:RGB",
                          "2. - 3 ch - Single mode w/ DMX pri. CHs:RGB",
                          "3. - 0 ch - Single mode",
                          "4. - 3 ch - Master mode w/ DMX pri. CHs:RGB",
                          "5. - 3 ch - Manual mode w/ DMX pri. CHs:RGB",
                          "6. - 0 ch - Manual mode"};
    for (int node : {2, 4, 5, 6, 7})
        EXPECT_EQ(personalities(node), rgb) << node;
    EXPECT_EQ(
        personalities(8),
        (QStringList{"1. - 5 ch - Dimmer mode. CHs:RGBAW", "2. - 5 ch - Single mode w/ DMX pri. CHs:RGBA",
                     "3. - 0 ch - Single mode", "4. - 5 ch - Master mode w/ DMX pri. CHs:RGBA",
                     "5. - 5 ch - Manual mode w/ DMX pri. CHs:RGBA", "6. - 0 ch - Manual mode"}));
    // Sensors: number, type, unit, ranges, recorded-value support and description.
    const tRdmSensor& s7 = view.RecordAt(7)->sensors[2];
    EXPECT_EQ((std::vector<int>{s7.number, s7.type, s7.unit, s7.prefix, s7.rangeMin, s7.rangeMax,
                                s7.normalMin, s7.normalMax, s7.recordedSupport}),
              (std::vector<int>{2, 0x03, 8, 0, 80, 1200, 80, 1200, 0}));
    EXPECT_EQ(s7.description, "PWM driver frequency");
    const tRdmSensor& s2 = view.RecordAt(2)->sensors[1];
    EXPECT_EQ((std::vector<int>{s2.type, s2.unit, s2.rangeMin, s2.rangeMax, s2.normalMin, s2.normalMax}),
              (std::vector<int>{0x01, 2, 0, 26, 5, 24}));
    EXPECT_EQ(view.RecordAt(8)->sensors[3].description, "Driver type (0-CA 1-CC 2-CCU)");
    EXPECT_EQ(view.RecordAt(7)->sensors[0].recordedSupport, 3);
    EXPECT_EQ(view.RecordAt(1)->sensors[1].type, 0x1C);
    // Slots of the second sub-device as the details tab lists them.
    view.ShowDeviceDetails(5);
    EXPECT_EQ(Items(ui.lbSlotInf), (QStringList{"01. DMX:070 Color Add Red", "02. DMX:071 Color Add Green",
                                                "03. DMX:072 Color Add Blue"}));
}

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

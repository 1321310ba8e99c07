#include "discovery_scan_fixture.h"

#include "rdm/rdm_scan.h"

using ScanProgram = DiscoveryScanTest;

TEST_F(ScanProgram, DeviceWithoutSensorsOrPersonalitiesAsksTheFixedChainAndItsListedPids) {
    auto& a = Device(Uid(0x7FF3, 1));
    // 0x0060 is listed but is not one the scan asks from the list.
    simdev::Basic(a, 1, "A", "M", {0x0060, 0x0080, 0x0400, 0x8000, 0x0082});
    a.values[0x0400] = {0, 0, 0, 5};
    auto& b = Device(Uid(0x7FF3, 2));
    simdev::Basic(b, 1, "B", "M", {});
    Discover();
    EXPECT_EQ(GetPids(a),
              (std::vector<uint16_t>{0x0060, 0x00C0, 0x00F0, 0x1000, 0x0050, 0x0080, 0x0400, 0x0082}));
    EXPECT_EQ(GetPids(b), (std::vector<uint16_t>{0x0060, 0x00C0, 0x00F0, 0x1000, 0x0050}));
    EXPECT_EQ(view->RecordAt(1)->deviceHours, 5u);
    EXPECT_FALSE(Log().join('\n').contains("ask: ")) << "no detail lines without Detailes";
    EXPECT_EQ(Log().filter("Process ready").size(), 1);
}

TEST_F(ScanProgram, DetailLinesOnlyWithDetailes) {
    simdev::Basic(Device(Uid(0x7FF3, 1)), 1, "A", "M", {0x0080});
    ui->cbReszl->setChecked(true);
    Discover();
    const QStringList asks = Log().filter("ask: ");
    EXPECT_EQ(asks,
              (QStringList{"ask: SOFTWARE_VERSION_LABEL", "ask: DMX_START_ADDRESS", "ask: IDENITFY_DEVICE",
                           "ask: SUPPORTED_PARAMETERS", "ask: 7FF3:00000001 128"}));
    EXPECT_EQ(Log().back(), "Process ready");
}

TEST_F(ScanProgram, SubDevicesGetTheirNodesAndAreReadWithTheirNumbers) {
    auto& root = Device(Uid(0x7FF3, 9));
    simdev::Basic(root, 0x0047, "Q9", "Pellmor GmbH", {0x0080}, 0, 0, 2);
    for (uint16_t n : {1, 2}) {
        auto& sub = Device(Uid(0x7FF3, 9), n);
        simdev::Basic(sub, 0x0047, "Q9 sub", "Pellmor GmbH", {0x0080}, 1, 0, 0, uint16_t(10 * n), 3);
        simdev::Personality(sub, 1, 3, "RGB");
    }
    Discover();
    EXPECT_EQ(Captions(), (QStringList{"7FF3", "Q9", "1. - Sub-device", "2. - Sub-device"}));
    for (uint16_t n : {1, 2}) {
        const tRdmDevice* rec = view->RecordAt(1 + n);
        EXPECT_EQ(rec->nodeKind, NodeKindSubDevice);
        EXPECT_EQ(rec->subDevice, n);
        EXPECT_EQ(rec->DeviceKind, 4);
        EXPECT_EQ(rec->dmxStartAddress, 10 * n);
        EXPECT_EQ(rec->personalities[1].description, "RGB");
        EXPECT_EQ(GetPids(devices[n]),
                  (std::vector<uint16_t>{0x0060, 0x00C0, 0x00F0, 0x1000, 0x0050, 0x0080, 0x00E1}));
    }
    EXPECT_EQ(view->RecordAt(1)->DeviceKind, 3);
}

TEST_F(ScanProgram, SensorDefinitionsAndANackedOne) {
    auto& dev = Device(Uid(0x7FF3, 1));
    simdev::Basic(dev, 1, "A", "M", {}, 0, 3);
    for (uint8_t n : {0, 1, 2})
        simdev::Sensor(dev, n, 0, 1, 0, 100, "S" + std::to_string(n));
    Discover();
    std::vector<uint8_t> asked;
    for (const auto& req : dev.received)
        if (req[21] == 0x02 && req[22] == 0x00) asked.push_back(req[24]);
    EXPECT_EQ(asked, (std::vector<uint8_t>{0, 1, 2}));
    EXPECT_EQ(view->RecordAt(1)->sensors[2].description, "S2");
    EXPECT_EQ(view->RecordAt(1)->sensors[3].number, 255);

    // The same device with sensor 1 refused: only two definitions count, so
    // the scan asks on through the numbers up to 254.
    dev.indexedValues.erase({0x0200, {1}});
    dev.received.clear();
    Discover();
    asked.clear();
    for (const auto& req : dev.received)
        if (req[21] == 0x02 && req[22] == 0x00) asked.push_back(req[24]);
    ASSERT_EQ(asked.size(), 255u);
    EXPECT_EQ(asked.back(), 254);
    EXPECT_EQ(view->RecordAt(1)->sensors[0].description, "S0");
    EXPECT_EQ(view->RecordAt(1)->sensors[1].description, "S2");
    EXPECT_EQ(view->RecordAt(1)->sensors[1].number, 2);
    EXPECT_EQ(Log().back(), "Process ready");
}

TEST_F(ScanProgram, PersonalitiesAndSlotDescriptionsOnlyWhenSupported) {
    for (bool slotDescriptions : {false, true}) {
        devices.clear();
        line->rdm.responders.clear();
        line->discovery.responders.clear();
        auto& dev = Device(Uid(0x7FF3, 1));
        if (slotDescriptions)
            simdev::Basic(dev, 1, "A", "M", {0x0120, 0x0121}, 2, 0, 0, 1, 3);
        else
            simdev::Basic(dev, 1, "A", "M", {0x0120}, 2, 0, 0, 1, 3);
        simdev::Personality(dev, 1, 3, "RGB");
        simdev::Personality(dev, 2, 1, "Dim");
        simdev::Slots(dev, {{0, 0x0205}, {0, 0x0206}, {0, 0x0207}});
        for (uint16_t s : {0, 1, 2})
            simdev::SlotDescription(dev, s, "Slot " + std::to_string(s));
        Discover();
        std::vector<uint16_t> slotsAsked;
        for (const auto& req : dev.received)
            if (req[21] == 0x01 && req[22] == 0x21) slotsAsked.push_back(uint16_t(req[24] << 8 | req[25]));
        if (slotDescriptions) {
            EXPECT_EQ(slotsAsked, (std::vector<uint16_t>{0, 1, 2}));
            EXPECT_EQ(view->RecordAt(1)->slotInfo[2].description, "Slot 2");
        } else {
            EXPECT_TRUE(slotsAsked.empty());
        }
        EXPECT_EQ(view->RecordAt(1)->slotCount, 3);
        EXPECT_EQ(view->RecordAt(1)->personalities[2].description, "Dim");
    }
}

TEST_F(ScanProgram, KindsByFootprintAndTheTabsThatFollowThem) {
    auto& nine = Device(Uid(0x7FF3, 1));
    simdev::Basic(nine, 0x0062, "Q73G 3", "M", {}, 1, 0, 0, 1, 3);
    simdev::Personality(nine, 1, 3, "RGB");
    auto& ten = Device(Uid(0x7FF3, 2));
    simdev::Basic(ten, 0x0062, "Q73G 5", "M", {}, 1, 0, 0, 1, 5);
    simdev::Personality(ten, 1, 5, "RGBAW");
    auto& lvn = Device(Uid(0x7FF1, 3));
    simdev::Basic(lvn, 0x0051, "LVN24", "Maker", {});
    Discover();
    uint8_t kinds[3] = {};
    for (int i = 0; i < NodeCount(ui->tvDeviceList); ++i) {
        const tRdmDevice* rec = view->RecordAt(i);
        if (rec->uid == Uid(0x7FF3, 1)) kinds[0] = rec->DeviceKind;
        if (rec->uid == Uid(0x7FF3, 2) && rec->nodeKind == NodeKindDevice) kinds[1] = rec->DeviceKind;
        if (rec->uid == Uid(0x7FF1, 3) && rec->nodeKind == NodeKindDevice) kinds[2] = rec->DeviceKind;
    }
    EXPECT_EQ(kinds[0], 9);
    EXPECT_EQ(kinds[1], 10);
    EXPECT_EQ(kinds[2], 6);

    // Selecting the kind-6 device while the Special tab is open.
    QTabWidget* pc = ui->pcRdm;
    for (int i = 0; i < NodeCount(ui->tvDeviceList); ++i) {
        if (view->RecordAt(i)->DeviceKind != 9) continue;
        ui->tvDeviceList->setCurrentItem(NodeAt(ui->tvDeviceList, i));
        view->tvDeviceListClick();
    }
    ASSERT_TRUE(pc->isTabVisible(pc->indexOf(ui->tsSpecial)));
    pc->setCurrentWidget(ui->tsSpecial);
    Settle();
    for (int i = 0; i < NodeCount(ui->tvDeviceList); ++i) {
        if (view->RecordAt(i)->DeviceKind != 6) continue;
        ui->tvDeviceList->setCurrentItem(NodeAt(ui->tvDeviceList, i));
        view->tvDeviceListClick();
    }
    EXPECT_FALSE(pc->isTabVisible(pc->indexOf(ui->tsSpecial)));
    EXPECT_TRUE(pc->isTabVisible(pc->indexOf(ui->tsLvn24Conf)));
    EXPECT_EQ(pc->currentWidget(), ui->tsReszletek);
}

TEST_F(ScanProgram, SilentDeviceInfoIsAskedTwentyTimesMore) {
    auto& dev = Device(Uid(0x7FF3, 1));
    simdev::Basic(dev, 1, "A", "M", {});
    dev.silent = true;
    Discover();
    EXPECT_EQ(GetPids(dev).size(), 21u);
    EXPECT_EQ(Log().filter("Waiting for answer...").size(), 20);
    EXPECT_FALSE(ui->btnDiscovery->isEnabled()) << "the scan stays pending";
}

TEST_F(ScanProgram, ClickDuringTheScanDoesNotMoveIt) {
    auto& a = Device(Uid(0x7FF3, 1));
    simdev::Basic(a, 1, "A", "M", {});
    auto& b = Device(Uid(0x7FF3, 2));
    simdev::Basic(b, 1, "B", "M", {});
    b.silent = true; // the scan stalls on the second device
    Discover();
    ASSERT_EQ(St().RdmCurrentNode, 2);
    const size_t before = a.received.size();
    QTreeWidgetItem* first = NodeAt(ui->tvDeviceList, 1);
    const QRect r = ui->tvDeviceList->visualItemRect(first);
    QTest::mouseClick(ui->tvDeviceList->viewport(), Qt::LeftButton, {}, r.center());
    Settle();
    EXPECT_EQ(St().RdmCurrentNode, 2) << "the scan's cursor stays";
    EXPECT_EQ(a.received.size(), before) << "nothing was sent to the clicked device";
    EXPECT_EQ(ui->lUidD->text(), "7FF3:00000001") << "the node is shown";
}

TEST_F(ScanProgram, SubDeviceCountIsBoundedByTheStandard) {
    auto& root = Device(Uid(0x7FF3, 1));
    simdev::Basic(root, 1, "Big", "M", {}, 0, 0, 600);
    Discover();
    ASSERT_GE(NodeCount(ui->tvDeviceList), 2);
    EXPECT_EQ(NodeAt(ui->tvDeviceList, 1)->childCount(), int(RdmScan::MaxSubDevices));
}

TEST(DeviceKind, Table) {
    tRdmDevice rec;
    auto kind = [&](uint16_t manufacturer, uint16_t model, uint16_t sub = 0, uint16_t footprint = 0) {
        rec = tRdmDevice{};
        rec.uid = uint64_t(manufacturer) << 32 | 1;
        rec.deviceModelId = model;
        rec.subDevice = sub;
        rec.personalities[1].footprint = footprint;
        return ClassifyDevice(rec);
    };
    EXPECT_EQ(kind(0x7FF1, 0x0043), 1);
    EXPECT_EQ(kind(0x7FF1, 0x0051), 6);
    EXPECT_EQ(kind(0x7FF1, 0x0071), 12);
    EXPECT_EQ(kind(0x7FF1, 0x0046), 0);
    EXPECT_EQ(kind(0x7FF3, 0x0042), 1);
    EXPECT_EQ(kind(0x7FF3, 0x0046), 2);
    EXPECT_EQ(kind(0x7FF3, 0x0047, 0), 3);
    EXPECT_EQ(kind(0x7FF3, 0x0047, 2), 4);
    EXPECT_EQ(kind(0x7FF3, 0x004A), 5);
    EXPECT_EQ(kind(0x7FF3, 0x0061), 7);
    EXPECT_EQ(kind(0x7FF3, 0x0062, 0, 3), 9);
    EXPECT_EQ(kind(0x7FF3, 0x0062, 0, 5), 10);
    EXPECT_EQ(kind(0x7FF3, 0x0064), 8);
    EXPECT_EQ(kind(0x7FF3, 0x0076), 11);
    EXPECT_EQ(kind(0x7FF2, 0x0042), 0);
}

TEST_F(ScanProgram, ClicksAndTabsAskTheMakerModesByKind) {
    auto& kelvar = Device(Uid(0x7FF3, 1));
    simdev::Basic(kelvar, 0x0042, "KELVAR", "M", {});
    auto& q73g = Device(Uid(0x7FF3, 2));
    simdev::Basic(q73g, 0x0061, "Q73G", "M", {});
    Discover();
    auto lastPid = [](const SimRdmResponder& r) {
        const auto& q = r.received.back();
        return uint16_t(q[21] << 8 | q[22]);
    };
    auto click = [&](uint64_t uid) {
        for (int i = 0; i < NodeCount(ui->tvDeviceList); ++i) {
            if (view->RecordAt(i)->uid != uid || view->RecordAt(i)->nodeKind != NodeKindDevice) continue;
            const QRect r = ui->tvDeviceList->visualItemRect(NodeAt(ui->tvDeviceList, i));
            QTest::mouseClick(ui->tvDeviceList->viewport(), Qt::LeftButton, {}, r.center());
        }
        Settle();
    };
    click(kelvar.uid);
    EXPECT_EQ(lastPid(kelvar), 0x8000);
    EXPECT_EQ(St().RdmCurrentPid, 0x8000);
    const size_t q73gBefore = q73g.received.size();
    click(q73g.uid);
    EXPECT_EQ(q73g.received.size(), q73gBefore) << "a click asks kinds 1, 2 and 4 only";
    ui->pcRdm->setCurrentWidget(ui->tsSpecial);
    Settle();
    EXPECT_EQ(lastPid(q73g), 0x8004) << "the Special tab asks kinds 7 to 11 too";

    // In demo mode neither a click nor a tab sends anything, and the sensors tab stops the polling.
    const size_t packets = box->packets.size();
    view->btnDemoDiscClick(); // (the brand in use hides the button once an interface is there)
    int stops = 0;
    view->hooks.StopSensorPolling = [&] { ++stops; };
    view->hooks.StartSensorPolling = [&] { ADD_FAILURE() << "no polling in demo mode"; };
    click(Uid(0x7FF3, 0x03F0CF64));
    ui->pcRdm->setCurrentWidget(ui->tsReszletek);
    ui->pcRdm->setCurrentWidget(ui->tsSpecial);
    ui->pcRdm->setCurrentWidget(ui->tsErzekelok);
    Settle();
    EXPECT_EQ(box->packets.size(), packets);
    EXPECT_EQ(stops, 1);
}

TEST_F(ScanProgram, SpecialTabWithAnEmptyTreeSendsNothing) {
    view->DemoMode = 0;
    ui->pcRdm->setTabVisible(ui->pcRdm->indexOf(ui->tsSpecial), true);
    ui->pcRdm->setCurrentWidget(ui->tsSpecial);
    Settle();
    EXPECT_TRUE(box->packets.empty());
}

TEST_F(ScanProgram, DemoDuringAStalledScanEndsIt) {
    auto& dev = Device(Uid(0x7FF3, 1));
    simdev::Basic(dev, 1, "A", "M", {});
    dev.silent = true;
    Discover();
    ASSERT_FALSE(ui->btnDiscovery->isEnabled());
    view->btnDemoDiscClick();
    EXPECT_TRUE(ui->btnDiscovery->isEnabled());
    EXPECT_EQ(St().RdmPendingOp, 0);
    // A late answer to the old scan goes nowhere; the demo's records stay as they are.
    dev.silent = false;
    const QString caption = NodeAt(ui->tvDeviceList, 1)->text(0);
    St().RdmCurrentNode = 1;
    dm->SendRdmRequest(0, 0x20, dev.uid, 0x0080, 0, {}, 0x40);
    Settle();
    EXPECT_EQ(NodeAt(ui->tvDeviceList, 1)->text(0), caption);
    // A click now selects and shows the node.
    ui->tvDeviceList->setCurrentItem(NodeAt(ui->tvDeviceList, 2));
    view->tvDeviceListClick();
    EXPECT_EQ(St().RdmCurrentNode, 2);
}

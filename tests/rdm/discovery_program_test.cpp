#include "discovery_scan_fixture.h"

using DiscoveryProgram = DiscoveryScanTest;

TEST_F(DiscoveryProgram, OneDeviceIsFoundListedAndScanned) {
    auto& dev = Device(Uid(0x7FF3, 0x00000001));
    simdev::Basic(dev, 0x0062, "VINTARO", "Pellmor GmbH", {0x0080, 0x0081});
    Discover();
    const QStringList log = Log();
    const QStringList opening{"Start discovery process...",
                              "Un mute all device...",
                              "Disc.branch:0001:00000000-7FFF:FFFFFFFF",
                              "Found: 7FF300000001",
                              "Mute device: 7FF3:00000001",
                              "Acknoledged: 7FF300000001",
                              "test_cnt: 1",
                              "To list: 1 - 7FF3:00000001",
                              "Disc.branch:0001:00000000-7FFF:FFFFFFFF",
                              "No answer",
                              "Number of discovered units: 1"};
    ASSERT_GE(log.size(), opening.size());
    EXPECT_EQ(log.mid(0, opening.size()), opening);
    EXPECT_EQ(log.back(), "Process ready");
    // The interface was told to open the discovery, and everyone was un-muted first.
    const auto& opened = box->written;
    EXPECT_TRUE(std::any_of(opened.begin(), opened.end(), [](const sim::RawReport& r) {
        return r.size() > 3 && r[1] == 0x01 && r[2] == 0x32 && r[3] == 0x28;
    }));
    ASSERT_FALSE(line->discoveryRequests.empty());
    EXPECT_EQ(line->discoveryRequests.front().type, 0x20);
    EXPECT_EQ(line->discovery.unMuteRequests, 1);
    // After the count line the scan begins with DEVICE_INFO to node 1.
    ASSERT_FALSE(dev.received.empty());
    EXPECT_EQ(GetPids(dev).front(), 0x0060);
    EXPECT_EQ(dm->LinkMode, 4);
    // The group is named by the manufacturer label, the device by its model.
    EXPECT_EQ(Captions(), (QStringList{"Pellmor GmbH", "VINTARO"}));
    EXPECT_EQ(view->RecordAt(1)->DeviceKind, 10);
    EXPECT_TRUE(ui->btnDiscovery->isEnabled());
    EXPECT_EQ(St().RdmCurrentNode, 0);
    EXPECT_EQ(ui->lUidD->text(), "7FF3");
    // Each request went to the debug log.
    EXPECT_TRUE(ui->mDebug->toPlainText().contains("60 98 26 CC 01 24 FF FF FF FF FF FF 7F F1 00 00 00 00 "));
}

TEST_F(DiscoveryProgram, NoDeviceEnablesTheButtonAgainWithoutScan) {
    Discover();
    EXPECT_EQ(Log().back(), "Number of discovered units: 0");
    EXPECT_TRUE(ui->btnDiscovery->isEnabled());
    EXPECT_EQ(NodeCount(ui->tvDeviceList), 0);
    EXPECT_FALSE(Log().contains("Process ready"));
    EXPECT_TRUE(line->requests.empty()) << "no GET was sent";
}

TEST_F(DiscoveryProgram, ManufacturersGetOneGroupEach) {
    simdev::Basic(Device(Uid(0x7FF3, 0x20)), 0x0046, "Q7 A", "Pellmor GmbH", {0x0080, 0x0081});
    simdev::Basic(Device(Uid(0x7FF3, 0x10)), 0x0046, "Q7 B", "Pellmor GmbH", {0x0080, 0x0081});
    simdev::Basic(Device(Uid(0x0808, 0x01)), 0x0001, "Other", "Acme", {0x0080, 0x0081});
    Discover();
    ASSERT_EQ(NodeCount(ui->tvDeviceList), 5);
    ASSERT_EQ(ui->tvDeviceList->topLevelItemCount(), 2);
    EXPECT_EQ(
        ui->tvDeviceList->topLevelItem(0)->childCount() + ui->tvDeviceList->topLevelItem(1)->childCount(), 3);
    QStringList groups{ui->tvDeviceList->topLevelItem(0)->text(0),
                       ui->tvDeviceList->topLevelItem(1)->text(0)};
    groups.sort();
    EXPECT_EQ(groups, (QStringList{"Acme", "Pellmor GmbH"}));
    for (const auto& d : devices)
        EXPECT_FALSE(GetPids(d).empty()) << "every device was scanned";
    for (int i = 0; i < 5; ++i) {
        const tRdmDevice* rec = view->RecordAt(i);
        if (rec->nodeKind == NodeKindDevice) {
            EXPECT_EQ(rec->DeviceKind, rec->manufacturerId() == 0x7FF3 ? 2 : 0);
        }
    }
}

TEST_F(DiscoveryProgram, MuteNeverAcknowledgedIsRetriedThreeTimes) {
    auto& dev = Device(Uid(0x1234, 5));
    simdev::Basic(dev, 1, "X", "Y", {});
    line->discovery.responders.back().neverAcknowledgesMute = true;
    Discover();
    EXPECT_EQ(Log().filter("test_cnt: ").mid(0, 3),
              (QStringList{"test_cnt: 1", "test_cnt: 2", "test_cnt: 3"}));
    EXPECT_EQ(Log().filter("Mute device: 1234:00000005").size() % 3, 0);
    EXPECT_EQ(Log().filter("Number of discovered units: 0").size(), 1);
    EXPECT_TRUE(ui->btnDiscovery->isEnabled());
}

TEST_F(DiscoveryProgram, HundredRandomDevicesAreFoundOnceAndScanned) {
    line->discovery.AddRandomResponders(100, 99);
    const auto uids = line->discovery.responders;
    line->discovery.responders.clear();
    for (const auto& d : uids)
        simdev::Basic(Device(d.uid), 1, "D", "M", {});
    Discover();
    EXPECT_EQ(view->Discovery.DiscoveredCount, 100);
    std::set<uint64_t> found(view->Discovery.DiscoveredUids.begin(),
                             view->Discovery.DiscoveredUids.begin() + 100);
    EXPECT_EQ(found.size(), 100u);
    int deviceNodes = 0;
    for (int i = 0; i < NodeCount(ui->tvDeviceList); ++i)
        if (view->RecordAt(i)->nodeKind == NodeKindDevice) ++deviceNodes;
    EXPECT_EQ(deviceNodes, 100);
    EXPECT_EQ(Log().back(), "Process ready");
    for (const auto& d : devices)
        EXPECT_EQ(GetPids(d).front(), 0x0060);
}

TEST_F(DiscoveryProgram, RepeatedDiscoveryTestRestartsWithoutTouchingDemoMode) {
    simdev::Basic(Device(Uid(0x7FF3, 1)), 1, "D", "M", {});
    ui->cbTestAutoDisc->setChecked(true);
    Discover();
    EXPECT_TRUE(dm->tTest->isActive());
    EXPECT_EQ(ui->lAutoDisc->text(), "1");
    view->DemoMode = 1; // as if the demo had run meanwhile
    dm->tTestTimer();
    Settle();
    EXPECT_EQ(view->DemoMode, 1);
    EXPECT_EQ(Log().filter("Start discovery process...").size(), 2);
    EXPECT_EQ(ui->lAutoDisc->text(), "2");
    ui->cbTestAutoDisc->setChecked(false);
    dm->tTest->stop();
}

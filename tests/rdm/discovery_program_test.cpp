#include <QRegularExpression>

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
    // After the third try the whole range counts as a collision: its lower half is searched next.
    const QStringList log = Log();
    const int third = log.indexOf("test_cnt: 3");
    ASSERT_GE(third, 0);
    ASSERT_GT(log.size(), third + 1);
    EXPECT_EQ(log[third + 1], "Disc.branch:0001:00000000-4000:7FFFFFFF");
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
    std::set<uint64_t> expected;
    for (const auto& d : uids)
        expected.insert(d.uid);
    EXPECT_EQ(found, expected);
    EXPECT_EQ(Log().filter(QRegularExpression("^To list: ")).size(), 100);
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

TEST_F(DiscoveryProgram, TwoCollidingDevicesAreSplitAndEachListedOnce) {
    simdev::Basic(Device(Uid(0x7FF3, 0x10)), 1, "A", "M", {0x0080, 0x0081});
    simdev::Basic(Device(Uid(0x7FF3, 0x11)), 1, "B", "M", {0x0080, 0x0081});
    for (bool garbled : {false, true}) {
        line->discovery.collisionsAsGarbledAnswer = garbled;
        view->btnClrTortenetClick();
        Discover();
        const QStringList log = Log();
        // Both answer the whole range together. (Laid over each other, the two answers
        // may still read as one valid UID, which is then muted on its own.)
        ASSERT_GE(log.size(), 4);
        EXPECT_EQ(log[2], "Disc.branch:0001:00000000-7FFF:FFFFFFFF");
        if (!garbled) {
            EXPECT_EQ(log[3], "More device answered");
        }
        EXPECT_EQ(log.filter("To list: ").size(), 2);
        EXPECT_EQ(log.filter(" - 7FF3:00000010").size(), 1);
        EXPECT_EQ(log.filter(" - 7FF3:00000011").size(), 1);
        EXPECT_EQ(view->Discovery.DiscoveredCount, 2);
        QStringList captions = Captions();
        ASSERT_EQ(captions.size(), 3);
        EXPECT_EQ(captions.takeFirst(), "M");
        captions.sort();
        EXPECT_EQ(captions, (QStringList{"A", "B"}));
    }
}

TEST_F(DiscoveryProgram, SeventeenByteAnswersDecodeOnlyWithTheSeparatorFirst) {
    auto& dev = Device(Uid(0x7FF3, 0x42));
    simdev::Basic(dev, 1, "D", "M", {});
    const auto full = SimDiscoveryLine::EncodeUniqueBranchAnswer(Uid(0x7FF3, 0x42));
    // No preamble: 0xAA and the 16 encoded bytes.
    line->discovery.responders.back().branchAnswer.assign(full.begin() + 7, full.end());
    Discover();
    QStringList log = Log();
    ASSERT_GE(log.size(), 5);
    EXPECT_EQ(log[3], "Found: 7FF300000042");
    EXPECT_EQ(log[4], "Mute device: 7FF3:00000042");
    EXPECT_EQ(view->Discovery.DiscoveredCount, 1);

    // One preamble byte and the last byte lost: still 17 bytes, but 0xAA second.
    std::vector<uint8_t> late{0xFE};
    late.insert(late.end(), full.begin() + 7, full.end() - 1);
    ASSERT_EQ(late.size(), 17u);
    line->discovery.responders.back().branchAnswer = late;
    view->btnClrTortenetClick();
    Discover();
    log = Log();
    ASSERT_GE(log.size(), 4);
    EXPECT_EQ(log[3], "More device answered");
    EXPECT_FALSE(log.contains("Found: 7FF300000042"));
    // Split down to its single UID, it is muted directly and listed all the same.
    EXPECT_EQ(log.filter("To list: 1 - 7FF3:00000042").size(), 1);
    EXPECT_EQ(view->Discovery.DiscoveredCount, 1);
}

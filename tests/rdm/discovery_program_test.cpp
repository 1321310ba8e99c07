#include <QRegularExpression>

#include "discovery_scan_fixture.h"

using DiscoveryProgram = DiscoveryScanTest;

TEST_F(DiscoveryProgram, OneDeviceIsFoundListedAndScanned) {
    auto& dev = Device(Uid(0x7FF3, 0x00000001));
    simdev::Basic(dev, 0x0062, "VINTARO", "Pellmor GmbH", {0x0080, 0x0081});
    ASSERT_NO_FATAL_FAILURE(Discover());
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
    EXPECT_EQ(Log().mid(0, opening.size()), opening);
    EXPECT_EQ(LastLogLine(), "Process ready");
    // The interface was told to open the discovery, and everyone was un-muted first.
    EXPECT_TRUE(std::any_of(box->written.begin(), box->written.end(), [](const sim::RawReport& r) {
        return r.size() > 3 && r[1] == 0x01 && r[2] == 0x32 && r[3] == 0x28;
    }));
    ASSERT_FALSE(line->discoveryRequests.empty());
    EXPECT_EQ(line->discoveryRequests.front().type, 0x20);
    EXPECT_EQ(line->discovery.unMuteRequests, 1);
    // After the count line the scan begins with DEVICE_INFO; the captions come from its labels.
    ASSERT_FALSE(dev.received.empty());
    EXPECT_EQ(FirstGet(dev), 0x0060);
    EXPECT_EQ(Captions(), (QStringList{"Pellmor GmbH", "VINTARO"}));
    EXPECT_EQ(view->RecordAt(1)->DeviceKind, 10);
    EXPECT_TRUE(ui->btnDiscovery->isEnabled());
    EXPECT_EQ(St().RdmCurrentNode, 0);
    // The debug log shows exactly the bytes that reached the interface.
    ASSERT_FALSE(line->requests.empty());
    EXPECT_EQ(DebugLogText(w).split('\n', Qt::SkipEmptyParts).last().trimmed(),
              HexDumpLine(line->requests.back().bytes).trimmed());
    EXPECT_TRUE(DebugLogText(w).contains("60 98 26 CC 01 24 FF FF FF FF FF FF 7F F1 00 00 00 00 "));
}

TEST_F(DiscoveryProgram, NoDeviceEnablesTheButtonAgainWithoutScan) {
    ASSERT_NO_FATAL_FAILURE(Discover());
    EXPECT_EQ(LastLogLine(), "Number of discovered units: 0");
    EXPECT_TRUE(ui->btnDiscovery->isEnabled());
    EXPECT_EQ(NodeCount(ui->tvDeviceList), 0);
    EXPECT_TRUE(line->requests.empty()) << "no GET was sent";
}

TEST_F(DiscoveryProgram, ManufacturersGetOneGroupEach) {
    simdev::Basic(Device(Uid(0x7FF3, 0x20)), 0x0046, "Q7 A", "Pellmor GmbH", {0x0080, 0x0081});
    simdev::Basic(Device(Uid(0x7FF3, 0x10)), 0x0046, "Q7 B", "Pellmor GmbH", {0x0080, 0x0081});
    simdev::Basic(Device(Uid(0x0808, 0x01)), 0x0001, "Other", "Acme", {0x0080, 0x0081});
    ASSERT_NO_FATAL_FAILURE(Discover());
    QTreeWidget* tree = ui->tvDeviceList;
    ASSERT_EQ(NodeCount(tree), 5);
    ASSERT_EQ(tree->topLevelItemCount(), 2);
    QStringList groups{tree->topLevelItem(0)->text(0), tree->topLevelItem(1)->text(0)};
    groups.sort();
    EXPECT_EQ(groups, (QStringList{"Acme", "Pellmor GmbH"}));
    for (const auto& d : devices)
        EXPECT_FALSE(GetPids(d).empty()) << "every device was scanned";
}

TEST_F(DiscoveryProgram, MuteNeverAcknowledgedIsTriedThreeTimesThenSplit) {
    simdev::Basic(Device(Uid(0x1234, 5)), 1, "X", "Y", {});
    line->discovery.responders.back().neverAcknowledgesMute = true;
    ASSERT_NO_FATAL_FAILURE(Discover());
    const QStringList log = Log();
    const int first = log.indexOf("Mute device: 1234:00000005");
    ASSERT_GE(first, 0);
    EXPECT_EQ(log.mid(first, 10),
              (QStringList{"Mute device: 1234:00000005", "No acknoledged: 123400000005", "test_cnt: 1",
                           "Mute device: 1234:00000005", "No acknoledged: 123400000005", "test_cnt: 2",
                           "Mute device: 1234:00000005", "No acknoledged: 123400000005", "test_cnt: 3",
                           "Disc.branch:0001:00000000-4000:7FFFFFFF"}));
    EXPECT_EQ(log.filter("Number of discovered units: 0").size(), 1);
    EXPECT_TRUE(ui->btnDiscovery->isEnabled());
}

TEST_F(DiscoveryProgram, HundredRandomDevicesAreFoundOnceAndScanned) {
    line->discovery.AddRandomResponders(100, 99);
    const auto random = line->discovery.responders;
    line->discovery.responders.clear();
    std::set<uint64_t> expected;
    for (const auto& d : random) {
        simdev::Basic(Device(d.uid), 1, "D", "M", {});
        expected.insert(d.uid);
    }
    ASSERT_NO_FATAL_FAILURE(Discover());
    EXPECT_EQ(view->Discovery.DiscoveredCount, 100);
    EXPECT_EQ(std::set<uint64_t>(view->Discovery.DiscoveredUids.begin(),
                                 view->Discovery.DiscoveredUids.begin() + 100),
              expected);
    EXPECT_EQ(Log().filter(QRegularExpression("^To list: ")).size(), 100);
    EXPECT_EQ(LastLogLine(), "Process ready");
    for (const auto& d : devices)
        EXPECT_EQ(FirstGet(d), 0x0060);
}

TEST_F(DiscoveryProgram, RepeatedDiscoveryTestRestartsWithoutTouchingDemoMode) {
    simdev::Basic(Device(Uid(0x7FF3, 1)), 1, "D", "M", {});
    ui->cbTestAutoDisc->setChecked(true);
    ASSERT_NO_FATAL_FAILURE(Discover());
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
        ASSERT_NO_FATAL_FAILURE(Discover());
        const QStringList log = Log();
        // (Laid over each other, two answers may still read as one valid UID, muted on its own.)
        ASSERT_GE(log.size(), 4);
        if (!garbled) {
            EXPECT_EQ(log[3], "More device answered");
        }
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
    simdev::Basic(Device(Uid(0x7FF3, 0x42)), 1, "D", "M", {});
    const auto full = SimDiscoveryLine::EncodeUniqueBranchAnswer(Uid(0x7FF3, 0x42));
    std::vector<uint8_t> late{0xFE}; // one preamble byte, and the last byte lost
    late.insert(late.end(), full.begin() + 7, full.end() - 1);
    for (const bool separatorFirst : {true, false}) {
        line->discovery.responders.back().branchAnswer =
            separatorFirst ? std::vector<uint8_t>(full.begin() + 7, full.end()) : late;
        view->btnClrTortenetClick();
        ASSERT_NO_FATAL_FAILURE(Discover());
        const QStringList log = Log();
        ASSERT_GE(log.size(), 5);
        EXPECT_EQ(log[3], separatorFirst ? "Found: 7FF300000042" : "More device answered");
        // Split down to its single UID, it is muted directly and listed all the same.
        EXPECT_EQ(log.filter("To list: 1 - 7FF3:00000042").size(), 1);
        EXPECT_EQ(view->Discovery.DiscoveredCount, 1);
    }
}

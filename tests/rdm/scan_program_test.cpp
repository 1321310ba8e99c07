#include <QListWidget>
#include <QProgressBar>

#include "discovery_scan_fixture.h"
#include "rdm/rdm_ops.h"
#include "views/rdm_scan.h"

using ScanProgram = DiscoveryScanTest;

TEST_F(ScanProgram, DeviceWithoutSensorsOrPersonalitiesAsksTheFixedChainAndItsListedPids) {
    auto& a = Device(Uid(0x7FF3, 1));
    // 0x0060 is listed but is not one the scan asks from the list.
    simdev::Basic(a, 1, "A", "M", {0x0060, 0x0080, 0x0400, 0x8000, 0x0082});
    a.values[0x0400] = {0, 0, 0, 5};
    auto& b = Device(Uid(0x7FF3, 2));
    simdev::Basic(b, 1, "B", "M", {});
    ASSERT_NO_FATAL_FAILURE(Discover());
    EXPECT_EQ(GetPids(a),
              (std::vector<uint16_t>{0x0060, 0x00C0, 0x00F0, 0x1000, 0x0050, 0x0080, 0x0400, 0x0082}));
    EXPECT_EQ(GetPids(b), (std::vector<uint16_t>{0x0060, 0x00C0, 0x00F0, 0x1000, 0x0050}));
    EXPECT_EQ(view->RecordAt(1)->deviceHours, 5u);
    EXPECT_TRUE(Log().filter("ask: ").isEmpty()) << "no detail lines without Detailes";
    EXPECT_EQ(Log().filter("Process ready").size(), 1);

    ui->cbReszl->setChecked(true);
    view->btnClrTortenetClick();
    ASSERT_NO_FATAL_FAILURE(Discover());
    EXPECT_EQ(Log().filter("ask: ").mid(0, 5),
              (QStringList{"ask: SOFTWARE_VERSION_LABEL", "ask: DMX_START_ADDRESS", "ask: IDENITFY_DEVICE",
                           "ask: SUPPORTED_PARAMETERS", "ask: 7FF3:00000001 128"}));
    EXPECT_EQ(LastLogLine(), "Process ready");
}

TEST_F(ScanProgram, SubDevicesGetTheirNodesAndAreReadWithTheirNumbers) {
    simdev::Basic(Device(Uid(0x7FF3, 9)), 0x0047, "Q9", "Pellmor GmbH", {0x0080}, 0, 0, 2);
    for (uint16_t n : {1, 2}) {
        auto& sub = Device(Uid(0x7FF3, 9), n);
        simdev::Basic(sub, 0x0047, "Q9 sub", "Pellmor GmbH", {0x0080}, 1, 0, 0, uint16_t(10 * n), 3);
        simdev::Personality(sub, 1, 3, "RGB");
    }
    ASSERT_NO_FATAL_FAILURE(Discover());
    EXPECT_EQ(Captions(), (QStringList{"7FF3", "Q9", "1. - Sub-device", "2. - Sub-device"}));
    EXPECT_EQ(view->RecordAt(1)->DeviceKind, 3);
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
}

TEST_F(ScanProgram, SubDeviceCountIsBoundedByTheStandard) {
    simdev::Basic(Device(Uid(0x7FF3, 1)), 1, "Big", "M", {}, 0, 0, 600);
    ASSERT_NO_FATAL_FAILURE(Discover());
    ASSERT_GE(NodeCount(ui->tvDeviceList), 2);
    EXPECT_EQ(NodeAt(ui->tvDeviceList, 1)->childCount(), int(RdmScan::MaxSubDevices));
}

TEST_F(ScanProgram, SensorDefinitionsAndANackedOne) {
    auto& dev = Device(Uid(0x7FF3, 1));
    simdev::Basic(dev, 1, "A", "M", {}, 0, 3);
    for (uint8_t n : {0, 1, 2})
        simdev::Sensor(dev, n, 0, 1, 0, 100, "S" + std::to_string(n));
    ASSERT_NO_FATAL_FAILURE(Discover());
    EXPECT_EQ(Asked(dev, 0x0200), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(view->RecordAt(1)->sensors[2].description, "S2");
    EXPECT_EQ(view->RecordAt(1)->sensors[3].number, 255);

    // Sensor 1 refused: only two definitions count, so the scan asks on up to 254.
    dev.indexedValues.erase({0x0200, {1}});
    dev.received.clear();
    ASSERT_NO_FATAL_FAILURE(Discover());
    const auto asked = Asked(dev, 0x0200);
    ASSERT_EQ(asked.size(), 255u);
    EXPECT_EQ(asked.back(), 254);
    EXPECT_EQ(view->RecordAt(1)->sensors[1].description, "S2");
    EXPECT_EQ(view->RecordAt(1)->sensors[1].number, 2);
    EXPECT_EQ(LastLogLine(), "Process ready");
}

TEST_F(ScanProgram, PersonalitiesAndSlotDescriptionsOnlyWhenSupported) {
    for (uint32_t n : {1, 2}) {
        auto& dev = Device(Uid(0x7FF3, n));
        if (n == 1)
            simdev::Basic(dev, 1, "A", "M", {0x0120}, 2, 0, 0, 1, 3);
        else
            simdev::Basic(dev, 1, "B", "M", {0x0120, 0x0121}, 2, 0, 0, 1, 3);
        simdev::Personality(dev, 1, 3, "RGB");
        simdev::Personality(dev, 2, 1, "Dim");
        simdev::Slots(dev, {{0, 0x0205}, {0, 0x0206}, {0, 0x0207}});
        for (uint16_t s : {0, 1, 2})
            simdev::SlotDescription(dev, s, "Slot " + std::to_string(s));
    }
    ASSERT_NO_FATAL_FAILURE(Discover());
    EXPECT_EQ(Asked(devices[0], 0x0121), std::vector<int>{});
    EXPECT_EQ(Asked(devices[1], 0x0121), (std::vector<int>{0, 1, 2}));
    for (int node : {1, 2}) {
        EXPECT_EQ(view->RecordAt(node)->slotCount, 3);
        EXPECT_EQ(view->RecordAt(node)->personalities[2].description, "Dim");
        EXPECT_EQ(view->RecordAt(node)->slotInfo[2].description, node == 1 ? "" : "Slot 2");
    }
}

// A list longer than one answer can carry comes in ACK_OVERFLOW pieces: the
// scan keeps what the first piece holds and goes on as after an ACK, without
// asking for the rest.
TEST_F(ScanProgram, ListsThatComeInAckOverflowPiecesKeepTheirFirstPiece) {
    auto& dev = Device(Uid(0x7FF3, 1));
    simdev::Basic(dev, 1, "Spot", "M", {});
    // The first piece of more than 115 parameters: two the scan reads, at
    // either end, and the maker's own between them.
    std::vector<uint8_t> pids{0x01, 0x20};
    for (int i = 0; i < 113; ++i)
        pids.insert(pids.end(), {0x81, uint8_t(i)});
    pids.insert(pids.end(), {0x04, 0x00});
    dev.values[0x0050] = pids;
    // The first piece of 50 primary slots: the first 46.
    std::vector<uint8_t> slotInfo;
    for (uint8_t i = 0; i < 46; ++i)
        slotInfo.insert(slotInfo.end(), {0x00, i, 0x00, 0x00, 0x01});
    dev.values[0x0120] = slotInfo;
    dev.values[0x0400] = {0, 0, 0, 7};
    dev.overflowGets = {0x0050, 0x0120};

    ASSERT_NO_FATAL_FAILURE(Discover());
    EXPECT_EQ(GetPids(dev), (std::vector<uint16_t>{0x0060, 0x00C0, 0x00F0, 0x1000, 0x0050, 0x0120, 0x0400}));
    const int node = NodeOf(dev.uid);
    ASSERT_GT(node, 0);
    const tRdmDevice& rec = *view->RecordAt(node);
    EXPECT_EQ(rec.supportedPidCount, 115);
    EXPECT_EQ(rec.deviceHours, 7u);
    EXPECT_EQ(rec.slotCount, 46);
    EXPECT_EQ(rec.slotInfo[45].offset, 45);
    EXPECT_EQ(LastLogLine(), "Process ready");

    Click(node);
    ASSERT_EQ(ui->lbSlotInf->count(), 46);
    EXPECT_TRUE(ui->lbSlotInf->item(45)->text().startsWith("46. DMX:046 "))
        << ui->lbSlotInf->item(45)->text().toStdString();
}

TEST(DeviceKind, ByManufacturerModelSubDeviceAndFootprint) {
    const struct {
        uint16_t manufacturer, model, sub, footprint;
        uint8_t kind;
    } rows[] = {{0x7FF1, 0x0043, 0, 0, 1}, {0x7FF1, 0x0051, 0, 0, 6},  {0x7FF1, 0x0071, 0, 0, 12},
                {0x7FF1, 0x0046, 0, 0, 0}, {0x7FF3, 0x0042, 0, 0, 1},  {0x7FF3, 0x0046, 0, 0, 2},
                {0x7FF3, 0x0047, 0, 0, 3}, {0x7FF3, 0x0047, 2, 0, 4},  {0x7FF3, 0x004A, 0, 0, 5},
                {0x7FF3, 0x0061, 0, 0, 7}, {0x7FF3, 0x0062, 0, 3, 9},  {0x7FF3, 0x0062, 0, 5, 10},
                {0x7FF3, 0x0064, 0, 0, 8}, {0x7FF3, 0x0076, 0, 0, 11}, {0x7FF2, 0x0042, 0, 0, 0}};
    for (const auto& r : rows) {
        tRdmDevice rec{};
        rec.uid = uint64_t(r.manufacturer) << 32 | 1;
        rec.deviceModelId = r.model;
        rec.subDevice = r.sub;
        rec.personalities[1].footprint = r.footprint;
        EXPECT_EQ(ClassifyDevice(rec), r.kind) << std::hex << r.manufacturer << ' ' << r.model;
    }
}

TEST_F(ScanProgram, KindsByFootprint) {
    auto& nine = Device(Uid(0x7FF3, 1));
    simdev::Basic(nine, 0x0062, "Q73G 3", "M", {}, 1, 0, 0, 1, 3);
    simdev::Personality(nine, 1, 3, "RGB");
    auto& ten = Device(Uid(0x7FF3, 2));
    simdev::Basic(ten, 0x0062, "Q73G 5", "M", {}, 1, 0, 0, 1, 5);
    simdev::Personality(ten, 1, 5, "RGBAW");
    simdev::Basic(Device(Uid(0x7FF1, 3)), 0x0051, "LVN24", "Maker", {});
    ASSERT_NO_FATAL_FAILURE(Discover());
    EXPECT_EQ(view->RecordAt(NodeOf(Uid(0x7FF3, 1)))->DeviceKind, 9);
    EXPECT_EQ(view->RecordAt(NodeOf(Uid(0x7FF3, 2)))->DeviceKind, 10);
    EXPECT_EQ(view->RecordAt(NodeOf(Uid(0x7FF1, 3)))->DeviceKind, 6);
}

TEST_F(ScanProgram, SilentDeviceInfoIsAskedTwentyTimesMoreThenTheScanEnds) {
    auto& a = Device(Uid(0x7FF3, 1));
    simdev::Basic(a, 1, "A", "M", {});
    auto& b = Device(Uid(0x7FF3, 2));
    simdev::Basic(b, 1, "B", "M", {});
    b.silent = true;
    ASSERT_NO_FATAL_FAILURE(Discover());
    EXPECT_EQ(GetPids(b).size(), 21u);
    EXPECT_EQ(Log().filter("Waiting for answer...").size(), 20);
    EXPECT_TRUE(ui->btnDiscovery->isEnabled());
    EXPECT_EQ(LastLogLine(), "Process ready");

    // A click now selects the clicked device, as after any scan.
    Click(1);
    EXPECT_EQ(St().RdmCurrentNode, 1);
    EXPECT_EQ(ui->lUidD->text(), "7FF3:00000001");
}

TEST_F(ScanProgram, ClicksAndTabsAskTheMakerModesByKind) {
    auto& kelvar = Device(Uid(0x7FF3, 1));
    simdev::Basic(kelvar, 0x0042, "KELVAR", "M", {});
    auto& q73g = Device(Uid(0x7FF3, 2));
    simdev::Basic(q73g, 0x0061, "Q73G", "M", {});
    ASSERT_NO_FATAL_FAILURE(Discover());
    auto lastPid = [](const SimRdmResponder& r) {
        return r.received.empty() ? -1 : r.received.back()[21] << 8 | r.received.back()[22];
    };
    Click(NodeOf(kelvar.uid));
    EXPECT_EQ(lastPid(kelvar), 0x8000);
    const size_t q73gBefore = q73g.received.size();
    Click(NodeOf(q73g.uid));
    EXPECT_EQ(q73g.received.size(), q73gBefore) << "a click asks kinds 1, 2 and 4 only";
    ui->pcRdm->setCurrentWidget(ui->tsSpecial);
    Settle();
    EXPECT_EQ(lastPid(q73g), 0x8004) << "the Special tab asks kinds 7 to 11 too";

    // In demo mode neither a click nor a tab sends anything, and the sensors tab stops the polling.
    const size_t packets = box->packets.size();
    view->btnDemoDiscClick();
    int stops = 0;
    view->hooks.StopSensorPolling = [&] { ++stops; };
    view->hooks.StartSensorPolling = [&] { ADD_FAILURE() << "no polling in demo mode"; };
    Click(NodeOf(Uid(0x7FF3, 0x03F0CF64)));
    for (QWidget* tab : {ui->tsReszletek, ui->tsSpecial, ui->tsErzekelok})
        ui->pcRdm->setCurrentWidget(tab);
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

TEST_F(ScanProgram, AnswerToAConfigurationUploadHidesItsGauge) {
    auto& dev = Device(Uid(0x7FF3, 1));
    simdev::Basic(dev, 1, "A", "M", {});
    ASSERT_NO_FATAL_FAILURE(Discover());
    auto* gauge = w->findChild<QProgressBar*>("gKonf");
    ASSERT_NE(gauge, nullptr);
    gauge->show();
    dev.values[0x8005] = {};
    dev.settable = {0x8005};
    St().RdmCurrentNode = 1;
    St().RdmPendingOp = RdmOpUploadQ9Root;
    St().RdmCurrentPid = 0x8005;
    dm->SendRdmRequest(0, RdmSetCommand, dev.uid, 0x8005, 4, St().RdmParamData, 0x40);
    Settle();
    EXPECT_TRUE(gauge->isHidden());
}

// The RDM controller inside the whole program: requests leave through the
// data module's queue to the simulated interface box, answers come back as
// its input reports through the link's dispatch.
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTreeWidget>

#include "link/LinkFixture.h"
#include "rdm/rdm_ops.h"
#include "support/sim/rdm_sim_line.h"
#include "views/DeviceTree.h"

namespace {

constexpr uint64_t DevUid = 0x7FF300000001ull;

class ProgramRdm : public LinkFixture {
protected:
    void SetUp() override {
        LinkFixture::SetUp();
        box = platform->PlugInterface(0);
        Start();
        ASSERT_EQ(dm->HidDev, dm->JvHidDC->Devices().front());
        line = std::make_shared<SimRdmLinkLine>();
        line->rdm.responders.push_back(&dev);
        box->line = line;
        dm->LinkMode = LinkModeRdm;

        dev.SetDeviceInfo(0x0062, 0x0101, 1, 1, 17, 0, 0);
        dev.SetText(PID_DEVICE_MODEL_DESCRIPTION, "Par 64 LED");
        dev.SetText(PID_MANUFACTURER_LABEL, "Acme Lighting");
        dev.SetText(PID_DEVICE_LABEL, "Truss 2 left");

        tree = w->findChild<QTreeWidget*>("tvDeviceList");
        ASSERT_NE(tree, nullptr);
        auto* group = AddDeviceNode(tree, nullptr, "7FF3");
        group->record().nodeKind = NodeKindGroup;
        group->record().uid = DevUid;
        auto* device = AddDeviceNode(tree, group, "7FF3:00000001");
        device->record().nodeKind = NodeKindDevice;
        device->record().uid = DevUid;
        dm->RdmGlobals().RdmCurrentNode = 1;
    }

    // Sends GET or SET with the pending operation, and lets the box answer.
    void Ask(uint8_t op, uint8_t cc, uint16_t pid, uint8_t pdl = 0) {
        RdmState& s = dm->RdmGlobals();
        s.RdmPendingOp = op;
        s.RdmCurrentPid = pid;
        dm->SendRdmRequest(0, cc, DevUid, pid, pdl, s.RdmParamData, 0x40);
        Settle();
    }

    QStringList DeviceLog() const { return w->findChild<QPlainTextEdit*>("mDeviceList")->toPlainText().split('\n', Qt::SkipEmptyParts); }

    std::shared_ptr<sim::SimInterface> box;
    std::shared_ptr<SimRdmLinkLine> line;
    SimRdmResponder dev{DevUid};
    QTreeWidget* tree = nullptr;
};

}  // namespace

TEST_F(ProgramRdm, RequestReachesTheLineAsDumpedAndItsSplitAnswerIsParsed) {
    line->rdm.splitSize = 20;
    Ask(RdmOpNone, RdmGetCommand, PID_DEVICE_INFO);
    ASSERT_EQ(line->requests.size(), 1u);
    const auto& sent = line->requests[0].bytes;
    ASSERT_EQ(sent.size(), 29u);
    EXPECT_EQ(sent[0], 0x40);
    EXPECT_EQ(sent[3], 0xCC);
    // The debug memo shows exactly the bytes that reached the interface.
    EXPECT_EQ(w->findChild<QPlainTextEdit*>("mDebug")->toPlainText().trimmed(), HexDumpLine(sent).trimmed());
    // Three reports (20 + 20 + 4 bytes) became one answer.
    const tRdmMessage& m = dm->Rdm().lastMessage;
    EXPECT_EQ(m.pid, PID_DEVICE_INFO);
    EXPECT_EQ(m.commandClass, RdmGetCommandResponse);
    EXPECT_EQ(m.pdl, 19);
    EXPECT_EQ(GetWordBE(m.data, 14), 17);
}

TEST_F(ProgramRdm, DecodedLabelsRenameTheDeviceAndItsGroupInTheTree) {
    for (uint16_t pid : {PID_DEVICE_INFO, PID_DEVICE_MODEL_DESCRIPTION, PID_MANUFACTURER_LABEL, PID_DEVICE_LABEL}) {
        Ask(RdmOpNone, RdmGetCommand, pid);
        ASSERT_EQ(dm->Rdm().lastMessage.pid, pid);
        dm->DecodeGetResponse(dm->Rdm().lastMessage, 1);
    }
    const tRdmDevice* rec = DeviceRecordAt(tree, 1);
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(rec->deviceModelId, 0x0062);
    EXPECT_EQ(rec->dmxStartAddress, 17);
    EXPECT_EQ(NodeAt(tree, 1)->text(0), "Truss 2 left");
    EXPECT_EQ(NodeAt(tree, 0)->text(0), "Acme Lighting");
    EXPECT_EQ(DeviceRecordAt(tree, 0)->manufacturerLabel, "Acme Lighting");
}

TEST_F(ProgramRdm, SilentDeviceDuringTheScanIsAskedTwentyMoreTimesThenLeftAlone) {
    dev.silent = true;
    Ask(RdmOpScan, RdmGetCommand, PID_DEVICE_INFO);
    EXPECT_EQ(line->requests.size(), 21u);
    QStringList waits = DeviceLog().filter("Waiting for answer...");
    EXPECT_EQ(waits.size(), 20);
    EXPECT_EQ(dm->RdmGlobals().RdmRetryCount, RdmRetryLimit);
    EXPECT_EQ(dm->RdmGlobals().RdmPendingOp, RdmOpScan);
    // The device comes back: the next request is answered and the count is cleared.
    dev.silent = false;
    Ask(RdmOpScan, RdmGetCommand, PID_DEVICE_INFO);
    EXPECT_GT(line->requests.size(), 22u);  // answered: the scan goes on with its next GET
    EXPECT_EQ(dm->RdmGlobals().RdmRetryCount, 0);
}

TEST_F(ProgramRdm, CorruptAnswerIsLoggedAndTheDmxAddressGetIsRepeated) {
    dev.garbled = true;
    dev.settable = {PID_DMX_START_ADDRESS};
    dm->RdmGlobals().RdmParamData[0] = 0;
    dm->RdmGlobals().RdmParamData[1] = 100;
    Ask(RdmOpDmxAddress, RdmSetCommand, PID_DMX_START_ADDRESS, 2);
    // Every answer is corrupt: one line each, and a GET of the address after each, up to 20.
    EXPECT_EQ(DeviceLog().filter("Corrupt RDM answer dropped: 7FF3:00000001 - 0").size(), 21);
    EXPECT_EQ(line->requests.size(), 21u);
    EXPECT_EQ(line->requests.back().bytes[23], RdmGetCommand);
    EXPECT_EQ(GetWordBE(line->requests.back().bytes, 24), PID_DMX_START_ADDRESS);
}

TEST_F(ProgramRdm, AnswerToAConfigurationUploadHidesItsGauge) {
    auto* gauge = w->findChild<QProgressBar*>("gKonf");
    ASSERT_NE(gauge, nullptr);
    gauge->show();
    dev.values[0x8005] = {};
    dev.settable = {0x8005};
    Ask(RdmOpUploadQ9Root, RdmSetCommand, 0x8005, 4);
    EXPECT_TRUE(gauge->isHidden());
}

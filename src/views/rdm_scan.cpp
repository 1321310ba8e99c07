#include "views/rdm_scan.h"

#include <QTimer>
#include <QTreeWidget>
#include <algorithm>
#include <utility>

#include "app/Main.h"
#include "link/DataModule.h"
#include "rdm/RdmDevice.h"
#include "rdm/RdmState.h"
#include "rdm/rdm_decode.h"
#include "rdm/rdm_discovery.h"
#include "rdm/rdm_frame.h"
#include "rdm/rdm_handlers_later.h"
#include "rdm/rdm_ops.h"
#include "ui_RdmPage.h"
#include "views/DeviceTree.h"
#include "views/RdmPageView.h"
#include "views/rdm_set.h"
#include "views/rdm_set_context.h"

const std::array<uint16_t, 23> AskPidList = {0x0080, 0x0081, 0x0082, 0x0400, 0x0401, 0x00C1, 0x00C2, 0x00A0,
                                             0x00B0, 0x0500, 0x0501, 0x0070, 0x1010, 0x0405, 0x0402, 0x0403,
                                             0x0404, 0x0600, 0x0601, 0x0602, 0x0120, 0x0122, 0x1040};

namespace {
constexpr uint8_t PendingOpScan = 4;
constexpr uint16_t MakerId = 0x7FF1;
constexpr uint16_t DistributorId = 0x7FF3;
} // namespace

uint8_t ClassifyDevice(const tRdmDevice& rec) {
    const uint16_t model = rec.deviceModelId;
    switch (rec.manufacturerId()) {
    case MakerId:
        switch (model) {
        case 0x0043:
            return 1;
        case 0x0051:
            return 6;
        case 0x0071:
            return 12;
        default:
            return 0;
        }
    case DistributorId:
        switch (model) {
        case 0x0042:
            return 1;
        case 0x0046:
            return 2;
        case 0x0047:
            return rec.subDevice == 0 ? 3 : 4;
        case 0x004A:
            return 5;
        case 0x0061:
            return 7;
        case 0x0062:
            return rec.personalities[1].footprint == 3 ? 9 : 10;
        case 0x0064:
            return 8;
        case 0x0076:
            return 11;
        default:
            return 0;
        }
    default:
        return 0;
    }
}

uint8_t RdmScan::ClassifyDevice(int node) const {
    const tRdmDevice* rec = view.RecordAt(node);
    return rec ? ::ClassifyDevice(*rec) : 0;
}

void RdmScan::Get(const tRdmDevice& rec, uint16_t pid, uint8_t pdl) {
    TDM* dm = view.frmMain->dataModule();
    if (!dm) return;
    RdmState& st = dm->RdmGlobals();
    dm->SendRdmRequest(rec.subDevice, RdmGetCommand, rec.uid, pid, pdl,
                       std::span<const uint8_t>(st.RdmParamData.data(), pdl), RdmLinkTypeRequest);
    // Kept for a resend when the device stays silent (the parameter data
    // buffer is shared with every other request).
    st.ScanRequestOut = true;
    st.ScanPid = pid;
    st.ScanPdl = pdl;
    std::copy_n(st.RdmParamData.begin(), pdl, st.ScanData.begin());
}

void RdmScan::Begin() {
    TDM* dm = view.frmMain->dataModule();
    if (!dm) return;
    RdmState& st = dm->RdmGlobals();
    dm->LinkMode = 4;
    st.RdmPendingOp = PendingOpScan;
    st.AwaitingAnswer = 0;
    // Silent answers to earlier requests (a poll of a device now gone) must
    // not use up the resends of the scan's first device.
    st.RdmRetryCount = 0;
    AskDeviceIndex = 0;
    st.AskItemIndex = 0;
    // The full scan moves the selection along with it.
    st.RdmCurrentNode = 1;
    ReadNode = 1;
    st.RdmCurrentPid = 0x0060;
    if (const tRdmDevice* rec = view.RecordAt(ReadNode)) Get(*rec, 0x0060, 0);
}

void RdmScan::ReadAgain(int node) {
    TDM* dm = view.frmMain->dataModule();
    const tRdmDevice* rec = view.RecordAt(node);
    if (!dm || !rec) return;
    RdmState& st = dm->RdmGlobals();
    // The device's own node, whatever is selected: the selection is the user's.
    ReadNode = static_cast<uint16_t>(node);
    st.RdmPendingOp = PendingOpScan;
    st.RdmCurrentPid = 0x0060;
    st.AskItemIndex = 0;
    Get(*rec, 0x0060, 0);
}

void RdmScan::GoToPersonalities(const tRdmDevice& rec) {
    RdmState& st = view.frmMain->dataModule()->RdmGlobals();
    if (rec.personalityCount > 0) {
        st.RdmCurrentPid = 0x00E1;
        st.AskItemIndex = 1;
        st.RdmParamData[0] = 1;
        view.AddDetailLine(QStringLiteral("ask: PERSONALITY_DESCRIPTION 1"));
        Get(rec, 0x00E1, 1);
    } else {
        AskNextDevice();
    }
}

void RdmScan::WalkSupportedParameters(const tRdmDevice& rec) {
    RdmState& st = view.frmMain->dataModule()->RdmGlobals();
    while (st.AskItemIndex < rec.supportedPidCount) {
        st.AskItemIndex += 1;
        const uint16_t pid = rec.supportedPids[st.AskItemIndex - 1u];
        if (std::find(AskPidList.begin(), AskPidList.end(), pid) != AskPidList.end()) {
            view.AddDetailLine("ask: " + FormatRdmUid(rec.uid) + " " + QString::number(pid));
            Get(rec, pid, 0);
            return;
        }
    }
    if (rec.sensorCount > 0) {
        st.RdmCurrentPid = 0x0200;
        st.AskItemIndex = 0;
        st.SensorDefIndex = 0;
        st.RdmParamData[0] = 0;
        view.AddDetailLine(QStringLiteral("ask: SENSOR_DEFINITION 0"));
        Get(rec, 0x0200, 1);
    } else {
        GoToPersonalities(rec);
    }
}

void RdmScan::AskNextParameter(const tRdmMessage& msg) {
    TDM* dm = view.frmMain->dataModule();
    if (!dm) return;
    RdmState& st = dm->RdmGlobals();
    const int node = ReadNode;
    // A node that no longer exists (the tree was rebuilt) ends nothing and asks
    // nothing; nor does an answer of a device other than the one being read.
    if (!view.RecordAt(node) || AnswerNodeOf(view.frmMain) != node) return;
    // The decoders store only what an answer carries whole: a refused or
    // cut-short answer leaves the record as the device last filled it.
    dm->DecodeGetResponse(msg, node);
    const tRdmDevice* found = view.RecordAt(node);
    if (!found) return;
    const tRdmDevice& rec = *found;
    if (TRdmSetCommands* commands = TRdmSetCommands::of(view.frmMain)) commands->ValueRead(msg, rec);

    switch (st.RdmCurrentPid) {
    case 0x0060:
        KeepPersonalityUnlessRead(&msg);
        st.RdmCurrentPid = 0x00C0;
        view.AddDetailLine(QStringLiteral("ask: SOFTWARE_VERSION_LABEL"));
        Get(rec, 0x00C0, 0);
        break;
    case 0x00C0:
        st.RdmCurrentPid = 0x00F0;
        view.AddDetailLine(QStringLiteral("ask: DMX_START_ADDRESS"));
        Get(rec, 0x00F0, 0);
        break;
    case 0x00F0:
        st.RdmCurrentPid = 0x1000;
        view.AddDetailLine(QStringLiteral("ask: IDENITFY_DEVICE"));
        st.AskItemIndex = 0;
        Get(rec, 0x1000, 0);
        break;
    case 0x1000:
        st.RdmCurrentPid = 0x0050;
        view.AddDetailLine(QStringLiteral("ask: SUPPORTED_PARAMETERS"));
        st.AskItemIndex = 0;
        Get(rec, 0x0050, 0);
        break;
    case 0x0050:
        WalkSupportedParameters(rec);
        break;
    case 0x0200:
        st.AskItemIndex += 1;
        if (rec.sensorCount > st.SensorDefIndex && st.AskItemIndex != 255) {
            st.RdmParamData[0] = static_cast<uint8_t>(st.AskItemIndex);
            view.AddDetailLine("ask: SENSOR_DEFINITION " + QString::number(st.AskItemIndex));
            Get(rec, 0x0200, 1);
        } else {
            GoToPersonalities(rec);
        }
        break;
    case 0x00E1:
        st.AskItemIndex += 1;
        if (st.AskItemIndex <= rec.personalityCount) {
            st.RdmParamData[0] = static_cast<uint8_t>(st.AskItemIndex);
            view.AddDetailLine("ask: PERSONALITY_DESCRIPTION " + QString::number(st.AskItemIndex));
            Get(rec, 0x00E1, 1);
        } else if (view.DeviceSupportsPid(node, 0x0121) &&
                   rec.personalities[rec.currentPersonality].footprint > 0) {
            st.RdmCurrentPid = 0x0121;
            st.AskItemIndex = 0;
            st.RdmParamData[0] = 0;
            st.RdmParamData[1] = 0;
            view.AddDetailLine(QStringLiteral("ask: PID_SLOT_DESCRIPTION 0"));
            Get(rec, 0x0121, 2);
        } else {
            AskNextDevice();
        }
        break;
    case 0x0121:
        st.AskItemIndex += 1;
        if (st.AskItemIndex < rec.personalities[rec.currentPersonality].footprint) {
            st.RdmParamData[0] = static_cast<uint8_t>(st.AskItemIndex >> 8);
            st.RdmParamData[1] = static_cast<uint8_t>(st.AskItemIndex);
            view.AddDetailLine("ask: PID_SLOT_DESCRIPTION " + QString::number(st.AskItemIndex));
            Get(rec, 0x0121, 2);
        } else {
            AskNextDevice();
        }
        break;
    default:
        break;
    }
}

void RdmScan::AskNextDevice() {
    TDM* dm = view.frmMain->dataModule();
    if (!dm) return;
    RdmState& st = dm->RdmGlobals();
    QTreeWidget* tv = view.tree();
    const uint16_t discovered = view.Discovery.DiscoveredCount;

    // A device the scan gave up on is not asked for its sub-devices: they
    // answer through the same responder, which has stopped answering.
    const bool silent = std::exchange(leavingSilentDevice, false);
    if (st.AwaitingAnswer == 0) {
        tRdmDevice* rec = view.RecordAt(st.RdmCurrentNode);
        if (rec) rec->DeviceKind = ::ClassifyDevice(*rec);
        bool nextDevice = true;
        if (rec && rec->subDevice != 0) {
            if (SubDeviceIndex < SubDeviceTotal) {
                st.RdmCurrentNode += 1;
                SubDeviceIndex += 1;
                nextDevice = false;
            }
        } else if (rec && rec->subDeviceCount != 0 && !silent) {
            // E1.20 allows at most 512 sub-devices; a larger count is not believed.
            SubDeviceTotal = std::min(rec->subDeviceCount, MaxSubDevices);
            QTreeWidgetItem* deviceNode = NodeAt(tv, st.RdmCurrentNode);
            const uint64_t uid = rec->uid;
            for (uint16_t n = 1; n <= SubDeviceTotal; ++n) {
                DeviceNode* sub = AddDeviceNode(tv, deviceNode, QString::number(n) + ". - Sub-device");
                sub->record().nodeKind = NodeKindSubDevice;
                sub->record().uid = uid;
                sub->record().subDevice = n;
            }
            st.RdmCurrentNode += 1;
            SubDeviceIndex = 1;
            nextDevice = false;
        }
        if (nextDevice) {
            const int count = NodeCount(tv);
            if (st.RdmCurrentNode + 1 < count) {
                st.RdmCurrentNode += 1;
                const tRdmDevice* next = view.RecordAt(st.RdmCurrentNode);
                if (next && next->nodeKind == NodeKindGroup && st.RdmCurrentNode + 1 < count)
                    st.RdmCurrentNode += 1;
            }
            AskDeviceIndex += 1;
        }
        ReadNode = st.RdmCurrentNode;
    }

    if (AskDeviceIndex < discovered && st.AwaitingAnswer == 0) {
        view.AddDetailLine(QStringLiteral("ask: DEVICE_INFO"));
        st.RdmCurrentPid = 0x0060;
        st.AskItemIndex = 0;
        if (const tRdmDevice* rec = view.RecordAt(ReadNode)) Get(*rec, 0x0060, 0);
        return;
    }

    // The scan is over.
    view.AddDeviceListLine(view.Text(116));
    const bool run = st.AwaitingAnswer == 0;
    if (discovered != 0) {
        if (run) {
            AskDeviceIndex = 0;
            st.RdmCurrentNode = 0;
        }
        tv->setFocus();
    }
    st.AwaitingAnswer = 0;
    view.DiscoveryRunning = false;
    // A device read again shows what it read only while it is the one shown;
    // the page of another device selected meanwhile is left as it is.
    if (run || ReadNode == st.RdmCurrentNode) {
        view.ShowDeviceDetails(st.RdmCurrentNode);
        view.ShowDeviceSpecialPage();
        view.CallHook(view.hooks.UpdateRemoteAccessTab);
    }
    view.CallHook(view.hooks.BuildDmxChannelMap);
    view.ui->btnDiscovery->setEnabled(true);
    if (view.ui->cbTestAutoDisc->isChecked()) {
        dm->tTest->start();
        view.AutoDiscoveryCount += 1;
        view.ui->lAutoDisc->setText(QString::number(view.AutoDiscoveryCount));
    }
    view.TakeHeldClick();
}

void RdmScan::KeepPersonalityUnlessRead(const tRdmMessage* msg) {
    RdmState& st = view.frmMain->dataModule()->RdmGlobals();
    TRdmSetCommands* commands = TRdmSetCommands::of(view.frmMain);
    tRdmDevice* rec = view.RecordAt(ReadNode);
    // Only the reading again that a SET started verifies the SET.
    if (!commands || !rec || st.AwaitingAnswer == 0) return;
    const auto before = commands->TakeValueBefore(0x00E0, *rec);
    if (!before) return;
    if (msg && WholeDeviceInfo(*msg)) return;
    // The device has not said which personality it runs: it keeps the one it had.
    rec->currentPersonality = static_cast<uint8_t>(before->number);
    view.AddDeviceListLine(QStringLiteral("Dmx personality can not be modified"));
}

void RdmScan::GiveUpOnDevice() {
    TDM* dm = view.frmMain->dataModule();
    if (!dm) return;
    RdmState& st = dm->RdmGlobals();
    const tRdmDevice* rec = view.RecordAt(ReadNode);
    // A node that no longer exists has no scan left to end.
    if (!rec) return;
    if (st.ScanPid == 0x0060) KeepPersonalityUnlessRead(nullptr);
    const QString pid = QString::number(st.ScanPid, 16).rightJustified(4, QLatin1Char('0')).toUpper();
    view.AddDeviceListLine(QStringLiteral("No answer to GET 0x") + pid +
                           QStringLiteral(", the scan goes on without this device: ") + DeviceLineTail(*rec));
    leavingSilentDevice = true;
    AskNextDevice();
}

void RdmScan::CutShortByRemoval(bool run) {
    if (run) {
        view.AddDeviceListLine(QStringLiteral("Discovery cut short, the USB interface was removed"));
        return;
    }
    const tRdmDevice* rec = view.RecordAt(ReadNode);
    if (!rec) return;
    KeepPersonalityUnlessRead(nullptr);
    view.AddDeviceListLine(
        QStringLiteral("Reading of the device cut short, the USB interface was removed: ") +
        DeviceLineTail(*rec));
}

// The answer handler of pending operation 4, reached by name from the answer path.
void AskNextParameter(TDM& DM, const tRdmMessage& msg) {
    TfrmMain* frm = DM.mainWindow();
    if (frm && frm->rdmView) frm->rdmView->Scan->AskNextParameter(msg);
}

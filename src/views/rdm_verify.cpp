// The answers to the parameter page's SETs: each SET is followed by a GET of
// the same parameter, and the value read back decides the device-log line.
// A personality change re-reads the device.

#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>
#include <optional>

#include "app/Main.h"
#include "link/DataModule.h"
#include "rdm/RdmDevice.h"
#include "rdm/RdmState.h"
#include "rdm/rdm_frame.h"
#include "rdm/rdm_handlers_later.h"
#include "rdm/rdm_ops.h"
#include "ui_RdmPage.h"
#include "views/DeviceTree.h"
#include "views/RdmPageView.h"
#include "views/rdm_scan.h"
#include "views/rdm_set.h"
#include "views/rdm_set_context.h"

namespace {

constexpr uint8_t GetCommand = 0x20;

using Refresh = void (RdmPageView::*)(int, bool);

// A value read back: an acknowledged GET answer of the parameter that carries
// enough bytes. Anything else (a NACK's reason code, a short answer) is no value.
bool ReadValue(const tRdmMessage& msg, int width, uint32_t& value) {
    if (msg.responseType != RdmAck || msg.pdl < width) return false;
    value = 0;
    for (int i = 0; i < width; ++i)
        value = (value << 8) | msg.data[i];
    return true;
}

struct Step {
    TfrmMain* frm;
    RdmState& st;
    RdmPageView* view;
    int node;
    tRdmDevice* rec;
    quint64 treeChanges;

    // The page shows this step's device: only then are its controls written.
    bool Shown() const { return node == CurrentNodeOf(frm); }
};

// Gives the context of the answer being handled: the node and record of the
// device that answered, whatever is selected by now. Nothing when that node
// or the page is gone; the operation then ends.
std::optional<Step> Begin(TDM& DM) {
    TfrmMain* frm = DM.mainWindow();
    RdmState& st = RdmStateOf(frm);
    RdmPageView* view = RdmViewOf(frm);
    const int node = AnswerNodeOf(frm);
    tRdmDevice* rec = view ? view->RecordAt(node) : nullptr;
    if (!rec) {
        st.RdmPendingOp = RdmOpNone;
        return std::nullopt;
    }
    return Step{frm, st, view, node, rec, TreeChanges(view->tree())};
}

// After a pause: the operation goes on for its own device, while it is still
// the one pending and the tree did not change meanwhile.
std::optional<Step> Resume(TDM& DM, const Step& was, uint8_t op) {
    TfrmMain* frm = DM.mainWindow();
    RdmPageView* view = RdmViewOf(frm);
    if (!view || was.st.RdmPendingOp != op || TreeChanges(view->tree()) != was.treeChanges)
        return std::nullopt;
    tRdmDevice* rec = view->RecordAt(was.node);
    if (!rec) return std::nullopt;
    return Step{frm, was.st, view, was.node, rec, was.treeChanges};
}

// Step 2 ends the verification: the value the SET replaced in the record, if
// it is still known, is given back.
std::optional<TRdmSetCommands::ValueBefore> ValueBeforeSet(const Step& s, uint16_t pid) {
    TRdmSetCommands* commands = TRdmSetCommands::of(s.frm);
    return commands ? commands->TakeValueBefore(pid, *s.rec) : std::nullopt;
}

// Step 1 of every verification: the SET has been answered (whatever its
// response type), so the same parameter is read back.
bool SendVerifyingGet(const Step& s, uint16_t pid) {
    if (s.st.RdmCurrentPid != pid) return false;
    SendRdmParam(s.frm, *s.rec, GetCommand, pid, 0);
    s.st.RdmCurrentPid = 0;
    return true;
}

// Step 2 waits for the answer of its own GET: an answer of another parameter
// (a sensor poll's, say) is not read as the value.
bool AwaitsReadBack(const Step& s, const tRdmMessage& msg, uint16_t pid) {
    return s.st.RdmCurrentPid == 0 && msg.commandClass == RdmGetCommandResponse && msg.pid == pid;
}

template <typename Field>
void VerifyField(TDM& DM, const tRdmMessage& msg, uint16_t pid, int width, Field tRdmDevice::*field,
                 const char* what, Refresh refresh) {
    auto s = Begin(DM);
    if (!s || SendVerifyingGet(*s, pid) || !AwaitsReadBack(*s, msg, pid)) return;
    const QString x = QString::fromLatin1(what);
    const auto before = ValueBeforeSet(*s, pid);
    uint32_t value = 0;
    if (!ReadValue(msg, width, value)) {
        // The device did not say what it holds: it keeps the value it had.
        if (before) s->rec->*field = static_cast<Field>(before->number);
        DeviceLogLine(s->frm, x + QStringLiteral(" can not be modified"));
    } else if (value == static_cast<uint32_t>(s->rec->*field)) {
        DecodeAnswer(s->frm, msg, s->node);
        DeviceLogLine(s->frm, x + QStringLiteral(" modified"));
    } else {
        s->rec->*field = static_cast<Field>(value);
        DeviceLogLine(s->frm, x + QStringLiteral(" can not be modified"));
    }
    if (s->Shown()) (s->view->*refresh)(s->node, s->view->DeviceSupportsPid(s->node, pid));
    s->st.RdmPendingOp = RdmOpNone;
}

// Reads the device of the step again: DEVICE_INFO, then the rest of the scan,
// on the step's own node. With AwaitingAnswer set, the scan ends with this device.
void ReadDeviceAgain(const Step& s) {
    s.view->Scan->ReadAgain(s.node);
}

// The label as the device holds it: trailing zero bytes are padding.
QString LabelOf(const tRdmMessage& msg) {
    int n = msg.pdl;
    while (n > 0 && msg.data[n - 1] == 0)
        --n;
    return QString::fromLatin1(reinterpret_cast<const char*>(msg.data.data()), std::min(n, RdmTextMax));
}

} // namespace

void VerifyDmxAddress(TDM& DM, const tRdmMessage& msg) {
    auto s = Begin(DM);
    if (!s || SendVerifyingGet(*s, 0x00F0) || !AwaitsReadBack(*s, msg, 0x00F0)) return;
    Ui::RdmPage* ui = s->frm->rdmUi.get();
    const auto before = ValueBeforeSet(*s, 0x00F0);
    const uint16_t requested = s->rec->dmxStartAddress;
    uint32_t value = 0;
    const bool read = ReadValue(msg, 2, value);
    if (read && value == requested) {
        DecodeAnswer(s->frm, msg, s->node);
        DeviceLogLine(s->frm, QStringLiteral("Dmx address modified"));
    } else {
        if (read)
            s->rec->dmxStartAddress = static_cast<uint16_t>(value);
        else if (before)
            s->rec->dmxStartAddress = static_cast<uint16_t>(before->number);
        DeviceLogLine(s->frm, QStringLiteral("Dmx address can not be modified"));
    }
    s->st.RdmPendingOp = RdmOpNone;
    if (s->Shown()) {
        ui->seDmxStartAdrD->setValue(s->rec->dmxStartAddress);
        ui->btnModDmxAdr->setEnabled(false);
        s->view->ShowSlotInfo(s->node, s->view->DeviceSupportsPid(s->node, 0x0120));
    }
    // The map still shows the device where it was dragged or sent to.
    if (s->rec->dmxStartAddress != requested && s->view->hooks.BuildDmxChannelMap)
        s->view->hooks.BuildDmxChannelMap();
}

void VerifyDeviceLabel(TDM& DM, const tRdmMessage& msg) {
    auto s = Begin(DM);
    if (!s) return;
    if (s->st.RdmCurrentPid == 0x0082) {
        // The device stores its label before it can be read back.
        DM.PauseThen(
            100,
            [&DM, was = *s] {
                if (auto now = Resume(DM, was, RdmOpDeviceLabel)) SendVerifyingGet(*now, 0x0082);
            },
            PauseHold::Selection);
        return;
    }
    if (!AwaitsReadBack(*s, msg, 0x0082)) return;
    Ui::RdmPage* ui = s->frm->rdmUi.get();
    const auto before = ValueBeforeSet(*s, 0x0082);
    const QString requested = s->rec->deviceLabel;
    if (msg.responseType == RdmAck && LabelOf(msg) == requested) {
        DecodeAnswer(s->frm, msg, s->node);
        DeviceLogLine(s->frm, QStringLiteral("Device label modified"));
    } else {
        if (msg.responseType == RdmAck)
            DecodeAnswer(s->frm, msg, s->node);
        else if (before) // the device did not say what it holds: it keeps its label
            s->rec->deviceLabel = before->label;
        DeviceLogLine(s->frm, QStringLiteral("Device label can not be modified"));
        if (s->Shown()) ui->eDeviceLabel->setText(s->rec->deviceLabel);
    }
    if (s->Shown()) ui->btnModDevLab->setEnabled(false);
    s->st.RdmPendingOp = RdmOpNone;
}

void VerifyFactoryDefaults(TDM& DM, const tRdmMessage& msg) {
    auto s = Begin(DM);
    if (!s || SendVerifyingGet(*s, 0x0090) || !AwaitsReadBack(*s, msg, 0x0090)) return;
    uint32_t value = 0;
    // 1: the device is at its factory defaults.
    if (ReadValue(msg, 1, value) && value == 1) {
        DeviceLogLine(s->frm, QStringLiteral("Factory default done"));
        if (s->Shown()) s->view->ShowDeviceDetails(s->node);
        if (s->view->hooks.BuildDmxChannelMap) s->view->hooks.BuildDmxChannelMap();
        // The device's values are now its defaults, which the record does not
        // know yet: read the device again so the page does not go on showing
        // the values it had before.
        s->st.AwaitingAnswer = 1;
        ReadDeviceAgain(*s);
        return;
    }
    DeviceLogLine(s->frm, QStringLiteral("Factory default can not be done"));
    s->st.RdmPendingOp = RdmOpNone;
}

void VerifyDisplayInvert(TDM& DM, const tRdmMessage& msg) {
    VerifyField(DM, msg, 0x0500, 1, &tRdmDevice::displayInvert, "Display invert",
                &RdmPageView::ShowDisplayInvert);
}
void VerifyDisplayLevel(TDM& DM, const tRdmMessage& msg) {
    VerifyField(DM, msg, 0x0501, 1, &tRdmDevice::displayLevel, "Display level",
                &RdmPageView::ShowDisplayLevel);
}
void VerifyLampHours(TDM& DM, const tRdmMessage& msg) {
    VerifyField(DM, msg, 0x0401, 4, &tRdmDevice::lampHours, "Lamp hours", &RdmPageView::ShowLampHours);
}
void VerifyPowerCycles(TDM& DM, const tRdmMessage& msg) {
    VerifyField(DM, msg, 0x0405, 4, &tRdmDevice::devicePowerCycles, "Device power cycles",
                &RdmPageView::ShowDevicePowerCycles);
}
void VerifyLampState(TDM& DM, const tRdmMessage& msg) {
    VerifyField(DM, msg, 0x0403, 1, &tRdmDevice::lampState, "Lamp state", &RdmPageView::ShowLampState);
}
void VerifyLampOnMode(TDM& DM, const tRdmMessage& msg) {
    VerifyField(DM, msg, 0x0404, 1, &tRdmDevice::lampOnMode, "Lamp on mode", &RdmPageView::ShowLampOnMode);
}
void VerifyPanInvert(TDM& DM, const tRdmMessage& msg) {
    VerifyField(DM, msg, 0x0600, 1, &tRdmDevice::panInvert, "PAN invert", &RdmPageView::ShowPanInvert);
}
void VerifyTiltInvert(TDM& DM, const tRdmMessage& msg) {
    VerifyField(DM, msg, 0x0601, 1, &tRdmDevice::tiltInvert, "TILT invert", &RdmPageView::ShowTiltInvert);
}
void VerifyPanTiltSwap(TDM& DM, const tRdmMessage& msg) {
    VerifyField(DM, msg, 0x0602, 1, &tRdmDevice::panTiltSwap, "PAN TILT swap", &RdmPageView::ShowPanTiltSwap);
}
void VerifyPowerState(TDM& DM, const tRdmMessage& msg) {
    VerifyField(DM, msg, 0x1010, 1, &tRdmDevice::powerState, "Power state", &RdmPageView::ShowPowerState);
}
void VerifyIdentifyMode(TDM& DM, const tRdmMessage& msg) {
    VerifyField(DM, msg, 0x1040, 1, &tRdmDevice::identifyMode, "Identify mode",
                &RdmPageView::ShowIdentifyMode);
}

void AnswerPersonalitySet(TDM& DM, const tRdmMessage&) {
    auto s = Begin(DM);
    if (!s) return;
    DM.PauseThen(
        100,
        [&DM, was = *s] {
            auto now = Resume(DM, was, RdmOpPersonality);
            if (!now) return;
            // The scan reads the device again; AwaitingAnswer keeps it on this device.
            ReadDeviceAgain(*now);
            DeviceLogLine(now->frm, QStringLiteral("New dmx personality set"));
        },
        PauseHold::Selection);
}

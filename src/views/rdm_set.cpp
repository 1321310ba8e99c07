#include "views/rdm_set.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <algorithm>

#include "app/Main.h"
#include "rdm/RdmState.h"
#include "rdm/rdm_decode.h"
#include "rdm/rdm_discovery.h"
#include "rdm/rdm_frame.h"
#include "rdm/rdm_ops.h"
#include "ui_RdmPage.h"
#include "views/DeviceTree.h"
#include "views/RdmPageView.h"
#include "views/rdm_set_context.h"

namespace {

constexpr uint8_t SetCommand = 0x30;

} // namespace

TRdmSetCommands::TRdmSetCommands(TfrmMain* mainWindow) : QObject(mainWindow), frm(mainWindow) {
    setObjectName(QStringLiteral("RdmSetCommands"));
    Ui::RdmPage* ui = frm->rdmUi.get();

    auto click = [this](QPushButton* button, void (TRdmSetCommands::*handler)()) {
        connect(button, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
    };
    click(ui->btnModDmxAdr, &TRdmSetCommands::btnModDmxAdrClick);
    click(ui->btnDispLevel, &TRdmSetCommands::btnDispLevelClick);
    click(ui->btnDispInv, &TRdmSetCommands::btnDispInvClick);
    click(ui->btnModDmxPers, &TRdmSetCommands::btnModDmxPersClick);
    click(ui->btnIdentify, &TRdmSetCommands::btnIdentifyClick);
    click(ui->btnSetFactDef, &TRdmSetCommands::btnSetFactDefClick);
    click(ui->btnModDevLab, &TRdmSetCommands::btnModDevLabClick);
    click(ui->btnReset, &TRdmSetCommands::btnResetClick);
    click(ui->btnModLampHours, &TRdmSetCommands::btnModLampHoursClick);
    click(ui->btnModDevPowCyc, &TRdmSetCommands::btnModDevPowCycClick);
    click(ui->btnModLampState, &TRdmSetCommands::btnModLampStateClick);
    click(ui->btnModLampOnMode, &TRdmSetCommands::btnModLampOnModeClick);
    click(ui->btnPanInv, &TRdmSetCommands::btnPanInvClick);
    click(ui->btnTiltInv, &TRdmSetCommands::btnTiltInvClick);
    click(ui->btnPTSwap, &TRdmSetCommands::btnPTSwapClick);
    click(ui->btnModPowState, &TRdmSetCommands::btnModPowStateClick);

    // The enablers: a change of an input control only enables its Modify button.
    auto enables = [this](QPushButton* button) { return [button] { button->setEnabled(true); }; };
    connect(ui->seDispLevel, &QSpinBox::valueChanged, this, enables(ui->btnDispLevel));
    connect(ui->cbDispInv, &QComboBox::currentIndexChanged, this, enables(ui->btnDispInv));
    connect(ui->cbPersonality, &QComboBox::currentIndexChanged, this, enables(ui->btnModDmxPers));
    connect(ui->seDmxStartAdrD, &QSpinBox::valueChanged, this, enables(ui->btnModDmxAdr));
    connect(ui->eDeviceLabel, &QLineEdit::textChanged, this, enables(ui->btnModDevLab));
    connect(ui->seLampHours, &QSpinBox::valueChanged, this, enables(ui->btnModLampHours));
    connect(ui->seDevPowCyc, &QSpinBox::valueChanged, this, enables(ui->btnModDevPowCyc));
    connect(ui->cbLampState, &QComboBox::currentIndexChanged, this, enables(ui->btnModLampState));
    connect(ui->cbLampOnMode, &QComboBox::currentIndexChanged, this, enables(ui->btnModLampOnMode));
    connect(ui->cbPanInv, &QComboBox::currentIndexChanged, this, enables(ui->btnPanInv));
    connect(ui->cbTiltInv, &QComboBox::currentIndexChanged, this, enables(ui->btnTiltInv));
    connect(ui->cbPTSwap, &QComboBox::currentIndexChanged, this, enables(ui->btnPTSwap));
    connect(ui->cbPowState, &QComboBox::currentIndexChanged, this, enables(ui->btnModPowState));

    // Identify mode is sent on the release of a mouse button only, never on a
    // toggle by the keyboard or by code.
    ui->cbQuietIdentify->installEventFilter(this);
}

TRdmSetCommands* TRdmSetCommands::of(const TfrmMain* mainWindow) {
    return mainWindow ? mainWindow->findChild<TRdmSetCommands*>(QString(), Qt::FindDirectChildrenOnly)
                      : nullptr;
}

bool TRdmSetCommands::eventFilter(QObject* watched, QEvent* event) {
    // The window's forms go before its children while it closes: look at them
    // only for the one event this filter is for.
    if (event->type() == QEvent::MouseButtonRelease && frm->rdmUi && watched == frm->rdmUi->cbQuietIdentify) {
        // Let the box toggle first; the command sends its state after the click.
        const bool handled = watched->event(event);
        cbQuietIdentifyMouseUp();
        return handled;
    }
    return QObject::eventFilter(watched, event);
}

tRdmDevice* TRdmSetCommands::currentRecord() const {
    RdmPageView* view = RdmViewOf(frm);
    return view ? deviceRecord(view->RecordAt(CurrentNodeOf(frm))) : nullptr;
}

tRdmDevice* TRdmSetCommands::deviceRecord(tRdmDevice* rec) {
    // A group node's record carries the UID of the device that made the
    // group, but a SET for the group is no SET for that device.
    return rec && rec->nodeKind != NodeKindGroup ? rec : nullptr;
}

bool TRdmSetCommands::demo() const {
    RdmPageView* view = RdmViewOf(frm);
    return view && view->DemoMode != 0;
}

bool TRdmSetCommands::refusedWhileLineHeld(const char* what) {
    return RefusedWhileLineHeld(frm, QString::fromLatin1(what));
}

void TRdmSetCommands::btnModDmxAdrClick() {
    tRdmDevice* rec = currentRecord();
    if (!rec) return;
    if (!demo() && refusedWhileLineHeld("Dmx address")) return;
    const uint16_t addressBefore = rec->dmxStartAddress;
    rec->dmxStartAddress = static_cast<uint16_t>(frm->rdmUi->seDmxStartAdrD->value());
    if (demo()) {
        frm->rdmUi->btnModDmxAdr->setEnabled(false);
        return;
    }
    SendDmxStartAddress(CurrentNodeOf(frm), addressBefore);
}

void TRdmSetCommands::SendDmxStartAddress(uint16_t node, uint16_t addressBefore) {
    RdmPageView* view = RdmViewOf(frm);
    tRdmDevice* rec = view ? deviceRecord(view->RecordAt(node)) : nullptr;
    if (!rec) return;
    if (refusedWhileLineHeld("Dmx address")) {
        // A device dragged on the channel map goes back where it is.
        rec->dmxStartAddress = addressBefore;
        if (view->hooks.BuildDmxChannelMap) view->hooks.BuildDmxChannelMap();
        return;
    }
    RdmState& st = RdmStateOf(frm);
    const uint16_t a = rec->dmxStartAddress;
    rememberBefore(*rec, 0x00F0, addressBefore);
    st.RdmPendingOp = RdmOpDmxAddress;
    st.RdmParamData[0] = static_cast<uint8_t>(a >> 8);
    st.RdmParamData[1] = static_cast<uint8_t>(a & 0xFF);
    st.RdmCurrentPid = 0x00F0;
    SendRdmParam(frm, *rec, SetCommand, 0x00F0, 2);
    DeviceLogLine(frm, QStringLiteral("Send new dmx address (%1) to: ").arg(a) + DeviceLineTail(*rec));
}

void TRdmSetCommands::rememberBefore(const tRdmDevice& rec, uint16_t pid, uint32_t number,
                                     const QString& label) {
    // A SET sent again before the first one was verified, with nothing read
    // from the device meanwhile: the device is still known to hold the value
    // from before the first, whatever operation has been pending since.
    if (findBefore(pid, rec) != before.end()) return;
    before.push_back({pid, rec.uid, rec.subDevice, number, label});
}

std::vector<TRdmSetCommands::ValueBefore>::iterator TRdmSetCommands::findBefore(uint16_t pid,
                                                                                const tRdmDevice& rec) {
    return std::find_if(before.begin(), before.end(), [&](const ValueBefore& v) {
        return v.pid == pid && v.uid == rec.uid && v.subDevice == rec.subDevice;
    });
}

void TRdmSetCommands::forgetBefore(uint16_t pid, const tRdmDevice& rec) {
    if (auto it = findBefore(pid, rec); it != before.end()) before.erase(it);
}

std::optional<TRdmSetCommands::ValueBefore> TRdmSetCommands::TakeValueBefore(uint16_t pid,
                                                                             const tRdmDevice& rec) {
    const auto it = findBefore(pid, rec);
    if (it == before.end()) return std::nullopt;
    const ValueBefore was = *it;
    before.erase(it);
    return was;
}

void TRdmSetCommands::ValueRead(const tRdmMessage& msg, const tRdmDevice& rec) {
    if (msg.commandClass != RdmGetCommandResponse || msg.responseType != RdmAck) return;
    switch (msg.pid) {
    case PID_DEVICE_INFO:
        // It carries the personality and the address.
        if (WholeDeviceInfo(msg)) {
            forgetBefore(0x00E0, rec);
            forgetBefore(0x00F0, rec);
        }
        break;
    case PID_DEVICE_LABEL: // a label of any length is one
        forgetBefore(msg.pid, rec);
        break;
    case PID_DMX_START_ADDRESS:
        if (msg.pdl >= 2) forgetBefore(msg.pid, rec);
        break;
    case PID_LAMP_HOURS:
    case PID_DEVICE_POWER_CYCLES:
        if (msg.pdl >= 4) forgetBefore(msg.pid, rec);
        break;
    default: // the one-byte parameters
        if (msg.pdl >= 1) forgetBefore(msg.pid, rec);
        break;
    }
}

void TRdmSetCommands::sendSet(const tRdmDevice& rec, uint8_t op, uint16_t pid,
                              std::initializer_list<uint8_t> data) {
    RdmState& st = RdmStateOf(frm);
    st.AwaitingAnswer = 1;
    st.RdmPendingOp = op;
    size_t i = 0;
    for (uint8_t b : data)
        st.RdmParamData[i++] = b;
    st.RdmCurrentPid = pid;
    SendRdmParam(frm, rec, SetCommand, pid, static_cast<uint8_t>(data.size()));
}

bool TRdmSetCommands::sendByte(uint16_t pid, uint8_t op, uint8_t value, uint8_t tRdmDevice::*field,
                               const char* text, const char* what) {
    if (demo()) return false;
    tRdmDevice* rec = currentRecord();
    if (!rec || refusedWhileLineHeld(what)) return false;
    rememberBefore(*rec, pid, rec->*field);
    sendSet(*rec, op, pid, {value});
    rec->*field = value;
    DeviceLogLine(frm, QString::fromLatin1(text) + DeviceLineTail(*rec));
    return true;
}

void TRdmSetCommands::sendCounter(uint16_t pid, uint8_t op, uint32_t value, uint32_t tRdmDevice::*field,
                                  const char* text, const char* what) {
    if (demo()) return;
    tRdmDevice* rec = currentRecord();
    if (!rec || refusedWhileLineHeld(what)) return;
    rememberBefore(*rec, pid, rec->*field);
    // The first byte is always 0: the spin edits stop at 16777215.
    sendSet(*rec, op, pid,
            {0x00, static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 8),
             static_cast<uint8_t>(value)});
    rec->*field = value & 0x00FFFFFFu;
    DeviceLogLine(frm, QString::fromLatin1(text) + DeviceLineTail(*rec));
}

// A data byte taken from an item index is the index's low byte (-1 gives 0xFF).
static uint8_t IndexByte(const QComboBox* cb) {
    return static_cast<uint8_t>(cb->currentIndex() & 0xFF);
}

void TRdmSetCommands::btnDispLevelClick() {
    sendByte(0x0501, RdmOpDisplayLevel, static_cast<uint8_t>(frm->rdmUi->seDispLevel->value()),
             &tRdmDevice::displayLevel, "Send new display level: ", "Display level");
}

void TRdmSetCommands::btnDispInvClick() {
    sendByte(0x0500, RdmOpDisplayInvert, IndexByte(frm->rdmUi->cbDispInv), &tRdmDevice::displayInvert,
             "Send new display invert: ", "Display invert");
}

void TRdmSetCommands::btnModLampHoursClick() {
    sendCounter(0x0401, RdmOpLampHours, static_cast<uint32_t>(frm->rdmUi->seLampHours->value()),
                &tRdmDevice::lampHours, "Send new lamp hours: ", "Lamp hours");
}

void TRdmSetCommands::btnModDevPowCycClick() {
    sendCounter(0x0405, RdmOpPowerCycles, static_cast<uint32_t>(frm->rdmUi->seDevPowCyc->value()),
                &tRdmDevice::devicePowerCycles, "Send new device power cycles: ", "Device power cycles");
}

void TRdmSetCommands::btnModLampStateClick() {
    if (demo()) return;
    if (sendByte(0x0403, RdmOpLampState, IndexByte(frm->rdmUi->cbLampState), &tRdmDevice::lampState,
                 "Send new lamp state: ", "Lamp state"))
        frm->rdmUi->cbLampState->setCurrentIndex(-1);
}

void TRdmSetCommands::btnModLampOnModeClick() {
    if (demo()) return;
    if (sendByte(0x0404, RdmOpLampOnMode, IndexByte(frm->rdmUi->cbLampOnMode), &tRdmDevice::lampOnMode,
                 "Send new lamp on mode: ", "Lamp on mode"))
        frm->rdmUi->cbLampOnMode->setCurrentIndex(-1);
}

void TRdmSetCommands::btnPanInvClick() {
    sendByte(0x0600, RdmOpPanInvert, IndexByte(frm->rdmUi->cbPanInv), &tRdmDevice::panInvert,
             "Send new PAN invert: ", "PAN invert");
}

void TRdmSetCommands::btnTiltInvClick() {
    sendByte(0x0601, RdmOpTiltInvert, IndexByte(frm->rdmUi->cbTiltInv), &tRdmDevice::tiltInvert,
             "Send new TILT invert: ", "TILT invert");
}

void TRdmSetCommands::btnPTSwapClick() {
    sendByte(0x0602, RdmOpPanTiltSwap, IndexByte(frm->rdmUi->cbPTSwap), &tRdmDevice::panTiltSwap,
             "Send new PAN TILT swap: ", "PAN TILT swap");
}

void TRdmSetCommands::btnModPowStateClick() {
    const int index = frm->rdmUi->cbPowState->currentIndex();
    const uint8_t value = (index >= 0 && index <= 2) ? static_cast<uint8_t>(index) : 0xFF;
    sendByte(0x1010, RdmOpPowerState, value, &tRdmDevice::powerState,
             "Send new power state to: ", "Power state");
}

void TRdmSetCommands::cbQuietIdentifyMouseUp() {
    // The one command that also sends in demo mode.
    tRdmDevice* rec = currentRecord();
    if (!rec) return;
    if (refusedWhileLineHeld("Identify mode")) {
        // The box shows what the device holds.
        frm->rdmUi->cbQuietIdentify->setChecked(rec->identifyMode == 0x00);
        return;
    }
    const uint8_t value = frm->rdmUi->cbQuietIdentify->isChecked() ? 0x00 : 0xFF;
    rememberBefore(*rec, 0x1040, rec->identifyMode);
    sendSet(*rec, RdmOpIdentifyMode, 0x1040, {value});
    rec->identifyMode = value;
    DeviceLogLine(frm, QStringLiteral("Send new identify mode to: ") + DeviceLineTail(*rec));
}

void TRdmSetCommands::btnIdentifyClick() {
    if (demo()) return;
    tRdmDevice* rec = currentRecord();
    if (!rec || refusedWhileLineHeld("Identify")) return;
    QPushButton* button = frm->rdmUi->btnIdentify;
    const uint8_t state = rec->identify == 1 ? 0 : 1;
    rec->identify = state;
    sendSet(*rec, RdmOpIdentify, 0x1000, {state});
    DeviceLogLine(frm, button->text() + QStringLiteral(": ") + DeviceLineTail(*rec));
    button->setText(state == 0 ? QStringLiteral("Identify START") : QStringLiteral("Identify STOP"));
}

void TRdmSetCommands::btnModDmxPersClick() {
    tRdmDevice* rec = currentRecord();
    if (!rec) return;
    if (!demo() && refusedWhileLineHeld("Dmx personality")) return;
    RdmPageView* view = RdmViewOf(frm);
    const uint8_t p = static_cast<uint8_t>((frm->rdmUi->cbPersonality->currentIndex() + 1) & 0xFF);
    const uint8_t personalityBefore = rec->currentPersonality;
    rec->currentPersonality = p;
    if (demo()) {
        rec->dmxStartAddress = rec->personalities[p].footprint != 0 ? 1 : 0;
        view->ShowDeviceDetails(CurrentNodeOf(frm));
        if (view->hooks.BuildDmxChannelMap) view->hooks.BuildDmxChannelMap();
    } else {
        rememberBefore(*rec, 0x00E0, personalityBefore);
        sendSet(*rec, RdmOpPersonality, 0x00E0, {p});
    }
    DeviceLogLine(frm, QStringLiteral("Send new dmx personality to: ") + DeviceLineTail(*rec));
}

void TRdmSetCommands::btnModDevLabClick() {
    tRdmDevice* rec = currentRecord();
    if (!rec) return;
    if (!demo() && refusedWhileLineHeld("Device label")) return;
    RdmState& st = RdmStateOf(frm);
    const QString text = frm->rdmUi->eDeviceLabel->text();
    const QString label = text.left(RdmTextMax);
    const QString labelBefore = rec->deviceLabel;
    rec->deviceLabel = label;
    if (demo()) {
        if (QTreeWidgetItem* item = NodeAt(frm->rdmUi->tvDeviceList, CurrentNodeOf(frm)))
            item->setText(0, label.isEmpty() ? rec->modelDescription : label);
        frm->rdmUi->btnModDevLab->setEnabled(false);
    } else {
        rememberBefore(*rec, 0x0082, 0, labelBefore);
        st.RdmPendingOp = RdmOpDeviceLabel;
        const QByteArray bytes = label.toLatin1();
        const int n = static_cast<int>(bytes.size());
        for (int i = 0; i < n; ++i)
            st.RdmParamData[i] = static_cast<uint8_t>(bytes[i]);
        st.RdmCurrentPid = 0x0082;
        SendRdmParam(frm, *rec, SetCommand, 0x0082, static_cast<uint8_t>(n));
    }
    DeviceLogLine(frm, QStringLiteral("Send new device label (") + text + QStringLiteral(") to: ") +
                           DeviceLineTail(*rec));
}

void TRdmSetCommands::btnSetFactDefClick() {
    if (demo()) return;
    if (!currentRecord() || refusedWhileLineHeld("Factory default") || !AskQuestion(frm, 1)) return;
    tRdmDevice* rec = currentRecord(); // the dialog may have outlived the node
    if (!rec || refusedWhileLineHeld("Factory default")) return;
    RdmState& st = RdmStateOf(frm);
    st.RdmPendingOp = RdmOpFactoryDefaults;
    st.RdmCurrentPid = 0x0090;
    SendRdmParam(frm, *rec, SetCommand, 0x0090, 0);
    DeviceLogLine(frm, QStringLiteral("Set factory defaults in: ") + DeviceLineTail(*rec));
}

void TRdmSetCommands::btnResetClick() {
    if (demo()) return;
    if (!currentRecord() || refusedWhileLineHeld("Reset") || !AskQuestion(frm, 3)) return;
    tRdmDevice* rec = currentRecord();
    if (!rec || refusedWhileLineHeld("Reset")) return;
    RdmState& st = RdmStateOf(frm);
    st.RdmParamData[0] = WarmResetChosen(frm) ? 0x01 : 0xFF;
    st.RdmCurrentPid = 0x1001;
    SendRdmParam(frm, *rec, SetCommand, 0x1001, 1);
    DeviceLogLine(frm, QStringLiteral("Set RESET in: ") + DeviceLineTail(*rec));
}

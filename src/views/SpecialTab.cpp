#include "views/SpecialTab.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>

#include "app/Main.h"
#include "app/Notebook.h"
#include "app/conversion.h"
#include "link/DataModule.h"
#include "maker/MakerPayloads.h"
#include "maker/RdmUpload.h"
#include "rdm/RdmDevice.h"
#include "rdm/RdmState.h"
#include "rdm/rdm_frame.h"
#include "rdm/rdm_handlers_later.h"
#include "rdm/rdm_ops.h"
#include "ui_SpecialTab.h"
#include "views/RdmPageView.h"
#include "views/rdm_set_context.h"

namespace {

constexpr uint16_t PidOperatingMode = 0x8000;
constexpr uint16_t PidDmxMode = 0x8004;
// The data bytes the mode answers are read up to: the operating mode's
// brightness at byte 7, the DMX mode's wait at bytes 3 and 4.
constexpr uint8_t OperatingModeLength = 8;
constexpr uint8_t DmxModeLength = 5;

QStringList Numbers(int from, int to) {
    QStringList items;
    for (int i = from; i <= to; ++i)
        items << QString::number(i);
    return items;
}

QButtonGroup* ButtonsOf(const QGroupBox* group) {
    return group ? group->findChild<QButtonGroup*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

void SetSpin(QSpinBox* spin, int value) {
    if (spin) spin->setValue(value);
}

} // namespace

TSpecialTab::TSpecialTab(TfrmMain* mainWindow)
    : QObject(mainWindow), ui(mainWindow->rdmView->specUi.get()), frm(mainWindow) {
    // The mode notebooks' pages follow the mode radios, never tabs.
    for (QTabWidget* nb : {ui->nbRdmSpecKelvar, ui->nbRdmSpecQ7, ui->nbRdmSpecQ9Sub})
        nb->tabBar()->hide();
    MakeRadioGroup(ui->rgProgram, Numbers(1, 9), 0);
    MakeRadioGroup(ui->rgSpeed, QStringList{QStringLiteral("-")} + Numbers(1, 9), 0);
    MakeRadioGroup(ui->rgBrightness, Numbers(0, 9), 9);
    MakeRadioGroup(ui->rgRdmSpecQ7Prog, Numbers(1, 9), 0);
    MakeRadioGroup(ui->rgRdmSpecQ9SubProg, Numbers(1, 9), 0);

    connect(ui->btnRdmSendSpec, &QPushButton::clicked, this, [this] { btnSetTryClick(); });
    connect(ui->btnRdmGetConf, &QPushButton::clicked, this, [this] { btnRdmGetConfClick(); });
    connect(ui->btnRdmGetPrg, &QPushButton::clicked, this, [this] { btnRdmGetPrgClick(); });
    for (QRadioButton* rb : {ui->rbModeDmx, ui->rbRdmSpecQ7ModeDmx, ui->rbRdmSpecQ9SubModeDmx})
        connect(rb, &QRadioButton::toggled, this, [this](bool on) {
            if (on) rbModeDmxClick();
        });
    for (QRadioButton* rb : {ui->rbModeSingle, ui->rbRdmSpecQ7ModeSing, ui->rbRdmSpecQ9SubModeSingle})
        connect(rb, &QRadioButton::toggled, this, [this](bool on) {
            if (on) rbModeSingleClick();
        });
    for (QRadioButton* rb : {ui->rbModeMaster, ui->rbRdmSpecQ7ModeMast, ui->rbRdmSpecQ9SubModeMaster})
        connect(rb, &QRadioButton::toggled, this, [this](bool on) {
            if (on) rbModeMasterClick();
        });
    for (QSpinBox* s : {ui->seRdmSpecDmxAdr, ui->seRdmSpecQ7DmxAdr, ui->seRdmSpecQ9SubDmxAdr})
        connect(s, &QSpinBox::valueChanged, this, [this] { seRdmPsecDmxAdrChange(); });
    for (QSpinBox* s : {ui->seRdmPsecSlaveSrsz, ui->seRdmSpecQ7DmxSlave, ui->seRdmSpecQ9SubDmxSlave})
        connect(s, &QSpinBox::valueChanged, this, [this] { seRdmPsecSlaveSrszChange(); });
}

TSpecialTab* TSpecialTab::of(const TfrmMain* mainWindow) {
    return mainWindow ? mainWindow->findChild<TSpecialTab*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

void TSpecialTab::MakeRadioGroup(QGroupBox* group, const QStringList& items, int checked) {
    auto* buttons = new QButtonGroup(group);
    buttons->setObjectName(group->objectName() + QStringLiteral("Items"));
    auto* grid = new QGridLayout;
    const int rows = (int(items.size()) + 1) / 2;
    for (int i = 0; i < items.size(); ++i) {
        auto* rb = new QRadioButton(items[i], group);
        rb->setObjectName(group->objectName() + QString::number(i));
        buttons->addButton(rb, i);
        grid->addWidget(rb, i % rows, i / rows);
    }
    static_cast<QBoxLayout*>(group->layout())->addLayout(grid);
    SetItemIndex(group, checked);
}

int TSpecialTab::ItemIndex(const QGroupBox* group) const {
    const QButtonGroup* b = ButtonsOf(group);
    return b ? b->checkedId() : -1;
}

void TSpecialTab::SetItemIndex(QGroupBox* group, int index) {
    if (QButtonGroup* b = ButtonsOf(group))
        if (QAbstractButton* button = b->button(index)) button->setChecked(true);
}

bool TSpecialTab::DemoMode() const {
    return frm->rdmView && frm->rdmView->DemoMode != 0;
}

uint16_t TSpecialTab::Q7UnitChannels() const {
    const tRdmDevice* rec = CurrentRecordOf(frm);
    return rec && (rec->DeviceKind == 8 || rec->DeviceKind == 10) ? 5 : 3;
}

TSpecialTab::ModePage TSpecialTab::Q7Page() const {
    return {ui->rbRdmSpecQ7ModeDmx,   ui->rbRdmSpecQ7ModeSing, ui->rbRdmSpecQ7ModeMast,
            ui->cbRdmSpecQ7ModePrior, ui->nbRdmSpecQ7,         ui->seRdmSpecQ7DmxAdr,
            ui->seRdmSpecQ7DmxSlave,  ui->rgRdmSpecQ7Prog,     ui->meRdmSpecQ7Speed,
            ui->meRdmSpecQ7Wait};
}

TSpecialTab::ModePage TSpecialTab::Q9SubPage() const {
    return {ui->rbRdmSpecQ9SubModeDmx,   ui->rbRdmSpecQ9SubModeSingle, ui->rbRdmSpecQ9SubModeMaster,
            ui->cbRdmSpecQ9SubModePrior, ui->nbRdmSpecQ9Sub,           ui->seRdmSpecQ9SubDmxAdr,
            ui->seRdmSpecQ9SubDmxSlave,  ui->rgRdmSpecQ9SubProg,       ui->meRdmSpecQ9SubSpeed,
            ui->meRdmSpecQ9SubWait};
}

// ---------------------------------------------------------------- SEND

void TSpecialTab::btnSetTryClick() {
    if (DemoMode()) return;
    const tRdmDevice* rec = CurrentRecordOf(frm);
    if (!rec) return;
    bool sent = true;
    switch (rec->DeviceKind) {
    case 1:
        sent = SendKelvarSpecial(*rec);
        break;
    case 2:
    case 7:
    case 8:
    case 9:
    case 10:
    case 11:
        sent = SendQ7Special(*rec);
        break;
    case 4:
        sent = SendQ9SubSpecial(*rec);
        break;
    default:
        break;
    }
    if (sent) DeviceLogLine(frm, QStringLiteral("Send new special paramaters to: ") + DeviceLineTail(*rec));
}

bool TSpecialTab::SendKelvarSpecial(const tRdmDevice& rec) {
    RdmState& st = RdmStateOf(frm);
    st.RdmPendingOp = RdmOpKelvarSetup;
    st.AwaitingAnswer = 1;
    auto& d = st.RdmParamData;
    d[0] = 0x55;
    d[1] = 0xAA;
    d[2] = 0xEE;
    d[3] = ui->rbModeMaster->isChecked() ? 1 : 0;
    d[4] = uint8_t(std::max(ItemIndex(ui->rgProgram), 0) + 1);
    d[5] = uint8_t(std::max(ItemIndex(ui->rgSpeed), 0));
    d[6] = ui->cbFade->isChecked() ? 1 : 0;
    d[7] = uint8_t(std::max(ItemIndex(ui->rgBrightness), 0));
    st.RdmCurrentPid = PidOperatingMode;
    SendRdmParam(frm, rec, RdmSetCommand, PidOperatingMode, 8);
    return true;
}

bool TSpecialTab::SendModeSpecial(const tRdmDevice& rec, const ModePage& page, uint8_t op,
                                  const QString& pageName) {
    // The times are checked first: a time that is not one sends nothing and
    // leaves the pending operation as it was.
    const std::optional<uint16_t> speed = TryParseStepTime(page.speed->displayText());
    const std::optional<uint16_t> wait = TryParseStepTime(page.wait->displayText());
    if (!speed || !wait) {
        TMakerRdm::ReportBadTime(
            frm, !speed ? page.speed : page.wait,
            QStringLiteral("%1 on page %2 is not a valid time (mm:ss.hh): nothing sent")
                .arg(!speed ? QStringLiteral("Speed") : QStringLiteral("Wait"), pageName));
        return false;
    }
    RdmState& st = RdmStateOf(frm);
    st.RdmPendingOp = op;
    st.AwaitingAnswer = 1;
    auto& d = st.RdmParamData;
    d[0] = uint8_t(0x10 + std::max(ItemIndex(page.program), 0) + 1);
    d[1] = uint8_t(*speed >> 8);
    d[2] = uint8_t(*speed);
    d[3] = uint8_t(*wait >> 8);
    d[4] = uint8_t(*wait);
    d[5] = 0x64;
    st.RdmCurrentPid = PidDmxMode;
    SendRdmParam(frm, rec, RdmSetCommand, PidDmxMode, 6);
    return true;
}

bool TSpecialTab::SendQ7Special(const tRdmDevice& rec) {
    return SendModeSpecial(rec, Q7Page(), RdmOpQ7Setup, QStringLiteral("Q7"));
}

bool TSpecialTab::SendQ9SubSpecial(const tRdmDevice& rec) {
    return SendModeSpecial(rec, Q9SubPage(), RdmOpQ9SubSetup, QStringLiteral("Q9Sub"));
}

// ---------------------------------------------------------------- GET CONFIG, GET PROGRAM

void TSpecialTab::btnRdmGetConfClick() {
    if (DemoMode()) return;
    const tRdmDevice* rec = CurrentRecordOf(frm);
    if (!rec) return;
    RdmState& st = RdmStateOf(frm);
    uint16_t pid = 0;
    uint8_t pdl = 0;
    uint8_t code = 0;
    switch (rec->DeviceKind) {
    case 1:
        pid = 0x8001;
        pdl = 2;
        st.RdmParamData[0] = 0x00;
        st.RdmParamData[1] = 0x40;
        code = 3;
        break;
    case 2:
        pid = 0x8005, code = 4;
        break;
    case 3:
        pid = 0x8005, code = 5;
        break;
    case 4:
        pid = 0x8005, code = 6;
        break;
    case 7:
        pid = 0x8007, code = 7;
        break;
    case 8:
    case 9:
    case 10:
        pid = 0x8007, code = 8;
        break;
    case 11:
    case 12:
        pid = 0x8016, code = 9;
        break;
    default:
        break;
    }
    if (pid) {
        frm->ConfigDeviceCode = code;
        st.RdmCurrentPid = pid;
        SendRdmParam(frm, *rec, RdmGetCommand, pid, pdl);
    }
    DeviceLogLine(frm, QStringLiteral("Get config data from: ") + DeviceLineTail(*rec));
}

void TSpecialTab::btnRdmGetPrgClick() {
    if (DemoMode()) return;
    const tRdmDevice* rec = CurrentRecordOf(frm);
    if (!rec) return;
    RdmState& st = RdmStateOf(frm);
    uint16_t pid = 0;
    switch (rec->DeviceKind) {
    case 1:
        pid = 0x8001;
        st.RdmParamData[0] = 0x00;
        st.RdmParamData[1] = 0x44;
        break;
    case 2:
    case 4:
        pid = 0x8006;
        break;
    case 7:
    case 8:
    case 9:
    case 10:
    case 11:
        pid = 0x8008;
        break;
    default:
        break;
    }
    if (pid) {
        if (pid != 0x8001) {
            st.RdmParamData[0] = 1;
            st.RdmParamData[1] = 0;
        }
        st.RdmCurrentPid = pid;
        SendRdmParam(frm, *rec, RdmGetCommand, pid, 2);
    }
    DeviceLogLine(frm, QStringLiteral("Get program data from: ") + DeviceLineTail(*rec));
}

// ---------------------------------------------------------------- mode radios, address, slave

void TSpecialTab::ShowMode(const QString& caption, bool priorChecked, bool priorEnabled) {
    for (QTabWidget* nb : {ui->nbRdmSpecKelvar, ui->nbRdmSpecQ7, ui->nbRdmSpecQ9Sub})
        SelectPageByCaption(nb, caption);
    for (QCheckBox* cb : {ui->cbRdmSpecQ7ModePrior, ui->cbRdmSpecQ9SubModePrior}) {
        cb->setChecked(priorChecked);
        cb->setEnabled(priorEnabled);
    }
}

void TSpecialTab::rbModeDmxClick() {
    ShowMode(QStringLiteral("Dmx"), false, false);
}

void TSpecialTab::rbModeSingleClick() {
    ShowMode(QStringLiteral("Single"), false, true);
}

void TSpecialTab::rbModeMasterClick() {
    ShowMode(QStringLiteral("Single"), true, false);
}

void TSpecialTab::seRdmPsecDmxAdrChange() {
    if (AddressGuard || SlaveGuard) return;
    AddressGuard = 1;
    SetSpin(ui->seRdmPsecSlaveSrsz, AddressToUnitNumber(uint16_t(ui->seRdmSpecDmxAdr->value()), 3));
    SetSpin(ui->seRdmSpecQ7DmxSlave,
            AddressToUnitNumber(uint16_t(ui->seRdmSpecQ7DmxAdr->value()), Q7UnitChannels()));
    SetSpin(ui->seRdmSpecQ9SubDmxSlave, AddressToUnitNumber(uint16_t(ui->seRdmSpecQ9SubDmxAdr->value()), 3));
    AddressGuard = 0;
}

void TSpecialTab::seRdmPsecSlaveSrszChange() {
    if (AddressGuard || SlaveGuard) return;
    SlaveGuard = 1;
    const std::pair<QSpinBox*, QSpinBox*> pages[] = {{ui->seRdmPsecSlaveSrsz, ui->seRdmSpecDmxAdr},
                                                     {ui->seRdmSpecQ7DmxSlave, ui->seRdmSpecQ7DmxAdr},
                                                     {ui->seRdmSpecQ9SubDmxSlave, ui->seRdmSpecQ9SubDmxAdr}};
    for (const auto& [slave, address] : pages) {
        if (slave->value() == 0) slave->setValue(1);
        const int n = address == ui->seRdmSpecQ7DmxAdr ? Q7UnitChannels() : 3;
        address->setValue(slave->value() * n - (n - 1));
    }
    SlaveGuard = 0;
}

// ---------------------------------------------------------------- mode answers

void TSpecialTab::ShowAddress(QSpinBox* address, QSpinBox* slave, uint16_t value, uint16_t channels) {
    SetSpin(address, value);
    // A device at an address where no unit starts shows unit 0; the slave
    // handler would take that 0 for a user's choice and move the address to 1.
    AddressGuard = 1;
    SetSpin(slave, AddressToUnitNumber(value, channels));
    AddressGuard = 0;
}

bool TSpecialTab::Refused(const tRdmMessage& msg, uint8_t length) {
    if (msg.responseType == RdmAck && msg.pdl >= length) return false;
    const tRdmDevice* rec = CurrentRecordOf(frm);
    const QString reason = msg.responseType == RdmAck
                               ? QStringLiteral("answer too short (%1 of %2 bytes)").arg(msg.pdl).arg(length)
                               : TMakerRdm::RefusalReason(msg);
    DeviceLogLine(frm, QStringLiteral("Mode not read, ") + reason + QStringLiteral(": ") +
                           (rec ? DeviceLineTail(*rec) : QString()));
    return true;
}

void TSpecialTab::HandleOperatingModeAnswer(const tRdmMessage& msg) {
    // The tab shows the selected device: another device's mode is not its.
    const tRdmDevice* rec = CurrentRecordOf(frm);
    if (!rec || !AnswerIsForSelection(frm) || Refused(msg, OperatingModeLength)) return;
    const auto& pd = msg.data;
    if (rec->currentPersonality == 1) {
        ui->rbModeDmx->setChecked(true);
        SelectPageByCaption(ui->nbRdmSpecKelvar, QStringLiteral("Dmx"));
    } else {
        SelectPageByCaption(ui->nbRdmSpecKelvar, QStringLiteral("Single"));
        (pd[3] == 1 ? ui->rbModeMaster : ui->rbModeSingle)->setChecked(true);
    }
    ShowAddress(ui->seRdmSpecDmxAdr, ui->seRdmPsecSlaveSrsz, rec->dmxStartAddress, 3);
    SetItemIndex(ui->rgProgram, pd[4] >= 1 && pd[4] <= 9 ? pd[4] - 1 : 0);
    SetItemIndex(ui->rgSpeed, pd[5] < 10 ? pd[5] : 0);
    ui->cbFade->setChecked(pd[6] == 1);
    SetItemIndex(ui->rgBrightness, pd[7] < 10 ? pd[7] : 0);
}

void TSpecialTab::HandleDmxModeAnswer(const tRdmMessage& msg) {
    // The tab shows the selected device: another device's mode is not its.
    const tRdmDevice* rec = CurrentRecordOf(frm);
    if (!rec || !AnswerIsForSelection(frm) || Refused(msg, DmxModeLength)) return;
    switch (rec->DeviceKind) {
    case 4:
        ShowDmxModeQ9Sub(msg);
        break;
    case 2:
    case 7:
    case 8:
    case 9:
    case 10:
    case 11:
        ShowDmxModeQ7(msg);
        break;
    default:
        break;
    }
}

void TSpecialTab::ShowDmxModeQ7(const tRdmMessage& msg) {
    ShowDmxMode(Q7Page(), msg, Q7UnitChannels());
}

void TSpecialTab::ShowDmxModeQ9Sub(const tRdmMessage& msg) {
    ShowDmxMode(Q9SubPage(), msg, 3);
}

void TSpecialTab::ShowDmxMode(const ModePage& page, const tRdmMessage& msg, uint16_t channels) {
    const tRdmDevice* rec = CurrentRecordOf(frm);
    if (!rec) return;
    const uint8_t personality = rec->currentPersonality;
    switch (personality) {
    case 1:
        page.dmx->setChecked(true);
        break;
    case 2:
        page.single->setChecked(true);
        page.prior->setChecked(true);
        break;
    case 3:
        page.single->setChecked(true);
        page.prior->setChecked(false);
        break;
    case 4:
        page.master->setChecked(true);
        break;
    case 5:
        // No mode of the three: the radios let go of each other to clear.
        for (QRadioButton* rb : {page.dmx, page.single, page.master}) {
            rb->setAutoExclusive(false);
            rb->setChecked(false);
            rb->setAutoExclusive(true);
        }
        break;
    default:
        break;
    }
    const QString caption = personality == 1   ? QStringLiteral("Dmx")
                            : personality >= 5 ? QStringLiteral("Manual")
                                               : QStringLiteral("Single");
    SelectPageByCaption(page.notebook, caption);
    ShowAddress(page.address, page.slave, rec->dmxStartAddress, channels);
    const auto& pd = msg.data;
    SetItemIndex(page.program, pd[0] >= 17 && pd[0] <= 25 ? pd[0] - 17 : 0);
    page.speed->setText(StepUnitsToText(GetWordBE(pd, 1)));
    page.wait->setText(StepUnitsToText(GetWordBE(pd, 3)));
}

// ---------------------------------------------------------------- answer path entries

void HandleOperatingModeAnswer(TDM& DM, const tRdmMessage& msg) {
    if (TSpecialTab* tab = TSpecialTab::of(DM.mainWindow())) tab->HandleOperatingModeAnswer(msg);
}

void HandleDmxModeAnswer(TDM& DM, const tRdmMessage& msg) {
    if (TSpecialTab* tab = TSpecialTab::of(DM.mainWindow())) tab->HandleDmxModeAnswer(msg);
}

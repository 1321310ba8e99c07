#include "maker/RdmUpload.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolTip>
#include <algorithm>

#include "app/Main.h"
#include "app/Notebook.h"
#include "app/conversion.h"
#include "link/DataModule.h"
#include "maker/ConfigPages.h"
#include "maker/ProgramEditor.h"
#include "maker/SendPage.h"
#include "maker/StreamUpload.h"
#include "rdm/RdmDevice.h"
#include "rdm/RdmState.h"
#include "rdm/rdm_frame.h"
#include "rdm/rdm_handlers_later.h"
#include "rdm/rdm_ops.h"
#include "ui_KonfigPage.h"
#include "ui_Main.h"
#include "ui_ProgramPage.h"
#include "views/DeviceTree.h"
#include "views/RdmPageView.h"
#include "views/operation_watch.h"
#include "views/rdm_set_context.h"

namespace {

constexpr uint16_t PidConfigMemory = 0x8001;
constexpr uint16_t PidProgramSteps = 0x8006;
constexpr uint16_t PidProgramBlock = 0x8008;
static_assert(kProgramImageSize == ProgramImageSize);

std::span<const uint8_t> Data(const tRdmMessage& msg) {
    return msg.data;
}

} // namespace

TMakerRdm::TMakerRdm(TfrmMain* mainWindow) : QObject(mainWindow), frm(mainWindow) {
    // The gauge goes, and so does the pending code if it is still the upload's.
    programWatch = new OperationWatch(
        frm,
        [this] {
            uint8_t& op = RdmStateOf(frm).RdmPendingOp;
            if (op == RdmOpProgramSteps || op == RdmOpProgramBlock) op = RdmOpNone;
            frm->prgUi->gPrg->hide();
        },
        this);
    configWatch = new OperationWatch(
        frm,
        [this] {
            uint8_t& op = RdmStateOf(frm).RdmPendingOp;
            for (uint8_t upload :
                 {RdmOpUploadQ9Root, RdmOpUploadQ9Sub, RdmOpUploadQ7, RdmOpUploadQ73G, RdmOpUploadZK4})
                if (op == upload) op = RdmOpNone;
            frm->konfUi->gKonf->hide();
        },
        this);
    connect(frm->prgUi->btnPrgEszkozbe, &QPushButton::clicked, this, [this] { btnPrgEszkozbeClick(); });
    connect(frm->konfUi->btnKonfEszkbe, &QPushButton::clicked, this, [this] { btnPrgEszkozbeClick(); });
}

TMakerRdm* TMakerRdm::of(const TfrmMain* mainWindow) {
    return mainWindow ? mainWindow->findChild<TMakerRdm*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

tRdmDevice* TMakerRdm::Device() const {
    return frm->dataModule() ? CurrentRecordOf(frm) : nullptr;
}

void TMakerRdm::Line(const QString& text) {
    DeviceLogLine(frm, text);
}

// ---------------------------------------------------------------- uploads

void TMakerRdm::ReportBadTime(TfrmMain* frm, QLineEdit* edit, const QString& text) {
    DeviceLogLine(frm, text);
    edit->setToolTip(text);
    edit->setFocus();
    edit->selectAll();
    if (edit->isVisible())
        QToolTip::showText(edit->mapToGlobal(QPoint(0, edit->height())), text, edit, QRect(),
                           edit->toolTipDuration());
}

void TMakerRdm::btnPrgEszkozbeClick() {
    const bool programs =
        frm->mainPageCaption().compare(QStringLiteral("Programok"), Qt::CaseInsensitive) == 0;
    const bool konf =
        frm->mainPageCaption().compare(QStringLiteral("Konfiguracio"), Qt::CaseInsensitive) == 0;
    const tRdmDevice* rec = Device();
    if (!rec || (!programs && !konf)) return;
    // The route first: a device kind with nothing to upload from this page
    // sends nothing, so there is nothing to refuse either.
    void (TMakerRdm::*upload)() = nullptr;
    bool stream = false;
    switch (rec->DeviceKind) {
    case 1:
        stream = true;
        break;
    case 2:
        upload = konf ? &TMakerRdm::UploadConfigQ7 : &TMakerRdm::UploadProgramsRgb;
        break;
    case 3:
        if (konf) upload = &TMakerRdm::UploadConfigQ9Root;
        break;
    case 4:
        upload = konf ? &TMakerRdm::UploadConfigQ9Sub : &TMakerRdm::UploadProgramsRgb;
        break;
    case 7:
    case 8:
    case 9:
    case 10:
        upload = konf ? &TMakerRdm::UploadConfigQ73G : &TMakerRdm::UploadProgramsRgbwa;
        break;
    case 11:
        upload = konf ? &TMakerRdm::UploadConfigZK4 : &TMakerRdm::UploadProgramsRgbwa;
        break;
    case 12:
        if (konf) upload = &TMakerRdm::UploadConfigZK4;
        break;
    default:
        break;
    }
    if (!upload && !stream) return;
    // The demo's devices are on no line: they are sent no program and no
    // configuration, whether an interface is connected or not.
    if (RdmPageView* view = RdmViewOf(frm); view && view->DemoMode != 0) return;
    const QString what = konf ? QStringLiteral("Configuration upload") : QStringLiteral("Program upload");
    // Its requests would reach the devices the scan is reading, nor may they
    // take the place of the answer another operation waits for.
    if (RefusedWhileScanHoldsTheLine(*frm, what) || RefusedWhileLineHeld(frm, what)) return;
    if (stream) {
        if (konf)
            UploadConfigByStream(*frm);
        else
            UploadProgramsByStream(*frm);
        return;
    }
    (this->*upload)();
}

bool TMakerRdm::StepTimesValid(TfrmMain* frm, const QString& speedPrefix, const QString& waitPrefix,
                               const QString& pageName) {
    for (int i = 1; i <= 9; ++i) {
        for (const auto& [prefix, caption] : {std::pair{speedPrefix, QStringLiteral("Speed")},
                                              std::pair{waitPrefix, QStringLiteral("Wait")}}) {
            auto* edit =
                frm->konfUi->nbKonf->parentWidget()->findChild<QLineEdit*>(prefix + QString::number(i));
            if (!edit || TryParseStepTime(edit->displayText())) continue;
            ReportBadTime(frm, edit,
                          QStringLiteral("%1 %2 on page %3 is not a valid time (mm:ss.hh): nothing sent")
                              .arg(caption)
                              .arg(i)
                              .arg(pageName));
            return false;
        }
    }
    return true;
}

void TMakerRdm::SendSet(uint8_t op, uint16_t pid, uint8_t pdl) {
    const tRdmDevice* rec = Device();
    if (!rec) return;
    RdmState& st = RdmStateOf(frm);
    st.RdmPendingOp = op;
    st.RdmCurrentPid = pid;
    // The answer names the device the configuration went to, whatever is selected by then.
    configTargetTail = DeviceLineTail(*rec);
    SendRdmParam(frm, *rec, RdmSetCommand, pid, pdl);
    configWatch->Begin(op);
}

bool TMakerRdm::TakeProgramTarget() {
    const tRdmDevice* rec = Device();
    if (!rec) return false;
    programTarget = UploadTarget{rec->uid, rec->subDevice, CurrentNodeOf(frm),
                                 TreeChanges(RdmViewOf(frm)->tree()), DeviceLineTail(*rec)};
    return true;
}

void TMakerRdm::SendProgramPacket(uint8_t op, uint16_t pid, uint8_t pdl) {
    RdmState& st = RdmStateOf(frm);
    st.RdmPendingOp = op;
    st.RdmCurrentPid = pid;
    frm->dataModule()->SendRdmRequest(programTarget.subDevice, RdmSetCommand, programTarget.uid, pid, pdl,
                                      st.RdmParamData, RdmLinkTypeRequest);
}

QString TMakerRdm::ProgramTargetLost() const {
    if (TreeChanges(RdmViewOf(frm)->tree()) != programTarget.treeChanges)
        return QStringLiteral("the device tree changed");
    const tRdmDevice* rec = Device();
    if (CurrentNodeOf(frm) != programTarget.node || !rec || rec->uid != programTarget.uid ||
        rec->subDevice != programTarget.subDevice)
        return QStringLiteral("the selected device changed");
    return QString();
}

void TMakerRdm::ShowConfigGauge() {
    frm->konfUi->gKonf->setValue(frm->konfUi->gKonf->maximum());
    frm->konfUi->gKonf->show();
}

void TMakerRdm::SetProgramGauge(int value) {
    QProgressBar* g = frm->prgUi->gPrg;
    g->setValue(std::clamp(value, g->minimum(), g->maximum()));
}

void TMakerRdm::UploadConfigQ9Root() {
    RdmState& st = RdmStateOf(frm);
    const Ui::KonfigPage& k = *frm->konfUi;
    st.RdmParamData.fill(0);
    PutConfigTail(st.RdmParamData, 0, k.cbKonfQ9rootTulmeleg->isChecked(),
                  k.rbKonfQ9rootFree->isChecked() ? 0 : uint16_t(k.seKonfQ9rootNum->value()));
    SendSet(RdmOpUploadQ9Root, 0x8005, kConfigTailLength);
    ShowConfigGauge();
}

void TMakerRdm::UploadConfigQ7() {
    if (!StepTimesValid(frm, QStringLiteral("meKonfQ7Speed"), QStringLiteral("meKonfQ7Wait"),
                        QStringLiteral("Q7")))
        return;
    frm->configPages->ReadQ7StepTimes();
    RdmState& st = RdmStateOf(frm);
    const Ui::KonfigPage& k = *frm->konfUi;
    st.RdmParamData.fill(0);
    BuildConfigPayloadQ7(frm->configPages->DeviceConfig, st.RdmParamData);
    PutConfigTail(st.RdmParamData, kConfigPayloadQ7, k.cbKonfQ7Tulmeleg->isChecked(),
                  k.rbKonfQ7Free->isChecked() ? 0 : uint16_t(k.seKonfQ7Num->value()));
    SendSet(RdmOpUploadQ7, 0x8005, kConfigPayloadQ7 + kConfigTailLength);
    ShowConfigGauge();
}

void TMakerRdm::UploadConfigQ9Sub() {
    if (!StepTimesValid(frm, QStringLiteral("meKonfQ9SubSpeed"), QStringLiteral("meKonfQ9SubWait"),
                        QStringLiteral("Q9Sub")))
        return;
    frm->configPages->ReadQ9SubStepTimes();
    RdmState& st = RdmStateOf(frm);
    st.RdmParamData.fill(0);
    BuildConfigPayloadQ7(frm->configPages->DeviceConfig, st.RdmParamData);
    SendSet(RdmOpUploadQ9Sub, 0x8005, kConfigPayloadQ7);
    ShowConfigGauge();
}

void TMakerRdm::UploadConfigQ73G() {
    if (!StepTimesValid(frm, QStringLiteral("meKonfQ73GSpeed"), QStringLiteral("meKonfQ73GWait"),
                        QStringLiteral("Q73G")))
        return;
    frm->configPages->ReadQ73GStepTimes();
    RdmState& st = RdmStateOf(frm);
    const tDeviceConfig& c = frm->configPages->DeviceConfig;
    st.RdmParamData.fill(0);
    BuildConfigPayloadQ73G(c, st.RdmParamData);
    PutConfigTail(st.RdmParamData, kConfigPayloadQ73G, frm->konfUi->cbKonfQ73GTulmeleg->isChecked(),
                  c.HzNumber);
    SendSet(RdmOpUploadQ73G, 0x8007, kConfigPayloadQ73G + kConfigTailLength);
    ShowConfigGauge();
}

void TMakerRdm::UploadConfigZK4() {
    RdmState& st = RdmStateOf(frm);
    st.RdmParamData.fill(0);
    BuildConfigPayloadZK4(frm->configPages->DeviceConfig, st.RdmParamData);
    SendSet(RdmOpUploadZK4, 0x8016, kConfigPayloadZK4);
    ShowConfigGauge();
}

void TMakerRdm::UploadProgramsRgb() {
    if (!TakeProgramTarget()) return;
    ++programUploadRun;
    UploadProgramIndex = 1;
    UploadPartIndex = 0;
    RdmState& st = RdmStateOf(frm);
    BuildProgramPacketRgb(frm->programEditor->Programs, 1, 0, st.RdmParamData);
    SendProgramPacket(RdmOpProgramSteps, PidProgramSteps, kProgramPacketRgb);
    programWatch->Begin(RdmOpProgramSteps);
    SetProgramGauge(0);
    frm->prgUi->gPrg->show();
}

void TMakerRdm::UploadProgramsRgbwa() {
    if (!TakeProgramTarget()) return;
    ++programUploadRun;
    UploadProgramIndex = 1;
    UploadPartIndex = 0;
    RdmState& st = RdmStateOf(frm);
    BuildProgramPacketRgbwa(frm->programEditor->Programs, 1, 0, st.RdmParamData);
    SendProgramPacket(RdmOpProgramBlock, PidProgramBlock, kProgramPacketRgbwa);
    programWatch->Begin(RdmOpProgramBlock);
    SetProgramGauge(0);
    frm->prgUi->gPrg->show();
}

void TMakerRdm::SendNextProgramSteps(const tRdmMessage& msg) {
    ProgramPacketAnswered(msg, false);
}

void TMakerRdm::SendNextProgramBlock(const tRdmMessage& msg) {
    ProgramPacketAnswered(msg, true);
}

void TMakerRdm::ProgramPacketAnswered(const tRdmMessage& msg, bool fiveColour) {
    // The window runs while a packet is on its way and during the pause after
    // its answer: a click on another node, or a new discovery, at any of those
    // moments must not receive the rest of this device's programs.
    if (const QString lost = ProgramTargetLost(); !lost.isEmpty()) {
        StopProgramUpload(fiveColour, lost);
        return;
    }
    if (msg.responseType != RdmAck) {
        RdmStateOf(frm).RdmPendingOp = RdmOpNone;
        programWatch->Finish();
        RefusalLine(msg,
                    QStringLiteral("Program upload stopped at program %1, part %2")
                        .arg(UploadProgramIndex)
                        .arg(UploadPartIndex),
                    programTarget.tail);
        return;
    }
    programWatch->PauseAsked();
    frm->dataModule()->PauseThen(
        ProgramPacketPauseMs,
        [this, fiveColour, run = programUploadRun] {
            // An upload started over meanwhile carries on by itself.
            if (run != programUploadRun) return;
            programWatch->PauseRan();
            if (const QString lost = ProgramTargetLost(); !lost.isEmpty())
                StopProgramUpload(fiveColour, lost);
            else
                ContinueProgramUpload(fiveColour);
        },
        PauseHold::Senders);
}

void TMakerRdm::StopProgramUpload(bool fiveColour, const QString& why) {
    // The pending code goes too: a late answer to the last packet would
    // otherwise carry the upload on, towards whatever device is selected now.
    RdmState& st = RdmStateOf(frm);
    if (st.RdmPendingOp == (fiveColour ? RdmOpProgramBlock : RdmOpProgramSteps)) st.RdmPendingOp = RdmOpNone;
    programWatch->Finish();
    frm->prgUi->gPrg->hide();
    Line(QStringLiteral("Program upload stopped at program %1, part %2, %3: %4")
             .arg(UploadProgramIndex)
             .arg(UploadPartIndex)
             .arg(why, programTarget.tail));
}

void TMakerRdm::ContinueProgramUpload(bool fiveColour) {
    RdmState& st = RdmStateOf(frm);
    // Another operation may have taken over during the pause.
    const uint8_t op = fiveColour ? RdmOpProgramBlock : RdmOpProgramSteps;
    if (st.RdmPendingOp != op) {
        programWatch->Finish();
        frm->prgUi->gPrg->hide();
        return;
    }
    const int lastPart = fiveColour ? kLastPartRgbwa : kLastPartRgb;
    ++UploadPartIndex;
    if (UploadPartIndex > lastPart) {
        UploadPartIndex = 0;
        ++UploadProgramIndex;
    }
    if (UploadProgramIndex > 9) {
        programWatch->Finish();
        frm->prgUi->gPrg->hide();
        st.RdmPendingOp = RdmOpNone;
        return;
    }
    const tProgramData& d = frm->programEditor->Programs;
    if (fiveColour) {
        SetProgramGauge(((UploadProgramIndex - 1) * 125 + UploadPartIndex * 6) / 10);
        BuildProgramPacketRgbwa(d, UploadProgramIndex, UploadPartIndex, st.RdmParamData);
        SendProgramPacket(op, PidProgramBlock, kProgramPacketRgbwa);
    } else {
        SetProgramGauge((UploadProgramIndex - 1) * 12 + UploadPartIndex + 1);
        BuildProgramPacketRgb(d, UploadProgramIndex, UploadPartIndex, st.RdmParamData);
        SendProgramPacket(op, PidProgramSteps, kProgramPacketRgb);
    }
}

void TMakerRdm::EndConfigUpload(const tRdmMessage& msg) {
    configWatch->Finish();
    frm->konfUi->gKonf->hide();
    RdmStateOf(frm).RdmPendingOp = RdmOpNone;
    if (msg.responseType == RdmAck)
        Line(QStringLiteral("Configuration sent to: ") + configTargetTail);
    else
        RefusalLine(msg, QStringLiteral("Configuration not taken"), configTargetTail);
}

// ---------------------------------------------------------------- answers

QString TMakerRdm::RefusalReason(const tRdmMessage& msg) {
    switch (msg.responseType) {
    case RdmAck:
        return QString();
    case RdmNackReason:
        return QStringLiteral("refused (NACK reason 0x%1)")
            .arg(GetWordBE(Data(msg), 0), 4, 16, QLatin1Char('0'));
    case RdmAckTimer:
        return QStringLiteral("device busy (ACK_TIMER)");
    case RdmAckOverflow:
        return QStringLiteral("answer too long (ACK_OVERFLOW)");
    default:
        return QStringLiteral("unknown response type %1").arg(msg.responseType);
    }
}

bool TMakerRdm::Refused(const tRdmMessage& msg, const QString& what) {
    if (msg.responseType == RdmAck) return false;
    const tRdmDevice* rec = AnswerRecordOf(frm);
    RefusalLine(msg, what, rec ? DeviceLineTail(*rec) : QString());
    return true;
}

void TMakerRdm::RefusalLine(const tRdmMessage& msg, const QString& what, const QString& tail) {
    Line(what + QStringLiteral(", ") + RefusalReason(msg) + QStringLiteral(": ") + tail);
}

void TMakerRdm::HandleDeviceConfigAnswer(const tRdmMessage& msg) {
    if (Refused(msg, QStringLiteral("Configuration not read"))) return;
    // Decoded by the kind of the device that sent it, whatever is selected by now.
    const tRdmDevice* rec = AnswerRecordOf(frm);
    const uint8_t kind = rec ? rec->DeviceKind : 0;
    ConfigPages& pages = *frm->configPages;
    tDeviceConfig& c = pages.DeviceConfig;
    const std::span<const uint8_t> pd = Data(msg);
    bool decoded = true;
    switch (kind) {
    case 2:
        DecodeConfigAnswerQ7(pd, c);
        ReadConfigTail(pd, kConfigPayloadQ7, c);
        pages.ShowQ7Config();
        break;
    case 3:
        ReadConfigTail(pd, 0, c);
        pages.ShowQ9RootConfig();
        break;
    case 4:
        DecodeConfigAnswerQ7(pd, c);
        pages.ShowQ9SubConfig();
        break;
    case 7:
    case 8:
    case 9:
    case 10:
        DecodeConfigAnswerQ73G(pd, c);
        ReadConfigTail(pd, kConfigPayloadQ73G, c);
        pages.ShowQ73GConfig(kind == 7 || kind == 9 ? 3 : 5);
        frm->konfUi->pcKonfQ73G->setCurrentIndex(0);
        break;
    case 11:
    case 12:
        DecodeConfigAnswerZK4(pd, c);
        pages.ShowZK4Config(kind == 11 ? 3 : 5);
        frm->konfUi->pcKonfZK4->setCurrentIndex(0);
        break;
    default:
        decoded = false;
        break;
    }
    if (decoded) pages.ShowPageForDeviceKind(kind);
    Line(QStringLiteral("Ready"));
    frm->showMainPage(QStringLiteral("Konfiguracio"));
    frm->ui->mFileSave->setEnabled(true);
}

void TMakerRdm::EndProgramRead(uint8_t channels) {
    ProgramEditor& editor = *frm->programEditor;
    Line(QStringLiteral("Ready"));
    editor.Programs.EditorChannels = channels;
    editor.ShowProgram();
    editor.LabelDeviceAddresses();
    frm->showMainPage(QStringLiteral("Programok"));
}

void TMakerRdm::HandleProgramStepsAnswer(const tRdmMessage& msg) {
    ReadProgramPacket(msg, false);
}

void TMakerRdm::HandleProgramBlockAnswer(const tRdmMessage& msg) {
    ReadProgramPacket(msg, true);
}

void TMakerRdm::ReadProgramPacket(const tRdmMessage& msg, bool fiveColour) {
    if (Refused(msg, QStringLiteral("Program read stopped"))) return;
    // The read goes on from the device that answered, whatever is selected by now.
    const tRdmDevice* rec = AnswerRecordOf(frm);
    if (!rec) return;
    const std::span<const uint8_t> pd = Data(msg);
    tProgramData& programs = frm->programEditor->Programs;
    if (!(fiveColour ? DecodeProgramPacketRgbwa(pd, programs) : DecodeProgramPacketRgb(pd, programs))) {
        Line(QStringLiteral("Program packet out of range (program %1, part %2), read stopped: ")
                 .arg(pd[0])
                 .arg(pd[1]) +
             DeviceLineTail(*rec));
        return;
    }
    int p = pd[0];
    int part = pd[1] + 1;
    if (part > (fiveColour ? kLastPartRgbwa : kLastPartRgb)) {
        part = 0;
        ++p;
    }
    if (p > 9) {
        const uint8_t kind = rec->DeviceKind;
        EndProgramRead(!fiveColour || kind == 7 || kind == 9 || kind == 11 ? 3 : 5);
        return;
    }
    const uint16_t pid = fiveColour ? PidProgramBlock : PidProgramSteps;
    RdmState& st = RdmStateOf(frm);
    st.RdmParamData[0] = uint8_t(p);
    st.RdmParamData[1] = uint8_t(part);
    st.RdmCurrentPid = pid;
    SendRdmParam(frm, *rec, RdmGetCommand, pid, 2);
}

void TMakerRdm::HandleConfigMemoryAnswer(const tRdmMessage& msg) {
    if (Refused(msg, QStringLiteral("Memory read stopped"))) return;
    // The read goes on from the device that answered, whatever is selected by now.
    const tRdmDevice* rec = AnswerRecordOf(frm);
    if (!rec) return;
    const std::span<const uint8_t> pd = Data(msg);
    const uint16_t a = GetWordLE(pd, 0);
    if (a == kMemoryConfigBlock) {
        ConfigPages& pages = *frm->configPages;
        DecodeConfigMemoryBlock(pd, pages.DeviceConfig);
        pages.ShowConfigPage();
        Line(QStringLiteral("Ready"));
        frm->showMainPage(QStringLiteral("Konfiguracio"));
        frm->ui->mFileSave->setEnabled(true);
        frm->konfUi->pcKarakt->setCurrentIndex(0);
        SelectPageByCaption(frm->konfUi->nbKonf, QStringLiteral("Kelvar"));
        return;
    }
    // Only the program blocks hold programs; any other address would walk
    // the device's memory block by block for nothing.
    if (a < kMemoryProgramBlock || a > kMemoryLastProgramBlock) {
        Line(QStringLiteral("Memory block out of range (address 0x%1), read stopped: ")
                 .arg(a, 4, 16, QLatin1Char('0')) +
             DeviceLineTail(*rec));
        return;
    }
    // The device's program memory goes into the program image of the streams.
    if (!frm->sendPage) return;
    const std::span<uint8_t> image(frm->sendPage->Stream.ProgramImage.data() + 1, kProgramImageSize);
    StoreProgramMemoryBlock(pd, msg.pdl, a, image);
    if (a >= 0x5320) {
        ProgramEditor& editor = *frm->programEditor;
        UnpackProgramMemory(image, editor.Programs);
        EndProgramRead(3);
        frm->ui->mFileSave->setEnabled(true);
        return;
    }
    const uint16_t next = uint16_t(a + kMemoryBlockStep);
    RdmState& st = RdmStateOf(frm);
    st.RdmParamData[0] = uint8_t(next & 0xFF);
    st.RdmParamData[1] = uint8_t(next >> 8);
    st.RdmCurrentPid = PidConfigMemory;
    SendRdmParam(frm, *rec, RdmGetCommand, PidConfigMemory, 2);
}

// ---------------------------------------------------------------- answer path entries

void HandleDeviceConfigAnswer(TDM& DM, const tRdmMessage& msg) {
    if (TMakerRdm* m = TMakerRdm::of(DM.mainWindow())) m->HandleDeviceConfigAnswer(msg);
}
void HandleProgramStepsAnswer(TDM& DM, const tRdmMessage& msg) {
    if (TMakerRdm* m = TMakerRdm::of(DM.mainWindow())) m->HandleProgramStepsAnswer(msg);
}
void HandleProgramBlockAnswer(TDM& DM, const tRdmMessage& msg) {
    if (TMakerRdm* m = TMakerRdm::of(DM.mainWindow())) m->HandleProgramBlockAnswer(msg);
}
void HandleConfigMemoryAnswer(TDM& DM, const tRdmMessage& msg) {
    if (TMakerRdm* m = TMakerRdm::of(DM.mainWindow())) m->HandleConfigMemoryAnswer(msg);
}
void SendNextProgramSteps(TDM& DM, const tRdmMessage& msg) {
    if (TMakerRdm* m = TMakerRdm::of(DM.mainWindow())) m->SendNextProgramSteps(msg);
}
void SendNextProgramBlock(TDM& DM, const tRdmMessage& msg) {
    if (TMakerRdm* m = TMakerRdm::of(DM.mainWindow())) m->SendNextProgramBlock(msg);
}
void HideUploadGauge(TDM& DM, const tRdmMessage& msg) {
    if (TMakerRdm* m = TMakerRdm::of(DM.mainWindow())) m->EndConfigUpload(msg);
}

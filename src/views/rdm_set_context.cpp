#include "views/rdm_set_context.h"

#include <QPlainTextEdit>
#include <QRadioButton>

#include "app/Kerdes.h"
#include "app/Main.h"
#include "link/DataModule.h"
#include "rdm/RdmDevice.h"
#include "rdm/RdmState.h"
#include "rdm/rdm_discovery.h"
#include "rdm/rdm_ops.h"
#include "ui_Kerdes.h"
#include "views/RdmPageView.h"

RdmPageView* RdmViewOf(TfrmMain* frm) {
    return frm ? frm->rdmView : nullptr;
}

RdmState& RdmStateOf(TfrmMain* frm) {
    return frm->dataModule()->RdmGlobals();
}

uint16_t& CurrentNodeOf(TfrmMain* frm) {
    return frm->rdmView->RdmCurrentNode();
}

tRdmDevice* CurrentRecordOf(TfrmMain* frm) {
    RdmPageView* view = RdmViewOf(frm);
    return view && frm->dataModule() ? view->RecordAt(view->RdmCurrentNode()) : nullptr;
}

int AnswerNodeOf(TfrmMain* frm) {
    TDM* dm = frm ? frm->dataModule() : nullptr;
    if (dm && dm->RdmGlobals().HandlingAnswer) return dm->RdmGlobals().RdmAnswerNode;
    return frm && frm->rdmView ? frm->rdmView->RdmCurrentNode() : -1;
}

tRdmDevice* AnswerRecordOf(TfrmMain* frm) {
    RdmPageView* view = RdmViewOf(frm);
    return view ? view->RecordAt(AnswerNodeOf(frm)) : nullptr;
}

bool AnswerIsForSelection(TfrmMain* frm) {
    RdmPageView* view = RdmViewOf(frm);
    return view && AnswerNodeOf(frm) == view->RdmCurrentNode();
}

void SendRdmParam(TfrmMain* frm, const tRdmDevice& rec, uint8_t commandClass, uint16_t pid, uint8_t pdl) {
    TDM* dm = frm->dataModule();
    if (!dm) return;
    dm->SendRdmRequest(rec.subDevice, commandClass, rec.uid, pid, pdl, dm->RdmGlobals().RdmParamData, 0x40);
}

void DecodeAnswer(TfrmMain* frm, const tRdmMessage& msg, int node) {
    if (TDM* dm = frm->dataModule()) dm->DecodeGetResponse(msg, node);
}

bool AskQuestion(TfrmMain* frm, uint8_t messageKind) {
    if (!frm->frmKerdes) return false;
    frm->MessageKind = messageKind;
    return frm->frmKerdes->ShowModal() == QDialog::Accepted;
}

bool WarmResetChosen(TfrmMain* frm) {
    return frm->frmKerdes && frm->frmKerdes->ui->rbWarm->isChecked();
}

bool RefusedWhileLineHeld(TfrmMain* frm, const QString& what) {
    RdmPageView* view = RdmViewOf(frm);
    if (!view) return false;
    // Without an interface nothing reaches the device: the page must not
    // show a value as sent that the device never got. The demo's devices are
    // on no line: what they are sent goes nowhere, and their page changes
    // only their records, with or without an interface.
    if (TDM* dm = frm->dataModule(); dm && !dm->HidConnected && view->DemoMode == 0) {
        DeviceLogLine(frm, what + QStringLiteral(" not sent: no USB interface is connected"));
        return true;
    }
    if (!view->SendersHeld()) return false;
    if (view->RunInProgress()) {
        DeviceLogLine(frm, what + QStringLiteral(" not sent: the devices on the DMX line are being read"));
        return true;
    }
    const RdmState& st = RdmStateOf(frm);
    // The device asked last is the one the line is held for: after a
    // personality SET's answer it is read again.
    const QString tail =
        FormatRdmUid(st.Asked.uid) + QStringLiteral(" - ") + QString::number(st.Asked.subDevice);
    if (view->ScanHoldsTheLine() || (st.RdmPendingOp == RdmOpPersonality && !st.Asked.open))
        DeviceLogLine(frm, what + QStringLiteral(" not sent, the device is being read: ") + tail);
    else
        DeviceLogLine(frm, what + QStringLiteral(" not sent, an answer is awaited from: ") + tail);
    return true;
}

void DeviceLogLine(TfrmMain* frm, const QString& line) {
    if (RdmPageView* view = RdmViewOf(frm)) view->AddDeviceListLine(line);
}

QString DeviceLineTail(const tRdmDevice& rec) {
    return FormatRdmUid(rec.uid) + QStringLiteral(" - ") + QString::number(rec.subDevice);
}

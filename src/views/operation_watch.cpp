#include "views/operation_watch.h"

#include <QTimer>
#include <utility>

#include "app/Main.h"
#include "link/DataModule.h"
#include "rdm/RdmState.h"
#include "views/RdmPageView.h"

OperationWatch::OperationWatch(TfrmMain* mainWindow, std::function<void()> ended, QObject* parent)
    : QObject(parent), frm(mainWindow), ended(std::move(ended)), timer(new QTimer(this)) {
    timer->setInterval(CheckMs);
    connect(timer, &QTimer::timeout, this, [this] { Check(); });
    if (frm->rdmView)
        connect(frm->rdmView, &RdmPageView::LineOperationsEnding, this, [this] { LineOperationsEnding(); });
}

void OperationWatch::Begin(uint8_t pendingOp) {
    running = true;
    stopped = false;
    pauseAsked = false;
    op = pendingOp;
    timer->start();
}

void OperationWatch::Finish() {
    running = false;
    pauseAsked = false;
    timer->stop();
}

bool OperationWatch::StillPending() const {
    TDM* dm = frm->dataModule();
    return dm && dm->RdmGlobals().RdmPendingOp == op;
}

void OperationWatch::CutOff() {
    Finish();
    if (ended) ended();
}

void OperationWatch::LineOperationsEnding() {
    // One that stopped unanswered shows where it stopped until then; its
    // device may be gone with the line's operations.
    if (!running) {
        if (std::exchange(stopped, false) && ended) ended();
        return;
    }
    // Looked at before anything is ended: its pending code tells whether it
    // still ran, whatever the last look found.
    if (StillPending())
        CutOff();
    else
        Finish();
}

void OperationWatch::Check() {
    if (!running) {
        timer->stop();
        return;
    }
    TDM* dm = frm->dataModule();
    if (!dm) {
        CutOff();
        return;
    }
    // Its pause was dropped: what it would have sent is never sent.
    if (pauseAsked && !dm->OperationPausing()) {
        CutOff();
        return;
    }
    // An answer on its way, or a pause still to run, ends it its own way.
    if (StillPending() || dm->Pausing() || dm->RdmOperationAnswerAwaited()) return;
    // It went unanswered, or another operation took its code: nothing moves
    // it on any more, and it shows where it stopped.
    Finish();
    stopped = true;
}

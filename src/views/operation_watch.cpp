#include "views/operation_watch.h"

#include <QTimer>
#include <utility>

#include "app/Main.h"
#include "link/DataModule.h"
#include "rdm/RdmState.h"
#include "views/DeviceTree.h"
#include "views/RdmPageView.h"

OperationWatch::OperationWatch(TfrmMain* mainWindow, std::function<void()> ended, QObject* parent)
    : QObject(parent), frm(mainWindow), ended(std::move(ended)), timer(new QTimer(this)) {
    timer->setInterval(CheckMs);
    connect(timer, &QTimer::timeout, this, [this] { Check(); });
}

void OperationWatch::Begin(uint8_t pendingOp) {
    running = true;
    pauseAsked = false;
    op = pendingOp;
    treeChanges = frm->rdmView ? TreeChanges(frm->rdmView->tree()) : 0;
    timer->start();
}

void OperationWatch::Finish() {
    running = false;
    pauseAsked = false;
    timer->stop();
}

void OperationWatch::Check() {
    if (!running) {
        timer->stop();
        return;
    }
    TDM* dm = frm->dataModule();
    RdmPageView* view = frm->rdmView;
    // Its pause was dropped: what it would have sent is never sent.
    const bool pauseDropped = dm && pauseAsked && !dm->OperationPausing();
    if (dm && view && !pauseDropped) {
        const bool cutOff = !dm->HidConnected || dm->RdmGlobals().RdmPendingOp != op ||
                            TreeChanges(view->tree()) != treeChanges;
        if (!cutOff) return;
        // An answer on its way, or a pause still to run, ends it its own way.
        if (dm->Pausing() || dm->RdmOperationAnswerAwaited()) return;
    }
    Finish();
    if (ended) ended();
}

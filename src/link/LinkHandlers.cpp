// Handlers that the link's input dispatch and timers reach by name, and whose
// work belongs to the RDM controller, the views and the maker's pages. Each
// stays a separate function so that its owner can fill it in on its own.
#include "link/DataModule.h"

#include <QTimer>

#include "app/Main.h"
#include "link/LinkDispatch.h"
#include "link/LinkTypes.h"
#include "views/RdmPageView.h"

// ---- RDM controller -------------------------------------------------------

void TDM::HandleRdmReport() {
    Rdm().HandleRdmReport(InputReport());
    LineMayBeFree();
}

bool TDM::RdmOperationAnswerAwaited() const {
    if (!rdmController || !HidConnected || LinkMode != LinkModeRdm) return false;
    // The deadline closes a request whose report never came.
    const RdmAskedRequest& asked = rdmController->state.Asked;
    return asked.open && !asked.poll;
}

void TDM::RdmDeadlinePassed() {
    // Reports held by a pause are here already; they are handled after it.
    if (Pausing()) {
        rdmDeadline->start(RdmAnswerDeadlineMs);
        return;
    }
    if (!HidConnected) return;
    // A request written off never leaves later: its report would be
    // counted against the request after it. One partly sent cannot be taken
    // back; it stays, its report owed once its last chunk has left, and
    // nothing can leave behind it meanwhile.
    const bool stuck = RdmRequestPartlySent();
    DropQueuedRdmRequests(stuck);
    Rdm().ReportsOverdue();
    if (LinkHandlerFor(InterfaceType, LinkMode) == LinkHandler::Discovery) {
        if (frmMain && frmMain->rdmView) frmMain->rdmView->Discovery.NoReport();
    } else {
        Rdm().ReportMissing(!stuck);
    }
    LineMayBeFree();
}

void TDM::RdmRequestRefused() {
    // A search asks a refused request again: the queue is given a deadline's
    // time to make room first.
    const bool search = LinkHandlerFor(InterfaceType, LinkMode) == LinkHandler::Discovery;
    rdmDeadline->start(search ? RdmAnswerDeadlineMs : 0);
}

void TDM::LineMayBeFree() {
    if (frmMain && frmMain->rdmView) frmMain->rdmView->TakeHeldClick();
}

// ---- Discovery --------------------------------------------------------------

void TDM::HandleDiscoveryReport() {
    // A piece of an answer is not a report of its own; a whole report of an
    // earlier request (a SET's, a poll's) is no answer to the search.
    const std::span<const uint8_t> report = InputReport();
    const bool whole = report.size() >= 2 && report[0] == 11 && report[1] != 3;
    if (whole && !Rdm().TakeReport()) return;
    if (frmMain && frmMain->rdmView) frmMain->rdmView->Discovery.HandleDiscoveryReport(report);
}

// ---- RDM page ---------------------------------------------------------------

void TDM::EndRdmWorkOnRemoval() {
    // Nothing comes for the requests on their way any more.
    if (rdmController) {
        rdmController->state.Asked.open = false;
        rdmController->WriteOffReports();
    }
    rdmDeadline->stop();
    if (frmMain && frmMain->rdmView) frmMain->rdmView->InterfaceRemoved();
}

void TDM::ClearDeviceDetails() {
    if (frmMain && frmMain->rdmView) frmMain->rdmView->ClearDeviceDetails();
}

// ---- Timers whose work belongs elsewhere --------------------------------------

void TDM::tTestTimer() {
    if (frmMain && frmMain->rdmView) frmMain->rdmView->RestartDiscoveryTest();
}

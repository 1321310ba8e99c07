// Handlers that the link's input dispatch and timers reach by name, and whose
// work belongs to the RDM controller, the views and the maker's pages. Each
// stays a separate function so that its owner can fill it in on its own.
#include "link/DataModule.h"

#include "app/Main.h"
#include "link/LinkTypes.h"
#include "views/RdmPageView.h"

// ---- RDM controller -------------------------------------------------------

void TDM::HandleRdmReport() {
    Rdm().HandleRdmReport(InputReport());
    LineMayBeFree();
}

bool TDM::RdmOperationAnswerAwaited() const {
    if (!rdmController || !HidConnected || LinkMode != LinkModeRdm) return false;
    const RdmAskedRequest& asked = rdmController->state.Asked;
    return asked.open && !asked.poll &&
           std::chrono::steady_clock::now() - asked.sentAt < std::chrono::milliseconds(RdmAnswerDeadlineMs);
}

void TDM::LineMayBeFree() {
    if (frmMain && frmMain->rdmView) frmMain->rdmView->TakeHeldClick();
}

// ---- Discovery --------------------------------------------------------------

void TDM::HandleDiscoveryReport() {
    if (frmMain && frmMain->rdmView) frmMain->rdmView->Discovery.HandleDiscoveryReport(InputReport());
}

// ---- RDM page ---------------------------------------------------------------

void TDM::EndRdmWorkOnRemoval() {
    // Nothing comes for the request on its way any more.
    if (rdmController) rdmController->state.Asked.open = false;
    if (frmMain && frmMain->rdmView) frmMain->rdmView->InterfaceRemoved();
}

void TDM::ClearDeviceDetails() {
    if (frmMain && frmMain->rdmView) frmMain->rdmView->ClearDeviceDetails();
}

// ---- Timers whose work belongs elsewhere --------------------------------------

void TDM::tTestTimer() {
    if (frmMain && frmMain->rdmView) frmMain->rdmView->RestartDiscoveryTest();
}

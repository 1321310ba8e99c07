// Handlers that the link's input dispatch and timers reach by name, and whose
// work belongs to the RDM controller, the views and the maker's pages. Each
// stays a separate function so that its owner can fill it in on its own.
#include "link/DataModule.h"

#include "app/Main.h"
#include "views/RdmPageView.h"

// ---- RDM controller -------------------------------------------------------

void TDM::HandleRdmReport() {
    Rdm().HandleRdmReport(InputReport());
}

// ---- Discovery --------------------------------------------------------------

void TDM::HandleDiscoveryReport() {
    if (frmMain && frmMain->rdmView) frmMain->rdmView->Discovery.HandleDiscoveryReport(InputReport());
}

// ---- Stream send, block download, firmware upload ---------------------------

void TDM::HandleBlockAck() {
    // Block acknowledges of a block download; filled in with the stream sender.
}

void TDM::SendFirmwareChunk() {
    // Next firmware chunk; filled in with the firmware upload.
}

// ---- Received-DMX monitor ---------------------------------------------------

void TDM::HandleMonitorStream() {
    // Monitor stream of the DMX interfaces; filled in with the monitor.
}

void TDM::ShowReceivedDmx() {
    // Received DMX of the repeaters and splitters; filled in with the monitor.
}

// ---- Interface configuration and RF-DMX -------------------------------------

void TDM::HandleInterfaceConfig() {
    // Configuration answer of the interface; filled in with the RF-DMX page.
}

void TDM::HandleRfConfigAnswer() {
    // RF configuration answer to the controls; filled in with the RF-DMX page.
}

void TDM::ShowRfDmxConfigControls(bool /*rfChannel*/, bool /*dmxCount*/, bool /*mode*/, bool /*forward*/,
                                  bool /*send*/) {
    // Shows the groups of the RF-DMX configuration tab; filled in with that page.
}

// ---- RDM page ---------------------------------------------------------------

void TDM::ClearDeviceDetails() {
    if (frmMain && frmMain->rdmView) frmMain->rdmView->ClearDeviceDetails();
}

// ---- Timers whose work belongs elsewhere --------------------------------------

void TDM::tTestTimer() {
    if (frmMain && frmMain->rdmView) frmMain->rdmView->RestartDiscoveryTest();
}

void TDM::tmrNetworkTimer() {
    // Network discovery tick; filled in with the network interface list.
}

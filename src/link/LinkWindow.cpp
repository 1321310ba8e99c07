#include "link/LinkWindow.h"

#include <QDialog>
#include <QLabel>
#include <QTimer>

#include "app/Info.h"
#include "app/Kerdes.h"
#include "app/Main.h"
#include "app/Nevjegy.h"
#include "link/DataModule.h"

namespace LinkWindow {

void SyncInterfaceState(TDM& dm) {
    TfrmMain* w = dm.mainWindow();
    if (!w) return;
    w->LineState.HidConnected = dm.HidConnected ? 1 : 0;
    w->LineState.InterfaceType = dm.InterfaceType;
}

void ShowInterfaceStatus(TDM& dm) {
    TfrmMain* w = dm.mainWindow();
    if (w && w->statusPanel(2)) w->statusPanel(2)->setText(w->GetInterfaceStatusText());
}

void ShowLineStatus(TDM& dm) {
    if (TfrmMain* w = dm.mainWindow()) w->ShowLineStatus();
}

uint8_t UsbSetting(TDM& dm) {
    TfrmMain* w = dm.mainWindow();
    return w ? w->UsbSetting : 0;
}

bool HasFileArgument(TDM& dm) {
    TfrmMain* w = dm.mainWindow();
    return w && !w->ProgramArguments.isEmpty();
}

void StartFileSend(TDM& dm) {
    TfrmMain* w = dm.mainWindow();
    if (w && w->tmrFileSendStart) w->tmrFileSendStart->start();
}

void ClearMonitorFlags(TDM& dm) {
    TfrmMain* w = dm.mainWindow();
    if (!w) return;
    w->LineState.InputSignalFlag = 0;
    w->LineState.ReceiverKindKnown = 0;
    w->LineState.DetectFrameCount = 0;
    w->LineState.LedDriverHits = 0;
}

void StopReceivePolling(TDM& dm) {
    TfrmMain* w = dm.mainWindow();
    if (w && w->tmrRx) w->tmrRx->stop();
}

void ClearTransmitFlag(TDM& dm) {
    if (TfrmMain* w = dm.mainWindow()) w->LineState.TransmitFlag = 0;
}

void CloseDialogs(TDM& dm) {
    TfrmMain* w = dm.mainWindow();
    if (!w) return;
    for (QDialog* dialog : {static_cast<QDialog*>(w->frmNevjegy), static_cast<QDialog*>(w->frmKerdes),
                            static_cast<QDialog*>(w->frmInfo)}) {
        if (dialog && dialog->isVisible()) dialog->close();
    }
}

} // namespace LinkWindow

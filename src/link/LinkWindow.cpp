#include "link/LinkWindow.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include "app/Main.h"
#include "link/DataModule.h"

namespace LinkWindow {

void SyncInterfaceState(TDM&) {}

void ShowInterfaceStatus(TDM&) {}

void ShowLineStatus(TDM&) {}

uint8_t UsbSetting(TDM&) {
    return 0;
}

bool HasFileArgument(TDM&) {
    return false;
}

void StartFileSend(TDM& dm) {
    if (auto* t = dm.mainWindow()->findChild<QTimer*>(QStringLiteral("tmrFileSendStart"))) t->start();
}

void ClearMonitorFlags(TDM&) {}

void StopReceivePolling(TDM& dm) {
    if (auto* t = dm.mainWindow()->findChild<QTimer*>(QStringLiteral("tmrRx"))) t->stop();
}

void ClearTransmitFlag(TDM&) {}

void CloseDialogs(TDM&) {
    for (const char* name : {"frmNevjegy", "frmKerdes", "frmInfo"}) {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->objectName() == QLatin1String(name) && w->isVisible()) w->close();
        }
    }
}

}  // namespace LinkWindow

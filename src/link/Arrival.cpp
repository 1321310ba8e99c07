// Arrival and removal of the USB interface: the data module's handlers of the
// HID controller's events. One interface of the maker is accepted and held;
// every other HID device on the machine passes through untouched.
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QPalette>
#include <QPushButton>
#include <QTimer>

#include "app/Main.h"
#include "app/products_data.h"
#include "link/DataModule.h"
#include "link/LinkWindow.h"
#include "link/hid/JvHidControllerClass.h"
#include "ui_Main.h"
#include "ui_RdmPage.h"

namespace {

void SetEnabled(TfrmMain* w, const char* name, bool enabled) {
    if (auto* control = w->findChild<QWidget*>(QString::fromLatin1(name))) control->setEnabled(enabled);
}

} // namespace

bool TDM::IsInterfaceTypeEnabled(uint8_t code) const {
    for (const Interfesz& row : InterfaceTypeTable)
        if (row.IsEnabled() && row.Code() == code) return true;
    return false;
}

void TDM::JvHidDCArrival(TJvHidDevice* dev) {
    if (!dev || !IsMakerInterface(dev->Attributes.vendorId, dev->Attributes.productId)) return;
    const uint8_t type = uint8_t(dev->Attributes.version >> 8);
    if (HidConnected || !IsInterfaceTypeEnabled(type)) return;
    if (!dev->ReadWriteAccess) {
        // Held, it would look connected while nothing can be written to it or
        // read from it. It is not taken; the line says once per plug-in why
        // (an arrival comes only with a new plug-in, never with a rescan).
        AddDeviceListLine(QStringLiteral("USB interface %1 can not be opened for reading and writing: "
                                         "install the udev rule (see README) and plug it in again")
                              .arg(dev->PnPInfo().DevicePath));
        return;
    }

    HidDev = dev;
    HidConnected = true;
    InterfaceType = type;
    InterfaceVersion = uint8_t(dev->Attributes.version & 0xFF);
    LinkWindow::SyncInterfaceState(*this);
    TfrmMain* w = frmMain;
    if (w) LinkWindow::ShowInterfaceStatus(*this);
    if (w) SetEnabled(w, "btnSendDmx", true);
    if (w && (type == 0 || type == 7 || type == 8 || type == 9)) {
        SetEnabled(w, "btnPrgDmx", true);
        SetEnabled(w, "btnPrgEszkozbe", true);
        SetEnabled(w, "btnKonfEszkbe", true);
        w->rdmUi->btnDemoDisc->setEnabled(false);
        w->rdmUi->btnDemoDisc->setVisible(false);
        w->rdmUi->btnDiscovery->setMinimumWidth(241);
        w->rdmUi->btnDiscovery->setEnabled(true);
    }
    const bool fileArgument = w && LinkWindow::HasFileArgument(*this);
    if (!fileArgument) QApplication::beep();

    dev->AssignDataHandler([this](TJvHidDevice* d, uint8_t id, const uint8_t* data, uint16_t size) {
        HidDataReceived(d, id, data, size);
    });
    if (w) LinkWindow::ShowLineStatus(*this);
    if (w) {
        w->ui->mSetupFirmware->setEnabled(false);
        w->ui->mAblakDmxRFSet->setVisible(false);
    }

    const bool interruptedFirmware =
        LinkMode == LinkModeFirmwareUpload && LinkSubState == LinkSubStateFirmware;
    auto resume = [this, w] {
        if (w) {
            w->showMainPage(QStringLiteral("Send"));
            SetEnabled(w, "btnSendDmx", false);
        }
        tmrFrmwr->setInterval(500);
        tmrFrmwr->start();
        if (w) w->ui->mSetupFirmware->setEnabled(true);
    };

    // Last, a file named on the command line goes out, and packets queued
    // while no interface was held start again.
    auto finish = [this, fileArgument] {
        if (fileArgument) LinkWindow::StartFileSend(*this);

        // Packets queued while no interface was held: the one in transfer starts
        // again from its first byte and is announced, so the interface asks for it.
        TTxQueue& q = TxQueue;
        if (q.Count > 0 && q.BytesLeft == 0) {
            // Completely sent before the interface went: it is done.
            q.ReadIndex = uint16_t((q.ReadIndex + 1) % TTxQueue::SlotCount);
            --q.Count;
        }
        if (q.Count > 0) {
            q.BytesLeft = q.Length[q.ReadIndex];
            q.Offset = 0;
            HidReport[1] = CmdPacketData;
            HidReport[2] = 0;
            HidReport[3] = 1;
            SendHidReport();
        }
    };
    // These types read the interface's configuration, 100 ms after its arrival.
    auto readConfigThenFinish = [this, w, dev, finish] {
        PauseThen(100, [this, w, dev, finish] {
            if (dev != HidDev || !HidConnected) return; // pulled out meanwhile
            RequestInterfaceConfig();
            if (w) w->ui->mSetupFirmware->setEnabled(true);
            finish();
        });
    };

    switch (type) {
    case 0:
        if (LinkWindow::UsbSetting(*this) == 2) {
            StartMonitor();
            LinkWindow::ClearMonitorFlags(*this);
        }
        if (w) {
            w->ui->mFile->menuAction()->setVisible(true);
            w->ui->mAblakKonfig->setVisible(true);
            w->ui->mAblakProg->setVisible(true);
            w->ui->mAblakRdm->setVisible(true);
        }
        break;
    case 1:
    case 2:
    case 13:
        if (interruptedFirmware) {
            resume();
            break;
        }
        if (w) {
            w->showMainPage(QStringLiteral("Logo"));
            w->ui->mFile->menuAction()->setVisible(true);
            w->ui->mAblakKonfig->setVisible(false);
            w->ui->mAblakProg->setVisible(false);
            w->ui->mAblakRdm->setVisible(false);
        }
        readConfigThenFinish();
        return;
    case 5:
    case 6:
        if (interruptedFirmware) {
            resume();
            break;
        }
        if (w) {
            w->showMainPage(QStringLiteral("RfDmxRx"));
            w->ui->mAblakKonfig->setVisible(false);
            w->ui->mAblakProg->setVisible(false);
            w->ui->mAblakRxDmx->setVisible(false);
            w->ui->mAblakRdm->setVisible(false);
            w->ui->mAblakDmxRFSet->setVisible(true);
        }
        ShowRfDmxConfigControls(false, false, false, false, false);
        if (w)
            if (auto* btn = w->findChild<QAbstractButton*>(QStringLiteral("btnGetConfRfDmx")))
                btn->setText(QString());
        tmrGetInfo->setInterval(500);
        tmrGetInfo->start();
        if (w) w->ui->mSetupFirmware->setEnabled(true);
        break;
    case 7:
    case 8:
    case 9:
    case 10:
        if (interruptedFirmware) {
            resume();
            break;
        }
        if (w) {
            w->ui->mFile->menuAction()->setVisible(true);
            w->ui->mFileNew->menuAction()->setVisible(false);
            w->ui->mAblakKonfig->setVisible(false);
            w->ui->mAblakProg->setVisible(false);
            w->ui->mAblakRdm->setVisible(true);
            w->ui->mAblakRxDmx->setVisible(false);
        }
        readConfigThenFinish();
        return;
    default: // 12: nothing to start
        break;
    }

    finish();
}

bool TDM::JvHidDCEnumerate(TJvHidDevice* dev, int32_t Idx) {
    if (dev && dev == HidDev && !dev->CheckedOut) {
        TJvHidDevice* claimed = nullptr;
        JvHidDC->ClaimDeviceByIndex(claimed, Idx);
    }
    return true;
}

void TDM::JvHidDCDeviceChange() {
    if (HidRemoved) {
        // The pulled-out interface goes; one that arrived in the same scan
        // (pulled out and plugged in again at once) is the held one now.
        TJvHidDevice* gone = pulledOut;
        pulledOut = nullptr;
        if (HidDev == gone) HidDev = nullptr;
        HidRemoved = false;
        delete gone;
    }
    JvHidDC->EnumeratePluggedDevices();
}

void TDM::JvHidDCRemoval(TJvHidDevice* dev) {
    // Only the held interface tears the link down; another interface of the
    // maker that was never accepted leaves it alone.
    if (!dev || dev != HidDev || !HidConnected) return;
    if (!IsMakerInterface(dev->Attributes.vendorId, dev->Attributes.productId)) return;

    tmrFrmwr->stop();
    // Reports held by a pause came from the interface that is now gone.
    heldReports.clear();
    TfrmMain* w = frmMain;
    if (w) LinkWindow::StopReceivePolling(*this);
    if (w) w->showMainPage(QStringLiteral("Logo"));
    HidConnected = false;
    HidRemoved = true;
    pulledOut = dev;
    LinkWindow::SyncInterfaceState(*this);
    if (w) LinkWindow::ShowInterfaceStatus(*this);
    LinkWindow::ClearTransmitFlag(*this);
    if (w) {
        if (auto* btn = w->findChild<QPushButton*>(QStringLiteral("btnPrgDmx"))) {
            QPalette pal = btn->palette();
            pal.setColor(QPalette::ButtonText, QColor(0xFF, 0, 0));
            btn->setPalette(pal);
            btn->setEnabled(false);
        }
        SetEnabled(w, "btnPrgEszkozbe", false);
        SetEnabled(w, "btnSendDmx", false);
        SetEnabled(w, "btnKonfEszkbe", false);
        w->rdmUi->btnDiscovery->setEnabled(false);
        LinkWindow::ShowLineStatus(*this);
        w->ui->mSetupFirmware->setEnabled(false);
        w->ui->mAblakDmxRFSet->setVisible(false);
    }
    EndRdmWorkOnRemoval();
    ClearDeviceDetails();
    if (w) LinkWindow::CloseDialogs(*this);
    QApplication::beep();
}

// The details and configuration tabs: every field of the selected node's
// record, "not supported" where the device does not list the field's PID.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>

#include "rdm/RdmDevice.h"
#include "rdm/rdm_discovery.h"
#include "ui_RdmPage.h"
#include "views/RdmPageView.h"
#include "views/ValueTexts.h"

namespace {
const QString NotSupported = QStringLiteral("not supported");
const QString Dash = QStringLiteral(" -");

void SetSingleItem(QComboBox* cb, const QString& text) {
    cb->clear();
    cb->addItem(text);
    cb->setCurrentIndex(0);
}

void ShowOnOff(QComboBox* cb, QPushButton* btn, const tRdmDevice* rec, uint8_t tRdmDevice::*field,
               bool supported) {
    if (supported && rec) {
        cb->setCurrentIndex(rec->*field != 0 ? 1 : 0);
        cb->setEnabled(true);
    } else {
        cb->setCurrentIndex(-1);
        cb->setEnabled(false);
    }
    btn->setEnabled(false);
}

void ShowCounter(QSpinBox* se, QPushButton* btn, const tRdmDevice* rec, uint32_t tRdmDevice::*field,
                 bool supported) {
    if (supported && rec) {
        // The spin edits hold 24 bits; a larger count shows as the largest.
        se->setValue(static_cast<int>(std::min<uint32_t>(rec->*field, static_cast<uint32_t>(se->maximum()))));
        se->setEnabled(true);
    } else {
        se->setValue(0);
        se->setEnabled(false);
    }
    btn->setEnabled(false);
}

void ShowTextWithCombo(QLabel* label, QComboBox* cb, QPushButton* btn, const QString& text, bool supported) {
    label->setText(supported ? text : NotSupported);
    cb->setEnabled(supported);
    cb->setCurrentIndex(-1);
    btn->setEnabled(false);
}
} // namespace

bool RdmPageView::DeviceSupportsPid(int node, uint16_t pid) const {
    const tRdmDevice* rec = RecordAt(node);
    if (!rec) return false;
    const auto end = rec->supportedPids.begin() + rec->supportedPidCount;
    return std::find(rec->supportedPids.begin(), end, pid) != end;
}

void RdmPageView::ShowPanInvert(int node, bool supported) {
    ShowOnOff(ui->cbPanInv, ui->btnPanInv, RecordAt(node), &tRdmDevice::panInvert, supported);
}

void RdmPageView::ShowTiltInvert(int node, bool supported) {
    ShowOnOff(ui->cbTiltInv, ui->btnTiltInv, RecordAt(node), &tRdmDevice::tiltInvert, supported);
}

void RdmPageView::ShowPanTiltSwap(int node, bool supported) {
    ShowOnOff(ui->cbPTSwap, ui->btnPTSwap, RecordAt(node), &tRdmDevice::panTiltSwap, supported);
}

void RdmPageView::ShowDisplayInvert(int node, bool supported) {
    const tRdmDevice* rec = RecordAt(node);
    ShowTextWithCombo(ui->lDispInv, ui->cbDispInv, ui->btnDispInv,
                      rec ? DisplayInvertText(rec->displayInvert) : Dash, supported && rec);
}

void RdmPageView::ShowDisplayLevel(int node, bool supported) {
    const tRdmDevice* rec = RecordAt(node);
    if (supported && rec) {
        ui->seDispLevel->setValue(rec->displayLevel);
        ui->seDispLevel->setEnabled(true);
    } else {
        ui->seDispLevel->setValue(0);
        ui->seDispLevel->setEnabled(false);
    }
    ui->btnDispLevel->setEnabled(false);
}

void RdmPageView::ShowLampStrikes(int node, bool supported) {
    ShowCounter(ui->seLampStrikes, ui->btnModLampStrikes, RecordAt(node), &tRdmDevice::lampStrikes,
                supported);
}

void RdmPageView::ShowLampHours(int node, bool supported) {
    ShowCounter(ui->seLampHours, ui->btnModLampHours, RecordAt(node), &tRdmDevice::lampHours, supported);
}

void RdmPageView::ShowDevicePowerCycles(int node, bool supported) {
    ShowCounter(ui->seDevPowCyc, ui->btnModDevPowCyc, RecordAt(node), &tRdmDevice::devicePowerCycles,
                supported);
}

void RdmPageView::ShowLampState(int node, bool supported) {
    const tRdmDevice* rec = RecordAt(node);
    ShowTextWithCombo(ui->lLampState, ui->cbLampState, ui->btnModLampState,
                      rec ? LampStateText(rec->lampState) : Dash, supported && rec);
}

void RdmPageView::ShowLampOnMode(int node, bool supported) {
    const tRdmDevice* rec = RecordAt(node);
    ShowTextWithCombo(ui->lLampOnMode, ui->cbLampOnMode, ui->btnModLampOnMode,
                      rec ? LampOnModeText(rec->lampOnMode) : Dash, supported && rec);
}

void RdmPageView::ShowIdentifyMode(int node, bool supported) {
    const tRdmDevice* rec = RecordAt(node);
    if (supported && rec) {
        ui->cbQuietIdentify->setChecked(rec->identifyMode == 0x00);
        ui->cbQuietIdentify->setEnabled(true);
    } else {
        ui->cbQuietIdentify->setChecked(false);
        ui->cbQuietIdentify->setEnabled(false);
    }
}

void RdmPageView::ShowPowerState(int node, bool supported) {
    const tRdmDevice* rec = RecordAt(node);
    QComboBox* cb = ui->cbPowState;
    if (supported && rec) {
        cb->clear();
        cb->addItems({QStringLiteral("FULL OFF"), QStringLiteral("SHUTDOWN"), QStringLiteral("STANDBY"),
                      QStringLiteral("NORMAL")});
        switch (rec->powerState) {
        case 0x00:
            cb->setCurrentIndex(0);
            break;
        case 0x01:
            cb->setCurrentIndex(1);
            break;
        case 0x02:
            cb->setCurrentIndex(2);
            break;
        case 0xFF:
            cb->setCurrentIndex(3);
            break;
        default:
            cb->addItem(QStringLiteral("out of range"));
            cb->setCurrentIndex(4);
            break;
        }
        cb->setEnabled(true);
    } else {
        SetSingleItem(cb, NotSupported);
        cb->setEnabled(false);
    }
    ui->btnModPowState->setEnabled(false);
}

void RdmPageView::ShowLanguages(int node, bool supported) {
    const tRdmDevice* rec = RecordAt(node);
    QComboBox* cb = ui->cbLanguage;
    if (supported && rec) {
        cb->clear();
        if (rec->languageCount == 0 || rec->languageCount > 115) {
            SetSingleItem(cb, QStringLiteral("out of range"));
        } else {
            cb->setCurrentIndex(-1);
            int selected = -1;
            for (int i = 0; i < rec->languageCount; ++i) {
                const uint16_t code = rec->languageCodes[static_cast<size_t>(i)];
                cb->addItem(GetIsoLanguageName(code));
                if (code == rec->currentLanguage) selected = i; // the last match wins
            }
            cb->setCurrentIndex(selected);
        }
        cb->setEnabled(true);
    } else {
        SetSingleItem(cb, NotSupported);
        cb->setEnabled(false);
    }
    ui->btnModLang->setEnabled(false);
}

void RdmPageView::ShowProductDetails(int node, bool supported) {
    const tRdmDevice* rec = RecordAt(node);
    QListWidget* lb = ui->lbProdDet;
    lb->clear();
    if (supported && rec) {
        const int count =
            std::min<int>(rec->productDetailCount, static_cast<int>(rec->productDetailIds.size()));
        for (int i = 0; i < count; ++i)
            lb->addItem(GetProductDetailName(rec->productDetailIds[static_cast<size_t>(i)]));
        lb->setEnabled(true);
    } else {
        lb->addItem(NotSupported);
        lb->setEnabled(false);
    }
    lb->setCurrentRow(-1);
}

void RdmPageView::ShowSlotInfo(int node, bool supported) {
    const tRdmDevice* rec = RecordAt(node);
    QListWidget* lb = ui->lbSlotInf;
    lb->clear();
    const int count = rec ? std::min<int>(rec->slotCount, static_cast<int>(rec->slotInfo.size())) : 0;
    lb->setEnabled(supported && count > 0);
    if (!supported || !rec) {
        lb->addItem(NotSupported);
    } else if (count == 0) {
        lb->addItem(QStringLiteral("there is no slot in current personality"));
    } else {
        for (int i = 0; i < count; ++i)
            lb->addItem(SlotInfoLine(*rec, i));
    }
    lb->setCurrentRow(-1);
}

// The reset state of ClearDeviceDetails; a group node keeps its manufacturer
// text and the enabled state of the language box, and shows its power state.
void RdmPageView::ResetDetailControls(bool group) {
    if (!group) ui->lUidD->setText(Dash);
    ui->lRdmProtVerD->setText(Dash);
    ui->lDevModDescD->setText(Dash);
    ui->eDeviceLabel->setText(Dash);
    ui->eDeviceLabel->setEnabled(false);
    ui->btnModDevLab->setEnabled(false);
    if (!group) ui->lManufacturerD->setText(Dash);
    for (QLabel* l :
         {ui->lProdCatD, ui->lSoftVerLabD, ui->lSoftVerIdD, ui->lBootSoftVerLabD, ui->lBootSoftVerIdD})
        l->setText(Dash);
    SetSingleItem(ui->cbLanguage, Dash);
    if (!group) ui->cbLanguage->setEnabled(false);
    ui->btnModLang->setEnabled(false);
    ui->lSensCountD->setText(Dash);
    ui->lbSensDesc->clear();
    ui->lbProdDet->clear();
    ui->lNumOfDmxPersD->setText(Dash);
    ui->cbPersonality->clear();
    ui->cbPersonality->setEnabled(false);
    ui->btnModDmxPers->setEnabled(false);
    ui->seDmxStartAdrD->setValue(0);
    ui->seDmxStartAdrD->setEnabled(false);
    ui->btnModDmxAdr->setEnabled(false);
    ui->lbSlotInf->clear();
    ui->btnSetFactDef->setEnabled(false);
    ui->btnReset->setEnabled(false);
    ui->cbQuietIdentify->setEnabled(false);
    ui->cbQuietIdentify->setChecked(false);
    ui->btnIdentify->setText(QStringLiteral("Identify START"));
    ui->btnIdentify->setEnabled(false);
    if (!group) {
        SetSingleItem(ui->cbPowState, Dash);
        ui->cbPowState->setEnabled(false);
        ui->btnModPowState->setEnabled(false);
    }
    ui->lDevHours->setText(Dash);
    for (QSpinBox* se : {ui->seDevPowCyc, ui->seLampHours, ui->seLampStrikes}) {
        se->setValue(0);
        se->setEnabled(false);
    }
    for (QPushButton* b : {ui->btnModDevPowCyc, ui->btnModLampHours, ui->btnModLampStrikes})
        b->setEnabled(false);
    for (QLabel* l : {ui->lLampState, ui->lLampOnMode, ui->lDispInv})
        l->setText(Dash);
    for (QComboBox* cb : {ui->cbLampState, ui->cbLampOnMode, ui->cbDispInv}) {
        cb->setCurrentIndex(-1);
        cb->setEnabled(false);
    }
    for (QPushButton* b : {ui->btnModLampState, ui->btnModLampOnMode, ui->btnDispInv})
        b->setEnabled(false);
    ui->seDispLevel->setValue(0);
    ui->seDispLevel->setEnabled(false);
    ui->btnDispLevel->setEnabled(false);
    // Clearing a combo's selection runs its enabler: the buttons go after.
    for (QComboBox* cb : {ui->cbPanInv, ui->cbTiltInv, ui->cbPTSwap}) {
        cb->setCurrentIndex(-1);
        cb->setEnabled(false);
    }
    ui->btnPanInv->setEnabled(false);
    ui->btnTiltInv->setEnabled(false);
    ui->btnPTSwap->setEnabled(false);
}

void RdmPageView::ClearDeviceDetails() {
    ResetDetailControls(false);
}

void RdmPageView::ShowDeviceDetails(int node) {
    const tRdmDevice* rec = RecordAt(node);
    ui->btnModDevLab->setEnabled(false);
    if (!rec) {
        // The node is gone (the tree was rebuilt or emptied): show nothing.
        ClearDeviceDetails();
        return;
    }
    const bool device = rec->nodeKind == NodeKindDevice || rec->nodeKind == NodeKindSubDevice;
    auto supports = [&](uint16_t pid) { return DeviceSupportsPid(node, pid); };

    if (!device) {
        ui->lUidD->setText(FormatManufacturerId(rec->uid));
        ResetDetailControls(true);
        ShowPowerState(node, supports(0x1010));
    } else {
        ui->lUidD->setText(FormatRdmUid(rec->uid));
        ui->lRdmProtVerD->setText(ProtocolVersionText(rec->rdmProtocolVersion));
        ui->lDevModDescD->setText(supports(0x0080) ? rec->modelDescription : NotSupported);
        if (supports(0x0082)) {
            ui->eDeviceLabel->setText(rec->deviceLabel);
            ui->eDeviceLabel->setEnabled(true);
        } else {
            ui->eDeviceLabel->setText(NotSupported);
            ui->eDeviceLabel->setEnabled(false);
        }
        ui->lManufacturerD->setText(supports(0x0081) ? rec->manufacturerLabel : NotSupported);
        ui->lProdCatD->setText(GetProductCategoryName(rec->productCategory) + " " +
                               GetProductSubCategoryName(rec->productCategory));
        ui->lSoftVerLabD->setText(rec->softwareVersionLabel);
        ui->lSoftVerIdD->setText(QString::number(rec->softwareVersionId));
        ui->lBootSoftVerLabD->setText(supports(0x00C2) ? rec->bootSoftwareVersionLabel : " " + NotSupported);
        ui->lBootSoftVerIdD->setText(supports(0x00C1) ? QString::number(rec->bootSoftwareVersionId) : Dash);
        ShowLanguages(node, supports(0x00B0));
        ui->lSensCountD->setText(QString::number(rec->sensorCount));
        ui->lbSensDesc->clear();
        const int sensors = std::min<int>(rec->sensorCount, static_cast<int>(rec->sensors.size()));
        for (int n = 1; n <= sensors; ++n) {
            const tRdmSensor& s = rec->sensors[static_cast<size_t>(n - 1)];
            ui->lbSensDesc->addItem(QString::number(n) + ". - " +
                                    (s.number == 255 ? NotSupported : s.description));
        }
        ShowProductDetails(node, supports(0x0070));
        ShowSlotInfo(node, supports(0x0120));
        ShowPowerState(node, supports(0x1010));
        // Quiet identify is offered to every device, whatever it lists.
        ShowIdentifyMode(node, true);
        ui->btnIdentify->setText(rec->identify == 1 ? QStringLiteral("Identify STOP")
                                                    : QStringLiteral("Identify START"));
        ui->btnIdentify->setEnabled(true);
        ui->lDevHours->setText(supports(0x0400) ? QString::number(rec->deviceHours) + " h" : NotSupported);
        ShowDevicePowerCycles(node, supports(0x0405));
        ShowLampHours(node, supports(0x0401));
        ShowLampStrikes(node, supports(0x0402));
        ShowLampState(node, supports(0x0403));
        ShowLampOnMode(node, supports(0x0404));
        ShowDisplayInvert(node, supports(0x0500));
        ShowDisplayLevel(node, supports(0x0501));
        ShowPanInvert(node, supports(0x0600));
        ShowTiltInvert(node, supports(0x0601));
        ShowPanTiltSwap(node, supports(0x0602));
    }

    ui->cbPersonality->clear();
    if (device) {
        ui->lNumOfDmxPersD->setText(QString::number(rec->personalityCount));
        ui->cbPersonality->setEnabled(rec->personalityCount != 0);
        for (int n = 1; n <= rec->personalityCount; ++n) {
            const tRdmPersonality& p = rec->personalities[static_cast<size_t>(n)];
            ui->cbPersonality->addItem(QString::number(n) + ". - " + QString::number(p.footprint) + " ch - " +
                                       p.description);
        }
        ui->cbPersonality->setCurrentIndex(rec->currentPersonality - 1);
        if (rec->dmxStartAddress >= 1 && rec->dmxStartAddress <= 512) {
            ui->seDmxStartAdrD->setValue(rec->dmxStartAddress);
            ui->seDmxStartAdrD->setEnabled(true);
        } else {
            ui->seDmxStartAdrD->setValue(0);
            ui->seDmxStartAdrD->setEnabled(false);
        }
    }
    ui->btnModDmxAdr->setEnabled(false);
    ui->btnModDmxPers->setEnabled(false);
    ui->btnModDevLab->setEnabled(false);
    ui->btnSetFactDef->setEnabled(supports(0x0090));
    ui->btnReset->setEnabled(supports(0x1001));
}

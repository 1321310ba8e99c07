#include "views/DataModuleRdm.h"

#include <QTreeWidget>

#include "app/Main.h"
#include "link/DataModule.h"
#include "ui_RdmPage.h"
#include "views/DeviceTree.h"
#include "views/PageLog.h"
#include "views/RdmPageView.h"
#include "views/rdm_dispatch.h"
#include "views/rdm_scan.h"

namespace {

QTreeWidget* DeviceTreeOf(TDM& DM) {
    TfrmMain* frm = DM.mainWindow();
    return frm && frm->rdmUi ? frm->rdmUi->tvDeviceList : nullptr;
}

} // namespace

bool DataModuleRdmLink::EnqueuePacket(const uint8_t* bytes, uint16_t length) {
    return DM.EnqueuePacket(bytes, length);
}

void DataModuleRdmLink::RequestRefused() {
    DM.RdmRequestRefused();
}

bool DataModuleRdmLink::InterfaceHeld() {
    return DM.HidConnected;
}

void DataModuleRdmLink::AddDeviceListLine(const QString& text) {
    DM.AddDeviceListLine(text);
}

void DataModuleRdmLink::AddDebugLine(const QString& line) {
    TfrmMain* frm = DM.mainWindow();
    if (frm && frm->rdmView) frm->rdmView->debugLog->Add(line);
}

tRdmDevice* DataModuleRdmLink::DeviceRecordAt(int nodeIndex) {
    QTreeWidget* tree = DeviceTreeOf(DM);
    return tree ? ::DeviceRecordAt(tree, nodeIndex) : nullptr;
}

void DataModuleRdmLink::SetNodeCaption(int nodeIndex, const QString& caption) {
    QTreeWidget* tree = DeviceTreeOf(DM);
    if (!tree) return;
    if (QTreeWidgetItem* node = NodeAt(tree, nodeIndex)) node->setText(0, caption);
}

void DataModuleRdmLink::CallAnswerHandler(RdmAnswerHandler handler, const tRdmMessage& msg) {
    CallRdmAnswerHandler(DM, handler, msg);
}

void DataModuleRdmLink::GiveUpScanDevice() {
    TfrmMain* frm = DM.mainWindow();
    if (frm && frm->rdmView) frm->rdmView->Scan->GiveUpOnDevice();
}

// ---- the data module's RDM methods ------------------------------------------

RdmController& TDM::Rdm() {
    if (!rdmController) {
        rdmLink = std::make_unique<DataModuleRdmLink>(*this);
        rdmController = std::make_unique<RdmController>(*rdmLink);
    }
    return *rdmController;
}

bool TDM::SendRdmRequest(uint16_t subDevice, uint8_t commandClass, uint64_t destination, uint16_t pid,
                         uint8_t pdl, std::span<const uint8_t> data, uint8_t linkType) {
    return Rdm().SendRdmRequest(subDevice, commandClass, destination, pid, pdl, data, linkType);
}

void TDM::DecodeGetResponse(const tRdmMessage& msg, int nodeIndex) {
    Rdm().DecodeGetResponse(msg, nodeIndex);
}

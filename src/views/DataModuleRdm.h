#pragma once

#include "rdm/RdmLink.h"

class TDM;

// The data module's side of the RDM controller: requests go to its packet
// queue, lines to the device log and the debug memo of the RDM page, records
// and captions to the device tree, answers to the handlers by name.
class DataModuleRdmLink : public RdmLink {
public:
    explicit DataModuleRdmLink(TDM& dm) : DM(dm) {}

    bool EnqueuePacket(const uint8_t* bytes, uint16_t length) override;
    void RequestRefused() override;
    bool InterfaceHeld() override;
    void AddDeviceListLine(const QString& text) override;
    void AddDebugLine(const QString& line) override;
    tRdmDevice* DeviceRecordAt(int nodeIndex) override;
    void SetNodeCaption(int nodeIndex, const QString& caption) override;
    void CallAnswerHandler(RdmAnswerHandler handler, const tRdmMessage& msg) override;
    void GiveUpScanDevice() override;

private:
    TDM& DM;
};

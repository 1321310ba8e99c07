// Feeds arbitrary input reports to the RDM answer path, and arbitrary bytes
// to the parser and the decoders: nothing may read or write out of bounds.
#include <cstddef>
#include <cstdint>
#include <span>

#include "rdm/RdmController.h"
#include "rdm/RdmDevice.h"
#include "rdm/RdmLink.h"
#include "rdm/rdm_decode.h"

namespace {

struct FuzzLink : RdmLink {
    RdmController* ctl = nullptr;
    tRdmDevice records[3];
    void EnqueuePacket(const uint8_t*, uint16_t) override {}
    void AddDeviceListLine(const QString&) override {}
    void AddDebugLine(const QString&) override {}
    tRdmDevice* DeviceRecordAt(int i) override { return i >= 0 && i < 3 ? &records[i] : nullptr; }
    void SetNodeCaption(int, const QString&) override {}
    void CallAnswerHandler(RdmAnswerHandler, const tRdmMessage& msg) override {
        ctl->DecodeGetResponse(msg, ctl->state.RdmCurrentNode);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    static FuzzLink link;
    link = FuzzLink{};
    RdmController ctl(link);
    link.ctl = &ctl;
    link.records[0].nodeKind = NodeKindGroup;
    link.records[1].nodeKind = NodeKindDevice;
    ctl.state.RdmPendingOp = data[0] % 33;
    ctl.state.RdmCurrentNode = data[1] % 4;
    ctl.state.SensorDefIndex = data[2];
    ctl.state.RdmCurrentPid = 0x0060;
    const std::span<const uint8_t> input(data + 3, size - 3);

    tRdmMessage msg;
    ParseRdmMessage(input, msg);
    uint8_t sensorIndex = data[2];
    DecodeIntoRecord(link.records[1], msg, sensorIndex, data[1]);

    for (size_t pos = 0; pos < input.size(); pos += 65)
        ctl.HandleRdmReport(input.subspan(pos, std::min<size_t>(65, input.size() - pos)));
    return 0;
}

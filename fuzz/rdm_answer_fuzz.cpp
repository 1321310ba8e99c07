// Feeds arbitrary input reports to the RDM answer path, and arbitrary bytes
// to the parser and the decoders: nothing may read or write out of bounds.
// Every GET decoder is also given the answer as a NACK, with the fuzzed
// reason code and with each reason code E1.20 defines: a NACK never changes
// the record, except for the end marker of the sensor list.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
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

// Every PID with a GET decoder.
constexpr uint16_t DecodedPids[] = {PID_SUPPORTED_PARAMETERS,
                                    PID_DEVICE_INFO,
                                    PID_PRODUCT_DETAIL_ID_LIST,
                                    PID_DEVICE_MODEL_DESCRIPTION,
                                    PID_MANUFACTURER_LABEL,
                                    PID_DEVICE_LABEL,
                                    PID_LANGUAGE_CAPABILITIES,
                                    PID_LANGUAGE,
                                    PID_SOFTWARE_VERSION_LABEL,
                                    PID_BOOT_SOFTWARE_VERSION_ID,
                                    PID_BOOT_SOFTWARE_VERSION_LABEL,
                                    PID_DMX_PERSONALITY_DESCRIPTION,
                                    PID_DMX_START_ADDRESS,
                                    PID_SLOT_INFO,
                                    PID_SLOT_DESCRIPTION,
                                    PID_SENSOR_DEFINITION,
                                    PID_DEVICE_HOURS,
                                    PID_LAMP_HOURS,
                                    PID_LAMP_STRIKES,
                                    PID_DEVICE_POWER_CYCLES,
                                    PID_LAMP_STATE,
                                    PID_LAMP_ON_MODE,
                                    PID_DISPLAY_INVERT,
                                    PID_DISPLAY_LEVEL,
                                    PID_PAN_INVERT,
                                    PID_TILT_INVERT,
                                    PID_PAN_TILT_SWAP,
                                    PID_POWER_STATE,
                                    PID_IDENTIFY_DEVICE,
                                    PID_IDENTIFY_MODE};
constexpr uint16_t LastDefinedReason = 0x0013;

// Gives a record the answer as a NACK of this PID with this reason code; the
// sensor table's next free entry must not move.
void DecodeNack(tRdmDevice& rec, tRdmMessage nack, uint16_t pid, uint16_t reason, uint8_t sensorIndex,
                uint16_t askedSensor) {
    nack.responseType = RdmNackReason;
    nack.commandClass = RdmGetCommandResponse;
    nack.pid = pid;
    nack.data[0] = uint8_t(reason >> 8);
    nack.data[1] = uint8_t(reason);
    if (nack.pdl < 2) nack.pdl = 2;
    uint8_t index = sensorIndex;
    DecodeIntoRecord(rec, nack, index, askedSensor);
    if (index != sensorIndex) abort();
}

} // namespace

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

    // The record now holds what the fuzzed answer put there; NACKs must leave
    // it so, but for the sensor list's end marker.
    tRdmDevice expected = link.records[1];
    if (sensorIndex < expected.sensors.size()) expected.sensors[sensorIndex].number = 255;
    const uint16_t fuzzedReason = input.size() >= 2 ? uint16_t(input[0] << 8 | input[1]) : 0;
    for (const uint16_t pid : DecodedPids) {
        DecodeNack(link.records[1], msg, pid, fuzzedReason, sensorIndex, data[1]);
        for (uint16_t reason = 0; reason <= LastDefinedReason; ++reason)
            DecodeNack(link.records[1], msg, pid, reason, sensorIndex, data[1]);
    }
    if (!(link.records[1] == expected)) abort();

    // An answer is handled only as the answer to the request awaited: await
    // the one the first report's data would parse to, so that its handlers
    // run too.
    if (input.size() > 4) {
        tRdmMessage first;
        ParseRdmMessage(input.subspan(4), first);
        ctl.state.Asked = RdmAskedRequest{true,
                                          false,
                                          first.transactionNumber,
                                          first.sourceUid,
                                          first.subDevice,
                                          1,
                                          uint8_t(first.commandClass - 1),
                                          first.pid,
                                          {}};
    }
    for (size_t pos = 0; pos < input.size(); pos += 64)
        ctl.HandleRdmReport(input.subspan(pos, std::min<size_t>(64, input.size() - pos)));
    return 0;
}

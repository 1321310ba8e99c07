// Feeds arbitrary input reports to the RDM answer path, and arbitrary bytes
// to the parser and the decoders: nothing may read or write out of bounds.
// The answer is also decoded as an ACK with the bytes behind its data
// changed: nothing may be read beyond the data. Every GET decoder is given it
// as answers that do not hold the whole value: a NACK with the fuzzed reason
// code and with each reason code E1.20 defines, an ACK_TIMER, an ACK_OVERFLOW,
// an unknown response type and an ACK too short for the value. Those never
// change the record, except for the end marker of the sensor list.
#include <algorithm>
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

// Every PID with a GET decoder, with the bytes its value needs: at least
// `minimum`, and whole entries of `entry` bytes for a list.
struct DecodedPid {
    uint16_t pid;
    uint8_t minimum;
    uint8_t entry;
};
constexpr DecodedPid DecodedPids[] = {{PID_SUPPORTED_PARAMETERS, 0, 2},
                                      {PID_DEVICE_INFO, 19, 0},
                                      {PID_PRODUCT_DETAIL_ID_LIST, 0, 2},
                                      {PID_DEVICE_MODEL_DESCRIPTION, 0, 0},
                                      {PID_MANUFACTURER_LABEL, 0, 0},
                                      {PID_DEVICE_LABEL, 0, 0},
                                      {PID_LANGUAGE_CAPABILITIES, 0, 2},
                                      {PID_LANGUAGE, 2, 0},
                                      {PID_SOFTWARE_VERSION_LABEL, 0, 0},
                                      {PID_BOOT_SOFTWARE_VERSION_ID, 4, 0},
                                      {PID_BOOT_SOFTWARE_VERSION_LABEL, 0, 0},
                                      {PID_DMX_PERSONALITY_DESCRIPTION, 3, 0},
                                      {PID_DMX_START_ADDRESS, 2, 0},
                                      {PID_SLOT_INFO, 0, 5},
                                      {PID_SLOT_DESCRIPTION, 2, 0},
                                      {PID_SENSOR_DEFINITION, 13, 0},
                                      {PID_DEVICE_HOURS, 4, 0},
                                      {PID_LAMP_HOURS, 4, 0},
                                      {PID_LAMP_STRIKES, 4, 0},
                                      {PID_DEVICE_POWER_CYCLES, 4, 0},
                                      {PID_LAMP_STATE, 1, 0},
                                      {PID_LAMP_ON_MODE, 1, 0},
                                      {PID_DISPLAY_INVERT, 1, 0},
                                      {PID_DISPLAY_LEVEL, 1, 0},
                                      {PID_PAN_INVERT, 1, 0},
                                      {PID_TILT_INVERT, 1, 0},
                                      {PID_PAN_TILT_SWAP, 1, 0},
                                      {PID_POWER_STATE, 1, 0},
                                      {PID_IDENTIFY_DEVICE, 1, 0},
                                      {PID_IDENTIFY_MODE, 1, 0}};
constexpr uint16_t LastDefinedReason = 0x0013;

// Gives a record an answer that does not hold the whole value: it is not
// stored, and the sensor index moves at most past the entry it stands on.
void DecodeRefused(tRdmDevice& rec, const tRdmMessage& msg, uint8_t sensorIndex, uint16_t askedSensor) {
    uint8_t index = sensorIndex;
    if (DecodeIntoRecord(rec, msg, index, askedSensor)) abort();
    if (index != sensorIndex && index != sensorIndex + 1) abort();
}

void DecodeNack(tRdmDevice& rec, tRdmMessage nack, uint16_t reason, uint8_t sensorIndex,
                uint16_t askedSensor) {
    nack.responseType = RdmNackReason;
    nack.data[0] = uint8_t(reason >> 8);
    nack.data[1] = uint8_t(reason);
    if (nack.pdl < 2) nack.pdl = 2;
    DecodeRefused(rec, nack, sensorIndex, askedSensor);
}

// An acknowledged answer is read within its data: whatever the bytes behind
// it hold, the record and the sensor index come out the same.
void DecodeWithinData(const tRdmDevice& rec, tRdmMessage ack, uint8_t sensorIndex, uint16_t askedSensor) {
    ack.responseType = RdmAck;
    const size_t end = std::min<size_t>(ack.pdl, ack.data.size());
    tRdmMessage changed = ack;
    std::fill(ack.data.begin() + long(end), ack.data.end(), uint8_t(0));
    std::fill(changed.data.begin() + long(end), changed.data.end(), uint8_t(0xA5));
    tRdmDevice a = rec;
    tRdmDevice b = rec;
    uint8_t indexA = sensorIndex;
    uint8_t indexB = sensorIndex;
    DecodeIntoRecord(a, ack, indexA, askedSensor);
    DecodeIntoRecord(b, changed, indexB, askedSensor);
    if (!(a == b) || indexA != indexB) abort();
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

    // The record now holds what the fuzzed answer put there. Answers without
    // the whole value must leave it so, but for the number of the sensor entry
    // the index stands on, or of the one after it, which may become the end marker.
    tRdmDevice& rec = link.records[1];
    const tRdmDevice before = rec;
    DecodeWithinData(rec, msg, sensorIndex, data[1]);
    const uint16_t fuzzedReason = input.size() >= 2 ? uint16_t(input[0] << 8 | input[1]) : 0;
    for (const DecodedPid& p : DecodedPids) {
        tRdmMessage m = msg;
        m.pid = p.pid;
        m.commandClass = RdmGetCommandResponse;
        DecodeNack(rec, m, fuzzedReason, sensorIndex, data[1]);
        for (uint16_t reason = 0; reason <= LastDefinedReason; ++reason)
            DecodeNack(rec, m, reason, sensorIndex, data[1]);
        for (const uint8_t type :
             {uint8_t(RdmAckTimer), uint8_t(RdmAckOverflow), uint8_t(4 + data[0] % 252)}) {
            m.responseType = type;
            DecodeRefused(rec, m, sensorIndex, data[1]);
        }
        m.responseType = RdmAck;
        if (p.minimum > 0) {
            tRdmMessage cut = m;
            cut.pdl = uint8_t(std::min<int>(cut.pdl, p.minimum - 1));
            DecodeRefused(rec, cut, sensorIndex, data[1]);
        }
        if (p.entry > 1 && m.pdl % p.entry != 0) DecodeRefused(rec, m, sensorIndex, data[1]);
    }
    tRdmDevice allowed = before;
    for (const size_t i : {size_t(sensorIndex), size_t(sensorIndex) + 1})
        if (i < allowed.sensors.size() && rec.sensors[i].number == 255) allowed.sensors[i].number = 255;
    if (!(rec == allowed)) abort();

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

// Feeds arbitrary input reports to the RDM answer path, and arbitrary bytes
// to the parser and the decoders: nothing may read or write out of bounds.
// The answer is also decoded as an ACK with the bytes behind its data
// changed: nothing may be read beyond the data. Every GET decoder is given it
// as answers that do not hold the whole value: a NACK with the fuzzed reason
// code and with each reason code E1.20 defines, an ACK_TIMER, an unknown
// response type, for a value an ACK_OVERFLOW and an ACK too short for it, and
// for a list an answer of less than one entry. Those never change the record,
// except for the end marker of the sensor list. A list is also given as an
// ACK and as an ACK_OVERFLOW piece: it keeps the whole entries they hold, and
// nothing beyond them.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <utility>
#include <vector>

#include "fuzz_target.h"
#include "rdm/RdmController.h"
#include "rdm/RdmDevice.h"
#include "rdm/RdmLink.h"
#include "rdm/rdm_decode.h"

namespace {

bool accepted = false;

struct FuzzLink : RdmLink {
    RdmController* ctl = nullptr;
    tRdmDevice records[3];
    std::vector<uint8_t> queued; // transaction numbers of the requests in the queue
    bool answered = false;
    bool EnqueuePacket(const uint8_t* bytes, uint16_t length) override {
        if (length > RdmTransactionOffset && BringsReport(bytes[0] & 0xFC))
            queued.push_back(bytes[RdmTransactionOffset]);
        return true;
    }
    void AddDeviceListLine(const QString&) override {}
    void AddDebugLine(const QString&) override {}
    tRdmDevice* DeviceRecordAt(int i) override { return i >= 0 && i < 3 ? &records[i] : nullptr; }
    void SetNodeCaption(int, const QString&) override {}
    void CallAnswerHandler(RdmAnswerHandler, const tRdmMessage& msg) override {
        answered = true;
        ctl->DecodeGetResponse(msg, ctl->state.RdmCurrentNode);
    }
    // As the program's queue, once the controller is done: every request
    // queued leaves, and is owed its report from then on.
    void SendQueued() {
        for (const uint8_t transaction : std::exchange(queued, {}))
            ctl->RequestLeft(transaction);
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

// A list answer, given to the record in place: an ACK or an ACK_OVERFLOW
// piece keeps the whole entries its data holds (an ACK without data is the
// empty list), read the same from either, whatever follows them: a stray
// byte after the last whole entry, or the bytes behind the data. It sets the
// count to them, as many as the table holds, and no other entry. Any other
// answer, or a piece of less than one entry, changes nothing. The list is
// put back each time, so that whatever else changed shows in the record.
template <typename Table>
void DecodeList(tRdmDevice& rec, uint8_t tRdmDevice::*count, Table tRdmDevice::*table, uint8_t entry,
                const tRdmMessage& m, uint8_t sensorIndex, uint16_t askedSensor) {
    const Table before = rec.*table;
    const uint8_t countBefore = rec.*count;
    const size_t whole = m.pdl / entry;
    const size_t kept = std::min(whole, before.size());
    const bool ackOrPiece = m.responseType == RdmAck || m.responseType == RdmAckOverflow;
    const bool taken = (m.responseType == RdmAck && m.pdl == 0) || (ackOrPiece && whole > 0);
    const auto decode = [&](const tRdmMessage& answer) {
        uint8_t index = sensorIndex;
        if (DecodeIntoRecord(rec, answer, index, askedSensor) != taken || index != sensorIndex) abort();
        if (size_t(rec.*count) != (taken ? kept : countBefore)) abort();
        const Table after = rec.*table;
        rec.*table = before;
        rec.*count = countBefore;
        return after;
    };
    const Table after = decode(m);
    const size_t from = taken ? kept : 0;
    if (!std::equal(after.begin() + long(from), after.end(), before.begin() + long(from))) abort();
    if (!taken) return;
    tRdmMessage other = m;
    other.responseType = RdmAck;
    for (size_t i = whole * entry; i < other.data.size(); ++i)
        other.data[i] ^= 0xFF;
    if (!(decode(other) == after)) abort();
}

void DecodeListOf(tRdmDevice& rec, const tRdmMessage& m, uint8_t entry, uint8_t sensorIndex,
                  uint16_t askedSensor) {
    switch (m.pid) {
    case PID_SUPPORTED_PARAMETERS:
        return DecodeList(rec, &tRdmDevice::supportedPidCount, &tRdmDevice::supportedPids, entry, m,
                          sensorIndex, askedSensor);
    case PID_PRODUCT_DETAIL_ID_LIST:
        return DecodeList(rec, &tRdmDevice::productDetailCount, &tRdmDevice::productDetailIds, entry, m,
                          sensorIndex, askedSensor);
    case PID_LANGUAGE_CAPABILITIES:
        return DecodeList(rec, &tRdmDevice::languageCount, &tRdmDevice::languageCodes, entry, m, sensorIndex,
                          askedSensor);
    case PID_SLOT_INFO:
        return DecodeList(rec, &tRdmDevice::slotCount, &tRdmDevice::slotInfo, entry, m, sensorIndex,
                          askedSensor);
    default:
        abort();
    }
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
    accepted = false;
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
    const bool parsed = ParseRdmMessage(input, msg) == RdmParseResult::Ok;
    uint8_t sensorIndex = data[2];
    const bool stored = DecodeIntoRecord(link.records[1], msg, sensorIndex, data[1]) && parsed;

    // The record now holds what the fuzzed answer put there. Answers without
    // the whole value must leave it so, and a list answer its list's own
    // fields (put back after each), but for the number of the sensor entry
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
        const uint8_t unknownType = uint8_t(4 + data[0] % 252);
        if (p.entry > 0) {
            for (const uint8_t type :
                 {uint8_t(RdmAck), uint8_t(RdmAckTimer), uint8_t(RdmAckOverflow), unknownType}) {
                m.responseType = type;
                DecodeListOf(rec, m, p.entry, sensorIndex, data[1]);
                tRdmMessage cut = m;
                cut.pdl = uint8_t(std::min<int>(cut.pdl, p.entry - 1));
                DecodeListOf(rec, cut, p.entry, sensorIndex, data[1]);
            }
            continue;
        }
        for (const uint8_t type : {uint8_t(RdmAckTimer), uint8_t(RdmAckOverflow), unknownType}) {
            m.responseType = type;
            DecodeRefused(rec, m, sensorIndex, data[1]);
        }
        m.responseType = RdmAck;
        if (p.minimum > 0) {
            tRdmMessage cut = m;
            cut.pdl = uint8_t(std::min<int>(cut.pdl, p.minimum - 1));
            DecodeRefused(rec, cut, sensorIndex, data[1]);
        }
    }
    tRdmDevice allowed = before;
    for (const size_t i : {size_t(sensorIndex), size_t(sensorIndex) + 1})
        if (i < allowed.sensors.size() && rec.sensors[i].number == 255) allowed.sensors[i].number = 255;
    if (!(rec == allowed)) abort();

    // The answer path as the program drives it: the request the first
    // report's data would answer is sent to its device, after as many earlier
    // requests as data[0] / 33 whose reports are still owed. Each leaves the
    // queue before the reports come, and so does every resend they bring.
    if (input.size() > 4) {
        tRdmMessage first;
        ParseRdmMessage(input.subspan(4), first);
        link.records[1].uid = first.sourceUid;
        link.records[1].subDevice = first.subDevice;
        const int earlier = data[0] / 33;
        ctl.state.RdmTransaction = uint8_t(first.transactionNumber - earlier);
        for (int i = 0; i <= earlier; ++i) {
            ctl.SendRdmRequest(first.subDevice, uint8_t(first.commandClass - 1), first.sourceUid, first.pid,
                               0, {}, RdmLinkTypeRequest);
            link.SendQueued();
        }
    }
    // With earlier requests out, a deadline may pass before a report (as
    // data[1]'s bits say): the reports owed turn late, and come after all.
    const bool deadlines = data[0] >= 33;
    for (size_t pos = 0; pos < input.size(); pos += 64) {
        if (deadlines && (data[1] >> (pos / 64 % 8)) & 1) {
            ctl.ReportsOverdue();
            ctl.ReportMissing();
            link.SendQueued();
        }
        ctl.HandleRdmReport(input.subspan(pos, std::min<size_t>(64, input.size() - pos)));
        link.SendQueued();
        // What is kept of the requests on their way stays bounded.
        if (ctl.state.ReportsOwed.size() > 32 || ctl.state.ReportsWrittenOff.size() > 8) abort();
    }
    // Taken: a frame that parses into a stored value, or reports that carry
    // the awaited answer to its handler.
    accepted = stored || link.answered;
    return 0;
}

bool FuzzInputAccepted() {
    return accepted;
}

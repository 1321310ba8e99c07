// The outgoing packet queue of the data module: link packets wait here and
// leave in chunks of at most 60 bytes, one chunk per credit request of the
// interface.
#include <algorithm>
#include <cstring>

#include <QTimer>

#include "link/DataModule.h"
#include "rdm/rdm_frame.h"

bool TDM::EnqueuePacket(const uint8_t* bytes, uint16_t length) {
    TTxQueue& q = TxQueue;
    if (!bytes || length == 0 || length > TTxQueue::SlotSize) {
        AddDeviceListLine(
            QStringLiteral("Packet of %1 bytes not sent: it does not fit the queue").arg(length));
        return false;
    }
    // A full queue keeps what it holds; the newcomer is refused.
    if (q.Count >= TTxQueue::SlotCount) {
        AddDeviceListLine(QStringLiteral("Packet queue full: packet not sent"));
        return false;
    }
    std::memcpy(q.Data[q.WriteIndex].data(), bytes, length);
    q.Length[q.WriteIndex] = length;
    q.WriteIndex = uint16_t((q.WriteIndex + 1) % TTxQueue::SlotCount);
    ++q.Count;
    // An RDM request waits in the queue at most this long before it counts
    // as unanswered (an interface that never asks for it); once it has left,
    // its report has its own deadline.
    if (BringsReport(bytes[0] & 0xFC)) rdmDeadline->start(RdmQueueDeadlineMs);
    if (q.Count == 1) {
        q.BytesLeft = length;
        q.Offset = 0;
        AnnouncePacket();
    }
    if (!queueWatch->isActive()) queueWatch->start(QueueAnnounceAgainMs);
    return true;
}

void TDM::AnnouncePacket() {
    // An empty chunk makes the interface ask for the data.
    HidReport[1] = CmdPacketData;
    HidReport[2] = 0;
    HidReport[3] = 1;
    SendHidReport();
}

void TDM::QueueQuiet() {
    // Packets wait, and the interface's request for them may have been lost
    // (the system drops input reports read too slowly): announce the packet
    // again rather than wait for ever.
    if (TxQueue.Count == 0) return;
    if (HidDev && HidConnected) AnnouncePacket();
    queueWatch->start(QueueAnnounceAgainMs);
}

void TDM::PacketLeft(const uint8_t* bytes) {
    if (!BringsReport(bytes[0] & 0xFC)) return;
    // An earlier request leaving leaves the deadline of the last one as it runs.
    if (Rdm().RequestLeft(bytes[RdmTransactionOffset])) rdmDeadline->start(RdmAnswerDeadlineMs);
}

bool TDM::RdmRequestPartlySent() const {
    const TTxQueue& q = TxQueue;
    return q.Count > 0 && q.Offset > 0 && q.BytesLeft > 0 && BringsReport(q.Data[q.ReadIndex][0] & 0xFC);
}

void TDM::DropQueuedPackets() {
    TTxQueue& q = TxQueue;
    q.ReadIndex = q.WriteIndex;
    q.Count = 0;
    q.BytesLeft = 0;
    q.Offset = 0;
}

void TDM::DropQueuedRdmRequests(bool keepInTransfer) {
    TTxQueue& q = TxQueue;
    const auto isRequest = [&q](int slot) { return BringsReport(q.Data[slot][0] & 0xFC); };
    // The packets kept close up behind the read index, in their order; the
    // one in transfer, if kept, goes on where it was.
    uint16_t kept = 0;
    bool transferKept = false;
    for (uint16_t i = 0; i < q.Count; ++i) {
        const int slot = (q.ReadIndex + i) % TTxQueue::SlotCount;
        if (isRequest(slot) && !(i == 0 && keepInTransfer)) continue;
        const int to = (q.ReadIndex + kept) % TTxQueue::SlotCount;
        if (to != slot) {
            q.Data[to] = q.Data[slot];
            q.Length[to] = q.Length[slot];
        }
        if (i == 0) transferKept = true;
        ++kept;
    }
    if (kept == q.Count) return;
    q.Count = kept;
    q.WriteIndex = uint16_t((q.ReadIndex + kept) % TTxQueue::SlotCount);
    if (!transferKept) {
        q.BytesLeft = kept ? q.Length[q.ReadIndex] : 0;
        q.Offset = 0;
    }
}

bool TDM::EnqueuePacket(uint8_t type, uint16_t parameter, const uint8_t* data, uint16_t length) {
    if (length > TTxQueue::SlotSize - 3) {
        AddDeviceListLine(
            QStringLiteral("Packet of %1 bytes not sent: it does not fit the queue").arg(length + 3));
        return false;
    }
    uint8_t packet[TTxQueue::SlotSize];
    PutLinkHeader(packet, type, parameter, length);
    if (length && data) std::memcpy(packet + 3, data, length);
    return EnqueuePacket(packet, uint16_t(length + 3));
}

void TDM::SendNextChunk() {
    TTxQueue& q = TxQueue;
    if (q.Count == 0) return;
    if (q.BytesLeft == 0) {
        q.ReadIndex = uint16_t((q.ReadIndex + 1) % TTxQueue::SlotCount);
        --q.Count;
        if (q.Count == 0) return;
        q.BytesLeft = q.Length[q.ReadIndex];
        q.Offset = 0;
    }
    const int credit = HidReport[2] * 256 + HidReport[1];
    const int n = std::min({credit, int(q.BytesLeft), 60});
    HidReport[1] = CmdPacketData;
    HidReport[2] = uint8_t(n);
    HidReport[3] = 1;
    std::memcpy(HidReport.data() + 4, q.Data[q.ReadIndex].data() + q.Offset, size_t(n));
    q.Offset += n;
    q.BytesLeft -= n;
    SendHidReport();
    if (q.BytesLeft == 0 && n > 0) PacketLeft(q.Data[q.ReadIndex].data());
}

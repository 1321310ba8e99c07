// The outgoing packet queue of the data module: link packets wait here and
// leave in chunks of at most 60 bytes, one chunk per credit request of the
// interface.
#include <algorithm>
#include <cstring>

#include "link/DataModule.h"

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
    if (q.Count == 1) {
        q.BytesLeft = length;
        q.Offset = 0;
        // Announce it: an empty chunk makes the interface ask for the data.
        HidReport[1] = CmdPacketData;
        HidReport[2] = 0;
        HidReport[3] = 1;
        SendHidReport();
    }
    return true;
}

void TDM::DropQueuedPackets() {
    TTxQueue& q = TxQueue;
    q.ReadIndex = q.WriteIndex;
    q.Count = 0;
    q.BytesLeft = 0;
    q.Offset = 0;
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
}

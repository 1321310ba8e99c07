#pragma once

#include <QString>
#include <cstdint>

#include "rdm/rdm_ops.h"

struct tRdmDevice;
struct tRdmMessage;

// What the RDM controller needs from the rest of the program: the outgoing
// packet queue, the two logs, the device tree's records and captions, and the
// answer handlers of the views and the maker's pages. The data module
// implements it; tests give their own.
class RdmLink {
public:
    virtual ~RdmLink() = default;

    // Hands a link packet (header included) to the outgoing queue; false
    // when the queue refused it (it never leaves).
    virtual bool EnqueuePacket(const uint8_t* bytes, uint16_t length) = 0;
    // The queue refused the last request: nothing will answer it, so its
    // deadline is now.
    virtual void RequestRefused() {}
    // An interface is there to take a request. Without one a request is not
    // queued: it would reach a device once an interface is plugged in again,
    // with nothing waiting for its answer.
    virtual bool InterfaceHeld() { return true; }
    // A line at the end of the device log (mDeviceList).
    virtual void AddDeviceListLine(const QString& text) = 0;
    // A line at the end of the debug log of requests (mDebug).
    virtual void AddDebugLine(const QString& line) = 0;

    // The record of the tree node with this absolute index, or nullptr.
    virtual tRdmDevice* DeviceRecordAt(int nodeIndex) = 0;
    // The node of the device with this UID and sub-device (group nodes are
    // none), or -1. `hint` is tried first: the node the request is usually
    // for. Every node of the tree has a record, so the first index without
    // one is the end of the tree.
    int NodeOfDevice(uint64_t uid, uint16_t subDevice, int hint);
    // Sets the caption of the tree node with this absolute index.
    virtual void SetNodeCaption(int nodeIndex, const QString& caption) = 0;

    // Calls the named answer handler with the parsed answer.
    virtual void CallAnswerHandler(RdmAnswerHandler handler, const tRdmMessage& msg) = 0;

    // The scan's device at the current node stayed silent through every
    // resend: the scan leaves it and goes on. Nothing when there is no scan.
    virtual void GiveUpScanDevice() {}
};

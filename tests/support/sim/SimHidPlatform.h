#pragma once

// The interface simulator: a HID platform of the test's own, holding virtual
// HID devices that a test plugs and unplugs at will, among them the maker's
// USB DMX/RDM interface box with its side of the report protocol.
//
// Threads. The program writes output reports on the main thread; the
// simulator answers them there, at once, by queueing input reports. The HID
// layer's read thread takes queued input reports through Read and hands each
// to the main thread. WaitIdle() runs the event loop until every queued input
// report has been handled and the program has nothing more to say.
//
// Extension points (for the RDM line, block download, monitor, firmware...):
// - SimLinkLine::OnLinkPacket receives every complete link packet that the
//   program sends through the packet queue (types 0x20, 0x30, 0x40, 0x60),
//   reassembled from its chunks by its 3-byte header. It answers with
//   SimInterface::PushData / PushReport / PushRaw.
// - SimInterface::onCommand receives every output report whose command is not
//   packet data (command 10): start block download, monitor, configuration,
//   firmware, RF... and may answer likewise.
// - A line may answer late (PushReportsAfter), as a real line does: a few
//   milliseconds after the request, on the event loop. Races between a
//   request in flight and whatever else the program sends show only then.
// - Delivery is under the test's control: HoldInput(true) keeps new input
//   reports back until ReleaseInput(n) lets the first n (or all) go, so a
//   test can drop, reorder (by building its own) or time answers. DropHeld()
//   throws the held ones away.

#include <QObject>
#include <QString>
#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "link/hid/HidPlatform.h"

namespace sim {

class SimHidPlatform;
class SimInterface;

// A report as it crossed the USB: report id first.
using RawReport = std::vector<uint8_t>;

// The queues and state that a device shares with its open handles (and so
// with the read thread).
struct SimDeviceState {
    std::mutex mutex;
    std::condition_variable changed;
    bool pluggedIn = true;
    bool failReads = false;      // every Read fails (a device in trouble)
    std::deque<RawReport> held;  // kept back by HoldInput
    std::deque<RawReport> ready; // for the read thread
    int openReadWriteHandles = 0;
    int readers = 0;        // handles that have read
    int readersBlocked = 0; // of them, waiting in Read with nothing to read
    int scheduled = 0;      // answers the device will give a moment later
};

// One virtual HID device. Foreign devices (a keyboard, a mouse) are plain
// SimDevices; the maker's interface is a SimInterface.
class SimDevice {
public:
    SimDevice(QString instance, HidAttributes attributes, bool readWriteAccess = true);
    virtual ~SimDevice();

    const QString instance;
    const QString path;
    HidAttributes attributes;
    bool readWriteAccess;
    int inputReportLength = 65;
    // Attributes cannot be read (the layer skips the device).
    bool unidentifiable = false;

    // Every output report the program wrote to this device, in order.
    std::vector<RawReport> written;

    // Queues an input report exactly as given (report id first; any length).
    void PushRaw(RawReport raw);
    // Queues an input report from its bytes after the report id (byte 0 the
    // type); it is padded to the device's input report length.
    void PushReport(const std::vector<uint8_t>& body);

    // Queues these input reports (as PushReport) `ms` from now, from the
    // event loop, as a real line answers a while after the request. While
    // any wait, the simulator is not idle. Answers due after the device was
    // pulled out are lost with it.
    void PushReportsAfter(int ms, std::vector<std::vector<uint8_t>> bodies);

    // The next input report this says yes to is lost on its way (main
    // thread only), as when the system drops a report read too slowly.
    std::function<bool(const RawReport&)> loseNext;

    void HoldInput(bool hold);
    // Lets the first n held reports (all when n < 0) go to the read thread.
    void ReleaseInput(int n = -1);
    void DropHeld();
    int HeldCount();
    int ReadyCount();

    std::shared_ptr<SimDeviceState> state() const { return shared; }

protected:
    friend class SimHidPlatform;
    // Called on the main thread for each output report written.
    virtual void OnWrite(const RawReport& report);

private:
    std::shared_ptr<SimDeviceState> shared;
    bool holding = false;
    std::unique_ptr<QObject> later; // context of the answers still to come
};

// One complete link packet as the interface received it.
struct SimLinkPacket {
    uint8_t type = 0;           // 0x20, 0x30, 0x40, 0x60 (low two bits clear)
    uint16_t parameter = 0;     // 8 bits
    uint16_t length = 0;        // 10 bits: bytes after the header
    std::vector<uint8_t> bytes; // header and payload
    std::vector<uint8_t> payload() const { return {bytes.begin() + 3, bytes.end()}; }
};

// Something on the interface's DMX line (RDM responders, a DMX receiver...).
class SimLinkLine {
public:
    virtual ~SimLinkLine() = default;
    virtual void OnLinkPacket(SimInterface& box, const SimLinkPacket& packet) = 0;
};

// The maker's USB DMX/RDM interface box.
class SimInterface : public SimDevice {
public:
    // type: the interface type (high byte of the version number).
    SimInterface(QString instance, uint8_t type, uint8_t version = 1, uint16_t productId = 0);

    uint8_t type() const { return uint8_t(attributes.version >> 8); }

    // Credit granted per credit request. The box asks for credit after every
    // packet-data report it takes (the announce included) while autoCredit is
    // on and the credit is not 0.
    int credit = 64;
    bool autoCredit = true;
    // Sends one credit request now.
    void SendCredit(int bytes);

    // Every link packet received, complete, in order.
    std::vector<SimLinkPacket> packets;
    // Bytes of a packet not yet complete.
    std::vector<uint8_t> assembling;
    // Packet-data reports received (announces included).
    std::vector<RawReport> chunks;

    std::shared_ptr<SimLinkLine> line;
    // Output reports other than packet data; return value ignored.
    std::function<void(SimInterface& box, const RawReport& report)> onCommand;

    // Input report of type 11 (data) with this subtype, in pieces of at most
    // 60 bytes: every piece but the last gets subtype `more` when given (for
    // example 3 for an RDM answer whose last piece is 4).
    void PushData(uint8_t subtype, const std::vector<uint8_t>& data, int more = -1);

    // Output reports with this command byte.
    std::vector<RawReport> WrittenWithCommand(uint8_t command) const;

    // A stall of the USB (a busy hub): the box asks for nothing, and what it
    // reports meanwhile, with what it had reported and the program had not
    // read yet, is held back. Unstall lets it all come, in order, and the box
    // asks for data again.
    void Stall();
    void Unstall();
    bool Stalled() const { return stalled; }
    // Asked for each packet as it arrives complete, before the box asks for
    // more: true stalls the box there, so that the ask and the packet's
    // answer are both held back.
    std::function<bool(const SimLinkPacket&)> stallAt;

protected:
    void OnWrite(const RawReport& report) override;

private:
    void HoldBack();
    bool stalled = false;
};

class SimHidPlatform : public HidPlatform {
public:
    SimHidPlatform();
    ~SimHidPlatform() override;

    // Plugs a device in and posts a change notice to the main thread.
    template <class T> std::shared_ptr<T> Plug(std::shared_ptr<T> device) {
        PlugDevice(device);
        return device;
    }
    // The maker's interface of this type, under a fresh identity.
    std::shared_ptr<SimInterface> PlugInterface(uint8_t type, uint8_t version = 1);
    // A device of another maker (a keyboard held by the system: no access).
    std::shared_ptr<SimDevice> PlugForeign(uint16_t vendorId, uint16_t productId, bool readWriteAccess);
    // Pulls the device out and posts a change notice.
    void Unplug(const std::shared_ptr<SimDevice>& device);
    // Posts a change notice without any change.
    void PostChangeNotice();

    // Runs the event loop until the program and the devices have nothing
    // more to do (at most maxMs; false when it took longer).
    bool WaitIdle(int maxMs = 60000);
    bool IsIdle();
    // The program's own idea of being busy (a pause waiting on its timer):
    // while it says so, the simulator is not idle.
    std::function<bool()> programBusy;

    const std::vector<std::shared_ptr<SimDevice>>& Devices() const { return devices; }
    bool HasChangeNotice() const { return bool(notice); }

    // HidPlatform
    std::vector<HidInterfaceInfo> ListInterfaces() override;
    std::unique_ptr<HidHandle> Open(const QString& path, bool readWrite) override;
    bool GetAttributes(HidHandle& handle, HidAttributes& attributes) override;
    int InputReportLength(HidHandle& handle) override;
    HidReadResult Read(HidHandle& handle, uint8_t* buffer, int length, int timeoutMs) override;
    void CancelRead(HidHandle& handle) override;
    bool Write(HidHandle& handle, const uint8_t* data, int length) override;
    void SetChangeNotice(std::function<void()> notice) override;

    int openCount = 0; // successful Opens, for tests of who opens what
    int nextInstance = 1;

private:
    void PlugDevice(const std::shared_ptr<SimDevice>& device);
    std::shared_ptr<SimDevice> Find(const QString& path) const;

    std::vector<std::shared_ptr<SimDevice>> devices;
    std::function<void()> notice;
    std::unique_ptr<QObject> guard; // context of posted notices
};

} // namespace sim

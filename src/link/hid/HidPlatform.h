#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// What the HID device layer needs of the operating system. The controller and
// its devices reach the system only through this interface: the program uses
// LinuxHidPlatform (libudev + hidraw), the tests a simulator of their own.
//
// Threads: every call is made on the main thread except Read, which the read
// thread of a device makes on a handle of its own (opened for that thread), and
// CancelRead, which the main thread may call while that Read is in progress.

// One present HID interface.
struct HidInterfaceInfo {
    QString instance; // stable identity of the interface across scans
    QString path;     // what Open takes
};

struct HidAttributes {
    uint16_t vendorId = 0;
    uint16_t productId = 0;
    uint16_t version = 0; // the USB device's release number (bcdDevice)
};

// An open device. Closing is releasing it.
class HidHandle {
public:
    virtual ~HidHandle() = default;
};

struct HidReadResult {
    enum Status { Completed, TimedOut, Failed };
    Status status = TimedOut;
    int bytes = 0;      // Completed: bytes read, report id included
    uint32_t error = 0; // Failed: the platform's error code
};

class HidPlatform {
public:
    virtual ~HidPlatform() = default;

    // 1. The present HID interfaces, in the platform's enumeration order.
    virtual std::vector<HidInterfaceInfo> ListInterfaces() = 0;

    // 2. Opens a device path for reading and writing (readWrite true) or with
    //    no access, enough for the attributes (readWrite false). Null on failure.
    virtual std::unique_ptr<HidHandle> Open(const QString& path, bool readWrite) = 0;

    // 3. Vendor id, product id and version number.
    virtual bool GetAttributes(HidHandle& handle, HidAttributes& attributes) = 0;

    // 4. Input report length in bytes, report id byte included; 0 when unknown.
    virtual int InputReportLength(HidHandle& handle) = 0;

    // 5. Reads one input report into buffer, the report id first. Returns at the
    //    latest after timeoutMs with TimedOut, so the caller sees a stop request.
    virtual HidReadResult Read(HidHandle& handle, uint8_t* buffer, int length, int timeoutMs) = 0;

    // 6. Makes a Read in progress on this handle return at once.
    virtual void CancelRead(HidHandle& handle) = 0;

    // 7. Writes one output report synchronously.
    virtual bool Write(HidHandle& handle, const uint8_t* data, int length) = 0;

    // 8. The notice is called on the main thread whenever the set of devices
    //    may have changed. An empty function switches it off.
    virtual void SetChangeNotice(std::function<void()> notice) = 0;

    // 9. Handles are closed by destroying them.
};

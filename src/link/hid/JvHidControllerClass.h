#pragma once

#include <QObject>
#include <QString>
#include <QThread>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "link/hid/HidPlatform.h"

// The HID device layer: one controller that keeps the list of HID interfaces
// present on the machine and tells its owner about arrivals and removals, one
// object per interface, and one read thread per checked-out device that hands
// every input report to the main thread and waits until it has been handled.

class TJvHidDevice;
class TJvHidDeviceController;
class TJvHidDeviceReadThread;
struct HidReadHandOver;

using TJvHidPlugEvent = std::function<void(TJvHidDevice* HidDev)>;
using TJvHidEnumerateEvent = std::function<bool(TJvHidDevice* HidDev, int32_t Idx)>;
using TJvHidDataEvent =
    std::function<void(TJvHidDevice* HidDev, uint8_t ReportID, const uint8_t* Data, uint16_t Size)>;
using TJvHidDataErrorEvent = std::function<void(TJvHidDevice* HidDev, uint32_t Error)>;
using TJvNotifyEvent = std::function<void()>;

// Plug and Play data of one interface. The program reads only the path and
// the instance, which identifies the interface across scans.
class TJvHidPnPInfo {
public:
    TJvHidPnPInfo(QString instance, QString path)
        : DeviceInstance(std::move(instance)), DevicePath(std::move(path)) {}
    QString DeviceInstance;
    QString DevicePath;
};

class TJvHidDevice {
public:
    ~TJvHidDevice();
    TJvHidDevice(const TJvHidDevice&) = delete;
    TJvHidDevice& operator=(const TJvHidDevice&) = delete;

    bool PluggedIn = true;
    bool CheckedOut = false;
    // True only while the controller runs an arrival, removal or enumerate
    // handler for this device.
    bool Enumerating = false;
    HidAttributes Attributes;
    bool ReadWriteAccess = false;

    TJvHidDeviceController* Controller() const { return controller; }
    const TJvHidPnPInfo& PnPInfo() const { return *pnpInfo; }

    int ThreadSleepTime() const { return threadSleepTime; }
    // Takes values from 10 to 10000 ms; others are ignored.
    void SetThreadSleepTime(int ms);

    // Plugged in and either checked out or being enumerated: only then are
    // handles opened.
    bool IsAccessible() const { return PluggedIn && (CheckedOut || Enumerating); }

    // Writes the bytes as one output report. False when the device is not
    // accessible or the write fails.
    bool WriteReport(const void* buffer, uint32_t count, uint32_t& written);

    // Input report length in bytes, report id included (0 when unknown).
    int InputReportLength();

    void AssignDataHandler(TJvHidDataEvent handler);
    const TJvHidDataEvent& OnData() const { return onData; }
    void SetOnDataError(TJvHidDataErrorEvent handler);
    void SetOnUnplug(TJvHidPlugEvent handler);

    void StartReadThread();
    void StopReadThread();
    bool HasReadThread() const { return readThread != nullptr; }

private:
    friend class TJvHidDeviceController;
    friend class TJvHidDeviceReadThread;

    TJvHidDevice(std::unique_ptr<TJvHidPnPInfo> info, TJvHidDeviceController* owner);
    // Opens the path and reads the attributes; false when the device cannot be
    // opened at all or cannot be identified.
    bool Identify(QString& error);
    bool OpenSyncHandle();
    void CloseHandles();
    // Closes the handles, marks the device unplugged and runs its unplug handler.
    void Unplug();

    TJvHidDeviceController* controller;
    std::unique_ptr<TJvHidPnPInfo> pnpInfo;
    // Opened on demand for writing and shared by the read thread.
    std::unique_ptr<HidHandle> syncHandle;
    int inputReportLength = -1; // fetched once
    std::atomic<int> threadSleepTime{100};
    TJvHidDataEvent onData;
    TJvHidDataErrorEvent onDataError;
    TJvHidPlugEvent onUnplug;
    // Which handlers are still the controller's defaults.
    bool dataIsDefault = true;
    bool dataErrorIsDefault = true;
    bool unplugIsDefault = true;
    std::unique_ptr<TJvHidDeviceReadThread> readThread;
};

// Reads input reports of one device and hands each to the main thread, waiting
// until it has been handled before reading the next; reports therefore arrive
// one at a time and in order. Stopping never deadlocks: the wait for the hand-
// over also watches the stop request, and a hand-over that reaches the main
// thread after a stop is dropped there.
class TJvHidDeviceReadThread : public QThread {
public:
    TJvHidDeviceReadThread(TJvHidDevice* device, HidPlatform& platform, HidHandle& handle, int reportLength);
    ~TJvHidDeviceReadThread() override;

    // Asks the thread to end, cancels the pending read and waits for it.
    void Stop();

    uint32_t ErrorCode() const { return errorCode; }

protected:
    void run() override;

private:
    // Runs fn on the main thread and waits until it has run or a stop is asked.
    void HandOver(std::function<void()> fn);
    // Sleeps ms unless a stop is asked first.
    void Pause(int ms);

    TJvHidDevice* device;
    // Where hand-overs run: chosen on the main thread when the thread is made,
    // so the thread never reads the device's controller link, which the main
    // thread clears when the controller goes.
    QObject* context;
    HidPlatform& platform;
    HidHandle& handle;
    std::vector<uint8_t> report;
    int numBytesRead = 0;
    std::atomic<uint32_t> errorCode{0}; // written by the thread, readable from the main thread
    std::shared_ptr<HidReadHandOver> shared;
};

class TJvHidDeviceController : public QObject {
    Q_OBJECT

public:
    TJvHidDeviceController(std::shared_ptr<HidPlatform> platform, QObject* owner = nullptr);
    ~TJvHidDeviceController() override;

    QString Version() const { return QStringLiteral("1.0.25"); }

    int DevThreadSleepTime() const { return devThreadSleepTime; }
    void SetDevThreadSleepTime(int ms);

    TJvHidPlugEvent OnArrival;
    TJvHidPlugEvent OnRemoval;
    TJvHidEnumerateEvent OnEnumerate;
    TJvNotifyEvent OnDeviceChange;

    // Defaults that every new device takes as its own handlers; setting one
    // passes the new one to every device that still carries the default.
    void SetOnDeviceData(TJvHidDataEvent handler);
    void SetOnDeviceDataError(TJvHidDataErrorEvent handler);
    void SetOnDeviceUnplug(TJvHidPlugEvent handler);

    // Hooks the platform's change notice and posts one device-change notice,
    // so that the first scan runs from the event loop and not during creation.
    void Loaded();

    // Rescans and reports removals, then arrivals, then the change.
    void DeviceChange();
    int EnumeratePluggedDevices();
    bool ClaimDeviceByIndex(TJvHidDevice*& HidDev, int32_t Idx);

    int32_t CheckedInCount = 0;
    int32_t CheckedOutCount = 0;
    int32_t UnpluggedCount = 0;

    const std::vector<TJvHidDevice*>& Devices() const { return devices; }
    HidPlatform& Platform() const { return *platform; }

    // False for a second controller in the program, which stays inert.
    bool IsValid() const { return valid; }

private:
    friend class TJvHidDevice;

    std::vector<std::unique_ptr<TJvHidDevice>> CollectPresentDevices();
    void Recount();
    // A device being destroyed while it is still in the list.
    void DeviceDestroyed(TJvHidDevice* device);

    std::shared_ptr<HidPlatform> platform;
    std::vector<TJvHidDevice*> devices;
    int devThreadSleepTime = 100;
    TJvHidDataEvent onDeviceData;
    TJvHidDataErrorEvent onDeviceDataError;
    TJvHidPlugEvent onDeviceUnplug;
    bool valid = true;
    bool scanning = false;
    bool rescanRequested = false;
};

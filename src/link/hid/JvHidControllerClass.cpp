#include "link/hid/JvHidControllerClass.h"

#include <QCoreApplication>
#include <QSemaphore>
#include <QtDebug>
#include <algorithm>
#include <condition_variable>
#include <mutex>

namespace {
std::atomic<int> controllerInstances{0};
}

// What a read thread shares with the calls it hands to the main thread. It
// outlives both: a call that reaches the main thread after a stop finds the
// stop flag set and leaves the device alone.
struct HidReadHandOver {
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::condition_variable wake;
    QSemaphore handled;
};

// ---------------------------------------------------------------- device

TJvHidDevice::TJvHidDevice(std::unique_ptr<TJvHidPnPInfo> info, TJvHidDeviceController* owner)
    : controller(owner), pnpInfo(std::move(info)) {
    if (owner) {
        onData = owner->onDeviceData;
        onDataError = owner->onDeviceDataError;
        onUnplug = owner->onDeviceUnplug;
    }
}

TJvHidDevice::~TJvHidDevice() {
    StopReadThread();
    CloseHandles();
    if (controller) controller->DeviceDestroyed(this);
}

bool TJvHidDevice::Identify(QString& error) {
    HidPlatform& platform = controller->Platform();
    std::unique_ptr<HidHandle> handle = platform.Open(pnpInfo->DevicePath, true);
    ReadWriteAccess = handle != nullptr;
    if (!handle) handle = platform.Open(pnpInfo->DevicePath, false);
    if (!handle) {
        error = QStringLiteral("device cannot be opened");
        return false;
    }
    if (!platform.GetAttributes(*handle, Attributes)) {
        error = QStringLiteral("device cannot be identified");
        return false;
    }
    return true;
}

void TJvHidDevice::SetThreadSleepTime(int ms) {
    if (ms >= 10 && ms <= 10000) threadSleepTime = ms;
}

void TJvHidDevice::SetOnDataError(TJvHidDataErrorEvent handler) {
    onDataError = std::move(handler);
    dataErrorIsDefault = false;
}

void TJvHidDevice::SetOnUnplug(TJvHidPlugEvent handler) {
    onUnplug = std::move(handler);
    unplugIsDefault = false;
}

bool TJvHidDevice::OpenSyncHandle() {
    if (syncHandle) return true;
    if (!IsAccessible() || !controller) return false;
    syncHandle = controller->Platform().Open(pnpInfo->DevicePath, true);
    return syncHandle != nullptr;
}

bool TJvHidDevice::WriteReport(const void* buffer, uint32_t count, uint32_t& written) {
    written = 0;
    if (!IsAccessible() || !OpenSyncHandle()) return false;
    if (!controller->Platform().Write(*syncHandle, static_cast<const uint8_t*>(buffer), int(count)))
        return false;
    written = count;
    return true;
}

int TJvHidDevice::InputReportLength() {
    if (inputReportLength >= 0) return inputReportLength;
    if (!OpenSyncHandle()) return 0;
    inputReportLength = controller->Platform().InputReportLength(*syncHandle);
    return inputReportLength;
}

void TJvHidDevice::AssignDataHandler(TJvHidDataEvent handler) {
    if (!handler) StopReadThread();
    onData = std::move(handler);
    dataIsDefault = false;
    StartReadThread();
}

void TJvHidDevice::StartReadThread() {
    if (!onData || !PluggedIn || !CheckedOut || !ReadWriteAccess || readThread || !controller) return;
    HidPlatform& platform = controller->Platform();
    int length = InputReportLength();
    // A descriptor the platform could not read still gets a full-size buffer.
    if (length <= 0) length = 65;
    // The thread reads on the handle that the writes use. Reports that came in
    // since the device was opened (an answer to a request sent at arrival,
    // before the thread ran) wait in that handle and are not lost.
    if (!OpenSyncHandle()) return;
    readThread = std::make_unique<TJvHidDeviceReadThread>(this, platform, *syncHandle, length);
    readThread->start();
}

void TJvHidDevice::StopReadThread() {
    if (!readThread) return;
    readThread->Stop();
    readThread.reset();
}

void TJvHidDevice::CloseHandles() {
    StopReadThread();
    syncHandle.reset();
}

void TJvHidDevice::Unplug() {
    CloseHandles();
    PluggedIn = false;
    if (onUnplug) onUnplug(this);
}

// ---------------------------------------------------------------- read thread

TJvHidDeviceReadThread::TJvHidDeviceReadThread(TJvHidDevice* dev, HidPlatform& plat, HidHandle& h,
                                               int reportLength)
    : device(dev),
      context(dev->Controller() ? static_cast<QObject*>(dev->Controller()) : QCoreApplication::instance()),
      platform(plat), handle(h), report(size_t(reportLength), 0),
      shared(std::make_shared<HidReadHandOver>()) {
    setObjectName(QStringLiteral("HID read"));
}

TJvHidDeviceReadThread::~TJvHidDeviceReadThread() {
    Stop();
}

void TJvHidDeviceReadThread::Stop() {
    {
        std::lock_guard<std::mutex> lock(shared->mutex);
        shared->stop = true;
    }
    shared->wake.notify_all();
    platform.CancelRead(handle);
    wait();
}

void TJvHidDeviceReadThread::Pause(int ms) {
    std::unique_lock<std::mutex> lock(shared->mutex);
    shared->wake.wait_for(lock, std::chrono::milliseconds(ms), [this] { return shared->stop.load(); });
}

void TJvHidDeviceReadThread::HandOver(std::function<void()> fn) {
    std::shared_ptr<HidReadHandOver> s = shared;
    QMetaObject::invokeMethod(
        context,
        [s, fn = std::move(fn)] {
            if (!s->stop) fn();
            s->handled.release();
        },
        Qt::QueuedConnection);
    // Short waits, so that a stop request from the main thread is seen even
    // while the main thread is busy and cannot run the call.
    while (!s->stop) {
        if (s->handled.tryAcquire(1, 10)) return;
    }
}

void TJvHidDeviceReadThread::run() {
    TJvHidDevice* dev = device;
    while (!shared->stop) {
        std::fill(report.begin(), report.end(), uint8_t(0));
        const int sleepTime = dev->ThreadSleepTime();
        HidReadResult result = platform.Read(handle, report.data(), int(report.size()), sleepTime);
        if (shared->stop) break;
        switch (result.status) {
        case HidReadResult::TimedOut:
            break;
        case HidReadResult::Failed: {
            errorCode = result.error;
            const uint32_t code = result.error;
            HandOver([dev, code] {
                // A copy: the handler may free the device, and with it the
                // device's own copy of the handler.
                if (TJvHidDataErrorEvent handler = dev->onDataError) handler(dev, code);
            });
            // A device that keeps failing (pulled out, say) is not polled in a
            // tight loop.
            Pause(sleepTime);
            break;
        }
        case HidReadResult::Completed: {
            numBytesRead = std::clamp(result.bytes, 0, int(report.size()));
            if (numBytesRead <= 0) break;
            auto copy = std::make_shared<std::vector<uint8_t>>(report.begin(), report.begin() + numBytesRead);
            HandOver([dev, copy] {
                if (TJvHidDataEvent handler = dev->onData)
                    handler(dev, (*copy)[0], copy->data() + 1, uint16_t(copy->size() - 1));
            });
            break;
        }
        }
    }
}

// ---------------------------------------------------------------- controller

TJvHidDeviceController::TJvHidDeviceController(std::shared_ptr<HidPlatform> plat, QObject* owner)
    : QObject(owner), platform(std::move(plat)) {
    if (++controllerInstances > 1) {
        // A second controller would fight the first over the change notice;
        // it stays inert instead.
        qWarning("Only one TJvHidDeviceController allowed per program");
        valid = false;
    }
}

TJvHidDeviceController::~TJvHidDeviceController() {
    --controllerInstances;
    OnArrival = nullptr;
    OnRemoval = nullptr;
    OnEnumerate = nullptr;
    OnDeviceChange = nullptr;
    if (valid && platform) platform->SetChangeNotice({});
    std::vector<TJvHidDevice*> list;
    list.swap(devices);
    for (TJvHidDevice* dev : list) {
        dev->controller = nullptr;
        if (dev->CheckedOut) {
            // Left to its holder, which frees it.
            dev->Unplug();
        } else {
            delete dev;
        }
    }
}

void TJvHidDeviceController::SetDevThreadSleepTime(int ms) {
    const int old = devThreadSleepTime;
    devThreadSleepTime = ms;
    for (TJvHidDevice* dev : devices)
        if (dev->ThreadSleepTime() == old) dev->SetThreadSleepTime(ms);
}

void TJvHidDeviceController::SetOnDeviceData(TJvHidDataEvent handler) {
    onDeviceData = handler;
    for (TJvHidDevice* dev : devices)
        if (dev->dataIsDefault) {
            dev->AssignDataHandler(handler);
            dev->dataIsDefault = true;
        }
}

void TJvHidDeviceController::SetOnDeviceDataError(TJvHidDataErrorEvent handler) {
    onDeviceDataError = handler;
    for (TJvHidDevice* dev : devices)
        if (dev->dataErrorIsDefault) dev->onDataError = handler;
}

void TJvHidDeviceController::SetOnDeviceUnplug(TJvHidPlugEvent handler) {
    onDeviceUnplug = handler;
    for (TJvHidDevice* dev : devices)
        if (dev->unplugIsDefault) dev->onUnplug = handler;
}

void TJvHidDeviceController::Loaded() {
    if (!valid) return;
    platform->SetChangeNotice([this] { DeviceChange(); });
    QMetaObject::invokeMethod(
        this, [this] { DeviceChange(); }, Qt::QueuedConnection);
}

std::vector<std::unique_ptr<TJvHidDevice>> TJvHidDeviceController::CollectPresentDevices() {
    std::vector<std::unique_ptr<TJvHidDevice>> found;
    for (const HidInterfaceInfo& info : platform->ListInterfaces()) {
        if (info.path.isEmpty()) continue;
        std::unique_ptr<TJvHidDevice> dev(
            new TJvHidDevice(std::make_unique<TJvHidPnPInfo>(info.instance, info.path), this));
        QString error;
        if (!dev->Identify(error)) continue; // skipped; the scan goes on
        found.push_back(std::move(dev));
    }
    return found;
}

void TJvHidDeviceController::DeviceChange() {
    if (!valid) return;
    // A handler that opens a modal dialog lets notices in; they are served
    // once the scan in progress is over.
    if (scanning) {
        rescanRequested = true;
        return;
    }
    scanning = true;
    do {
        rescanRequested = false;
        std::vector<std::unique_ptr<TJvHidDevice>> fresh = CollectPresentDevices();
        bool changed = false;

        auto inFresh = [&fresh](const TJvHidDevice* dev) {
            return std::any_of(fresh.begin(), fresh.end(), [dev](const auto& f) {
                return f->PnPInfo().DeviceInstance == dev->PnPInfo().DeviceInstance;
            });
        };

        for (int i = int(devices.size()) - 1; i >= 0; --i) {
            if (i >= int(devices.size())) continue;
            TJvHidDevice* old = devices[size_t(i)];
            // A checked-out device that was already reported gone stays in the
            // list until its holder frees it; it is not reported again.
            if (!old->PluggedIn || inFresh(old)) continue;
            old->Unplug();
            old->Enumerating = true;
            if (OnRemoval) OnRemoval(old);
            old->Enumerating = false;
            if (!old->CheckedOut) {
                auto it = std::find(devices.begin(), devices.end(), old);
                if (it != devices.end()) {
                    devices.erase(it);
                    old->controller = nullptr;
                    delete old;
                }
            }
            changed = true;
        }

        for (auto& candidate : fresh) {
            const QString& instance = candidate->PnPInfo().DeviceInstance;
            const bool known =
                std::any_of(devices.begin(), devices.end(), [&instance](const TJvHidDevice* d) {
                    return d->PluggedIn && d->PnPInfo().DeviceInstance == instance;
                });
            if (known) {
                candidate->controller = nullptr;
                candidate.reset();
                continue;
            }
            TJvHidDevice* dev = candidate.release();
            devices.push_back(dev);
            dev->Enumerating = true;
            if (OnArrival) OnArrival(dev);
            dev->Enumerating = false;
            // Handles stay open: the enumeration that follows the scan closes
            // them for every device that is not checked out.
            changed = true;
        }

        Recount();
        if (changed && OnDeviceChange) OnDeviceChange();
    } while (rescanRequested);
    scanning = false;
}

int TJvHidDeviceController::EnumeratePluggedDevices() {
    int offered = 0;
    for (size_t i = 0; i < devices.size(); ++i) {
        TJvHidDevice* dev = devices[i];
        if (!dev->PluggedIn) continue;
        ++offered;
        dev->Enumerating = true;
        const bool goOn = OnEnumerate ? OnEnumerate(dev, int32_t(i)) : true;
        dev->Enumerating = false;
        if (!dev->CheckedOut) dev->CloseHandles();
        if (!goOn) break;
    }
    return offered;
}

bool TJvHidDeviceController::ClaimDeviceByIndex(TJvHidDevice*& HidDev, int32_t Idx) {
    HidDev = nullptr;
    if (Idx < 0 || size_t(Idx) >= devices.size()) return false;
    TJvHidDevice* dev = devices[size_t(Idx)];
    if (dev->CheckedOut) return false;
    dev->CheckedOut = true;
    ++CheckedOutCount;
    --CheckedInCount;
    HidDev = dev;
    dev->StartReadThread();
    return true;
}

void TJvHidDeviceController::Recount() {
    CheckedInCount = 0;
    UnpluggedCount = 0;
    int32_t out = 0;
    for (const TJvHidDevice* dev : devices) {
        if (!dev->CheckedOut) ++CheckedInCount;
        if (!dev->PluggedIn) ++UnpluggedCount;
        if (dev->CheckedOut) ++out;
    }
    CheckedOutCount = out - UnpluggedCount;
}

void TJvHidDeviceController::DeviceDestroyed(TJvHidDevice* dev) {
    auto it = std::find(devices.begin(), devices.end(), dev);
    if (it == devices.end()) return;
    if (dev->PluggedIn && dev->pnpInfo) {
        // The interface is still there: it stays known under a fresh object
        // and can be checked out again.
        std::unique_ptr<TJvHidDevice> fresh(new TJvHidDevice(std::move(dev->pnpInfo), this));
        fresh->onData = dev->onData;
        fresh->dataIsDefault = dev->dataIsDefault;
        fresh->onUnplug = dev->onUnplug;
        fresh->unplugIsDefault = dev->unplugIsDefault;
        fresh->threadSleepTime = dev->ThreadSleepTime();
        QString error;
        if (fresh->Identify(error)) {
            *it = fresh.release();
        } else {
            devices.erase(it);
            fresh->controller = nullptr;
        }
    } else {
        devices.erase(it);
    }
    Recount();
}

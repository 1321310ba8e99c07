#pragma once

#include <memory>

#include "link/hid/HidPlatform.h"

struct udev;
struct udev_monitor;
class QSocketNotifier;

// The HID platform of a Linux machine: the interfaces are the hidraw nodes that
// libudev lists; an interface's identity is the sysfs path of its HID device
// (a new one after every re-plug); the version number is the parent USB
// device's bcdDevice; the change notice is libudev's hot-plug monitor watched
// from the event loop.
class LinuxHidPlatform : public HidPlatform {
public:
    LinuxHidPlatform();
    ~LinuxHidPlatform() override;

    std::vector<HidInterfaceInfo> ListInterfaces() override;
    std::unique_ptr<HidHandle> Open(const QString& path, bool readWrite) override;
    bool GetAttributes(HidHandle& handle, HidAttributes& attributes) override;
    int InputReportLength(HidHandle& handle) override;
    HidReadResult Read(HidHandle& handle, uint8_t* buffer, int length, int timeoutMs) override;
    void CancelRead(HidHandle& handle) override;
    bool Write(HidHandle& handle, const uint8_t* data, int length) override;
    void SetChangeNotice(std::function<void()> notice) override;

private:
    void MonitorActivated();

    struct udev* context = nullptr;
    struct udev_monitor* monitor = nullptr;
    std::unique_ptr<QSocketNotifier> notifier;
    std::function<void()> changeNotice;
};

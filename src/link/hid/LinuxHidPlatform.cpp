#include "link/hid/LinuxHidPlatform.h"

#include <QSocketNotifier>
#include <cerrno>
#include <fcntl.h>
#include <libudev.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "link/hid/ReportDescriptor.h"

namespace {

struct LinuxHidHandle : HidHandle {
    QString path;
    int fd = -1;       // -1: opened without access
    int cancelFd = -1; // makes a pending Read return
    bool descriptorRead = false;
    ReportDescriptorInfo descriptor;

    ~LinuxHidHandle() override {
        if (fd >= 0) ::close(fd);
        if (cancelFd >= 0) ::close(cancelFd);
    }
};

LinuxHidHandle& Native(HidHandle& h) {
    return static_cast<LinuxHidHandle&>(h);
}

QString SysAttr(udev_device* dev, const char* name) {
    const char* value = dev ? udev_device_get_sysattr_value(dev, name) : nullptr;
    return value ? QString::fromLatin1(value).trimmed() : QString();
}

// "0003:000004D8:0000F3A0" -> vendor and product.
bool ParseHidId(const char* hidId, uint16_t& vendor, uint16_t& product) {
    if (!hidId) return false;
    const QStringList parts = QString::fromLatin1(hidId).split(QLatin1Char(':'));
    if (parts.size() != 3) return false;
    bool okV = false, okP = false;
    const uint32_t v = parts[1].toUInt(&okV, 16);
    const uint32_t p = parts[2].toUInt(&okP, 16);
    if (!okV || !okP) return false;
    vendor = uint16_t(v);
    product = uint16_t(p);
    return true;
}

void ReadDescriptor(LinuxHidHandle& h) {
    if (h.descriptorRead || h.fd < 0) return;
    h.descriptorRead = true;
    int size = 0;
    if (::ioctl(h.fd, HIDIOCGRDESCSIZE, &size) < 0 || size <= 0) return;
    hidraw_report_descriptor desc{};
    desc.size = uint32_t(std::min(size, int(HID_MAX_DESCRIPTOR_SIZE)));
    if (::ioctl(h.fd, HIDIOCGRDESC, &desc) < 0) return;
    h.descriptor = ParseReportDescriptor(desc.value, desc.size);
}

} // namespace

LinuxHidPlatform::LinuxHidPlatform() : context(udev_new()) {}

LinuxHidPlatform::~LinuxHidPlatform() {
    notifier.reset();
    if (monitor) udev_monitor_unref(monitor);
    if (context) udev_unref(context);
}

std::vector<HidInterfaceInfo> LinuxHidPlatform::ListInterfaces() {
    std::vector<HidInterfaceInfo> list;
    if (!context) return list;
    udev_enumerate* en = udev_enumerate_new(context);
    if (!en) return list;
    udev_enumerate_add_match_subsystem(en, "hidraw");
    udev_enumerate_scan_devices(en);
    for (udev_list_entry* e = udev_enumerate_get_list_entry(en); e; e = udev_list_entry_get_next(e)) {
        udev_device* raw = udev_device_new_from_syspath(context, udev_list_entry_get_name(e));
        if (!raw) continue;
        const char* node = udev_device_get_devnode(raw);
        if (node) {
            udev_device* hid = udev_device_get_parent_with_subsystem_devtype(raw, "hid", nullptr);
            const char* identity = hid ? udev_device_get_syspath(hid) : udev_device_get_syspath(raw);
            list.push_back({QString::fromLocal8Bit(identity), QString::fromLocal8Bit(node)});
        }
        udev_device_unref(raw);
    }
    udev_enumerate_unref(en);
    return list;
}

std::unique_ptr<HidHandle> LinuxHidPlatform::Open(const QString& path, bool readWrite) {
    auto h = std::make_unique<LinuxHidHandle>();
    h->path = path;
    const QByteArray native = path.toLocal8Bit();
    if (readWrite) {
        h->fd = ::open(native.constData(), O_RDWR | O_CLOEXEC);
        if (h->fd < 0) return nullptr;
        h->cancelFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (h->cancelFd < 0) return nullptr;
        // Read now, so that the read thread only ever reads the result.
        ReadDescriptor(*h);
    } else {
        // Without access the node is only named: its attributes come from sysfs.
        struct stat st {};
        if (::stat(native.constData(), &st) != 0 || !S_ISCHR(st.st_mode)) return nullptr;
    }
    return h;
}

bool LinuxHidPlatform::GetAttributes(HidHandle& handle, HidAttributes& attributes) {
    LinuxHidHandle& h = Native(handle);
    bool haveIds = false;
    if (h.fd >= 0) {
        hidraw_devinfo info{};
        if (::ioctl(h.fd, HIDIOCGRAWINFO, &info) == 0) {
            attributes.vendorId = uint16_t(info.vendor);
            attributes.productId = uint16_t(info.product);
            haveIds = true;
        }
    }
    struct stat st {};
    if (!context || ::stat(h.path.toLocal8Bit().constData(), &st) != 0) return haveIds;
    udev_device* raw = udev_device_new_from_devnum(context, 'c', st.st_rdev);
    if (!raw) return haveIds;
    if (!haveIds) {
        udev_device* hid = udev_device_get_parent_with_subsystem_devtype(raw, "hid", nullptr);
        haveIds = ParseHidId(hid ? udev_device_get_property_value(hid, "HID_ID") : nullptr,
                             attributes.vendorId, attributes.productId);
    }
    // hidraw has no version number: the USB device's release number is it.
    attributes.version = 0;
    if (udev_device* usb = udev_device_get_parent_with_subsystem_devtype(raw, "usb", "usb_device")) {
        bool ok = false;
        const uint32_t bcd = SysAttr(usb, "bcdDevice").toUInt(&ok, 16);
        if (ok) attributes.version = uint16_t(bcd);
    }
    udev_device_unref(raw);
    return haveIds;
}

int LinuxHidPlatform::InputReportLength(HidHandle& handle) {
    LinuxHidHandle& h = Native(handle);
    ReadDescriptor(h);
    return h.descriptor.inputReportLength;
}

HidReadResult LinuxHidPlatform::Read(HidHandle& handle, uint8_t* buffer, int length, int timeoutMs) {
    LinuxHidHandle& h = Native(handle);
    HidReadResult result;
    if (h.fd < 0 || length <= 1) {
        result.status = HidReadResult::Failed;
        result.error = EBADF;
        return result;
    }
    pollfd fds[2] = {{h.fd, POLLIN, 0}, {h.cancelFd, POLLIN, 0}};
    const int ready = ::poll(fds, 2, timeoutMs);
    if (ready == 0 || (ready < 0 && errno == EINTR)) return result; // timed out
    if (ready < 0) {
        result.status = HidReadResult::Failed;
        result.error = uint32_t(errno);
        return result;
    }
    if (fds[1].revents & POLLIN) {
        uint64_t drain = 0;
        [[maybe_unused]] ssize_t r = ::read(h.cancelFd, &drain, sizeof drain);
        return result;
    }
    if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) {
        result.status = HidReadResult::Failed;
        result.error = ENODEV;
        return result;
    }
    if (!(fds[0].revents & POLLIN)) return result;
    // Unnumbered reports come without their report id: it is 0.
    const bool numbered = h.descriptor.numberedReports;
    uint8_t* target = numbered ? buffer : buffer + 1;
    const int room = numbered ? length : length - 1;
    const ssize_t n = ::read(h.fd, target, size_t(room));
    if (n < 0) {
        if (errno == EINTR || errno == EAGAIN) return result;
        result.status = HidReadResult::Failed;
        result.error = uint32_t(errno);
        return result;
    }
    result.status = HidReadResult::Completed;
    if (n == 0) {
        result.bytes = 0;
    } else {
        if (!numbered) buffer[0] = 0;
        result.bytes = int(n) + (numbered ? 0 : 1);
    }
    return result;
}

void LinuxHidPlatform::CancelRead(HidHandle& handle) {
    LinuxHidHandle& h = Native(handle);
    if (h.cancelFd < 0) return;
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t r = ::write(h.cancelFd, &one, sizeof one);
}

bool LinuxHidPlatform::Write(HidHandle& handle, const uint8_t* data, int length) {
    LinuxHidHandle& h = Native(handle);
    if (h.fd < 0 || !data || length <= 0) return false;
    const ssize_t n = ::write(h.fd, data, size_t(length));
    return n == length;
}

void LinuxHidPlatform::SetChangeNotice(std::function<void()> notice) {
    changeNotice = std::move(notice);
    if (!changeNotice) {
        notifier.reset();
        return;
    }
    if (notifier || !context) return;
    if (!monitor) {
        monitor = udev_monitor_new_from_netlink(context, "udev");
        if (!monitor) return;
        udev_monitor_filter_add_match_subsystem_devtype(monitor, "hidraw", nullptr);
        if (udev_monitor_enable_receiving(monitor) < 0) {
            udev_monitor_unref(monitor);
            monitor = nullptr;
            return;
        }
    }
    const int fd = udev_monitor_get_fd(monitor);
    if (fd < 0) return;
    notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
    QObject::connect(notifier.get(), &QSocketNotifier::activated, notifier.get(),
                     [this] { MonitorActivated(); });
}

void LinuxHidPlatform::MonitorActivated() {
    // Several events may be waiting; one scan covers them all.
    while (udev_device* dev = udev_monitor_receive_device(monitor))
        udev_device_unref(dev);
    if (changeNotice) changeNotice();
}

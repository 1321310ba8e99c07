#include "support/sim/SimHidPlatform.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cerrno>

#include "link/LinkTypes.h"

namespace sim {

namespace {

struct SimHandle : HidHandle {
    std::shared_ptr<SimDevice> device;
    std::shared_ptr<SimDeviceState> state;
    bool readWrite = false;
    bool isReader = false;
    bool cancelled = false; // guarded by state->mutex

    ~SimHandle() override {
        std::lock_guard<std::mutex> lock(state->mutex);
        if (readWrite) --state->openReadWriteHandles;
        if (isReader) --state->readers;
        state->changed.notify_all();
    }
};

SimHandle& Native(HidHandle& h) {
    return static_cast<SimHandle&>(h);
}

} // namespace

// ---------------------------------------------------------------- device

SimDevice::SimDevice(QString inst, HidAttributes attrs, bool rw)
    : instance(std::move(inst)), path(QStringLiteral("/sim/hidraw/") + instance), attributes(attrs),
      readWriteAccess(rw), shared(std::make_shared<SimDeviceState>()), later(std::make_unique<QObject>()) {}

SimDevice::~SimDevice() = default;

void SimDevice::PushReportsAfter(int ms, std::vector<std::vector<uint8_t>> bodies) {
    {
        std::lock_guard<std::mutex> lock(shared->mutex);
        ++shared->scheduled;
    }
    QTimer::singleShot(ms, later.get(), [this, bodies = std::move(bodies)] {
        bool pluggedIn = false;
        {
            std::lock_guard<std::mutex> lock(shared->mutex);
            --shared->scheduled;
            pluggedIn = shared->pluggedIn;
        }
        if (!pluggedIn) return;
        for (const auto& body : bodies)
            PushReport(body);
    });
}

void SimDevice::PushRaw(RawReport raw) {
    if (loseNext && loseNext(raw)) {
        loseNext = nullptr;
        return;
    }
    std::lock_guard<std::mutex> lock(shared->mutex);
    if (holding)
        shared->held.push_back(std::move(raw));
    else
        shared->ready.push_back(std::move(raw));
    shared->changed.notify_all();
}

void SimDevice::PushReport(const std::vector<uint8_t>& body) {
    RawReport raw(size_t(std::max(inputReportLength, int(body.size()) + 1)), 0);
    std::copy(body.begin(), body.end(), raw.begin() + 1);
    PushRaw(std::move(raw));
}

void SimDevice::HoldInput(bool hold) {
    std::lock_guard<std::mutex> lock(shared->mutex);
    holding = hold;
}

void SimDevice::ReleaseInput(int n) {
    std::lock_guard<std::mutex> lock(shared->mutex);
    while (!shared->held.empty() && n != 0) {
        shared->ready.push_back(std::move(shared->held.front()));
        shared->held.pop_front();
        if (n > 0) --n;
    }
    shared->changed.notify_all();
}

void SimDevice::DropHeld() {
    std::lock_guard<std::mutex> lock(shared->mutex);
    shared->held.clear();
}

int SimDevice::HeldCount() {
    std::lock_guard<std::mutex> lock(shared->mutex);
    return int(shared->held.size());
}

int SimDevice::ReadyCount() {
    std::lock_guard<std::mutex> lock(shared->mutex);
    return int(shared->ready.size());
}

void SimDevice::OnWrite(const RawReport& /*report*/) {}

// ---------------------------------------------------------------- interface

SimInterface::SimInterface(QString inst, uint8_t type, uint8_t version, uint16_t productId)
    : SimDevice(std::move(inst),
                HidAttributes{MakerVendorId, productId ? productId : MakerProductIdA,
                              uint16_t((type << 8) | version)},
                true) {}

void SimInterface::SendCredit(int bytes) {
    PushReport({InputCreditRequest, uint8_t(bytes & 0xFF), uint8_t((bytes >> 8) & 0xFF)});
}

void SimInterface::PushData(uint8_t subtype, const std::vector<uint8_t>& data, int more) {
    size_t pos = 0;
    do {
        const size_t n = std::min<size_t>(60, data.size() - pos);
        const bool last = pos + n >= data.size();
        std::vector<uint8_t> body(4 + n, 0);
        body[0] = InputData;
        body[1] = (last || more < 0) ? subtype : uint8_t(more);
        body[2] = uint8_t(n);
        std::copy(data.begin() + long(pos), data.begin() + long(pos + n), body.begin() + 4);
        PushReport(body);
        pos += n;
    } while (pos < data.size());
}

std::vector<RawReport> SimInterface::WrittenWithCommand(uint8_t command) const {
    std::vector<RawReport> out;
    for (const RawReport& r : written)
        if (r.size() > 1 && r[1] == command) out.push_back(r);
    return out;
}

void SimInterface::Stall() {
    if (stalled) return;
    HoldBack();
    autoCredit = false;
}

void SimInterface::HoldBack() {
    stalled = true;
    {
        // What the program has not read yet is held back too.
        std::lock_guard<std::mutex> lock(state()->mutex);
        auto& s = *state();
        s.held.insert(s.held.begin(), std::make_move_iterator(s.ready.begin()),
                      std::make_move_iterator(s.ready.end()));
        s.ready.clear();
    }
    HoldInput(true);
}

void SimInterface::Unstall() {
    if (!stalled) return;
    stalled = false;
    HoldInput(false);
    ReleaseInput();
    autoCredit = true;
    SendCredit(credit);
}

void SimInterface::OnWrite(const RawReport& report) {
    if (report.size() < 4) return;
    if (report[1] != CmdPacketData) {
        if (onCommand) onCommand(*this, report);
        return;
    }
    chunks.push_back(report);
    const size_t n = std::min<size_t>(report[2], report.size() - 4);
    assembling.insert(assembling.end(), report.begin() + 4, report.begin() + 4 + long(n));

    std::vector<SimLinkPacket> complete;
    while (assembling.size() >= 3) {
        const uint16_t length = uint16_t(((assembling[1] & 0x03) << 8) | assembling[2]);
        if (assembling.size() < size_t(length) + 3) break;
        SimLinkPacket p;
        p.type = uint8_t(assembling[0] & 0xFC);
        p.parameter = uint16_t(((assembling[0] & 0x03) << 6) | (assembling[1] >> 2));
        p.length = length;
        p.bytes.assign(assembling.begin(), assembling.begin() + length + 3);
        assembling.erase(assembling.begin(), assembling.begin() + length + 3);
        complete.push_back(std::move(p));
    }
    for (const SimLinkPacket& p : complete)
        if (!stalled && stallAt && stallAt(p)) {
            stallAt = nullptr;
            HoldBack();
        }
    // Ask for more first: the packet's answer (if any) follows the request.
    if (autoCredit && credit > 0) SendCredit(credit);
    if (stalled) autoCredit = false;
    for (SimLinkPacket& p : complete) {
        packets.push_back(p);
        if (line) line->OnLinkPacket(*this, p);
    }
}

// ---------------------------------------------------------------- platform

SimHidPlatform::SimHidPlatform() : guard(std::make_unique<QObject>()) {}

SimHidPlatform::~SimHidPlatform() {
    for (auto& d : devices) {
        std::lock_guard<std::mutex> lock(d->state()->mutex);
        d->state()->pluggedIn = false;
        d->state()->changed.notify_all();
    }
}

void SimHidPlatform::PlugDevice(const std::shared_ptr<SimDevice>& device) {
    {
        std::lock_guard<std::mutex> lock(device->state()->mutex);
        device->state()->pluggedIn = true;
    }
    devices.push_back(device);
    PostChangeNotice();
}

std::shared_ptr<SimInterface> SimHidPlatform::PlugInterface(uint8_t type, uint8_t version) {
    auto box =
        std::make_shared<SimInterface>(QStringLiteral("usb-box-%1").arg(nextInstance++), type, version);
    return Plug(box);
}

std::shared_ptr<SimDevice> SimHidPlatform::PlugForeign(uint16_t vendorId, uint16_t productId, bool rw) {
    auto dev = std::make_shared<SimDevice>(QStringLiteral("usb-other-%1").arg(nextInstance++),
                                           HidAttributes{vendorId, productId, 0x0100}, rw);
    return Plug(dev);
}

void SimHidPlatform::Unplug(const std::shared_ptr<SimDevice>& device) {
    devices.erase(std::remove(devices.begin(), devices.end(), device), devices.end());
    {
        std::lock_guard<std::mutex> lock(device->state()->mutex);
        device->state()->pluggedIn = false;
        device->state()->changed.notify_all();
    }
    PostChangeNotice();
}

void SimHidPlatform::PostChangeNotice() {
    // The notice that is current when the call runs; none once the platform is gone.
    QMetaObject::invokeMethod(
        guard.get(),
        [this] {
            if (notice) notice();
        },
        Qt::QueuedConnection);
}

bool SimHidPlatform::IsIdle() {
    if (programBusy && programBusy()) return false;
    for (const auto& d : devices) {
        auto s = d->state();
        std::lock_guard<std::mutex> lock(s->mutex);
        if (s->scheduled != 0) return false;
        if (s->openReadWriteHandles == 0) continue;
        if (!s->ready.empty() || s->readersBlocked != s->readers) return false;
    }
    return true;
}

bool SimHidPlatform::WaitIdle(int maxMs) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < maxMs) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        if (IsIdle()) {
            // Calls handed over a moment ago may still be queued.
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
            if (IsIdle()) return true;
        }
        QThread::usleep(200);
    }
    return false;
}

std::shared_ptr<SimDevice> SimHidPlatform::Find(const QString& p) const {
    for (const auto& d : devices)
        if (d->path == p) return d;
    return nullptr;
}

std::vector<HidInterfaceInfo> SimHidPlatform::ListInterfaces() {
    std::vector<HidInterfaceInfo> list;
    for (const auto& d : devices)
        list.push_back({d->instance, d->path});
    return list;
}

std::unique_ptr<HidHandle> SimHidPlatform::Open(const QString& p, bool readWrite) {
    std::shared_ptr<SimDevice> dev = Find(p);
    if (!dev || (readWrite && !dev->readWriteAccess)) return nullptr;
    auto h = std::make_unique<SimHandle>();
    h->device = dev;
    h->state = dev->state();
    h->readWrite = readWrite;
    if (readWrite) {
        std::lock_guard<std::mutex> lock(h->state->mutex);
        ++h->state->openReadWriteHandles;
    }
    ++openCount;
    return h;
}

bool SimHidPlatform::GetAttributes(HidHandle& handle, HidAttributes& attributes) {
    SimHandle& h = Native(handle);
    if (h.device->unidentifiable) return false;
    attributes = h.device->attributes;
    return true;
}

int SimHidPlatform::InputReportLength(HidHandle& handle) {
    return Native(handle).device->inputReportLength;
}

HidReadResult SimHidPlatform::Read(HidHandle& handle, uint8_t* buffer, int length, int timeoutMs) {
    SimHandle& h = Native(handle);
    SimDeviceState& s = *h.state;
    HidReadResult result;
    std::unique_lock<std::mutex> lock(s.mutex);
    // Cancelled before it began: the reader is going away and is not counted
    // again (WaitIdle would wait for it for ever).
    if (h.cancelled) {
        h.cancelled = false;
        return result;
    }
    if (!h.isReader) {
        h.isReader = true;
        ++s.readers;
    }
    if (s.failReads) {
        result.status = HidReadResult::Failed;
        result.error = EIO;
        return result;
    }
    ++s.readersBlocked;
    s.changed.notify_all();
    s.changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                       [&] { return !s.ready.empty() || !s.pluggedIn || h.cancelled; });
    --s.readersBlocked;
    if (h.cancelled) {
        h.cancelled = false;
        return result;
    }
    if (!s.pluggedIn) {
        result.status = HidReadResult::Failed;
        result.error = ENODEV;
        return result;
    }
    if (s.ready.empty()) return result;
    RawReport raw = std::move(s.ready.front());
    s.ready.pop_front();
    const int n = std::min(int(raw.size()), length);
    std::copy(raw.begin(), raw.begin() + n, buffer);
    result.status = HidReadResult::Completed;
    result.bytes = n;
    return result;
}

void SimHidPlatform::CancelRead(HidHandle& handle) {
    SimHandle& h = Native(handle);
    std::lock_guard<std::mutex> lock(h.state->mutex);
    h.cancelled = true;
    // The reader is going away; a new one registers with its first Read.
    if (h.isReader) {
        h.isReader = false;
        --h.state->readers;
    }
    h.state->changed.notify_all();
}

bool SimHidPlatform::Write(HidHandle& handle, const uint8_t* data, int length) {
    SimHandle& h = Native(handle);
    {
        std::lock_guard<std::mutex> lock(h.state->mutex);
        if (!h.state->pluggedIn || !h.readWrite) return false;
    }
    RawReport report(data, data + length);
    h.device->written.push_back(report);
    h.device->OnWrite(report);
    return true;
}

void SimHidPlatform::SetChangeNotice(std::function<void()> fn) {
    notice = std::move(fn);
}

} // namespace sim

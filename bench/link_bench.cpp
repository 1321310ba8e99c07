// Speed of the USB link: input reports through HidDataReceived and
// SendNextChunk, a 516-byte DMX packet through the queue at a credit of 64,
// and the same through the whole HID layer (read thread and hand-over to the
// main thread) against the simulator.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <memory>
#include <vector>

#include "link/DataModule.h"
#include "link/LinkTypes.h"
#include "link/hid/JvHidControllerClass.h"
#include "support/sim/SimHidPlatform.h"

#include "QtBenchmarkMain.h"

namespace {

// A data module without a window, holding one simulated interface of type 0.
struct LinkRig {
    std::shared_ptr<sim::SimHidPlatform> platform = std::make_shared<sim::SimHidPlatform>();
    std::unique_ptr<TDM> dm;
    std::shared_ptr<sim::SimInterface> box;

    explicit LinkRig(bool autoCredit) {
        dm = std::make_unique<TDM>(nullptr, platform);
        box = platform->PlugInterface(0);
        box->autoCredit = autoCredit;
        platform->WaitIdle();
    }

    // Feeds one input report to the data module as the read thread would.
    void Deliver(const uint8_t* body) { dm->HidDataReceived(dm->HidDev, 0, body, 64); }

    void Trim() {
        if (box->written.size() > 4096) box->written.clear();
        if (box->chunks.size() > 4096) box->chunks.clear();
        if (box->packets.size() > 4096) box->packets.clear();
    }
};

std::vector<uint8_t> DmxPacketPayload() {
    std::vector<uint8_t> frame(513);
    for (size_t i = 0; i < frame.size(); ++i)
        frame[i] = uint8_t(i);
    return frame;
}

// A data report in a mode that drops it: the cost of the copy and dispatch.
void BM_HidDataReceivedDropped(benchmark::State& st) {
    LinkRig rig(false);
    uint8_t body[64] = {InputData, 4, 10};
    for (auto _ : st)
        rig.Deliver(body);
    st.SetItemsProcessed(st.iterations());
}
BENCHMARK(BM_HidDataReceivedDropped);

// Credit requests, each answered with a 60-byte chunk written to the interface.
void BM_HidDataReceivedCreditChunk(benchmark::State& st) {
    LinkRig rig(false);
    const auto frame = DmxPacketPayload();
    uint8_t credit[64] = {InputCreditRequest, 64, 0};
    for (auto _ : st) {
        if (rig.dm->TxQueue.Count == 0) rig.dm->EnqueuePacket(LinkTypeDmx, 123, frame.data(), 513);
        rig.Deliver(credit);
        rig.Trim();
    }
    st.SetItemsProcessed(st.iterations());
}
BENCHMARK(BM_HidDataReceivedCreditChunk);

// SendNextChunk alone on a queue that never runs dry.
void BM_SendNextChunk(benchmark::State& st) {
    LinkRig rig(false);
    const auto frame = DmxPacketPayload();
    for (auto _ : st) {
        if (rig.dm->TxQueue.Count == 0) rig.dm->EnqueuePacket(LinkTypeDmx, 123, frame.data(), 513);
        rig.dm->HidReport[1] = 64;
        rig.dm->HidReport[2] = 0;
        rig.dm->SendNextChunk();
        rig.Trim();
    }
    st.SetItemsProcessed(st.iterations());
}
BENCHMARK(BM_SendNextChunk);

// One 516-byte DMX packet from EnqueuePacket to its last chunk, on the main
// thread: the announce, nine chunks at a credit of 64, and the request that
// moves the queue on.
void BM_DmxPacketThroughQueue(benchmark::State& st) {
    LinkRig rig(false);
    const auto frame = DmxPacketPayload();
    uint8_t credit[64] = {InputCreditRequest, 64, 0};
    for (auto _ : st) {
        rig.dm->EnqueuePacket(LinkTypeDmx, 123, frame.data(), 513);
        while (rig.dm->TxQueue.Count != 0)
            rig.Deliver(credit);
        rig.Trim();
    }
    st.SetItemsProcessed(st.iterations());
    st.SetBytesProcessed(int64_t(st.iterations()) * 516);
}
BENCHMARK(BM_DmxPacketThroughQueue);

// The same packet through the whole layer: every credit request crosses from
// the simulator through the read thread to the main thread and back.
void BM_DmxPacketThroughHidLayer(benchmark::State& st) {
    LinkRig rig(true);
    const auto frame = DmxPacketPayload();
    for (auto _ : st) {
        const size_t before = rig.box->packets.size();
        rig.dm->EnqueuePacket(LinkTypeDmx, 123, frame.data(), 513);
        // The event loop wakes for each hand-over, as the program's does.
        while (rig.box->packets.size() == before || rig.dm->TxQueue.Count != 0)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        rig.Trim();
    }
    if (!rig.box->assembling.empty()) st.SkipWithError("packet not reassembled");
    st.SetItemsProcessed(st.iterations());
    st.SetBytesProcessed(int64_t(st.iterations()) * 516);
}
BENCHMARK(BM_DmxPacketThroughHidLayer)->UseRealTime();

// Input reports through the read thread and the hand-over to the main
// thread, in batches of 1000, counted by the device's data handler.
void BM_InputReportsThroughHidLayer(benchmark::State& st) {
    LinkRig rig(false);
    int64_t handled = 0;
    TDM* dm = rig.dm.get();
    rig.dm->HidDev->AssignDataHandler(
        [&handled, dm](TJvHidDevice* d, uint8_t id, const uint8_t* data, uint16_t n) {
            dm->HidDataReceived(d, id, data, n);
            ++handled;
        });
    uint8_t body[64] = {InputData, 4, 10};
    std::vector<uint8_t> report(body, body + 64);
    for (auto _ : st) {
        const int64_t target = handled + 1000;
        for (int i = 0; i < 1000; ++i)
            rig.box->PushReport(report);
        while (handled < target)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    st.SetItemsProcessed(int64_t(st.iterations()) * 1000);
}
BENCHMARK(BM_InputReportsThroughHidLayer)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunQtBenchmarks(argc, argv);
}

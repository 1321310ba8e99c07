// Speed of the RDM controller: requests framed, and answers reassembled,
// parsed, routed and decoded into a device record.
#include <benchmark/benchmark.h>

#include <memory>

#include "rdm/RdmController.h"
#include "rdm/RdmDevice.h"
#include "rdm/RdmLink.h"
#include "support/sim/rdm_line.h"

namespace {

// A link that throws packets and lines away and decodes every answer into one record.
struct BenchLink : RdmLink {
    RdmController* ctl = nullptr;
    tRdmDevice record;
    size_t packets = 0;
    bool EnqueuePacket(const uint8_t*, uint16_t) override {
        ++packets;
        return true;
    }
    void AddDeviceListLine(const QString&) override {}
    void AddDebugLine(const QString& line) override { benchmark::DoNotOptimize(line.size()); }
    tRdmDevice* DeviceRecordAt(int i) override { return i == 0 ? &record : nullptr; }
    void SetNodeCaption(int, const QString&) override {}
    void CallAnswerHandler(RdmAnswerHandler, const tRdmMessage& msg) override {
        ctl->DecodeGetResponse(msg, 0);
    }
};

void BM_FrameRequest(benchmark::State& st) {
    BenchLink link;
    RdmController ctl(link);
    link.ctl = &ctl;
    const auto pdl = uint8_t(st.range(0));
    for (auto _ : st)
        ctl.SendRdmRequest(0, 0x30, 0x7FF300000001ull, 0x8006, pdl, ctl.state.RdmParamData, 0x40);
    st.SetItemsProcessed(st.iterations());
}
BENCHMARK(BM_FrameRequest)->Arg(0)->Arg(198);

void RunAnswer(benchmark::State& st, uint16_t pid, std::vector<uint8_t> data, int split) {
    auto link = std::make_unique<BenchLink>();
    RdmController ctl(*link);
    link->ctl = &ctl;
    ctl.state.RdmPendingOp = 4;
    const auto frame = BuildRdmAnswerFrame(0x7FF100000000ull, 0x7FF300000001ull, 0, 0, 0, 0x21, pid, data);
    const auto reports = SimRdmLine::SplitAnswer(frame, split);
    for (auto _ : st) {
        for (const auto& r : reports)
            ctl.HandleRdmReport(r);
    }
    st.SetItemsProcessed(st.iterations());
    st.counters["reports"] = double(reports.size());
    st.counters["bytes"] = double(frame.size());
}

void BM_DeviceInfoOneReport(benchmark::State& st) {
    RunAnswer(st, 0x0060, {1, 0, 0, 0x62, 1, 1, 1, 2, 3, 4, 0, 3, 1, 2, 0, 1, 0, 0, 2}, 61);
}
BENCHMARK(BM_DeviceInfoOneReport);

void BM_TwoHundredByteAnswerFourReports(benchmark::State& st) {
    std::vector<uint8_t> slotData; // 35 slots, 175 data bytes: a 200-byte answer
    for (int i = 0; i < 35; ++i)
        slotData.insert(slotData.end(), {0, uint8_t(i), 0, 0x02, uint8_t(i)});
    RunAnswer(st, 0x0120, slotData, 50);
}
BENCHMARK(BM_TwoHundredByteAnswerFourReports);

} // namespace

BENCHMARK_MAIN();

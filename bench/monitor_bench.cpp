// The received-DMX monitor at the full DMX rate: 513-byte frames, 44 a second,
// arriving as the escaped monitor stream in 64-byte input reports. Each
// benchmark iteration is one frame; the counter core_pct is the share of one
// core that 44 such frames a second take.
// - Decode: the data module alone (no window): HidDataReceived, dispatch and
//   the stream decoder.
// - Redraw: the whole program with the page "RxDmx" showing: decoding, the
//   page's update and the painting that follows it.
// The reports are handed to HidDataReceived directly; the read thread's
// hand-over is measured by link_bench.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <array>
#include <ctime>
#include <memory>
#include <vector>

#include "BenchProgram.h"
#include "app/Main.h"
#include "app/Program.h"
#include "link/DataModule.h"
#include "support/sim/SimHidPlatform.h"
#include "support/sim/sim_dmx_input.h"
#include "ui_Main.h"

#include "QtBenchmarkMain.h"

namespace {

using Report = std::array<uint8_t, 64>;
using FrameReports = std::vector<Report>;

constexpr double FramesPerSecond = 44;

// The stream of `frame` cut into monitor reports of 60 bytes. Frames follow
// each other in the stream, so a report may carry the end of one and the
// start of the next; here each frame's reports are kept apart for clarity of
// the per-frame cost.
FrameReports ReportsOf(const std::vector<uint8_t>& frame) {
    const std::vector<uint8_t> stream = sim::EncodeMonitorFrame(frame);
    FrameReports out;
    for (size_t pos = 0; pos < stream.size(); pos += 60) {
        Report r{};
        const size_t n = std::min<size_t>(60, stream.size() - pos);
        r[0] = InputData;
        r[1] = 5;
        r[2] = uint8_t(n);
        std::copy_n(stream.begin() + long(pos), n, r.begin() + 4);
        out.push_back(r);
    }
    return out;
}

void Deliver(TDM& dm, const FrameReports& reports) {
    for (const Report& r : reports)
        dm.HidDataReceived(dm.HidDev, 0, r.data(), uint16_t(r.size()));
}

// CPU time of the whole process (Qt's helper threads included).
double ProcessCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

// Runs `frame` once per iteration and reports the CPU seconds per frame
// times 44 frames a second, in percent of one core.
template <class F> void MeasureFrames(benchmark::State& st, F frame) {
    const double start = ProcessCpuSeconds();
    for (auto _ : st)
        frame();
    const double perFrame = (ProcessCpuSeconds() - start) / double(std::max<int64_t>(st.iterations(), 1));
    st.counters["core_pct"] = perFrame * FramesPerSecond * 100;
}

// Frames of a plain sender in which `changing` slots move every frame (a
// fade over those channels), 64 of them to cycle through.
std::vector<FrameReports> PlainFrames(int changing) {
    std::vector<FrameReports> frames;
    std::vector<uint8_t> f = sim::PlainFrame(7, 3);
    for (int i = 0; i < 64; ++i) {
        for (int s = 1; s <= changing; ++s)
            f[size_t((s * 37) % 512 + 1)] += 1;
        frames.push_back(ReportsOf(f));
    }
    return frames;
}

std::vector<FrameReports> ControllerFrames() {
    std::vector<FrameReports> frames;
    sim::ControllerStatus s;
    for (int i = 0; i < 64; ++i) {
        // A running program: the colours and the wait gauge move.
        for (int k = 0; k < 20; ++k)
            s.colours[size_t(k)] = uint32_t((i * 4 + k * 12) & 0xFF) * 0x010101u;
        s.waitGauge = uint16_t(i);
        frames.push_back(ReportsOf(s.Frame()));
    }
    return frames;
}

// A data module without a window, holding an interface in monitor mode.
struct DecodeRig {
    std::shared_ptr<sim::SimHidPlatform> platform = std::make_shared<sim::SimHidPlatform>();
    std::unique_ptr<TDM> dm;
    std::shared_ptr<sim::SimInterface> box;

    DecodeRig() {
        dm = std::make_unique<TDM>(nullptr, platform);
        box = platform->PlugInterface(0);
        platform->WaitIdle();
        dm->StartMonitor();
        box->written.clear();
    }
};

// The whole program with the page showing the sender on it.
struct PageRig {
    QTemporaryDir dir;
    std::shared_ptr<sim::SimHidPlatform> platform = std::make_shared<sim::SimHidPlatform>();
    std::unique_ptr<Program> program;
    std::shared_ptr<sim::SimInterface> box;

    explicit PageRig(const std::vector<FrameReports>& frames) {
        program = MakeBenchProgram(dir, platform);
        program->frmMain->resize(1024, 720);
        program->frmMain->show();
        box = platform->PlugInterface(0);
        platform->WaitIdle();
        program->frmMain->ui->mAblakRxDmx->trigger();
        // The sender is told apart after 31 frames, then the page shows it.
        for (int i = 0; i < 40; ++i)
            Frame(frames[size_t(i) % frames.size()]);
    }

    void Frame(const FrameReports& reports) {
        Deliver(*program->DM, reports);
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        if (box->written.size() > 1024) box->written.clear();
    }
};

void BM_MonitorDecode(benchmark::State& st) {
    DecodeRig rig;
    const std::vector<FrameReports> frames = PlainFrames(512);
    size_t i = 0;
    MeasureFrames(st, [&] { Deliver(*rig.dm, frames[i++ % frames.size()]); });
}
BENCHMARK(BM_MonitorDecode);

void RunPage(benchmark::State& st, const std::vector<FrameReports>& frames) {
    PageRig rig(frames);
    size_t i = 0;
    MeasureFrames(st, [&] { rig.Frame(frames[i++ % frames.size()]); });
}

// The same frame again and again: nothing on the page changes.
void BM_MonitorRedrawSteadySender(benchmark::State& st) {
    RunPage(st, {ReportsOf(sim::PlainFrame(7, 3))});
}
BENCHMARK(BM_MonitorRedrawSteadySender);

// A fade over eight channels.
void BM_MonitorRedrawEightSlotsMove(benchmark::State& st) {
    RunPage(st, PlainFrames(8));
}
BENCHMARK(BM_MonitorRedrawEightSlotsMove);

// Every slot changes in every frame: the worst case for the grid.
void BM_MonitorRedrawAllSlotsMove(benchmark::State& st) {
    RunPage(st, PlainFrames(512));
}
BENCHMARK(BM_MonitorRedrawAllSlotsMove);

// A controller running a program: the status page and its squares move.
void BM_MonitorRedrawController(benchmark::State& st) {
    RunPage(st, ControllerFrames());
}
BENCHMARK(BM_MonitorRedrawController);

} // namespace

int main(int argc, char** argv) {
    return RunQtBenchmarks(argc, argv);
}

// The program's own time for streams: building each stream kind, answering one
// block acknowledge (read a record, queue it, move the gauge), and a whole
// programs upload (every acknowledge and every chunk of every record) set
// against the time the USB link needs for its reports at 1,000 a second.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

#include "BenchProgram.h"
#include "QtBenchmarkMain.h"
#include "app/Main.h"
#include "app/Program.h"
#include "link/DataModule.h"
#include "link/LinkTypes.h"
#include "maker/ConfigPages.h"
#include "maker/ProgramEditor.h"
#include "maker/SendPage.h"
#include "maker/StreamContainer.h"
#include "maker/StreamUpload.h"

namespace {

tProgramData SamplePrograms() {
    tProgramData p;
    p.InitPrograms();
    for (int prog = 1; prog <= 9; ++prog)
        for (int s = 1; s <= 10; ++s)
            for (int d = 1; d <= 20; ++d)
                p.SetRgb(prog, s, d, uint32_t(prog * 0x10203 + s * 0x700 + d));
    return p;
}

void BM_BuildProgramsStream(benchmark::State& st) {
    auto img = std::make_unique<tStreamImage>();
    const tProgramData p = SamplePrograms();
    for (auto _ : st) {
        BuildProgramsStream(*img, p);
        benchmark::DoNotOptimize(img->SendStream.data());
    }
    st.SetBytesProcessed(int64_t(st.iterations()) * img->Loaded);
}
BENCHMARK(BM_BuildProgramsStream);

void BM_BuildConfigStream(benchmark::State& st) {
    auto img = std::make_unique<tStreamImage>();
    tDeviceConfig c{};
    SetDefaultConfig(c);
    tCurveTable curves{};
    for (auto _ : st) {
        BuildConfigStream(*img, c, curves, 3);
        benchmark::DoNotOptimize(img->SendStream.data());
    }
    st.SetBytesProcessed(int64_t(st.iterations()) * img->Loaded);
}
BENCHMARK(BM_BuildConfigStream);

void BM_BuildLogoStream(benchmark::State& st) {
    auto img = std::make_unique<tStreamImage>();
    tLogoBitmap logo{};
    logo[0] = 240;
    logo[1] = 220;
    for (auto _ : st) {
        BuildLogoStream(*img, logo);
        benchmark::DoNotOptimize(img->SendStream.data());
    }
    st.SetBytesProcessed(int64_t(st.iterations()) * img->Loaded);
}
BENCHMARK(BM_BuildLogoStream);

// A started program with no interface held: reports written go nowhere, so
// what is measured is the program's own work.
struct Rig {
    QTemporaryDir dir;
    std::unique_ptr<Program> program;

    Rig() {
        program = MakeBenchProgram(dir);
        program->frmMain->show();
        QApplication::processEvents();
    }
    TfrmMain& w() { return *program->frmMain; }
    TDM& dm() { return *program->DM; }
    TSendPage& page() { return *program->frmMain->sendPage; }

    void Acknowledge() {
        dm().HidReport[0] = InputBlockAck;
        dm().HandleBlockAck();
    }
    // The interface takes the whole packet in transfer.
    void DropQueue() {
        TTxQueue& q = dm().TxQueue;
        q.Count = 0;
        q.BytesLeft = 0;
        q.ReadIndex = q.WriteIndex;
    }
};

void BM_AnswerBlockAck(benchmark::State& st) {
    Rig rig;
    UploadProgramsByStream(rig.w());
    rig.DropQueue();
    for (auto _ : st) {
        if (rig.page().FramesSent + 1 >= rig.page().StreamFrameCount) {
            rig.page().FramesSent = 0;
            rig.page().Stream.Position = 17;
        }
        rig.Acknowledge();
        rig.DropQueue();
    }
    st.SetItemsProcessed(st.iterations());
}
BENCHMARK(BM_AnswerBlockAck);

// The whole programs upload as the program does it: the start, then for each
// acknowledge the record and every credit request of its chunks.
void BM_WholeProgramsUpload(benchmark::State& st) {
    Rig rig;
    int64_t outReports = 0, inReports = 0;
    for (auto _ : st) {
        outReports = inReports = 0;
        UploadProgramsByStream(rig.w());
        ++outReports; // the block-download command
        auto drain = [&] {
            TTxQueue& q = rig.dm().TxQueue;
            if (q.Count) ++outReports; // the announce
            while (q.Count && !(q.Count == 1 && q.BytesLeft == 0)) {
                rig.dm().HidReport[0] = InputCreditRequest;
                rig.dm().HidReport[1] = 64;
                rig.dm().HidReport[2] = 0;
                rig.dm().SendNextChunk();
                ++inReports;
                ++outReports;
            }
            rig.DropQueue();
        };
        drain();
        while (rig.w().LineState.TransmitFlag) {
            rig.Acknowledge();
            ++inReports;
            drain();
        }
    }
    st.counters["out_reports"] = double(outReports);
    st.counters["in_reports"] = double(inReports);
    // Each direction carries at most one report a millisecond.
    st.counters["usb_ms"] = double(std::max(outReports, inReports));
}
BENCHMARK(BM_WholeProgramsUpload)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunQtBenchmarks(argc, argv);
}

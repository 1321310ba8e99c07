// Discovery and parameter scan of 1, 10, 100 and 500 simulated responders
// with random UIDs, through the whole program: requests leave through the
// data module's packet queue, the simulated line answers each at once, and
// its reports come back through HidDataReceived. Only the program's own time
// is counted (the handling of the button and of every report), not the
// simulator's.
#include <benchmark/benchmark.h>

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <chrono>
#include <deque>
#include <memory>

#include "app/Main.h"
#include "app/Program.h"
#include "link/DataModule.h"
#include "support/sim/SimHidPlatform.h"
#include "support/sim/rdm_discovery_link.h"
#include "ui_RdmPage.h"
#include "views/RdmPageView.h"

#include "QtBenchmarkMain.h"
#include "RdmBenchRig.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Rig : RdmBenchRig {
    using RdmBenchRig::RdmBenchRig;

    struct Phase {
        long requests = 0;
        double seconds = 0;
    };

    // Presses DISCOVERY and runs the line until the program asks nothing more.
    void Run(Phase& discovery, Phase& scan) {
        auto start = Clock::now();
        program->frmMain->rdmView->btnDiscoveryClick();
        discovery.seconds += std::chrono::duration<double>(Clock::now() - start).count();
        std::vector<uint8_t> packet;
        std::vector<SimDiscoveryReport> reports;
        while (TakePacket(packet)) {
            const bool isDiscovery = AnswersOf(packet, reports);
            Phase& phase = isDiscovery ? discovery : scan;
            if ((packet[0] & 0xFC) != 0x20)
                phase.requests += 1; // the broadcast un-mute is not a search request
            for (const auto& r : reports) {
                start = Clock::now();
                dm().HidDataReceived(dm().HidDev, 0, r.data(), 64);
                phase.seconds += std::chrono::duration<double>(Clock::now() - start).count();
            }
            if (box->written.size() > 4096) box->written.clear();
        }
    }
};

void BM_DiscoveryAndScan(benchmark::State& st) {
    const int count = int(st.range(0));
    Rig::Phase discovery, scan;
    long found = 0;
    for (auto _ : st) {
        st.PauseTiming();
        Rig rig(count, uint32_t(count * 7919 + st.iterations()));
        st.ResumeTiming();
        Rig::Phase d, s;
        rig.Run(d, s);
        st.SetIterationTime(d.seconds + s.seconds);
        found += rig.program->frmMain->rdmView->Discovery.DiscoveredCount;
        discovery.requests += d.requests;
        discovery.seconds += d.seconds;
        scan.requests += s.requests;
        scan.seconds += s.seconds;
    }
    const double devices = double(found);
    st.counters["found/run"] = devices / double(st.iterations());
    st.counters["disc_req/device"] = double(discovery.requests) / devices;
    st.counters["disc_us/request"] = 1e6 * discovery.seconds / double(discovery.requests);
    st.counters["scan_req/device"] = double(scan.requests) / devices;
    st.counters["scan_us/device"] = 1e6 * scan.seconds / devices;
}
BENCHMARK(BM_DiscoveryAndScan)
    ->Arg(1)
    ->Arg(10)
    ->Arg(100)
    ->Arg(500)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    return RunQtBenchmarks(argc, argv);
}

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

namespace {

using Clock = std::chrono::steady_clock;

struct Rig {
    QTemporaryDir dir;
    std::shared_ptr<sim::SimHidPlatform> platform = std::make_shared<sim::SimHidPlatform>();
    std::unique_ptr<Program> program;
    std::shared_ptr<sim::SimInterface> box;
    SimRdmDiscoveryLinkLine line;
    std::deque<SimRdmResponder> devices;

    explicit Rig(int count, uint32_t seed) {
        QFile ini(QDir(dir.path()).filePath("Tamarind.ini"));
        ini.open(QIODevice::WriteOnly);
        ini.write("[Setup]\nLanguage=English\nUSB=0\nINTERFACE=USB\nIP=0.0.0.0\nMASK=255.255.255.255\n");
        ini.close();
        ProgramOptions options;
        options.appDir = dir.path() + "/";
        options.hidPlatform = platform;
        program = std::make_unique<Program>(options);
        program->frmMain->show();
        box = platform->PlugInterface(0);
        box->autoCredit = false; // the bench takes packets from the queue itself
        line.rdm.splitSize = 60; // what a 64-byte input report carries
        platform->WaitIdle();
        SimDiscoveryLine uids;
        uids.AddRandomResponders(count, seed);
        for (const auto& u : uids.responders) {
            devices.emplace_back(u.uid);
            simdev::Basic(devices.back(), 1, "Bench device", "Bench maker", {0x0080, 0x0081, 0x0082}, 1, 1, 0,
                          1, 3);
            simdev::Personality(devices.back(), 1, 3, "RGB");
            simdev::Sensor(devices.back(), 0, 0, 1, 0, 100, "Temperature");
            line.Add(devices.back());
        }
    }

    TDM& dm() { return *program->DM; }

    // Takes the packet in transfer out of the queue, as if the interface had
    // taken all of it.
    bool TakePacket(std::vector<uint8_t>& packet) {
        TTxQueue& q = dm().TxQueue;
        if (q.Count == 0) return false;
        packet.assign(q.Data[q.ReadIndex].begin(), q.Data[q.ReadIndex].begin() + q.Length[q.ReadIndex]);
        q.ReadIndex = uint16_t((q.ReadIndex + 1) % TTxQueue::SlotCount);
        q.Count -= 1;
        q.BytesLeft = q.Count ? q.Length[q.ReadIndex] : 0;
        q.Offset = 0;
        return true;
    }

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
            reports.clear();
            const bool isDiscovery = line.discovery.HandlePacket(packet, reports);
            if (!isDiscovery) {
                for (const auto& r : line.rdm.HandlePacket(packet))
                    reports.push_back(r);
            }
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

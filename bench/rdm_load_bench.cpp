// The RDM page under load, on the window shown on the offscreen platform:
// discovery and scan of 10 to 500 simulated responders, and a day of sensor
// polling. With `long lines` on, every request is followed by one of the
// longest result lines the device log writes, so the memo wraps and lays out
// its longest lines at a far higher rate than a real run writes them. The
// program's time counts the handling of every report and the
// event loop's work between requests (the logs' catching up and the
// repaints), as a user would wait for them. It prints the longest single
// report handler and the longest single event, and the growth of resident
// memory over the day of polling.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <ctime>
#include <deque>
#include <map>
#include <memory>
#include <unistd.h>

#include "app/Main.h"
#include "app/Program.h"
#include "link/DataModule.h"
#include "rdm/rdm_discovery.h"
#include "support/log_access.h"
#include "support/sim/SimHidPlatform.h"
#include "support/sim/rdm_discovery_link.h"
#include "ui_RdmPage.h"
#include "views/RdmPageView.h"

#include "QtBenchmarkMain.h"
#include "RdmBenchRig.h"

namespace {

// The main thread's own processor time: on a busy machine the wall clock
// would count the time other programs took from it.
struct Clock {
    using time_point = double;
    static double now() {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
    }
};

double Seconds(Clock::time_point since) {
    return Clock::now() - since;
}

// Times every event the event loop hands out (the outermost only: an event
// sent from inside another counts with it).
class TimingApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool timing = false;
    double longestEvent = 0;
    int longestEventType = 0;
    std::map<std::string, double> perType;
    double busy = 0;    // in the outermost events, all told
    double logBusy = 0; // of which in the logs' batched updates
    std::map<std::string, int> paints;

    bool notify(QObject* receiver, QEvent* event) override {
        if (timing && event->type() == QEvent::Paint && qEnvironmentVariableIsSet("BENCH_EVENTS")) {
            QObject* o = receiver;
            while (o && o->objectName().isEmpty())
                o = o->parent();
            paints[(o ? o->objectName() : QString("?")).toStdString() + "/" +
                   receiver->metaObject()->className()] += 1;
        }
        if (!timing || depth > 0) return QApplication::notify(receiver, event);
        const int type = event->type();
        const bool logBatch = receiver->objectName() == QLatin1String("pageLogBatch");
        // Named before the event: the receiver may be gone after it.
        std::string key;
        if (qEnvironmentVariableIsSet("BENCH_EVENTS")) {
            QObject* o = receiver;
            while (o && o->objectName().isEmpty())
                o = o->parent();
            key = std::to_string(type) + " " + receiver->metaObject()->className() + " in " +
                  (o ? o->objectName() : QString("?")).toStdString();
        }
        ++depth;
        const auto start = Clock::now();
        const bool done = QApplication::notify(receiver, event);
        const double took = Seconds(start);
        --depth;
        busy += took;
        if (logBatch) logBusy += took;
        if (!key.empty()) perType[key] += took;
        if (took > longestEvent) {
            longestEvent = took;
            longestEventType = type;
        }
        return done;
    }

private:
    int depth = 0;
};

TimingApplication* App() {
    return static_cast<TimingApplication*>(QCoreApplication::instance());
}

size_t ResidentBytes() {
    QFile f("/proc/self/statm");
    if (!f.open(QIODevice::ReadOnly)) return 0;
    const QList<QByteArray> fields = f.readAll().split(' ');
    return fields.size() > 1 ? size_t(fields[1].toULongLong()) * size_t(sysconf(_SC_PAGESIZE)) : 0;
}

struct Rig : RdmBenchRig {
    double longestHandler = 0;
    bool longLines = false;
    size_t longLinesWritten = 0;

    Rig(int count, uint32_t seed) : RdmBenchRig(count, seed) {
        program->frmMain->showMainPage("RDM");
        // The window's first paint is not part of the run.
        for (const auto start = Clock::now(); Seconds(start) < 0.2;)
            QCoreApplication::processEvents();
    }

    RdmPageView& view() { return *program->frmMain->rdmView; }

    struct Phase {
        long requests = 0;
        double seconds = 0;
        double handlers = 0; // in the handlers of the reports and the button
        double logs = 0;     // in the logs' batched updates
        double events = 0;   // in every event: the logs', the tree's layout, repaints
    };

    // Answers every request the program has queued, each followed by a turn
    // of the event loop as the program would get between two reports.
    void Answer(Phase* discovery, Phase& other) {
        std::vector<uint8_t> packet;
        std::vector<SimDiscoveryReport> reports;
        while (TakePacket(packet)) {
            const bool isDiscovery = AnswersOf(packet, reports);
            Phase& phase = isDiscovery && discovery ? *discovery : other;
            if ((packet[0] & 0xFC) != 0x20) phase.requests += 1; // the broadcast un-mute is no request
            for (const auto& r : reports) {
                const auto start = Clock::now();
                dm().HidDataReceived(dm().HidDev, 0, r.data(), 64);
                const double took = Seconds(start);
                longestHandler = std::max(longestHandler, took);
                phase.seconds += took;
                phase.handlers += took;
            }
            if (longLines) AddLongLine(phase);
            RunEvents(phase);
            // What the simulator keeps of the traffic is not the program's memory.
            if (box->written.size() > 4096) box->written.clear();
            box->chunks.clear();
            for (SimRdmResponder& device : devices)
                device.received.clear();
        }
    }

    // The longest lines of the device log, word for word as the program
    // writes them, about one device of the line.
    void AddLongLine(Phase& phase) {
        const QString tail = FormatRdmUid(devices[longLinesWritten % devices.size()].uid) + " - 0";
        QString line;
        switch (longLinesWritten++ % 3) {
        case 0:
            line = "Send new dmx address (200) to: " + tail;
            break;
        case 1:
            line = "No answer to GET 0x00C0, the scan goes on without this device: " + tail;
            break;
        default:
            line = "USB interface /dev/hidraw3 can not be opened for reading and writing: "
                   "install the udev rule (see README) and plug it in again";
        }
        const auto start = Clock::now();
        dm().AddDeviceListLine(line);
        const double took = Seconds(start);
        longestHandler = std::max(longestHandler, took);
        phase.seconds += took;
        phase.handlers += took;
    }

    // One turn of the event loop; only the events' own work counts, not the wait for them.
    static void RunEvents(Phase& phase) {
        const double busyBefore = App()->busy, logBefore = App()->logBusy;
        QCoreApplication::processEvents();
        phase.seconds += App()->busy - busyBefore;
        phase.events += App()->busy - busyBefore;
        phase.logs += App()->logBusy - logBefore;
    }

    void Discover(Phase& discovery, Phase& scan) {
        const auto start = Clock::now();
        view().btnDiscoveryClick();
        discovery.seconds += Seconds(start);
        discovery.handlers += Seconds(start);
        Answer(&discovery, scan);
        // The logs' last batch and the last repaints belong to the run.
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(250);
        while (std::chrono::steady_clock::now() < end)
            RunEvents(scan);
    }
};

void BM_DiscoveryAndScanShown(benchmark::State& st) {
    const int count = int(st.range(0));
    const bool details = st.range(1) != 0;
    const bool longLines = st.range(2) != 0;
    Rig::Phase discovery, scan;
    long found = 0;
    double longestHandler = 0, longestEvent = 0;
    int longestEventType = 0;
    long deviceLines = 0, debugLines = 0;
    for (auto _ : st) {
        st.PauseTiming();
        Rig rig(count, uint32_t(count * 7919 + st.iterations()));
        rig.program->frmMain->rdmUi->cbReszl->setChecked(details);
        rig.longLines = longLines;
        App()->longestEvent = 0;
        App()->timing = true;
        st.ResumeTiming();
        Rig::Phase d, s;
        rig.Discover(d, s);
        App()->timing = false;
        st.SetIterationTime(d.seconds + s.seconds);
        found += rig.view().Discovery.DiscoveredCount;
        for (auto [total, one] : {std::pair{&discovery, &d}, std::pair{&scan, &s}}) {
            total->requests += one->requests;
            total->seconds += one->seconds;
            total->handlers += one->handlers;
            total->logs += one->logs;
            total->events += one->events;
        }
        longestHandler = std::max(longestHandler, rig.longestHandler);
        if (App()->longestEvent > longestEvent) {
            longestEvent = App()->longestEvent;
            longestEventType = App()->longestEventType;
        }
        if (qEnvironmentVariableIsSet("BENCH_EVENTS"))
            for (auto [type, sec] : App()->perType)
                if (sec > 1e-3) fprintf(stderr, "event %s: %.1f ms\n", type.c_str(), sec * 1e3);
        if (qEnvironmentVariableIsSet("BENCH_EVENTS"))
            for (auto [name, n] : App()->paints)
                fprintf(stderr, "paint %s: %d\n", name.c_str(), n);
        deviceLines = DeviceLogLines(rig.program->frmMain.get()).size();
        debugLines = DebugLogText(rig.program->frmMain.get()).count('\n') + 1;
    }
    const double devices = double(found);
    st.counters["found/run"] = devices / double(st.iterations());
    // The program's own work: the handlers, with the logs' batched updates.
    st.counters["disc_us/request"] = 1e6 * (discovery.handlers + discovery.logs) / double(discovery.requests);
    st.counters["scan_us/device"] = 1e6 * (scan.handlers + scan.logs) / devices;
    // And with every event between requests: the tree's layout, the repaints.
    st.counters["disc_all_us/request"] = 1e6 * discovery.seconds / double(discovery.requests);
    st.counters["scan_all_us/device"] = 1e6 * scan.seconds / devices;
    st.counters["disc_logs_us/request"] = 1e6 * discovery.logs / double(discovery.requests);
    st.counters["scan_logs_us/device"] = 1e6 * scan.logs / devices;
    st.counters["longest_handler_ms"] = 1e3 * longestHandler;
    st.counters["longest_event_ms"] = 1e3 * longestEvent;
    st.counters["longest_event_type"] = longestEventType;
    st.counters["device_log_lines"] = double(deviceLines);
    st.counters["debug_log_lines"] = double(debugLines);
}
BENCHMARK(BM_DiscoveryAndScanShown)
    // devices on the line, details ticked, long lines
    ->Args({10, 0, 0})
    ->Args({100, 0, 0})
    ->Args({500, 0, 0})
    ->Args({500, 1, 0})
    ->Args({500, 0, 1})
    ->Args({500, 1, 1})
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// A day of sensor polling of one device with the sensors tab open: every
// tick of the sensor timer sends its GET and handles the answer.
void BM_SensorPollingDay(benchmark::State& st) {
    for (auto _ : st) {
        Rig rig(1, 4242);
        Rig::Phase d, s;
        rig.Discover(d, s);
        TDM& dm = rig.dm();
        Ui::RdmPage& ui = *rig.program->frmMain->rdmUi;
        rig.view().RdmCurrentNode() = 1;
        ui.pcRdm->setCurrentWidget(ui.tsErzekelok);
        dm.tmrSensor->stop(); // the bench ticks it itself, faster than the clock
        const long ticks = qEnvironmentVariableIsSet("BENCH_TICKS")
                               ? qEnvironmentVariableIntValue("BENCH_TICKS")
                               : 24L * 3600 * 1000 / std::max(dm.tmrSensor->interval(), 1);
        Rig::Phase polling;
        App()->timing = true;
        const size_t before = ResidentBytes();
        const auto start = Clock::now();
        for (long i = 0; i < ticks; ++i) {
            dm.tmrSensorTimer();
            rig.Answer(nullptr, polling);
            if (i % (ticks / 8) == 0 && qEnvironmentVariableIsSet("BENCH_EVENTS"))
                fprintf(stderr, "after %ld ticks: %+.1f MB\n", i,
                        (double(ResidentBytes()) - double(before)) / (1024.0 * 1024.0));
        }
        const double seconds = Seconds(start);
        st.SetIterationTime(seconds);
        st.counters["ticks"] = double(ticks);
        st.counters["answered"] = double(polling.requests);
        st.counters["rss_growth_MB"] = (double(ResidentBytes()) - double(before)) / (1024.0 * 1024.0);
        st.counters["us/tick"] = 1e6 * seconds / double(ticks);
    }
}
BENCHMARK(BM_SensorPollingDay)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

int main(int argc, char** argv) {
    return RunQtBenchmarks<TimingApplication>(argc, argv);
}

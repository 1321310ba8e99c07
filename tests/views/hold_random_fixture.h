#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeWidget>
#include <deque>
#include <functional>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "app/Info.h"
#include "app/Kerdes.h"
#include "link/LinkFixture.h"
#include "rdm/rdm_discovery.h"
#include "support/sim/maker_responder.h"
#include "support/sim/rdm_discovery_link.h"
#include "support/sim/rdm_display_responder.h"
#include "support/sim/rdm_sensor_responder.h"
#include "ui_RdmPage.h"
#include "views/DeviceTree.h"
#include "views/RdmPageView.h"

// The DMX line of the random sequences. Each report comes 3 to 40 ms after
// its request, and never before the report of an earlier request (the
// interface reports in order). A device made slow answers only after the
// program's deadline of a second.
class LateLine : public SimRdmDiscoveryLinkLine {
public:
    LateLine() { clock.start(); }

    std::mt19937 delays{1};
    int minMs = 3, maxMs = 40;
    std::set<uint64_t> slow;
    // Once the devices have seen a request: when its report is due.
    std::function<void(qint64 due)> afterRequest;
    // The line's clock, in ms.
    qint64 Now() const { return clock.elapsed(); }

    void OnLinkPacket(sim::SimInterface& box, const sim::SimLinkPacket& packet) override {
        int ms = std::uniform_int_distribution<int>(minMs, maxMs)(delays);
        if (packet.type == 0x40 && packet.bytes.size() > 11) {
            uint64_t destination = 0;
            for (size_t k = 6; k < 12; ++k)
                destination = destination << 8 | packet.bytes[k];
            if (slow.count(destination)) ms = std::uniform_int_distribution<int>(1050, 1300)(delays);
        }
        const qint64 now = clock.elapsed();
        if (now + ms <= lastDue) ms = int(lastDue - now) + 1;
        lastDue = now + ms;
        answerDelayMs = ms;
        SimRdmDiscoveryLinkLine::OnLinkPacket(box, packet);
        if (afterRequest) afterRequest(lastDue);
    }

private:
    QElapsedTimer clock;
    qint64 lastDue = 0;
};

// One simulated device of the line: the maker's parameters of its kind (a
// device of another maker answers them UNKNOWN_PID), sensors, reset and
// factory defaults, and for a device with a display the display pages and
// keys. It notes, for every request, the action of the sequence during which
// it came.
struct LineDevice {
    LineDevice(uint64_t uid, uint8_t kind, char letter, bool display) : maker(uid, kind), letter(letter) {
        SimRdmResponder& r = maker.rdm;
        auto makerAnswer = r.extension;
        behaviour = std::make_unique<SimDeviceBehaviour>(r);
        auto standardAnswer = r.extension;
        decltype(r.extension) displayAnswer;
        if (display) {
            screen = std::make_unique<SimDisplayDevice>(r);
            displayAnswer = r.extension;
        }
        r.extension = [this, makerAnswer, standardAnswer, displayAnswer](
                          SimRdmResponder& d, uint8_t cc, uint16_t pid,
                          std::span<const uint8_t> data) -> std::optional<SimRdmResponder::Reply> {
            if (pid == 0x8002 || pid == 0x8003) {
                if (!displayAnswer) return makerAnswer(d, cc, pid, data);
                auto reply = displayAnswer(d, cc, pid, data);
                d.late = late; // the display drops its own lateness on every request
                return reply;
            }
            return pid >= 0x8000 ? makerAnswer(d, cc, pid, data) : standardAnswer(d, cc, pid, data);
        };
    }

    SimRdmResponder& rdm() { return maker.rdm; }
    uint64_t uid() const { return maker.rdm.uid; }

    SimMakerDevice maker;
    std::unique_ptr<SimDeviceBehaviour> behaviour;
    std::unique_ptr<SimDisplayDevice> screen;
    char letter;
    bool late = false;

    struct Request {
        uint8_t cc;
        uint16_t pid;
        std::vector<uint8_t> data;
        int action;    // the number of the action during which it came
        bool answered; // the device answered it at once and intact
        qint64 due;    // when its report was due, on the line's clock
    };
    // Every request it received (silent or not) since `from`.
    std::vector<Request> Requests() const {
        std::vector<Request> out;
        const auto& got = maker.rdm.received;
        for (size_t i = from; i < got.size(); ++i) {
            const auto& f = got[i];
            out.push_back({f[20], uint16_t(f[21] << 8 | f[22]),
                           std::vector<uint8_t>(f.begin() + 24, f.begin() + 24 + f[23]),
                           i < actions.size() ? actions[i] : -1, i < answered.size() && answered[i],
                           i < dues.size() ? dues[i] : 0});
        }
        return out;
    }
    void ForgetRequests() { from = maker.rdm.received.size(); }
    // Notes the action during which each request not yet noted came.
    // `answering`: whether it answers as it should just now; `due`: when
    // its report is due.
    void Tag(int action, bool answering, qint64 due) {
        while (actions.size() < maker.rdm.received.size()) {
            actions.push_back(action);
            answered.push_back(answering);
            dues.push_back(due);
        }
    }

private:
    std::vector<int> actions; // per received request
    std::vector<bool> answered;
    std::vector<qint64> dues;
    size_t from = 0;
};

// The whole program on the late line with three devices that its own
// DISCOVERY found: A, one of the maker's controllers with a display; B, one of
// the maker's controllers of another kind, with sensors; C, a device of
// another maker with a sensor. A and B share the maker's group node.
class HoldRandomFixture : public LinkFixture {
protected:
    static constexpr uint64_t UidA = 0x7FF300000011ull;
    static constexpr uint64_t UidB = 0x7FF300000022ull;
    static constexpr uint64_t UidC = 0x4A4B00000033ull;

    void SetUp() override {
        LinkFixture::SetUp();
        program->frmInfo->setAnswerer([](TModalDialog& d) { d.reject(); });
        w->frmKerdes->setAnswerer([](TModalDialog& d) { d.accept(); });
        box = platform->PlugInterface(0);
        Start();
        line = std::make_shared<LateLine>();
        line->afterRequest = [this](qint64 due) {
            for (LineDevice& d : devices) {
                const SimRdmResponder& r = d.rdm();
                d.Tag(action, !r.silent && !r.garbled && !r.late && !line->slow.count(d.uid()), due);
            }
        };
        box->line = line;
        view = w->rdmView;
        ui = w->rdmUi.get();

        devices.emplace_back(UidA, 2, 'A', true);
        devices.emplace_back(UidB, 1, 'B', false);
        devices.emplace_back(UidC, 0, 'C', false);
        for (size_t k = 0; k < devices.size(); ++k) {
            LineDevice& d = devices[k];
            Fill(d, int(k));
            line->Add(d.rdm());
        }
        // C's lists come in ACK_OVERFLOW pieces, of which the program keeps the first.
        devices[2].rdm().overflowGets = {0x0050, 0x00A0};
        // The devices are found on a line that answers at once, so that the
        // sequences have the time.
        line->minMs = line->maxMs = 3;
        w->showMainPage("RDM");
        ASSERT_TRUE(ui->btnDiscovery->isEnabled());
        ui->btnDiscovery->click();
        ASSERT_TRUE(RunUntil([&] { return !view->RunInProgress(); }));
        ASSERT_TRUE(platform->WaitIdle(5000));
        for (const LineDevice& d : devices)
            ASSERT_GE(NodeOf(d.uid()), 0) << FormatRdmUid(d.uid()).toStdString();
        line->minMs = 3;
        line->maxMs = 40;
        for (LineDevice& d : devices)
            d.ForgetRequests();
    }

    // Device k's own values: each number it starts with, and each one a
    // sequence sends it, leaves k when divided by 3; its labels end in its letter.
    static void Fill(LineDevice& d, int k) {
        SimRdmResponder& r = d.rdm();
        const uint16_t model = k == 0 ? 0x0046 : k == 1 ? 0x0042 : 0x0101;
        const uint8_t sensors = k == 0 ? 0 : k == 1 ? 2 : 1;
        std::initializer_list<uint16_t> standard = {0x0080, 0x0081, 0x0082, 0x0090, 0x00A0, 0x00B0,
                                                    0x0401, 0x0403, 0x0404, 0x0405, 0x0500, 0x0501,
                                                    0x0600, 0x0601, 0x0602, 0x1001, 0x1010, 0x1040};
        simdev::Basic(r, model, "Spot", "Maker", standard, 2, sensors, 0, uint16_t(30 + k), 4);
        std::vector<uint16_t> supported(standard);
        if (sensors) supported.insert(supported.end(), {0x0200, 0x0201, 0x0202});
        if (d.screen) supported.insert(supported.end(), {0x8002, 0x8003});
        std::vector<uint8_t> list;
        for (uint16_t p : supported)
            list.insert(list.end(), {uint8_t(p >> 8), uint8_t(p)});
        r.values[0x0050] = list;
        simdev::Personality(r, 1, 4, "4 channel");
        simdev::Personality(r, 2, 0, "stand alone");
        simdev::Languages(r, {"en", "de"}, "en");
        r.SetText(0x0082, (std::string("Label ") + d.letter).c_str());
        r.values[0x00F0] = {0, uint8_t(30 + k)};
        r.values[0x00E0] = {1, 2};
        r.values[0x0401] = Word32(uint32_t(300 + k));
        r.values[0x0405] = Word32(uint32_t(600 + k));
        r.values[0x0501] = {uint8_t(90 + k)};
        for (uint16_t pid : {0x0403, 0x0404, 0x0500, 0x0600, 0x0601, 0x0602, 0x1010})
            r.values[pid] = {0};
        r.values[0x1040] = {0xFF};
        r.settable.insert(0x00B0);
        for (int s = 0; s < sensors; ++s) {
            SimSensor sensor;
            sensor.type = 0;
            sensor.unit = 1;
            sensor.description = "Temperature " + std::to_string(s + 1);
            sensor.Measure(int16_t(20 + 10 * k + s));
            d.behaviour->sensors.push_back(sensor);
        }
        d.behaviour->PublishSensors();
    }

    static std::vector<uint8_t> Word32(uint32_t v) {
        return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
    }

    // The device node of a UID, or -1.
    int NodeOf(uint64_t uid) const {
        for (int i = 0; i < NodeCount(ui->tvDeviceList); ++i) {
            const tRdmDevice* rec = view->RecordAt(i);
            if (rec && rec->uid == uid && rec->nodeKind == NodeKindDevice) return i;
        }
        return -1;
    }
    // The line's device of a UID, or nullptr.
    LineDevice* DeviceOf(uint64_t uid) {
        for (LineDevice& d : devices)
            if (d.uid() == uid) return &d;
        return nullptr;
    }
    // The line's device whose UID the page shows, or nullptr.
    LineDevice* ShownDevice() {
        for (LineDevice& d : devices)
            if (ui->lUidD->text() == FormatRdmUid(d.uid())) return &d;
        return nullptr;
    }

    // Runs the event loop for this long (or until `done`), in steps finer
    // than the line's delays; false when `done` never came.
    static bool RunFor(int ms, const std::function<bool()>& done = {}) {
        QElapsedTimer clock;
        clock.start();
        do {
            if (done && done()) return true;
            QCoreApplication::processEvents();
            QThread::usleep(200);
        } while (clock.elapsed() < ms);
        return done && done();
    }

    std::shared_ptr<LateLine> line;
    std::deque<LineDevice> devices;
    bool pluggedIn = true;
    int action = 0; // the number of the action being done, from 1; 0 before the first
    RdmPageView* view = nullptr;
    Ui::RdmPage* ui = nullptr;
};

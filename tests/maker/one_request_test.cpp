// One request at a time owns the line: a button pressed while another
// operation waits for its answer, reads a device again or pauses between two
// of its requests never takes that operation's place. The operation ends as
// it would alone; the button's request is refused with one line, or goes out
// once the line is free.
#include <QComboBox>
#include <QTest>
#include <functional>

#include "app/Main.h"
#include "maker_fixture.h"
#include "support/sim/rdm_decoder_responder.h"
#include "support/sim/rdm_discovery_link.h"
#include "ui_Lvn24Conf.h"
#include "ui_Main.h"
#include "views/lvn_page.h"
#include "views/operation_watch.h"

namespace {

constexpr uint64_t DecoderUid = 0x7FF100000003ull;
constexpr int MakerNode = 1;
constexpr int DecoderNode = 2;

// The maker's device (node 1) and a configurable decoder (node 2) on a line
// whose answers come a few milliseconds after each request. Both answer the
// standard parameters that a lamp-hours SET and a personality change use.
class OneRequest : public MakerRdmFixture {
public:
    void SetUp() override {
        MakerRdmFixture::SetUp();
        if (HasFatalFailure()) return;
        line->answerDelayMs = 4;
        // The polls tick only when a test says so.
        dm->tmrSensor->setInterval(24 * 3600 * 1000);
        dm->tmrRemAcc->setInterval(24 * 3600 * 1000);
        lvn = TLvnPage::of(w);
    }

    // A fresh program with both devices, the maker's device selected on the
    // details tab.
    void Restart() {
        TearDown();
        platform = std::make_shared<sim::SimHidPlatform>();
        SetUp();
        UseKind(2);
        Standard(dev->rdm, 0x0046);
        decoder = std::make_unique<SimRdmResponder>(DecoderUid);
        decoderMemory = std::make_unique<SimDecoderBehaviour>(*decoder);
        Standard(*decoder, 0x0051);
        line->rdm.responders = {&dev->rdm, decoder.get()};
        for (SimRdmResponder* d : {&dev->rdm, decoder.get()})
            d->extension = [this, inner = d->extension](SimRdmResponder& r, uint8_t cc, uint16_t pid,
                                                        std::span<const uint8_t> data) {
                if (holdAt.device == &r && holdAt.cc == cc && holdAt.pid == pid) {
                    holdAt.device = nullptr;
                    box->HoldInput(true);
                }
                return inner ? inner(r, cc, pid, data) : std::nullopt;
            };
        Record(Rec(), 2);
        tRdmDevice& r = AddDeviceNode(view->tree(), NodeAt(view->tree(), 0), "LVN24")->record();
        r.nodeKind = NodeKindDevice;
        r.uid = DecoderUid;
        Record(r, 6);
        w->showMainPage("RDM");
        view->ui->pcRdm->setCurrentIndex(0);
        view->ShowDeviceDetails(MakerNode);
        Settle();
        ClearLog();
        ClearSent();
    }

    // DEVICE_INFO of the model, two personalities, lamp hours that can be set.
    static void Standard(SimRdmResponder& d, uint16_t model) {
        simdev::Basic(d, model, "Device", "Maker", {0x0401}, 2, 0, 0, 1, 4);
        simdev::Personality(d, 1, 4, "4 channel");
        simdev::Personality(d, 2, 0, "stand alone");
        d.values[0x0401] = {0, 0, 0, 10};
        d.settable.insert({0x0401, 0x00E0, 0x00F0});
    }
    static void Record(tRdmDevice& r, uint8_t kind) {
        r.DeviceKind = kind;
        r.dmxStartAddress = 1;
        r.currentPersonality = 1;
        r.personalityCount = 2;
        r.personalities[1] = {4, "4 channel"};
        r.personalities[2] = {0, "stand alone"};
        r.lampHours = 10;
        const uint16_t pids[] = {0x0401, 0x00E0, 0x00F0};
        r.supportedPidCount = uint8_t(std::size(pids));
        std::copy(std::begin(pids), std::end(pids), r.supportedPids.begin());
    }

    // The answer to the next such request to `device` stays on the line until released.
    void HoldAnswerTo(SimRdmResponder& device, uint8_t cc, uint16_t pid) { holdAt = {&device, cc, pid}; }

    static int Count(const SimRdmResponder& d, uint8_t cc, uint16_t pid) {
        int n = 0;
        for (const auto& f : d.received)
            n += f[20] == cc && ((f[21] << 8) | f[22]) == pid;
        return n;
    }
    static bool LastIs(const SimRdmResponder& d, uint8_t cc, uint16_t pid) {
        return !d.received.empty() && d.received.back()[20] == cc &&
               ((d.received.back()[21] << 8) | d.received.back()[22]) == pid;
    }
    int Lines(const QString& text) const { return int(Log().filter(text).size()); }

    struct {
        SimRdmResponder* device = nullptr;
        uint8_t cc = 0;
        uint16_t pid = 0;
    } holdAt;
    std::unique_ptr<SimRdmResponder> decoder;
    std::unique_ptr<SimDecoderBehaviour> decoderMemory;
    TLvnPage* lvn = nullptr;
};

enum class Phase { Verify, ReadingAgain, Pause };
// The operation whose pause the button falls into.
enum class Paused { Chain, ProgramUpload, DecoderRead, DecoderWrite };
enum class Outcome { Refused, SentAfter, Skipped };

const char* PhaseName(Phase p) {
    return p == Phase::Verify         ? "during a verification"
           : p == Phase::ReadingAgain ? "during a reading again"
                                      : "in a pause";
}

} // namespace

TEST_F(OneRequest, AButtonNeverTakesThePlaceOfAnAwaitedAnswer) {
    struct Row {
        const char* name;
        bool decoder;
        Phase phase;
        Paused paused;
        std::function<void()> press;
        Outcome outcome;
        const char* what; // how a refusal names it
        uint8_t cc;       // the request of the button (or the poll)
        uint16_t pid;
    };
    const auto pc = [&] { return view->ui->pcRdm; };
    const auto openSpecial = [&] { pc()->setCurrentWidget(view->ui->tsSpecial); };
    const auto clickDevice = [&] { ClickItem(view->tree(), NodeAt(view->tree(), MakerNode)); };
    const auto send = [&] { Spec().btnRdmSendSpec->click(); };
    const auto getConfig = [&] { Spec().btnRdmGetConf->click(); };
    const auto getProgram = [&] { Spec().btnRdmGetPrg->click(); };
    const auto uploadPrograms = [&] {
        w->showMainPage("Programok");
        w->prgUi->btnPrgEszkozbe->click();
    };
    const auto uploadConfig = [&] {
        w->showMainPage("Konfiguracio");
        Konf().btnKonfEszkbe->click();
    };
    const auto decoderGet = [&] { lvn->ui->btnGet->click(); };
    const auto decoderSet = [&] { lvn->ui->btnSet->click(); };
    const auto sensorTick = [&] {
        Rec().sensorCount = 1;
        view->Discovery.DiscoveredCount = 1;
        pc()->setCurrentWidget(view->ui->tsErzekelok);
        dm->tmrSensorTimer();
    };
    const auto remoteTick = [&] {
        Rec().supportedPids[Rec().supportedPidCount++] = 0x8002;
        view->Discovery.DiscoveredCount = 1;
        view->CallHook(view->hooks.UpdateRemoteAccessTab);
        pc()->setCurrentWidget(w->rdmUi->tsRemoteAccess);
        dm->tmrRemAccTimer();
    };
    using enum Phase;
    using enum Paused;
    using enum Outcome;
    // clang-format off
    std::vector<Row> rows;
    for (Phase p : {Verify, ReadingAgain, Pause}) {
        rows.push_back({"Special tab opened", false, p, Chain, openSpecial, SentAfter, "", 0x20, 0x8004});
        rows.push_back({"SEND", false, p, Chain, send, Refused, "Special parameters", 0x30, 0x8004});
        rows.push_back({"GET CONFIG", false, p, Chain, getConfig, Refused, "Get config data", 0x20, 0x8005});
        rows.push_back({"GET PROGRAM", false, p, Chain, getProgram, Refused, "Get program data", 0x20, 0x8006});
        // During a reading again the uploads are refused as during a run (another test's).
        if (p != ReadingAgain) {
            rows.push_back({"program upload", false, p, ProgramUpload, uploadPrograms, Refused, "Program upload", 0x30, 0x8006});
            rows.push_back({"configuration upload", false, p, ProgramUpload, uploadConfig, Refused, "Configuration upload", 0x30, 0x8005});
        }
        rows.push_back({"decoder GET CONFIG", true, p, DecoderWrite, decoderGet, Refused, "Get config data", 0x20, 0x8014});
        rows.push_back({"decoder SET CONFIG", true, p, DecoderRead, decoderSet, Refused, "Config data", 0x30, 0x8014});
    }
    // A click or a poll is held back only by a pause between two requests:
    // while an answer is on its way a click waits as a whole, and a poll
    // skipped its tick already.
    rows.push_back({"click on the device shown", false, Pause, Chain, clickDevice, SentAfter, "", 0x20, 0x8004});
    rows.push_back({"sensor tick", false, Pause, Chain, sensorTick, Skipped, "", 0x20, 0x0201});
    rows.push_back({"remote display tick", false, Pause, Chain, remoteTick, Skipped, "", 0x20, 0x8002});
    // clang-format on

    // A failed assertion ends its row only.
    const auto check = [&](const Row& row) {
        SCOPED_TRACE(std::string(row.name) + " " + PhaseName(row.phase));
        Restart();
        SimRdmResponder& target = row.decoder ? *decoder : dev->rdm;
        if (row.decoder) ClickNode(DecoderNode);
        ClearLog();
        // The earlier operation, left where the button falls into it.
        switch (row.phase) {
        case Verify:
            HoldAnswerTo(target, 0x20, 0x0401);
            Find<QSpinBox>("seLampHours")->setValue(777);
            Find<QPushButton>("btnModLampHours")->click();
            break;
        case ReadingAgain:
            HoldAnswerTo(target, 0x20, 0x0060);
            Find<QComboBox>("cbPersonality")->setCurrentIndex(1);
            Find<QPushButton>("btnModDmxPers")->click();
            break;
        case Pause:
            switch (row.paused) {
            case Chain:
                Spec().rbRdmSpecQ7ModeDmx->setChecked(true);
                Spec().btnRdmSendSpec->click();
                break;
            case ProgramUpload:
                uploadPrograms();
                break;
            case DecoderRead:
                lvn->ui->btnGet->click();
                break;
            case DecoderWrite:
                lvn->ui->btnSet->click();
                break;
            }
            break;
        }
        if (row.phase == Pause) {
            ASSERT_TRUE(RunUntil([&] { return dm->OperationPausing(); }));
        } else {
            ASSERT_NO_FATAL_FAILURE(Settle());
            ASSERT_GE(box->HeldCount(), 1) << "the earlier operation's answer is on its way";
        }
        const int before = Count(target, row.cc, row.pid);

        row.press();
        // The rest of an upload need not take its time.
        maker->ProgramPacketPauseMs = 1;
        box->HoldInput(false);
        box->ReleaseInput();
        SettleLong();
        if (row.outcome == SentAfter) {
            ASSERT_TRUE(RunUntil([&] { return Count(target, row.cc, row.pid) > before; }));
            SettleLong();
        }
        maker->ProgramPacketPauseMs = 100;

        // The earlier operation ended as it would alone, with its own line.
        const auto in = [&](Paused p) { return row.phase == Pause && row.paused == p; };
        const tRdmDevice& rec = *view->RecordAt(row.decoder ? DecoderNode : MakerNode);
        if (row.phase == Verify) {
            EXPECT_EQ(Lines("Lamp hours modified"), 1);
            EXPECT_EQ(Lines("can not be modified"), 0);
            EXPECT_EQ(rec.lampHours, 777u);
        } else if (row.phase == ReadingAgain || in(Chain)) {
            EXPECT_EQ(Lines("New dmx personality set"), 1);
            EXPECT_EQ(Lines("Process ready"), 1);
            EXPECT_EQ(rec.currentPersonality, row.phase == ReadingAgain ? 2 : 1);
        } else if (in(ProgramUpload)) {
            EXPECT_EQ(Count(target, 0x30, 0x8006), 9 * 11);
            EXPECT_FALSE(w->prgUi->gPrg->isVisibleTo(w));
        } else if (in(DecoderRead)) {
            EXPECT_EQ(decoderMemory->readAddresses.size(), 32u);
            EXPECT_EQ(Log().last(), "Ready");
        } else if (in(DecoderWrite)) {
            EXPECT_EQ(decoderMemory->writes.size(), 31u);
            EXPECT_EQ(decoderMemory->closings, 1);
            EXPECT_EQ(Lines("Ready"), 1);
        }
        EXPECT_FALSE(view->SendersHeld());

        // The button's request: refused with one line, sent after, or skipped.
        const QString tail = row.decoder ? "7FF1:00000003 - 0" : "7FF3:00000001 - 0";
        const QStringList refusals = Log().filter(" not sent");
        switch (row.outcome) {
        case Refused:
            EXPECT_EQ(refusals,
                      QStringList{QString(row.what) +
                                  (row.phase == ReadingAgain ? " not sent, the device is being read: "
                                                             : " not sent, an answer is awaited from: ") +
                                  tail});
            // (A program upload pressed during one: the running one's packets are counted above.)
            if (!in(ProgramUpload) || row.pid != 0x8006) {
                EXPECT_EQ(Count(target, row.cc, row.pid), before) << "nothing of it reached the device";
            }
            break;
        case SentAfter:
            EXPECT_TRUE(refusals.isEmpty());
            EXPECT_EQ(Count(target, row.cc, row.pid), before + 1);
            EXPECT_TRUE(LastIs(target, row.cc, row.pid)) << "it went out after the operation's last request";
            break;
        case Skipped:
            EXPECT_TRUE(refusals.isEmpty());
            EXPECT_EQ(Count(target, row.cc, row.pid), before);
            break;
        }
        EXPECT_TRUE((row.decoder ? dev->rdm : *decoder).received.empty()) << "the other device is left alone";
    };
    for (const Row& row : rows)
        check(row);
}

// When the line's operations are ended under an upload or a decoder write
// (its pause dropped, the interface pulled out, the demo's tree), no answer
// moves it on any more: it does not go on looking busy, and nothing later
// carries it on. One that gets no answer stops too, but shows where it
// stopped: its gauge, or its last progress line.
TEST_F(OneRequest, AnUploadOrWriteEndedUnderItDoesNotLookBusy) {
    enum class Start { Programs, Config, DecoderWrite };
    enum class End { PauseDropped, Unplugged, Demo, NoAnswer };
    struct Row {
        const char* name;
        Start start;
        End end;
        int silentFrom = 1; // the first of its requests that gets no answer
    };
    using enum Start;
    using enum End;
    const Row rows[] = {
        {"program upload, its pause dropped", Programs, PauseDropped},
        {"program upload, the interface pulled out", Programs, Unplugged},
        {"program upload, the demo started", Programs, Demo},
        {"configuration upload, the interface pulled out", Config, Unplugged},
        {"decoder write, its pause dropped", DecoderWrite, PauseDropped},
        {"decoder write, the demo started", DecoderWrite, Demo},
        {"program upload, no answer to its fourth packet", Programs, NoAnswer, 4},
        {"configuration upload, no answer", Config, NoAnswer},
        {"decoder write, no answer to its third block", DecoderWrite, NoAnswer, 3},
    };
    const auto within = [](const std::function<bool()>& done) { return QTest::qWaitFor(done, 3000); };
    // A failed assertion ends its row only.
    const auto check = [&](const Row& row) {
        SCOPED_TRACE(row.name);
        Restart();
        const bool decoderRow = row.start == DecoderWrite;
        SimRdmResponder& target = decoderRow ? *decoder : dev->rdm;
        const uint16_t pid = decoderRow ? 0x8014 : row.start == Programs ? 0x8006 : 0x8005;
        if (decoderRow) ClickNode(DecoderNode);
        const bool silence = row.end == NoAnswer;
        target.silent = silence && row.silentFrom == 1;
        const int sent = silence ? row.silentFrom : 1;
        // Ended in the pause after the first answer, or while the first answer is on its way.
        if (row.end != PauseDropped && !silence) HoldAnswerTo(target, 0x30, pid);
        switch (row.start) {
        case Programs:
            w->showMainPage("Programok");
            w->prgUi->btnPrgEszkozbe->click();
            break;
        case Config:
            w->showMainPage("Konfiguracio");
            Konf().btnKonfEszkbe->click();
            break;
        case DecoderWrite:
            lvn->ui->btnSet->click();
            break;
        }
        switch (row.end) {
        case PauseDropped:
            ASSERT_TRUE(RunUntil([&] { return dm->OperationPausing(); }));
            dm->EndOperationPauses();
            break;
        case Unplugged:
            ASSERT_NO_FATAL_FAILURE(Settle());
            ASSERT_GE(box->HeldCount(), 1);
            platform->Unplug(box);
            break;
        case Demo:
            ASSERT_NO_FATAL_FAILURE(Settle());
            ASSERT_GE(box->HeldCount(), 1);
            view->btnDemoDiscClick();
            box->HoldInput(false);
            box->ReleaseInput();
            break;
        case NoAnswer:
            // Each request waits for its answer and a pause before the next.
            ASSERT_TRUE(RunUntil([&] { return Count(target, 0x30, pid) >= row.silentFrom - 1; }));
            target.silent = true;
            // Past the deadline of the request left unanswered, and several looks of the watch.
            QTest::qWait(TDM::RdmAnswerDeadlineMs + 4 * OperationWatch::CheckMs);
            break;
        }
        ASSERT_NO_FATAL_FAILURE(Settle());

        // (The decoder shows no gauge.)
        QProgressBar* gauge = decoderRow ? nullptr : row.start == Programs ? w->prgUi->gPrg : Konf().gKonf;
        EXPECT_TRUE(within([&] { return St().RdmPendingOp == 0; })) << "it lets its pending code go";
        const auto shownWhereItStopped = [&] {
            if (decoderRow) {
                EXPECT_EQ(Log().value(Log().size() - 1), "Sending - 6%")
                    << "its last progress line is the last word";
                return;
            }
            EXPECT_TRUE(gauge->isVisibleTo(w)) << "its gauge stays";
            // The three-colour upload's fourth packet is part 3 of program 1.
            EXPECT_EQ(gauge->value(), row.start == Programs ? 4 : gauge->maximum());
        };
        if (silence)
            shownWhereItStopped();
        else
            EXPECT_TRUE(within([&] { return !(gauge && gauge->isVisibleTo(w)); })) << "its gauge goes";
        EXPECT_EQ(Count(target, 0x30, pid), sent) << "nothing more of it was sent";
        if (row.end == Unplugged) return;
        target.silent = false;
        // A SET answered later (a sensor reset, a key of the remote display)
        // carries nothing of it on.
        St().RdmParamData[0] = 0;
        dm->SendRdmRequest(0, 0x30, target.uid, 0x0401, 4, St().RdmParamData, 0x40);
        ASSERT_NO_FATAL_FAILURE(SettleLong());
        EXPECT_EQ(Count(target, 0x30, pid), sent);
        if (silence)
            shownWhereItStopped();
        else
            EXPECT_FALSE(gauge && gauge->isVisibleTo(w));
        // Stopped, it shows where until the line's operations end (a
        // discovery, the interface pulled out): its gauge goes with them.
        if (silence && gauge) {
            if (row.start == Programs)
                view->btnDiscoveryClick();
            else
                platform->Unplug(box);
            EXPECT_TRUE(within([&] { return !gauge->isVisibleTo(w); }))
                << "its gauge goes with the line's operations";
        }
    };
    for (const Row& row : rows)
        check(row);
}

#include <QTest>
#include <QTimer>
#include <functional>
#include <set>

#include "app/Main.h"
#include "maker_fixture.h"
#include "ui_Main.h"

// Programs and configurations sent to the maker's devices from the program
// and configuration pages, through the real window and the simulator.
class UploadTest : public MakerRdmFixture {
public:
    void SetUp() override {
        MakerRdmFixture::SetUp();
        ASSERT_EQ(maker->ProgramPacketPauseMs, 100);
        // Whole uploads here run hundreds of pauses.
        maker->ProgramPacketPauseMs = 2;
    }

    // A pattern no two colours of a program share by accident.
    static uint8_t Pattern(int p, int s, int d, int c) { return uint8_t(p * 31 + s * 7 + d * 3 + c * 41); }

    void FillPrograms(int channels) {
        tProgramData& d = Programs();
        for (int p = 1; p <= 9; ++p) {
            d.ProgramSteps[p] = uint8_t(p);
            d.ProgramSpeed[p] = uint16_t(100 * p + 1);
            d.ProgramWait[p] = uint16_t(p == 4 ? 0 : 300 + p);
            d.ProgramSpeedOn[p] = 1;
            d.ProgramStepMode[p] = p % 2;
            for (int s = 1; s <= 10; ++s)
                for (int dev = 1; dev <= 20; ++dev)
                    for (int c = 1; c <= channels; ++c)
                        d.SetColour(p, s, dev, c, Pattern(p, s, dev, c));
        }
        w->programEditor->ShowProgram();
    }

    void ExpectPrograms(int channels) {
        const tProgramData& d = Programs();
        for (int p = 1; p <= 9; ++p) {
            SCOPED_TRACE(p);
            EXPECT_EQ(d.ProgramSteps[p], p);
            EXPECT_EQ(d.ProgramSpeed[p], 100 * p + 1);
            EXPECT_EQ(d.ProgramWait[p], p == 4 ? 0 : 300 + p);
            EXPECT_EQ(d.ProgramStepMode[p], p % 2);
            int wrong = 0;
            for (int s = 1; s <= 10; ++s)
                for (int dev = 1; dev <= 20; ++dev)
                    for (int c = 1; c <= 5; ++c)
                        wrong += d.Colour(p, s, dev, c) != (c <= channels ? Pattern(p, s, dev, c) : 0x5A);
            EXPECT_EQ(wrong, 0);
        }
    }

    // Programs that differ everywhere from the pattern; W and A marked.
    void ScramblePrograms() {
        tProgramData& d = Programs();
        d.InitPrograms();
        for (int p = 1; p <= 9; ++p)
            for (int s = 1; s <= 10; ++s)
                for (int dev = 1; dev <= 20; ++dev)
                    for (int c = 1; c <= 5; ++c)
                        d.SetColour(p, s, dev, c, 0x5A);
    }

    // (program, part) of every program packet sent.
    std::vector<std::pair<int, int>> PacketsSent(int pid) const {
        std::vector<std::pair<int, int>> out;
        for (const auto& [cc, p, data] : Sent())
            if (p == pid && cc == 0x30) out.emplace_back(data[0], data[1]);
        return out;
    }

    static std::vector<std::pair<int, int>> AllPackets(int lastPart) {
        std::vector<std::pair<int, int>> out;
        for (int p = 1; p <= 9; ++p)
            for (int part = 0; part <= lastPart; ++part)
                out.emplace_back(p, part);
        return out;
    }

    void Upload(const char* page) {
        w->showMainPage(page);
        QAbstractButton* b = QString(page) == "Programok"
                                 ? static_cast<QAbstractButton*>(w->prgUi->btnPrgEszkozbe)
                                 : Konf().btnKonfEszkbe;
        b->setEnabled(true);
        b->click();
        SettleLong();
    }
};

TEST_F(UploadTest, TheButtonsRouteByPageAndKind) {
    for (const char* page : {"Programok", "Konfiguracio", "RDM"}) {
        for (uint8_t kind = 1; kind <= 12; ++kind) {
            SCOPED_TRACE(std::string(page) + " kind " + std::to_string(kind));
            UseKind(kind);
            dev->rdm.silent = true;
            St().RdmPendingOp = 0;
            dm->LinkMode = LinkModeRdm;
            w->LineState.TransmitFlag = 0;
            Upload(page);
            // The oldest controller takes a stream through the interface instead.
            EXPECT_EQ(w->LineState.TransmitFlag, kind == 1 && QString(page) != "RDM");
            std::pair<int, int> expected{0, 0}; // PID, data length
            const bool programs = QString(page) == "Programok";
            const bool config = QString(page) == "Konfiguracio";
            if (programs && (kind == 2 || kind == 4)) expected = {0x8006, 62};
            if (programs && kind >= 7 && kind <= 11) expected = {0x8008, 52};
            if (config && kind == 2) expected = {0x8005, 61};
            if (config && kind == 3) expected = {0x8005, 4};
            if (config && kind == 4) expected = {0x8005, 57};
            if (config && kind >= 7 && kind <= 10) expected = {0x8007, 71};
            if (config && kind >= 11) expected = {0x8016, 54};
            const auto sent = Sent();
            if (expected.first == 0) {
                EXPECT_TRUE(sent.empty());
                EXPECT_EQ(St().RdmPendingOp, 0);
                continue;
            }
            ASSERT_EQ(sent.size(), 1u);
            EXPECT_EQ(std::get<0>(sent[0]), 0x30);
            EXPECT_EQ(std::get<1>(sent[0]), expected.first);
            EXPECT_EQ(std::get<2>(sent[0]).size(), size_t(expected.second));
            EXPECT_TRUE(programs ? w->prgUi->gPrg->isVisibleTo(w) : Konf().gKonf->isVisibleTo(w));
            EXPECT_TRUE(Log().isEmpty()) << "the uploads log nothing when they start";
        }
    }
    // With the interface out, only a kind that has something to upload from
    // the page is refused; for the others the button does nothing.
    platform->Unplug(box);
    Settle();
    for (const char* page : {"Programok", "Konfiguracio"}) {
        const bool programs = QString(page) == "Programok";
        for (uint8_t kind = 0; kind <= 12; ++kind) {
            SCOPED_TRACE(std::string(page) + " kind " + std::to_string(kind) + ", no interface");
            UseKind(kind);
            ClearLog();
            Upload(page);
            const bool route = kind == 1 || (kind >= 2 && kind <= 4 && !(programs && kind == 3)) ||
                               (kind >= 7 && kind <= 11) || (kind == 12 && !programs);
            EXPECT_EQ(Log(), route ? QStringList{QString(programs ? "Program" : "Configuration") +
                                                 " upload not sent: no USB interface is connected"}
                                   : QStringList{});
        }
    }
}

TEST_F(UploadTest, FactoryConfigurationOfAQ7DeviceAndTheQ9RootTail) {
    w->configPages->SetDefaultConfig();
    w->configPages->ShowQ7Config();
    Konf().rbKonfQ7Free->setChecked(true);
    dev->rdm.silent = true;
    Upload("Konfiguracio");
    ASSERT_EQ(Sent().size(), 1u);
    const Data d = std::get<2>(Sent()[0]);
    ASSERT_EQ(d.size(), 61u);
    EXPECT_EQ(Data(d.begin(), d.begin() + 9), (Data{0, 255, 0, 0, 255, 0, 0, 255, 0}));
    EXPECT_EQ(Data(d.begin() + 9, d.begin() + 15), (Data{0x00, 0x03, 0, 0, 0, 0}));
    EXPECT_EQ(Data(d.begin() + 15, d.begin() + 19), (Data{0x04, 0xB0, 0x00, 0x00}));
    EXPECT_EQ(Data(d.begin() + 47, d.begin() + 51), (Data{0x00, 0x14, 0x00, 0x00})); // step 9: 00:01.00
    EXPECT_EQ(Data(d.begin() + 51, d.begin() + 57), (Data{22, 22, 22, 30, 30, 30}));
    EXPECT_EQ(Data(d.begin() + 57, d.end()), (Data{0x00, 0x80, 0x00, 0x00}));
    // Sent for the upload, which ended with the silent device.
    EXPECT_EQ(St().Asked.op, RdmOpUploadQ7);
    EXPECT_EQ(St().RdmPendingOp, RdmOpNone);

    UseKind(3);
    dev->rdm.silent = true;
    Konf().cbKonfQ9rootTulmeleg->setChecked(true);
    Konf().rbKonfQ9rootHz->setChecked(true);
    Konf().seKonfQ9rootNum->setValue(100);
    Upload("Konfiguracio");
    EXPECT_EQ(Sent(), (std::vector<Req>{{0x30, 0x8005, {0x00, 0x80, 0x00, 0x64}}}));
    EXPECT_EQ(St().Asked.op, RdmOpUploadQ9Root);
    EXPECT_EQ(St().RdmPendingOp, RdmOpNone);
}

TEST_F(UploadTest, AConfigurationUploadEndsOnItsAnswerAndSaysWhetherItWasTaken) {
    for (bool refuse : {false, true}) {
        UseKind(11);
        ClearLog();
        dev->nackAt = refuse ? 1 : 0;
        Upload("Konfiguracio");
        EXPECT_FALSE(Konf().gKonf->isVisibleTo(w));
        EXPECT_EQ(St().RdmPendingOp, 0);
        EXPECT_EQ(Sent().size(), 1u);
        EXPECT_EQ(Log(),
                  QStringList{refuse
                                  ? "Configuration not taken, refused (NACK reason 0x0006): 7FF3:00000001 - 0"
                                  : "Configuration sent to: 7FF3:00000001 - 0"});
    }
}

TEST_F(UploadTest, AConfigurationAnswerNamesTheDeviceItWasSentToWhateverIsSelectedSince) {
    UseKind(11);
    const auto other = AddOtherDevice(11);
    ClearLog();
    HoldAnswerTo(1);
    Upload("Konfiguracio");
    ClickNode(2);
    ReleaseAnswers();
    EXPECT_EQ(Log(), QStringList{"Configuration sent to: 7FF3:00000001 - 0"});
    EXPECT_TRUE(other->rdm.received.empty());
    EXPECT_FALSE(Konf().gKonf->isVisibleTo(w));
    EXPECT_EQ(St().RdmPendingOp, 0);
}

TEST_F(UploadTest, AStepTimeThatIsNotATimeSendsNothingAndNamesTheField) {
    for (auto [kind, edit, field] : {std::tuple{2, "meKonfQ7Speed3", "Speed 3 on page Q7"},
                                     std::tuple{4, "meKonfQ9SubWait1", "Wait 1 on page Q9Sub"},
                                     std::tuple{9, "meKonfQ73GWait9", "Wait 9 on page Q73G"}}) {
        UseKind(uint8_t(kind));
        ClearLog();
        St().RdmPendingOp = RdmOpScan;
        const tDeviceConfig before = Config();
        Find<QLineEdit>(edit)->setText("");
        Upload("Konfiguracio");
        EXPECT_TRUE(Sent().empty()) << edit;
        EXPECT_EQ(St().RdmPendingOp, RdmOpScan);
        EXPECT_FALSE(Konf().gKonf->isVisibleTo(w));
        EXPECT_EQ(Config().Speed, before.Speed);
        EXPECT_EQ(Config().Wait, before.Wait);
        ASSERT_EQ(Log().size(), 1);
        EXPECT_TRUE(Log().first().startsWith(field)) << Log().first().toStdString();
        EXPECT_EQ(Find<QLineEdit>(edit)->toolTip(), Log().first());
        Find<QLineEdit>(edit)->setText("00:00.00");
    }
}

TEST_F(UploadTest, ThreeColourProgramsGoOutPacketByPacketAndComeBack) {
    UseKind(2);
    FillPrograms(3);
    Upload("Programok");
    EXPECT_EQ(PacketsSent(0x8006), AllPackets(10));
    EXPECT_FALSE(w->prgUi->gPrg->isVisibleTo(w));
    EXPECT_EQ(St().RdmPendingOp, 0);
    // Bytes 8 on of a header packet are zero, whatever the buffer held.
    const auto sent = Sent();
    const Data header = std::get<2>(sent[11]); // program 2, part 0
    EXPECT_EQ(Data(header.begin(), header.begin() + 8), (Data{2, 0, 0x00, 0xC9, 0x01, 0x2E, 0, 2}));
    EXPECT_EQ(Data(header.begin() + 8, header.end()), Data(54, 0));

    ScramblePrograms();
    Programs().EditorChannels = 5;
    ClearSent();
    ClearLog();
    Click(Spec().btnRdmGetPrg);
    std::vector<std::pair<int, int>> asked;
    for (const auto& [cc, pid, data] : Sent())
        asked.emplace_back(data[0], data[1]);
    EXPECT_EQ(asked, AllPackets(10));
    ExpectPrograms(3);
    EXPECT_EQ(Programs().EditorChannels, 3);
    EXPECT_EQ(w->mainPageCaption(), "Programok");
    EXPECT_EQ(Log().last(), "Ready");
    EXPECT_EQ(w->prgUi->seLepesSzam->value(), Programs().ProgramSteps[Programs().CurrentProgram]);
}

TEST_F(UploadTest, FiveColourUploadKeepsTheWindowResponsiveAndComesBack) {
    UseKind(8);
    FillPrograms(5);
    // A timer that fires whenever the event loop runs: it must fire inside the
    // pause after every packet's answer, or the pauses freeze the window.
    std::set<size_t> pausesSeenRunning; // by packets answered so far
    QTimer probe;
    probe.setInterval(0);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (dm->Pausing() && St().RdmPendingOp == RdmOpProgramBlock)
            pausesSeenRunning.insert(dev->rdm.received.size());
    });
    probe.start();
    Upload("Programok");
    probe.stop();
    EXPECT_EQ(PacketsSent(0x8008), AllPackets(20)); // 189 packets, one per answer, in order
    EXPECT_EQ(pausesSeenRunning.size(), 189u);
    EXPECT_FALSE(w->prgUi->gPrg->isVisibleTo(w));
    EXPECT_EQ(St().RdmPendingOp, 0);
    // Packet part 3 carries step 2 of fixtures 1..10, packet part 4 step 2 of fixtures 11..20.
    EXPECT_EQ(dev->programPackets[std::pair(1, 3)][2 + 5 * 0 + 4], Pattern(1, 2, 1, 5));
    EXPECT_EQ(dev->programPackets[std::pair(1, 4)][2 + 5 * 9 + 0], Pattern(1, 2, 20, 1));

    ScramblePrograms();
    ClearSent();
    Click(Spec().btnRdmGetPrg);
    EXPECT_EQ(Sent().size(), 189u);
    ExpectPrograms(5);
    EXPECT_EQ(Programs().EditorChannels, 5);
}

TEST_F(UploadTest, AFiveColourReadSetsTheEditorsColoursByKind) {
    for (auto [kind, channels] :
         {std::pair{7, 3}, std::pair{8, 5}, std::pair{9, 3}, std::pair{10, 5}, std::pair{11, 3}}) {
        UseKind(uint8_t(kind));
        Programs().EditorChannels = channels == 3 ? 5 : 3;
        Click(Spec().btnRdmGetPrg);
        EXPECT_EQ(Sent().size(), 189u) << kind;
        EXPECT_EQ(Programs().EditorChannels, channels) << kind;
        EXPECT_EQ(w->programEditor->lDmxSlave(1)->text(), QString::number(channels + 1)) << kind;
    }
}

TEST_F(UploadTest, ARefusedOrUnansweredPacketStopsAProgramUpload) {
    struct Case {
        uint8_t kind;
        int nackAt, silentAt;
        size_t packets;
        uint8_t pendingAfter;
        bool gauge;
        QString line;
        int progress = -1; // the gauge's value when it was left standing
    };
    const Case cases[] = {
        {2, 5, 0, 5, 0, true,
         "Program upload stopped at program 1, part 4, refused (NACK reason 0x0006): 7FF3:00000001 - 0"},
        {9, 25, 0, 25, 0, true,
         "Program upload stopped at program 2, part 3, refused (NACK reason 0x0006): 7FF3:00000001 - 0"},
        // No answer: the upload ends where it got to, and no later answer
        // (another device's, another request's) carries it on.
        {2, 0, 3, 3, RdmOpNone, true, "", 3},
        {10, 0, 30, 30, RdmOpNone, true, "", (125 + 8 * 6) / 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.packets);
        UseKind(c.kind);
        ClearLog();
        dev->nackAt = c.nackAt;
        dev->silentAt = c.silentAt;
        Upload("Programok");
        EXPECT_EQ(Sent().size(), c.packets);
        EXPECT_EQ(St().RdmPendingOp, c.pendingAfter);
        EXPECT_EQ(w->prgUi->gPrg->isVisibleTo(w), c.gauge);
        EXPECT_EQ(Log(), c.line.isEmpty() ? QStringList{} : QStringList{c.line});
        if (c.progress >= 0) {
            EXPECT_EQ(w->prgUi->gPrg->value(), c.progress);
            // It stays where it stopped, past the deadline and the looks of its watch.
            QTest::qWait(1200);
            EXPECT_TRUE(w->prgUi->gPrg->isVisibleTo(w));
            EXPECT_EQ(w->prgUi->gPrg->value(), c.progress);
            EXPECT_EQ(Sent().size(), c.packets);
        }
    }
}

TEST_F(UploadTest, AProgramUploadStopsAndSaysWhyOnceTheSelectionOrTreeChangedInAPause) {
    const std::function<void(UploadTest&)> rebuildTree = [](UploadTest& t) {
        // As a new discovery or the demo would: the same device, in new nodes.
        QTreeWidget* tree = t.view->tree();
        ClearDeviceTree(tree);
        AddDeviceNode(tree, nullptr, "7FF3")->record().nodeKind = NodeKindGroup;
        tRdmDevice& r = AddDeviceNode(tree, NodeAt(tree, 0), "Maker device")->record();
        r.nodeKind = NodeKindDevice;
        r.uid = Uid;
        r.DeviceKind = t.dev->kind;
    };
    struct Case {
        const char* name;
        uint8_t kind;
        std::function<void(UploadTest&)> change;
        const char* why;
    };
    const Case cases[] = {
        {"another device selected", 2, [](UploadTest& t) { t.view->RdmCurrentNode() = 2; },
         "the selected device changed"},
        {"the group selected", 8, [](UploadTest& t) { t.view->RdmCurrentNode() = 0; },
         "the selected device changed"},
        {"tree rebuilt alike", 2, rebuildTree, "the device tree changed"},
        {"tree rebuilt alike, five colours", 9, rebuildTree, "the device tree changed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UseKind(c.kind);
        // A second device of the same kind at node 2, that a late answer must not reach.
        const auto other = AddOtherDevice(c.kind);
        ClearLog();
        dev->rdm.silent = true;
        Upload("Programok");
        const bool five = c.kind != 2;
        const int pid = five ? 0x8008 : 0x8006;
        // The first packet answered: a pause runs, and the selection or the tree changes meanwhile.
        if (five)
            maker->SendNextProgramBlock(tRdmMessage{});
        else
            maker->SendNextProgramSteps(tRdmMessage{});
        c.change(*this);
        SettleLong();
        const QStringList stopped{QStringLiteral("Program upload stopped at program 1, part 0, %1: "
                                                 "7FF3:00000001 - 0")
                                      .arg(c.why)};
        EXPECT_EQ(Log(), stopped);
        EXPECT_FALSE(w->prgUi->gPrg->isVisibleTo(w));
        EXPECT_EQ(St().RdmPendingOp, 0);

        // The device's answer to that packet, late: it starts nothing again.
        const auto frame = BuildRdmAnswerFrame(0x7FF100000000ull, Uid, 0, 0, 0, 0x31, uint16_t(pid), {});
        for (const auto& report : SimRdmLine::SplitAnswer(frame, 60))
            box->PushReport(std::vector<uint8_t>(report.begin(), report.begin() + 64));
        SettleLong();
        EXPECT_EQ(PacketsSent(pid), (std::vector<std::pair<int, int>>{{1, 0}}));
        EXPECT_TRUE(other->rdm.received.empty());
        EXPECT_EQ(Log(), stopped);
        EXPECT_FALSE(w->prgUi->gPrg->isVisibleTo(w));
        EXPECT_EQ(St().RdmPendingOp, 0);
        line->rdm.responders.pop_back();
    }
}

TEST_F(UploadTest, AProgramUploadStopsWhenTheSelectionOrTreeChangesWhileAPacketIsOnItsWay) {
    struct Case {
        const char* name;
        uint8_t kind;
        int heldAt; // the packet whose answer is on its way during the change
        bool rebuildTree;
        const char* line;
    };
    const Case cases[] = {
        {"another device clicked, three colours", 2, 5, false,
         "Program upload stopped at program 1, part 4, the selected device changed: 7FF3:00000001 - 0"},
        {"another device clicked, five colours", 9, 25, false,
         "Program upload stopped at program 2, part 3, the selected device changed: 7FF3:00000001 - 0"},
        // The selected node keeps its number, but holds another device now.
        {"the tree rebuilt with the other device at the selected node", 2, 1, true,
         "Program upload stopped at program 1, part 0, the device tree changed: 7FF3:00000001 - 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UseKind(c.kind);
        const auto other = AddOtherDevice(c.kind);
        ClearLog();
        HoldAnswerTo(c.heldAt);
        Upload("Programok");
        ASSERT_EQ(Sent().size(), size_t(c.heldAt));
        ASSERT_GT(box->HeldCount(), 0);
        if (c.rebuildTree) {
            QTreeWidget* tree = view->tree();
            ClearDeviceTree(tree);
            AddDeviceNode(tree, nullptr, "7FF3")->record().nodeKind = NodeKindGroup;
            tRdmDevice& r = AddDeviceNode(tree, NodeAt(tree, 0), "Other device")->record();
            r.nodeKind = NodeKindDevice;
            r.uid = OtherUid;
            r.DeviceKind = c.kind;
        } else {
            ClickNode(2);
        }
        ReleaseAnswers();
        EXPECT_EQ(Sent().size(), size_t(c.heldAt));
        EXPECT_TRUE(other->programPackets.empty());
        EXPECT_EQ(Log(), QStringList{c.line});
        EXPECT_FALSE(w->prgUi->gPrg->isVisibleTo(w));
        EXPECT_EQ(St().RdmPendingOp, 0);
        line->rdm.responders.pop_back();
    }
}

// Pressed again while the upload waits in its pause before the next packet,
// the button is refused: the running upload goes on with that packet.
TEST_F(UploadTest, AnUploadPressedAgainDuringAPauseIsRefusedAndTheRunningOneGoesOn) {
    UseKind(2);
    dev->rdm.silent = true;
    Upload("Programok");
    ClearLog();
    // The first packet answered (its handler called by hand, its operation
    // still pending): a pause runs.
    St().RdmPendingOp = RdmOpProgramSteps;
    maker->SendNextProgramSteps(tRdmMessage{});
    w->prgUi->btnPrgEszkozbe->click(); // and the user presses again meanwhile
    SettleLong();
    EXPECT_EQ(Log(), QStringList{"Program upload not sent, an answer is awaited from: 7FF3:00000001 - 0"});
    EXPECT_EQ(PacketsSent(0x8006), (std::vector<std::pair<int, int>>{{1, 0}, {1, 1}}));
    EXPECT_EQ(maker->UploadPartIndex, 1);
    EXPECT_EQ(St().Asked.op, RdmOpProgramSteps); // its packet, unanswered in turn
}

TEST_F(UploadTest, AProgramReadStopsOnARefusalOrANumberOutOfRange) {
    struct Case {
        uint8_t kind;
        int nackAt;
        int tamperAt;
        int index; // byte of the answer changed
        uint8_t value;
        QString line;
    };
    const Case cases[] = {
        {2, 3, 0, 0, 0, "Program read stopped, refused (NACK reason 0x0006): 7FF3:00000001 - 0"},
        {2, 0, 4, 0, 12, "Program packet out of range (program 12, part 3), read stopped: 7FF3:00000001 - 0"},
        {2, 0, 4, 0, 0, "Program packet out of range (program 0, part 3), read stopped: 7FF3:00000001 - 0"},
        {4, 0, 2, 1, 11, "Program packet out of range (program 1, part 11), read stopped: 7FF3:00000001 - 0"},
        {8, 0, 7, 1, 21, "Program packet out of range (program 1, part 21), read stopped: 7FF3:00000001 - 0"},
        {8, 0, 7, 0, 10, "Program packet out of range (program 10, part 6), read stopped: 7FF3:00000001 - 0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line.toStdString());
        UseKind(c.kind);
        ScramblePrograms();
        ClearLog();
        dev->nackAt = c.nackAt;
        dev->tamper = [&c](int n, Data& d) {
            if (n == c.tamperAt) d[size_t(c.index)] = c.value;
        };
        Click(Spec().btnRdmGetPrg);
        EXPECT_EQ(Sent().size(), size_t(std::max(c.nackAt, c.tamperAt)));
        EXPECT_EQ(Log(), (QStringList{"Get program data from: 7FF3:00000001 - 0", c.line}));
        // What did arrive is kept; what did not is left alone.
        EXPECT_EQ(Programs().Colour(9, 10, 20, 1), 0x5A);
    }
}

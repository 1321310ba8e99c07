// Every hold of the RDM page ends: a request whose report never comes, an
// interface pulled out, DEMO pressed, a report the program never read. Once
// the line is quiet, a click is taken and a Modify goes to the device shown;
// nothing of an earlier operation moves the selection or ends another
// device's operation.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <map>

#include "app/Kerdes.h"
#include "line_hold_fixture.h"

namespace {

using LineHoldEnds = LineHold;

// The SETs of display level a device received, by their value.
std::vector<int> DisplayLevelsSet(const SimRdmResponder& d) {
    std::vector<int> v;
    for (const auto& f : d.received)
        if (f[20] == 0x30 && ((f[21] << 8) | f[22]) == 0x0501 && f[23] == 1) v.push_back(f[24]);
    return v;
}

} // namespace

// The interface's report of a GET of the reading again never comes: the GET
// counts as unanswered at its deadline, is asked again, and the reading ends.
TEST_F(LineHoldEnds, AReadingAgainWhoseReportNeverComesGoesOnByItsResend) {
    HoldAnswerTo(dev1, 0x20, 0x00C0);
    Set("cbPersonality", 1);
    Press("btnModDmxPers");
    ASSERT_TRUE(RunFor(2000, [&] { return box->HeldCount() >= 1; }));
    LoseFirstHeldReport();

    EXPECT_TRUE(RunFor(3000, [&] { return Lines("Process ready") > 0; })) << Tail();
    Settle();
    EXPECT_EQ(Log(), (QStringList{"Send new dmx personality to: 7FF3:00000001 - 0", "New dmx personality set",
                                  "Waiting for answer...", "Process ready"}));
    EXPECT_EQ(Count(dev1, 0x20, 0x00C0), 2);
    EXPECT_EQ(Rec(1).currentPersonality, 2);
    EXPECT_TRUE(dev2.received.empty());
    ExpectAClickOnDevice2TakenAndModifiable();
}

// The deadline runs from when the request leaves the interface queue: a SET
// that waits there longer than the deadline (the interface does not ask for
// it) is still awaited, a click meanwhile waits, and its answer is taken.
TEST_F(LineHoldEnds, TheDeadlineRunsFromWhenTheRequestLeavesTheQueue) {
    box->HoldInput(true); // the interface's asks for data are kept back
    Set("seLampHours", 777);
    Press("btnModLampHours");
    ClickItem(tree, NodeAt(tree, 2));
    QTest::qWait(TDM::RdmAnswerDeadlineMs + 200);
    ASSERT_EQ(Count(dev1, 0x30, 0x0401), 0) << "the SET is still in the queue";
    EXPECT_EQ(tree->currentItem(), NodeAt(tree, 2));
    EXPECT_EQ(view->RdmCurrentNode(), 1) << "the click waits for the operation";
    EXPECT_EQ(Find<QLabel>("lUidD")->text(), FormatRdmUid(Uid1));

    ReleaseAnswers();
    EXPECT_EQ(Log(), (QStringList{"Send new lamp hours: 7FF3:00000001 - 0", "Lamp hours modified"}));
    EXPECT_EQ(Count(dev1, 0x30, 0x0401), 1);
    EXPECT_EQ(Rec(1).lampHours, 777u);
    EXPECT_EQ(Rec(2).lampHours, 10u);
    EXPECT_EQ(view->RdmCurrentNode(), 2) << "the held click is taken once the operation ended";
    ExpectAClickOnDevice2TakenAndModifiable();
}

// The interface pulled out in the pause after a personality SET's answer:
// the operation ends there, nothing of it is queued or sent, and a click is
// taken while the interface is out.
TEST_F(LineHoldEnds, TheInterfacePulledOutInThePauseAfterAPersonalitySetEndsIt) {
    Set("cbPersonality", 1);
    Press("btnModDmxPers");
    ASSERT_TRUE(RunFor(2000, [&] { return dm->Pausing(); })) << "the SET was answered";
    platform->Unplug(box);
    Settle();

    EXPECT_EQ(Count(dev1, 0x20, 0x0060), 0) << "the device is not read again";
    EXPECT_EQ(dm->TxQueue.Count, 0) << "nothing is queued for an interface that is not there";
    ClickItem(tree, NodeAt(tree, 2));
    Settle();
    EXPECT_EQ(tree->currentItem(), NodeAt(tree, 2));
    EXPECT_EQ(view->RdmCurrentNode(), 2);
    EXPECT_EQ(Find<QLabel>("lUidD")->text(), FormatRdmUid(Uid2));

    ReplugAndExpectNoRequest("the operation");
}

// DEMO pressed while a device is read again: the reading ends, and the
// demo's nodes are taken by a click and sent from by the quiet-identify box.
TEST_F(LineHoldEnds, DemoPressedWhileADeviceIsReadAgainEndsTheReading) {
    Set("cbPersonality", 1);
    Press("btnModDmxPers");
    ASSERT_TRUE(RunFor(2000, [&] { return Count(dev1, 0x20, 0x0060) > 0; })) << "the reading again has begun";
    const size_t received = dev1.received.size();
    // DEMO's handler: with this interface the button itself is hidden.
    view->btnDemoDiscClick();
    Settle();
    EXPECT_EQ(dev1.received.size(), received) << "nothing more of the reading goes out";

    ClearLog();
    QTreeWidgetItem* demoNode = NodeAt(tree, 2);
    ASSERT_NE(demoNode, nullptr);
    ClickItem(tree, demoNode);
    Settle();
    EXPECT_EQ(tree->currentItem(), demoNode);
    EXPECT_EQ(view->RdmCurrentNode(), 2);
    EXPECT_EQ(Find<QLabel>("lUidD")->text(), QStringLiteral("7FF3:042DD93A"));

    auto* quiet = Find<QCheckBox>("cbQuietIdentify");
    QTest::mouseClick(quiet, Qt::LeftButton, {}, QPoint(5, quiet->height() / 2));
    Settle();
    EXPECT_EQ(Lines("not sent"), 0) << Tail();
    EXPECT_EQ(Lines("Send new identify mode to: 7FF3:042DD93A - 0"), 1) << Tail();
}

// A personality SET's answer held past its deadline: the click on device 2
// made meanwhile is taken at the deadline, and the answer that comes after
// it is late and taken for nothing; it reads no device again and moves no
// selection.
TEST_F(LineHoldEnds, AnAnswerAfterItsDeadlineLeavesTheSelectionToTheUser) {
    HoldAnswerTo(dev1, 0x30, 0x00E0);
    Set("cbPersonality", 1);
    Press("btnModDmxPers");
    ASSERT_TRUE(RunFor(2000, [&] { return box->HeldCount() >= 1; }));
    ClickItem(tree, NodeAt(tree, 2));
    ASSERT_TRUE(RunFor(3000, [&] { return Find<QLabel>("lUidD")->text() == FormatRdmUid(Uid2); }))
        << "the held click is taken at the deadline";
    ReleaseAnswers();

    EXPECT_EQ(tree->currentItem(), NodeAt(tree, 2));
    EXPECT_EQ(view->RdmCurrentNode(), 2);
    EXPECT_EQ(Find<QLabel>("lUidD")->text(), FormatRdmUid(Uid2));
    EXPECT_EQ(Count(dev1, 0x20, 0x0060), 0) << "the late answer reads the device not again";
    EXPECT_EQ(Lines("New dmx personality set"), 0);
    EXPECT_EQ(Lines("Process ready"), 0);
    EXPECT_TRUE(dev2.received.empty());
    ExpectAClickOnDevice2TakenAndModifiable();
}

namespace {

// Which report of the interface is lost while a Modify's SET is handed over.
enum class Lost { TheAskForTheSet, TheAskAfterTheSetsLastChunk };

class LostReport : public LineHold, public ::testing::WithParamInterface<Lost> {};

} // namespace

// One report of the interface is lost (the program read its input too
// slowly): the packet queue announces its packet again, a later Modify
// reaches its device, and a discovery ends.
TEST_P(LostReport, DoesNotSilenceTheLine) {
    Set("seDispLevel", 37);
    box->HoldInput(true);
    Press("btnDispLevel");
    if (GetParam() == Lost::TheAskAfterTheSetsLastChunk) {
        ASSERT_TRUE(RunFor(2000, [&] { return box->HeldCount() >= 1; }));
        box->ReleaseInput(1);
        ASSERT_TRUE(RunFor(2000, [&] { return Count(dev1, 0x30, 0x0501) == 1; }));
    }
    // The ask for the chunk now due is the first report held.
    ASSERT_TRUE(RunFor(2000, [&] { return box->HeldCount() >= 1; }));
    LoseFirstHeldReport();

    // The SET goes out once the queue announces it again, and is read back.
    RunFor(3000, [&] { return Lines("Display level modified") > 0; });
    ClearLog();
    Set("seDispLevel", 38);
    Press("btnDispLevel");
    EXPECT_TRUE(RunFor(3000, [&] {
        const auto levels = DisplayLevelsSet(dev1);
        return std::find(levels.begin(), levels.end(), 38) != levels.end();
    })) << Tail();
    Settle();
    EXPECT_EQ(Log(), (QStringList{"Send new display level: 7FF3:00000001 - 0", "Display level modified"}));
    EXPECT_EQ(Rec(1).displayLevel, 38);
    EXPECT_TRUE(dev2.received.empty());

    Press("btnDiscovery");
    EXPECT_TRUE(RunFor(5000, [&] { return !view->RunInProgress(); })) << Tail();
    Settle();
    EXPECT_TRUE(Find<QPushButton>("btnDiscovery")->isEnabled());
    EXPECT_EQ(Lines("Number of discovered units: 2"), 1) << Tail();
    EXPECT_EQ(Lines("Process ready"), 1);
    EXPECT_GE(NodeOf(Uid1), 0);
    EXPECT_GE(NodeOf(Uid2), 0);
}
INSTANTIATE_TEST_SUITE_P(LineHoldEnds, LostReport,
                         ::testing::Values(Lost::TheAskForTheSet, Lost::TheAskAfterTheSetsLastChunk),
                         [](const auto& info) {
                             return std::string(info.param == Lost::TheAskForTheSet
                                                    ? "TheAskForTheSet"
                                                    : "TheAskAfterTheSetsLastChunk");
                         });

namespace {

// How a personality SET goes unanswered.
enum class Unanswered { Silent, Garbled, Short };

class UnansweredPersonality : public LineHold, public ::testing::WithParamInterface<Unanswered> {};

} // namespace

// A personality SET to device 1 that got no answer ends there: the RESET
// pressed next for device 2 is an operation of its own, and its answer
// reads no device again.
TEST_P(UnansweredPersonality, IsNotFinishedByTheAnswerToALaterSet) {
    const Unanswered how = GetParam();
    onRequest = [&, how](SimRdmResponder& r, uint8_t cc, uint16_t pid) -> std::optional<Reply> {
        if (&r != &dev1 || cc != 0x30 || pid != 0x00E0) return std::nullopt;
        switch (how) {
        case Unanswered::Silent:
            return NoAnswer();
        case Unanswered::Garbled:
            r.garbled = true;
            return std::nullopt;
        case Unanswered::Short: {
            Reply cut;
            cut.cutTo = 20;
            return cut;
        }
        }
        return std::nullopt;
    };
    Set("cbPersonality", 1);
    Press("btnModDmxPers");
    Settle();
    ASSERT_EQ(Count(dev1, 0x30, 0x00E0), 1);
    ClickItem(tree, NodeAt(tree, 2));
    Settle();
    ASSERT_EQ(Find<QLabel>("lUidD")->text(), FormatRdmUid(Uid2)) << "the click is taken";

    ClearLog();
    dev1.received.clear();
    w->frmKerdes->setAnswerer([](TModalDialog& d) {
        d.findChild<QRadioButton*>("rbWarm")->click();
        d.findChild<QPushButton*>("btnOk")->click();
    });
    Press("btnReset");
    Settle();

    EXPECT_EQ(Log(), QStringList{"Set RESET in: 7FF3:00000002 - 0"});
    EXPECT_EQ(behaviour2.resets, Data{0x01});
    EXPECT_EQ(Count(dev2, 0x20, 0x0060), 0) << "device 2 is not read again";
    EXPECT_EQ(Count(dev2, 0x30, 0x00E0), 0);
    EXPECT_TRUE(dev1.received.empty());
    EXPECT_EQ(view->RdmCurrentNode(), 2);
}
INSTANTIATE_TEST_SUITE_P(LineHoldEnds, UnansweredPersonality,
                         ::testing::Values(Unanswered::Silent, Unanswered::Garbled, Unanswered::Short),
                         [](const auto& info) {
                             switch (info.param) {
                             case Unanswered::Silent:
                                 return std::string("Silent");
                             case Unanswered::Garbled:
                                 return std::string("Garbled");
                             case Unanswered::Short:
                                 return std::string("Short");
                             }
                             return std::string();
                         });

// A request pressed for while the interface is out is not kept for the next
// one: plugged in again, the device receives nothing of it.
TEST_F(LineHoldEnds, ARequestPressedWhileTheInterfaceIsOutIsNotSentWhenItIsBack) {
    Rec(1).DeviceKind = 1; // one of the maker's kinds: its Special tab sends
    ClickItem(tree, NodeAt(tree, 1));
    Settle();
    platform->Unplug(box);
    Settle();
    Find<QPushButton>("btnRdmSendSpec")->click();
    Settle();
    EXPECT_EQ(dm->TxQueue.Count, 0);
    ReplugAndExpectNoRequest("what was pressed");
}

// A click held while a run reads the devices, and the interface pulled out:
// the run ends, and the click is taken in the tree it was made in, so the
// page works on the node the tree shows.
TEST_F(LineHoldEnds, AClickHeldByARunCutShortByTheRemovalIsTaken) {
    view->btnDiscoveryClick();
    ASSERT_TRUE(RunFor(3000, [&] { return view->RunInProgress() && NodeOf(Uid2) > 0; }));
    QTreeWidgetItem* second = NodeAt(tree, NodeOf(Uid2));
    ClickItem(tree, second);
    ASSERT_EQ(view->RdmCurrentNode(), 1) << "held while the run reads the devices";
    platform->Unplug(box);
    Settle();
    EXPECT_FALSE(view->RunInProgress());
    EXPECT_EQ(tree->currentItem(), second);
    EXPECT_EQ(view->RdmCurrentNode(), NodeOf(Uid2));
}

// A Modify pressed while the interface is out is refused with its line: the
// record and the page keep the device's value, and nothing of it goes out
// once the interface is back.
TEST_F(LineHoldEnds, AModifyWhileTheInterfaceIsOutIsRefusedAndKeepsTheValue) {
    struct Row {
        const char* button;
        std::function<void()> change;
        std::function<bool()> unchanged;
        QString line;
    };
    const Row rows[] = {
        {"btnModDevLab", [this] { Find<QLineEdit>("eDeviceLabel")->setText("Truss 3"); },
         [this] { return Rec(1).deviceLabel == "Stage left"; },
         "Device label not sent: no USB interface is connected"},
        {"btnModLampHours", [this] { Set("seLampHours", 777); }, [this] { return Rec(1).lampHours == 10u; },
         "Lamp hours not sent: no USB interface is connected"},
        {"btnModDmxAdr", [this] { Set("seDmxStartAdrD", 99); },
         [this] { return Rec(1).dmxStartAddress == 1; },
         "Dmx address not sent: no USB interface is connected"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.button);
        platform->Unplug(box);
        Settle();
        ClickItem(tree, NodeAt(tree, 1)); // the page shows the device again
        Settle();
        ClearLog();
        row.change();
        Press(row.button);
        Settle();
        EXPECT_EQ(Log(), QStringList{row.line});
        EXPECT_TRUE(row.unchanged());
        ReplugAndExpectNoRequest("the Modify");
        Reset();
    }
}

// DEMO replaces the tree under the page: the page no longer shows the device
// it showed, and works on no node of the demo's until one is picked.
TEST_F(LineHoldEnds, DemoClearsThePageOfTheDeviceItShowed) {
    Rec(1).DeviceKind = 1; // one of the maker's kinds: its Special tab shows
    ClickItem(tree, NodeAt(tree, 1));
    Settle();
    ASSERT_EQ(Find<QLabel>("lUidD")->text(), FormatRdmUid(Uid1));
    view->btnDemoDiscClick(); // the button itself is hidden with this interface
    Settle();
    EXPECT_NE(Find<QLabel>("lUidD")->text(), FormatRdmUid(Uid1));
    EXPECT_EQ(view->RdmCurrentNode(), 0);
    auto* tabs = Find<QTabWidget>("pcRdm");
    EXPECT_FALSE(tabs->isTabVisible(tabs->indexOf(Find<QWidget>("tsSpecial"))));
}

namespace {

// What runs when the interface stops asking for data.
enum class StallDuring { Modify, ReadingAgain, Scan };
struct StallRow {
    const char* name;
    StallDuring during;
    uint64_t device; // the stall begins when this device receives
    uint8_t cc;      // this request
    uint16_t pid;
    // The interface also holds back its reports from the moment that request
    // has left: its ask for the next packet, then the request's answer (and
    // an earlier one's still on its way), which all come after the stall, in order.
    bool holdsReports = false;
    int stallMs = 3500;
    // The Modify goes to device 2, clicked just before it: the click's read
    // of the device's mode goes out back to back with the Modify's SET.
    bool clickFirst = false;
    // The most requests of one kind the device gets after the stall: a
    // reading back sent again in place of the SET's written-off answer is
    // taken for that answer, and the reading back follows.
    int mostOfOne = 1;
};
void PrintTo(const StallRow& r, std::ostream* os) {
    *os << r.name;
}
const StallRow stallRows[] = {
    {"AfterAModify", StallDuring::Modify, 0x7FF300000001ull, 0x30, 0x00F0},
    {"DuringAReadingAgain", StallDuring::ReadingAgain, 0x7FF300000001ull, 0x20, 0x0060},
    {"DuringAScan", StallDuring::Scan, 0x7FF300000002ull, 0x20, 0x00C0},
    // Both answers are written off at the deadline and come after the
    // reading back's GET has left: neither stands for its report.
    {"AfterAClickAndAModifyWithTheirAnswersHeld", StallDuring::Modify, 0x7FF300000002ull, 0x30, 0x00F0, true,
     3500, true, 2},
    // The SET waits in the queue behind the stall: its deadline is not the
    // mode read's, which left before it.
    {"AfterAClicksModeReadWithTheSetQueued", StallDuring::Modify, 0x7FF300000002ull, 0x20, 0x8000, true, 2000,
     true},
    {"JustAfterAScansDeviceInfoWithItsAnswerHeld", StallDuring::Scan, 0x7FF300000001ull, 0x20, 0x0060, true,
     1300},
};

class InterfaceStall : public LineHold, public ::testing::WithParamInterface<StallRow> {
protected:
    // From the row's request on, the interface asks for nothing for a while
    // (a busy hub, a stalled interface), then asks again.
    void StallAtTheRowsRequest() {
        const StallRow& row = GetParam();
        if (row.holdsReports) {
            box->stallAt = [this, row](const sim::SimLinkPacket& p) {
                const auto& b = p.bytes;
                if (p.type != 0x40 || b.size() < 26 || b[23] != row.cc || (b[24] << 8 | b[25]) != row.pid)
                    return false;
                uint64_t to = 0;
                for (size_t k = 6; k < 12; ++k)
                    to = to << 8 | b[k];
                if (to != row.device) return false;
                NoteTheStall();
                ++receivedBeforeStall[row.device == Uid1 ? 0 : 1]; // the request itself, about to arrive
                QTimer::singleShot(row.stallMs, view, [this] { box->Unstall(); });
                return true;
            };
            return;
        }
        onRequest = [this, armed = std::make_shared<bool>(true)](SimRdmResponder& r, uint8_t cc,
                                                                 uint16_t pid) -> std::optional<Reply> {
            const StallRow& row = GetParam();
            if (*armed && r.uid == row.device && cc == row.cc && pid == row.pid) {
                *armed = false;
                NoteTheStall();
                box->autoCredit = false;
                QTimer::singleShot(row.stallMs, view, [this] {
                    box->autoCredit = true;
                    box->SendCredit(box->credit);
                });
            }
            return std::nullopt;
        };
    }
    void NoteTheStall() {
        for (SimRdmResponder* d : {&dev1, &dev2})
            receivedBeforeStall.push_back(d->received.size());
    }

    // The most requests of one kind (command, PID and data) a device got
    // since the stall began.
    int MostOfOneRequestSinceTheStall(const SimRdmResponder& d, size_t from) const {
        std::map<std::vector<uint8_t>, int> counts;
        for (size_t i = from; i < d.received.size(); ++i) {
            const auto& f = d.received[i];
            ++counts[std::vector<uint8_t>(f.begin() + 20, f.begin() + 24 + f[23])];
        }
        int most = 0;
        for (const auto& [request, n] : counts)
            most = std::max(most, n);
        return most;
    }
    static int RequestsSinceTheStall(const SimRdmResponder& d, size_t from, uint16_t pid) {
        int n = 0;
        for (size_t i = from; i < d.received.size(); ++i)
            n += (d.received[i][21] << 8 | d.received[i][22]) == pid;
        return n;
    }
    SimRdmResponder& Dev(uint64_t uid) { return uid == Uid1 ? dev1 : dev2; }

    std::vector<size_t> receivedBeforeStall;
};

} // namespace

// Every request written off at the queue's deadline is taken out of the
// queue: when the interface asks again, only the request that replaced it
// goes out. Every report, however late, is counted against its own request.
// The operation ends with one verdict, the records hold what the devices
// hold, and every device is read.
TEST_P(InterfaceStall, EndsWithOneVerdictAndEveryDeviceRead) {
    const StallRow& row = GetParam();
    StallAtTheRowsRequest();
    switch (row.during) {
    case StallDuring::Modify:
        if (row.clickFirst) {
            Rec(1).DeviceKind = Rec(2).DeviceKind = 1; // a click reads the mode of the maker's devices
            ClickItem(tree, NodeAt(tree, 2));
        }
        Set("seDmxStartAdrD", 100);
        Press("btnModDmxAdr");
        break;
    case StallDuring::ReadingAgain:
        Set("cbPersonality", 1);
        Press("btnModDmxPers");
        break;
    case StallDuring::Scan:
        Press("btnDiscovery");
        break;
    }
    const QString verdict = row.during == StallDuring::Modify ? "Dmx address modified" : "Process ready";
    ASSERT_TRUE(RunFor(row.stallMs + 5000, [&] { return Lines(verdict) > 0; })) << Tail(20);
    Settle();
    ASSERT_EQ(receivedBeforeStall.size(), 2u) << "the stall began";
    EXPECT_TRUE(box->autoCredit) << "the interface asked again";

    EXPECT_EQ(Lines(verdict), 1) << Tail(20);
    EXPECT_EQ(Lines("can not be modified"), 0) << Tail(20);
    EXPECT_EQ(Lines("No answer to GET"), 0) << Tail(20);
    // A written-off request never goes out after the one that replaced it,
    // and a late answer never stands for a later request's: the device is
    // asked each thing once after the stall.
    const size_t from = receivedBeforeStall[row.device == Uid1 ? 0 : 1];
    const int most = row.mostOfOne;
    EXPECT_EQ(MostOfOneRequestSinceTheStall(Dev(row.device), from), most);
    EXPECT_LE(RequestsSinceTheStall(Dev(row.device), from, row.pid), 3);
    EXPECT_LE(MostOfOneRequestSinceTheStall(dev1, receivedBeforeStall[0]), most);
    EXPECT_LE(MostOfOneRequestSinceTheStall(dev2, receivedBeforeStall[1]), most);
    switch (row.during) {
    case StallDuring::Modify: {
        const uint64_t other = row.device == Uid1 ? Uid2 : Uid1;
        EXPECT_EQ(Dev(row.device).values[0x00F0], (Data{0, 100}));
        EXPECT_EQ(Rec(NodeOf(row.device)).dmxStartAddress, 100);
        EXPECT_EQ(Count(Dev(other), 0x30, 0x00F0), 0);
        EXPECT_EQ(Rec(NodeOf(other)).dmxStartAddress, 1);
        break;
    }
    case StallDuring::ReadingAgain:
        EXPECT_EQ(Lines("New dmx personality set"), 1);
        EXPECT_EQ(Rec(1).currentPersonality, 2);
        EXPECT_EQ(Rec(1).deviceLabel, "Stage left") << "the device was read to its end";
        EXPECT_TRUE(dev2.received.empty());
        break;
    case StallDuring::Scan:
        ExpectBothDevicesFoundAndRead();
        break;
    }
    onRequest = nullptr;
    ExpectAClickOnDevice2TakenAndModifiable();
}
INSTANTIATE_TEST_SUITE_P(LineHoldEnds, InterfaceStall, ::testing::ValuesIn(stallRows),
                         [](const auto& info) { return std::string(info.param.name); });

namespace {

// What keeps a search's report from coming in time.
enum class SearchFault { StallAsPressed, StallAfterFirstBranch, BranchReportLost, QueueFull, EndlessStall };
struct SearchRow {
    const char* name;
    SearchFault fault;
};
void PrintTo(const SearchRow& r, std::ostream* os) {
    *os << r.name;
}
const SearchRow searchRows[] = {
    {"AStallAsDiscoveryIsPressed", SearchFault::StallAsPressed},
    {"AStallJustAfterTheFirstBranchLeft", SearchFault::StallAfterFirstBranch},
    {"ABranchReportLostOutright", SearchFault::BranchReportLost},
    {"ABranchTheFullQueueRefuses", SearchFault::QueueFull},
    {"AStallThatNeverEnds", SearchFault::EndlessStall},
};

class SearchStall : public LineHold, public ::testing::WithParamInterface<SearchRow> {};

} // namespace

// A deadline is no report: the search never prunes a branch for it. It asks
// the same request again (or takes the late report when it comes), finds
// both devices and scans them. An interface that never takes or answers the
// search ends the run with a line that says so, and no count.
TEST_P(SearchStall, FindsEveryDeviceOrEndsWithItsLine) {
    const SearchRow& row = GetParam();
    const size_t packetsBefore = box->packets.size();
    switch (row.fault) {
    case SearchFault::StallAsPressed:
        box->Stall();
        QTimer::singleShot(3500, view, [this] { box->Unstall(); });
        break;
    case SearchFault::StallAfterFirstBranch:
        box->stallAt = [this](const sim::SimLinkPacket& p) {
            if (p.type != 0x60) return false;
            QTimer::singleShot(1500, view, [this] { box->Unstall(); });
            return true;
        };
        break;
    case SearchFault::BranchReportLost:
        // The first branch's report: the first report of the line.
        box->loseNext = [](const sim::RawReport& r) { return r.size() > 2 && r[1] == 11; };
        break;
    case SearchFault::QueueFull: {
        // The interface has stopped asking for a while, and the queue is
        // full: the run's un-mute is refused too, and the devices are still
        // muted by the run before.
        for (SimDiscoveryResponder& d :
             std::static_pointer_cast<SimRdmDiscoveryLinkLine>(line)->discovery.responders)
            d.muted = true;
        box->autoCredit = false;
        FillTheQueue();
        QTimer::singleShot(500, view, [this] {
            box->autoCredit = true;
            box->SendCredit(box->credit);
        });
        break;
    }
    case SearchFault::EndlessStall:
        // Every request of the search is written off in the queue; the
        // deadlines of its twenty asks are brought forward.
        box->Stall();
        break;
    }
    Press("btnDiscovery");
    if (row.fault == SearchFault::EndlessStall) {
        auto* deadline = dm->findChild<QTimer*>("rdmDeadline");
        for (int ask = 0; ask < RdmDiscovery::AsksUnansweredMax && view->DiscoveryRunning; ++ask) {
            ASSERT_EQ(Log().filter("Disc.branch:").size(), ask + 1);
            deadline->start(0);
            RunFor(20, [] { return false; });
        }
        EXPECT_FALSE(view->DiscoveryRunning) << Tail(20);
        EXPECT_EQ(Log().filter("Disc.branch:").size(), RdmDiscovery::AsksUnansweredMax);
        EXPECT_EQ(Log().back(), "Discovery stopped: the USB interface did not take or answer the search");
        EXPECT_EQ(Lines("Number of discovered units"), 0);
        EXPECT_TRUE(Find<QPushButton>("btnDiscovery")->isEnabled());
        box->Unstall();
        Settle();
        ASSERT_EQ(box->packets.size(), packetsBefore + 1) << "only the broadcast un-mute was left to go";
        EXPECT_EQ(box->packets.back().type, 0x20);
        return;
    }
    ASSERT_TRUE(RunFor(10000, [&] { return Lines("Process ready") > 0; })) << Tail(20);
    Settle();
    EXPECT_EQ(Lines("Number of discovered units: 0"), 0);
    ExpectBothDevicesFoundAndRead();
    ExpectAClickOnDevice2TakenAndModifiable();
}
INSTANTIATE_TEST_SUITE_P(LineHoldEnds, SearchStall, ::testing::ValuesIn(searchRows),
                         [](const auto& info) { return std::string(info.param.name); });

// The interface takes the first chunk of a device label's SET and then asks
// for nothing, while still connected. The deadline ends the label's wait all
// the same, and the page is free; a SET the full queue refuses meanwhile
// takes its no-answer path at once. The label's SET cannot be taken back:
// once the interface asks again it goes on, its answer is taken for its own,
// and a Modify queued behind it gets its verdict.
TEST_F(LineHoldEnds, AnInterfaceStuckInsideAPacketHoldsThePageOnlyToItsDeadline) {
    const QString label = QStringLiteral("Truss 3 over the stage, far left"); // 32 characters: two chunks
    box->autoCredit = false;
    Find<QLineEdit>("eDeviceLabel")->setText(label);
    Press("btnModDevLab");
    box->SendCredit(box->credit); // the first chunk goes, and nothing more is asked
    RunFor(50, [] { return false; });
    ASSERT_EQ(dm->TxQueue.Count, 1);
    ASSERT_GT(dm->TxQueue.Offset, 0);
    ASSERT_GT(dm->TxQueue.BytesLeft, 0) << "the label's SET is partly sent";
    EXPECT_TRUE(view->LineHeld());
    ASSERT_TRUE(RunFor(TDM::RdmQueueDeadlineMs + 500, [&] { return !view->LineHeld(); }))
        << "the deadline frees the page";
    EXPECT_EQ(dm->TxQueue.Count, 1) << "the SET partly sent stays";

    // A click is taken; a Modify the full queue refuses holds nothing.
    ClickItem(tree, NodeAt(tree, 2));
    Settle();
    ASSERT_EQ(view->RdmCurrentNode(), 2);
    FillTheQueue();
    Set("seLampHours", 777);
    Press("btnModLampHours");
    RunFor(100, [] { return false; });
    EXPECT_EQ(Lines("Packet queue full: packet not sent"), 1);
    EXPECT_FALSE(view->LineHeld()) << "the refused SET takes its no-answer path at once";

    // The interface asks again: the label's SET goes on, then the frames.
    box->autoCredit = true;
    box->SendCredit(box->credit);
    ASSERT_TRUE(RunFor(5000, [&] { return dm->TxQueue.Count == 0; }));
    Settle();
    EXPECT_EQ(Count(dev1, 0x30, 0x0082), 1);
    const QByteArray bytes = label.toLatin1();
    EXPECT_EQ(dev1.values[0x0082], Data(bytes.begin(), bytes.end()));
    EXPECT_EQ(Count(dev2, 0x30, 0x0401), 0) << "the refused SET never leaves";
    EXPECT_EQ(Lines("Device label modified"), 0) << "the label's operation ended at its deadline";
    EXPECT_EQ(Lines("can not be modified"), 0) << Tail();
    ExpectAClickOnDevice2TakenAndModifiable();
}

// A scan's device stays silent, and its resend finds the queue full: the
// scan goes on without it at once, and so with the next device, whose
// request is refused too. The run ends while the interface is still away,
// and none of the refused requests ever goes out.
TEST_F(LineHoldEnds, AScanWhoseResendTheFullQueueRefusesGoesOnWithoutTheDevice) {
    onRequest = [](SimRdmResponder& r, uint8_t cc, uint16_t pid) -> std::optional<Reply> {
        if (r.uid == Uid1 && cc == 0x20 && pid == 0x0060) return NoAnswer();
        return std::nullopt;
    };
    // The interface stops asking, and the queue fills just before the report of none comes.
    box->loseNext = [this, filled = false](const sim::RawReport& r) mutable {
        if (filled || r.size() < 3 || r[1] != 11 || r[2] != 2 || Count(dev1, 0x20, 0x0060) == 0) return false;
        filled = true;
        box->autoCredit = false;
        FillTheQueue();
        return false;
    };
    Press("btnDiscovery");
    ASSERT_TRUE(RunFor(5000, [&] { return !view->RunInProgress(); })) << Tail(20);
    box->loseNext = nullptr;
    EXPECT_FALSE(box->autoCredit) << "the run ended while the interface was away";
    for (uint64_t uid : {Uid1, Uid2})
        EXPECT_EQ(Lines("the scan goes on without this device: " + FormatRdmUid(uid)), 1) << Tail(20);
    // Device 1's resend; device 2's request, and its resend.
    EXPECT_EQ(Lines("Packet queue full: packet not sent"), 3) << Tail(20);
    EXPECT_FALSE(view->LineHeld());
    const size_t got1 = dev1.received.size(), got2 = dev2.received.size();

    box->autoCredit = true;
    box->SendCredit(box->credit);
    ASSERT_TRUE(RunFor(5000, [&] { return dm->TxQueue.Count == 0; }));
    Settle();
    EXPECT_EQ(dev1.received.size(), got1);
    EXPECT_EQ(dev2.received.size(), got2);
    const int node = NodeOf(Uid2);
    ASSERT_GE(node, 0);
    ClickItem(tree, NodeAt(tree, node));
    Settle();
    EXPECT_EQ(view->RdmCurrentNode(), node) << "the click is taken";
}

// A request the full queue refuses opens nothing: its operation takes its
// no-answer path at once, a resend refused too ends it, and a click is taken
// while the interface is still away. Neither ever goes out.
TEST_F(LineHoldEnds, ARequestTheFullQueueRefusesHoldsNothing) {
    box->autoCredit = false; // the interface asks for nothing
    FillTheQueue();
    Set("seDmxStartAdrD", 100);
    Press("btnModDmxAdr");
    ClickItem(tree, NodeAt(tree, 2));
    RunFor(100, [] { return false; });

    EXPECT_EQ(Log(), (QStringList{"Packet queue full: packet not sent",
                                  "Send new dmx address (100) to: 7FF3:00000001 - 0",
                                  "Packet queue full: packet not sent"}));
    EXPECT_FALSE(view->LineHeld());
    EXPECT_EQ(view->RdmCurrentNode(), 2) << "the click is taken";
    EXPECT_EQ(Find<QLabel>("lUidD")->text(), FormatRdmUid(Uid2));

    box->autoCredit = true;
    box->SendCredit(box->credit);
    ASSERT_TRUE(RunFor(5000, [&] { return dm->TxQueue.Count == 0; }));
    Settle();
    EXPECT_TRUE(dev1.received.empty());
    EXPECT_TRUE(dev2.received.empty());
    ExpectAClickOnDevice2TakenAndModifiable();
}

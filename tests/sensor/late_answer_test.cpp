// The interface brings one report for each request: an answer, or a report
// of none. A device's answer that comes only in the report of the next
// request (a late answer) is no answer to that request; the line goes on as
// it does when a device stays silent.
#include <QPushButton>
#include <QTabWidget>

#include "line_hold_fixture.h"

namespace {

using LateAnswer = LineHold;

// The GETs that a device answers late once, by the name of their PID.
struct LateGet {
    const char* name;
    uint16_t pid;
};
const LateGet lateGets[] = {{"DEVICE_INFO", 0x0060}, {"DMX_START_ADDRESS", 0x00F0}, {"LAMP_HOURS", 0x0401}};
void PrintTo(const LateGet& g, std::ostream* os) {
    *os << g.name;
}
const auto lateGetName = [](const auto& info) { return std::string(info.param.name); };

class LateOnce : public LineHold, public ::testing::WithParamInterface<LateGet> {
protected:
    // `device` answers the next GET of the row's PID late, and every other request on time.
    void AnswersLateOnce(SimRdmResponder& device) {
        onRequest = [this, d = &device, once = std::make_shared<bool>(true)](
                        SimRdmResponder& r, uint8_t cc, uint16_t pid) -> std::optional<Reply> {
            if (&r == d && cc == 0x20 && pid == GetParam().pid && *once) {
                *once = false;
                r.late = true;
            }
            return std::nullopt;
        };
    }
};

} // namespace

// A device that answers one GET of the scan late is asked again at once,
// and the run reads it to its end.
using LateOnceInTheScan = LateOnce;
TEST_P(LateOnceInTheScan, GoesOnAtOnceAndReadsTheDevice) {
    dev2.SetDeviceInfo(0x0042, 0x0101, 1, 2, 17, 0, 0, 4);
    dev2.values[0x0401] = {0, 0, 0, 44};
    AnswersLateOnce(dev2);
    Press("btnDiscovery");
    // Nothing is left on its way: the run must not wait on a deadline.
    Settle();

    ASSERT_FALSE(view->RunInProgress()) << Tail();
    EXPECT_TRUE(Find<QPushButton>("btnDiscovery")->isEnabled());
    EXPECT_EQ(Lines("Number of discovered units: 2"), 1);
    EXPECT_EQ(Lines("Process ready"), 1);
    EXPECT_EQ(Lines("Waiting for answer..."), 2) << "the late answer counts as none to the resend";
    EXPECT_EQ(Lines("No answer to GET"), 0);
    EXPECT_EQ(Count(dev2, 0x20, GetParam().pid), 3);
    const int node = NodeOf(Uid2);
    ASSERT_GE(node, 0);
    EXPECT_EQ(Rec(node).dmxStartAddress, 17);
    EXPECT_EQ(Rec(node).lampHours, 44u);
    EXPECT_EQ(Rec(node).displayLevel, 100) << "the scan went on after the late answer";
    ForgetLateAnswers();
    ExpectAClickOnDevice2TakenAndModifiable();
}
INSTANTIATE_TEST_SUITE_P(LateAnswer, LateOnceInTheScan, ::testing::ValuesIn(lateGets), lateGetName);

// The reading again after a personality change goes on the same way.
using LateOnceInAReadingAgain = LateOnce;
TEST_P(LateOnceInAReadingAgain, EndsWithProcessReady) {
    AnswersLateOnce(dev1);
    Set("cbPersonality", 1);
    Press("btnModDmxPers");
    Settle();

    EXPECT_EQ(Log(), (QStringList{"Send new dmx personality to: 7FF3:00000001 - 0", "New dmx personality set",
                                  "Waiting for answer...", "Waiting for answer...", "Process ready"}));
    EXPECT_EQ(Count(dev1, 0x20, GetParam().pid), 3);
    EXPECT_EQ(Rec(1).currentPersonality, 2);
    EXPECT_EQ(view->RdmCurrentNode(), 1);
    EXPECT_TRUE(dev2.received.empty());
    ForgetLateAnswers();
    ExpectAClickOnDevice2TakenAndModifiable();
}
INSTANTIATE_TEST_SUITE_P(LateAnswer, LateOnceInAReadingAgain, ::testing::ValuesIn(lateGets), lateGetName);

namespace {

// An operation on device 1, started by a Modify, whose device answers late
// from one GET on.
struct AlwaysLateRow {
    const char* name;
    uint16_t latePid; // the device is late from this GET on
    const char *input, *button;
    int value;
    QStringList firstLines, lastLines;
    int waiting;  // "Waiting for answer..." lines
    int lateGets; // GETs of latePid the device receives
};

void PrintTo(const AlwaysLateRow& r, std::ostream* os) {
    *os << r.name;
}

class AlwaysLate : public LineHold, public ::testing::WithParamInterface<AlwaysLateRow> {};

// clang-format off
const AlwaysLateRow alwaysLateRows[] = {
    {"ReadingAgainAfterAPersonalityChange", 0x0060, "cbPersonality", "btnModDmxPers", 1,
     {"Send new dmx personality to: 7FF3:00000001 - 0", "New dmx personality set"},
     {"Dmx personality can not be modified",
      "No answer to GET 0x0060, the scan goes on without this device: 7FF3:00000001 - 0", "Process ready"},
     20, 21},
    {"DmxAddressReadBack", 0x00F0, "seDmxStartAdrD", "btnModDmxAdr", 100,
     {"Send new dmx address (100) to: 7FF3:00000001 - 0"}, {}, 0, 21},
};
// clang-format on

} // namespace

// Every answer of the device comes in the next request's report: each report
// counts as none, and the operation ends after its bounded resends, so that
// the page is free again.
TEST_P(AlwaysLate, TheOperationEndsAfterItsBoundedResends) {
    const AlwaysLateRow& row = GetParam();
    onRequest = [&, late = std::make_shared<bool>(false)](SimRdmResponder& r, uint8_t cc,
                                                          uint16_t pid) -> std::optional<Reply> {
        if (&r == &dev1 && cc == 0x20 && pid == row.latePid) *late = true;
        if (&r == &dev1) r.late = *late;
        return std::nullopt;
    };
    Set(row.input, row.value);
    Press(row.button);
    Settle();

    const QStringList log = Log();
    EXPECT_EQ(log.mid(0, row.firstLines.size()), row.firstLines) << Tail(30);
    EXPECT_EQ(log.mid(log.size() - row.lastLines.size()), row.lastLines) << Tail(30);
    EXPECT_EQ(Lines("Waiting for answer..."), row.waiting);
    EXPECT_EQ(Lines("Dmx address modified"), 0) << "nothing was read back";
    EXPECT_EQ(Count(dev1, 0x20, row.latePid), row.lateGets);
    EXPECT_TRUE(dev2.received.empty());
    onRequest = nullptr;
    ForgetLateAnswers();
    ExpectAClickOnDevice2TakenAndModifiable();
}
INSTANTIATE_TEST_SUITE_P(LateAnswer, AlwaysLate, ::testing::ValuesIn(alwaysLateRows),
                         [](const auto& info) { return std::string(info.param.name); });

// A poll's report still on its way when a SET goes out belongs to the poll:
// it is dropped, and the SET's own answer is taken after it. A report lost
// before the SET's answer (the poll's answer or its report of none, or the
// interface's ask for the SET) costs the SET nothing: its answer is known by
// what it carries, and is taken as soon as it comes.
namespace {
struct PollReportRow {
    const char* name;
    bool pollAnswered;   // the poll's report is an answer, not a report of none
    bool pollReportLost; // it never reaches the program
    bool askLost;        // nor does the interface's first ask for the SET
};
void PrintTo(const PollReportRow& r, std::ostream* os) {
    *os << r.name;
}
const PollReportRow pollReportRows[] = {
    {"AnAnswer", true, false, false},           {"AReportOfNoAnswer", false, false, false},
    {"AnAnswerLost", true, true, false},        {"AReportOfNoAnswerLost", false, true, false},
    {"TheAskForTheSetLost", true, false, true},
};
} // namespace

class PollReportOnItsWay : public LineHold, public ::testing::WithParamInterface<PollReportRow> {};
TEST_P(PollReportOnItsWay, IsDroppedAndTheSetsOwnAnswerTaken) {
    const PollReportRow& row = GetParam();
    view->Discovery.DiscoveredCount = 2;
    auto* tabs = Find<QTabWidget>("pcRdm");
    tabs->setCurrentWidget(Find<QWidget>("tsErzekelok"));
    dm->tmrSensor->stop();
    ClearLog();
    dev1.received.clear();

    // The poll goes out; its report is kept on the line.
    HoldAnswerTo(dev1, 0x20, 0x0201);
    const auto hold = onRequest;
    onRequest = [&, hold](SimRdmResponder& r, uint8_t cc, uint16_t pid) -> std::optional<Reply> {
        hold(r, cc, pid);
        if (!row.pollAnswered && cc == 0x20 && pid == 0x0201) return NoAnswer();
        return std::nullopt;
    };
    dm->tmrSensorTimer();
    ASSERT_TRUE(RunFor(2000, [&] { return box->HeldCount() >= 1; })) << "the poll's report is on its way";
    ASSERT_EQ(Count(dev1, 0x20, 0x0201), 1);
    const sim::RawReport pollReport = TakeFirstHeld();

    // The user goes to the details and sends lamp hours: the SET leaves and
    // reaches the device while the poll's report is still on its way.
    tabs->setCurrentIndex(0);
    Set("seLampHours", 777);
    Press("btnModLampHours");
    ASSERT_TRUE(RunFor(2000, [&] { return box->HeldCount() >= 1; }));
    if (row.askLost) {
        TakeFirstHeld();
        // The packet is announced again, and the interface asks again.
        ASSERT_TRUE(RunFor(2000, [&] { return box->HeldCount() >= 1; }));
    }
    box->ReleaseInput(1); // the interface's ask for the SET
    ASSERT_TRUE(RunFor(2000, [&] { return Count(dev1, 0x30, 0x0401) == 1; }));
    // The interface brings the reports in the order of their requests.
    if (!row.pollReportLost) PutBackFirst(pollReport);
    box->HoldInput(false);
    box->ReleaseInput();
    // The SET's answer is taken when it comes: had it been missed, its
    // deadline would have ended the operation with no verdict, or sent again.
    ASSERT_TRUE(RunFor(TDM::RdmQueueDeadlineMs, [&] { return Lines("Lamp hours modified") == 1; })) << Tail();
    Settle();

    EXPECT_EQ(Log(), (QStringList{"Send new lamp hours: 7FF3:00000001 - 0", "Lamp hours modified"}));
    EXPECT_EQ(Count(dev1, 0x30, 0x0401), 1) << "the SET was not sent again";
    EXPECT_EQ(Count(dev1, 0x20, 0x0401), 1) << "its value was read back once";
    EXPECT_EQ(Rec(1).lampHours, 777u);
    EXPECT_TRUE(dev2.received.empty());
    ExpectAClickOnDevice2TakenAndModifiable();
}
INSTANTIATE_TEST_SUITE_P(LateAnswer, PollReportOnItsWay, ::testing::ValuesIn(pollReportRows),
                         [](const auto& info) { return std::string(info.param.name); });

// DISCOVERY pressed while the report of a SET to a silent device is on its
// way: that report is the SET's, not the answer to the search's first branch.
TEST_F(LateAnswer, DiscoveryPressedWhileANoAnswerReportIsOnItsWayFindsBothDevices) {
    HoldAnswerTo(dev1, 0x30, 0x0401);
    const auto hold = onRequest;
    onRequest = [&, hold](SimRdmResponder& r, uint8_t cc, uint16_t pid) -> std::optional<Reply> {
        hold(r, cc, pid);
        if (&r == &dev1 && cc == 0x30 && pid == 0x0401) return NoAnswer();
        return std::nullopt;
    };
    Set("seLampHours", 777);
    Press("btnModLampHours");
    ASSERT_TRUE(RunFor(2000, [&] { return box->HeldCount() >= 1; }))
        << "the report of no answer is on its way";
    Press("btnDiscovery");
    ReleaseAnswers();

    EXPECT_FALSE(view->RunInProgress());
    EXPECT_TRUE(Find<QPushButton>("btnDiscovery")->isEnabled());
    EXPECT_EQ(Lines("Number of discovered units: 2"), 1) << Tail();
    EXPECT_EQ(Lines("Process ready"), 1);
    for (uint64_t uid : {Uid1, Uid2}) {
        const int node = NodeOf(uid);
        ASSERT_GE(node, 0) << FormatRdmUid(uid).toStdString();
        EXPECT_EQ(Rec(node).lampHours, 10u);
        EXPECT_EQ(Rec(node).deviceLabel, "Stage left");
    }
    ExpectAClickOnDevice2TakenAndModifiable();
}

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <QThread>
#include <functional>

#include "RdmDeviceFixture.h"
#include "rdm/rdm_discovery.h"
#include "rdm/rdm_ops.h"

namespace {

// The two devices on a line whose answers come a few milliseconds after each
// request, as on a real line, with the RDM page shown and its tree open.
class AnswerOwner : public RdmDeviceFixture {
protected:
    void SetUp() override {
        RdmDeviceFixture::SetUp();
        line->answerDelayMs = 4;
        // A test can keep the answer to one request on the line: the
        // interface's input is held from the moment the device receives it.
        for (SimRdmResponder* d : {&dev1, &dev2})
            d->extension = [this, inner = d->extension](SimRdmResponder& r, uint8_t cc, uint16_t pid,
                                                        std::span<const uint8_t> data) {
                if (holdAt.device == &r && holdAt.cc == cc && holdAt.pid == pid) {
                    holdAt.device = nullptr;
                    box->HoldInput(true);
                }
                return inner(r, cc, pid, data);
            };
        w->showMainPage("RDM");
        tree->expandAll();
        Reset();
    }

    // Both devices and their records as the fixture made them, device 1
    // selected in the tree and on the page, the details tab open.
    void Reset() { RestoreBothDevices(); }

    // Arms the hold: the answer to the next such request to `device` stays on the line.
    void HoldAnswerTo(SimRdmResponder& device, uint8_t cc, uint16_t pid) { holdAt = {&device, cc, pid}; }
    void ReleaseAnswers() {
        box->HoldInput(false);
        box->ReleaseInput();
        Settle();
    }

    // Presses a Modify button without waiting for what follows.
    void Press(const char* button) { Find<QPushButton>(button)->click(); }
    void Modify(const char* input, int value, const char* button) {
        Set(input, value);
        Click(button);
    }


    // The page and the selection show device 2, and a Modify goes to it only.
    void ExpectDevice2TakenAndModifiable() {
        EXPECT_EQ(view->RdmCurrentNode(), 2);
        EXPECT_EQ(tree->currentItem(), NodeAt(tree, 2));
        EXPECT_EQ(Find<QLabel>("lUidD")->text(), FormatRdmUid(Uid2));
        ClearLog();
        dev1.received.clear();
        dev2.received.clear();
        const int level = Rec(2).displayLevel + 1;
        Modify("seDispLevel", level, "btnDispLevel");
        EXPECT_TRUE(dev1.received.empty());
        EXPECT_EQ(Count(dev2, 0x30, 0x0501), 1);
        EXPECT_EQ(Rec(2).displayLevel, level);
        EXPECT_EQ(Log(),
                  (QStringList{"Send new display level: 7FF3:00000002 - 0", "Display level modified"}));
    }

    struct {
        SimRdmResponder* device = nullptr;
        uint8_t cc = 0;
        uint16_t pid = 0;
    } holdAt;
};

} // namespace

// Device 1's answer is on its way when the user clicks device 2: the answer
// is still device 1's, whatever is selected when it comes.
TEST_F(AnswerOwner, AClickOnTheOtherDeviceWhileAnAnswerIsOnItsWay) {
    struct Row {
        const char* name;
        std::function<void()> prepare; // before the log is cleared
        uint8_t cc;                    // the request whose answer is on its way at the click
        uint16_t pid;
        std::function<void()> start;
        bool clickWaits; // an operation's answer holds the selection; a poll's does not
        QStringList lines;
        std::function<void()> expect; // device 1's record, and the page of device 2
    };
    // clang-format off
    const Row rows[] = {
        {"one-byte verify", [] {}, 0x20, 0x0403, [&] { Set("cbLampState", 3); Press("btnModLampState"); }, true,
         {"Send new lamp state: 7FF3:00000001 - 0", "Lamp state modified"},
         [&] { EXPECT_EQ(Rec(1).lampState, 3); EXPECT_EQ(Find<QLabel>("lLampState")->text(), " LAMP OFF"); }},
        {"four-byte verify",
         [&] { dev2.values[0x0401] = {0, 0, 0, 20}; Rec(2).lampHours = 20; }, 0x20, 0x0401,
         [&] { Set("seLampHours", 777); Press("btnModLampHours"); }, true,
         {"Send new lamp hours: 7FF3:00000001 - 0", "Lamp hours modified"},
         [&] { EXPECT_EQ(Rec(1).lampHours, 777u); EXPECT_EQ(Find<QSpinBox>("seLampHours")->value(), 20); }},
        {"address verify", [] {}, 0x20, 0x00F0, [&] { Set("seDmxStartAdrD", 100); Press("btnModDmxAdr"); }, true,
         {"Send new dmx address (100) to: 7FF3:00000001 - 0", "Dmx address modified"},
         [&] { EXPECT_EQ(Rec(1).dmxStartAddress, 100); EXPECT_EQ(Find<QSpinBox>("seDmxStartAdrD")->value(), 1); }},
        {"reading again after a personality change", [] {}, 0x20, 0x0060,
         [&] { Set("cbPersonality", 1); Press("btnModDmxPers"); }, true,
         {"Send new dmx personality to: 7FF3:00000001 - 0", "New dmx personality set", "Process ready"},
         [&] {
             EXPECT_EQ(Rec(1).currentPersonality, 2);
             EXPECT_GT(Count(dev1, 0x20, 0x00E1), 0) << "its personalities are read again";
             EXPECT_EQ(Find<QComboBox>("cbPersonality")->currentIndex(), 0);
         }},
        {"sensor poll",
         [&] {
             behaviour1.sensors = {{.unit = 1, .description = "Driver temperature", .present = 43}};
             behaviour1.PublishSensors();
             RdmState& st = dm->RdmGlobals();
             st.AwaitingAnswer = 1;
             st.RdmPendingOp = RdmOpScan;
             st.RdmCurrentPid = 0x0060;
             st.AskItemIndex = 0;
             dm->SendRdmRequest(0, 0x20, Uid1, 0x0060, 0, st.RdmParamData, 0x40);
             Settle();
             ASSERT_EQ(Rec(1).sensorCount, 1);
             view->Discovery.DiscoveredCount = 2;
             Find<QTabWidget>("pcRdm")->setCurrentWidget(Find<QWidget>("tsErzekelok"));
         },
         0x20, 0x0201, [&] { dm->tmrSensorTimer(); }, false, {},
         [&] {
             EXPECT_EQ(Find<QLabel>("lSensName1")->text(), "Sensor - not defined");
             EXPECT_EQ(Find<QLabel>("lSensCurr1")->text(), "---") << "device 1's value is not shown as device 2's";
         }},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Reset();
        row.prepare();
        ClearLog();
        dev1.received.clear();
        const tRdmDevice device2 = Rec(2);
        HoldAnswerTo(dev1, row.cc, row.pid);
        row.start();
        Settle();
        ASSERT_GE(box->HeldCount(), 1) << "the answer is on its way";

        ClickItem(tree, NodeAt(tree, 2));
        Settle();
        EXPECT_EQ(tree->currentItem(), NodeAt(tree, 2)) << "the tree shows the click at once";
        EXPECT_EQ(view->RdmCurrentNode(), row.clickWaits ? 1 : 2);

        ReleaseAnswers();
        EXPECT_TRUE(Rec(2) == device2) << "nothing of device 1's answer went into device 2's record";
        EXPECT_TRUE(dev2.received.empty());
        EXPECT_EQ(Log(), row.lines) << "the verdict is the device's own, given once";
        row.expect();
        ExpectDevice2TakenAndModifiable();
    }
}

// A second personality pressed while the first is read back is not sent:
// the reading ends once, with what the device holds, and device 1 stays the
// one the page and the next Modify act on.
TEST_F(AnswerOwner, TwoPersonalitySetsInARowStayWithTheDeviceSelected) {
    const tRdmDevice device2 = Rec(2);
    Set("cbPersonality", 1);
    Press("btnModDmxPers");
    ASSERT_TRUE(RunUntil([&] { return Count(dev1, 0x20, 0x0060) > 0; }));
    ASSERT_TRUE(view->ScanHoldsTheLine()) << "the device is being read again";
    Set("cbPersonality", 0);
    Press("btnModDmxPers");
    Settle();
    Modify("seLampHours", 777, "btnModLampHours");

    EXPECT_TRUE(dev2.received.empty());
    EXPECT_EQ(Count(dev1, 0x30, 0x00E0), 1);
    EXPECT_TRUE(Rec(2) == device2);
    EXPECT_EQ(Rec(1).currentPersonality, 2);
    EXPECT_EQ(Rec(1).lampHours, 777u);
    EXPECT_EQ(Lines("Dmx personality not sent, the device is being read: 7FF3:00000001 - 0"), 1);
    EXPECT_EQ(Lines("Send new dmx personality"), 1);
    EXPECT_EQ(Lines("Process ready"), 1);
    EXPECT_EQ(Lines("can not be modified"), 0) << Log().join('\n').toStdString();
    EXPECT_EQ(Log().mid(Log().size() - 2),
              (QStringList{"Send new lamp hours: 7FF3:00000001 - 0", "Lamp hours modified"}));
    EXPECT_EQ(view->RdmCurrentNode(), 1);
}

// The arrow keys select as a click does, and like a click wait while an
// operation's answer is on its way.
TEST_F(AnswerOwner, TheArrowKeysSelectAsAClickDoes) {
    QApplication::setActiveWindow(w);
    tree->setFocus();
    QTest::keyClick(tree, Qt::Key_Down);
    Settle();
    ExpectDevice2TakenAndModifiable();

    QTest::keyClick(tree, Qt::Key_Up);
    Settle();
    ASSERT_EQ(view->RdmCurrentNode(), 1);
    ClearLog();
    HoldAnswerTo(dev1, 0x20, 0x0401);
    Set("seLampHours", 777);
    Press("btnModLampHours");
    Settle();
    ASSERT_GE(box->HeldCount(), 1);
    QTest::keyClick(tree, Qt::Key_Down);
    Settle();
    EXPECT_EQ(tree->currentItem(), NodeAt(tree, 2));
    EXPECT_EQ(view->RdmCurrentNode(), 1) << "held while the answer is on its way";
    EXPECT_EQ(Find<QLabel>("lUidD")->text(), FormatRdmUid(Uid1));
    ReleaseAnswers();
    EXPECT_EQ(Log(), (QStringList{"Send new lamp hours: 7FF3:00000001 - 0", "Lamp hours modified"}));
    EXPECT_EQ(Rec(1).lampHours, 777u);
    EXPECT_EQ(Rec(2).lampHours, 10u);
    ExpectDevice2TakenAndModifiable();
}

// A Modify pressed while another operation on the device waits for its
// answer is refused with one line, and nothing of it reaches the line; the
// operation ends as it would alone.
TEST_F(AnswerOwner, AModifyWhileAnotherOperationWaitsIsRefused) {
    struct Button {
        const char *button, *what;
        std::function<void(bool readingAgain)> choose;
        uint16_t pid;
    };
    // clang-format off
    const Button buttons[] = {
        {"btnModDmxAdr", "Dmx address", [&](bool) { Set("seDmxStartAdrD", 100); }, 0x00F0},
        {"btnModDmxPers", "Dmx personality", [&](bool again) { Set("cbPersonality", again ? 0 : 1); }, 0x00E0},
        {"btnModDevLab", "Device label", [&](bool) { Find<QLineEdit>("eDeviceLabel")->setText("Truss 3"); }, 0x0082},
        {"btnModLampHours", "Lamp hours", [&](bool) { Set("seLampHours", 555); }, 0x0401},
        {"btnDispLevel", "Display level", [&](bool) { Set("seDispLevel", 37); }, 0x0501},
    };
    // clang-format on
    for (bool readingAgain : {true, false}) {
        for (const Button& b : buttons) {
            SCOPED_TRACE(std::string(b.button) +
                         (readingAgain ? " during a reading again" : " during a verify"));
            Reset();
            // The earlier operation: a personality change read back, or lamp hours verified.
            if (readingAgain) {
                HoldAnswerTo(dev1, 0x20, 0x0060);
                Set("cbPersonality", 1);
                Press("btnModDmxPers");
            } else {
                HoldAnswerTo(dev1, 0x20, 0x0401);
                Set("seLampHours", 777);
                Press("btnModLampHours");
            }
            Settle();
            ASSERT_GE(box->HeldCount(), 1);
            const int sets = Count(dev1, 0x30, b.pid);
            b.choose(readingAgain);
            ASSERT_TRUE(Find<QPushButton>(b.button)->isEnabled());
            Click(b.button);
            ReleaseAnswers();

            EXPECT_EQ(
                Log().filter("not sent"),
                QStringList{QString(b.what) +
                            (readingAgain ? " not sent, the device is being read: 7FF3:00000001 - 0"
                                          : " not sent, an answer is awaited from: 7FF3:00000001 - 0")});
            EXPECT_EQ(Count(dev1, 0x30, b.pid), sets) << "nothing of the refused SET went out";
            EXPECT_TRUE(dev2.received.empty());
            EXPECT_EQ(Lines("can not be modified"), 0) << Log().join('\n').toStdString();
            if (readingAgain) {
                EXPECT_EQ(Lines("New dmx personality set"), 1);
                EXPECT_EQ(Lines("Process ready"), 1);
                EXPECT_GT(Count(dev1, 0x20, 0x00E1), 0) << "the personalities are read again";
            } else {
                EXPECT_EQ(Log().last(), "Lamp hours modified");
            }
            // The record holds what the device holds.
            const tRdmDevice& r = Rec(1);
            EXPECT_EQ(r.currentPersonality, readingAgain ? 2 : 1);
            EXPECT_EQ(r.lampHours, readingAgain ? 10u : 777u);
            EXPECT_EQ(r.dmxStartAddress, 1);
            EXPECT_EQ(r.deviceLabel, "Stage left");
            EXPECT_EQ(r.displayLevel, 100);
            EXPECT_EQ(view->RdmCurrentNode(), 1);
            EXPECT_EQ(tree->currentItem(), NodeAt(tree, 1));
        }
    }
}

// A group node is no device, though its record carries device 1's UID: after
// device 2 it offers no Modify, and one pressed anyway (enabled by force)
// sends nothing and changes no record. Details cleared when the interface
// goes offer none either.
TEST_F(AnswerOwner, AGroupNodeAndClearedDetailsOfferNoModify) {
    const char* modifies[] = {"btnModDmxAdr",      "btnModDmxPers",   "btnModDevLab",    "btnModLang",
                              "btnModLampHours",   "btnModDevPowCyc", "btnModLampState", "btnModLampOnMode",
                              "btnModLampStrikes", "btnDispInv",      "btnDispLevel",    "btnPanInv",
                              "btnTiltInv",        "btnPTSwap",       "btnModPowState",  "btnIdentify",
                              "btnSetFactDef",     "btnReset"};
    const struct {
        const char* name;
        std::function<void()> leave; // device 2 for this
        bool pressAnyway;
    } rows[] = {
        {"the group node", [&] { ClickItem(tree, NodeAt(tree, 0)); }, true},
        {"the interface removed", [&] { platform->Unplug(box); }, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ClickItem(tree, NodeAt(tree, 2));
        Settle();
        Set("cbPTSwap", 1); // changed on device 2, not sent
        ASSERT_TRUE(Find<QPushButton>("btnPTSwap")->isEnabled());
        row.leave();
        Settle();
        for (const char* button : modifies)
            EXPECT_FALSE(Find<QPushButton>(button)->isEnabled()) << button;
        EXPECT_FALSE(Find<QComboBox>("cbPTSwap")->isEnabled());
        EXPECT_FALSE(Find<QCheckBox>("cbQuietIdentify")->isEnabled());
        if (!row.pressAnyway) continue;

        ASSERT_EQ(view->RdmCurrentNode(), 0);
        const tRdmDevice group = Rec(0), device1 = Rec(1), device2 = Rec(2);
        ClearLog();
        dev1.received.clear();
        dev2.received.clear();
        Set("cbPTSwap", 1);
        Set("cbPanInv", 1);
        Set("seDispLevel", 7);
        Set("seDmxStartAdrD", 9);
        Set("seLampHours", 5);
        for (const char* button : modifies) {
            // The two that ask first would wait for the question's answer.
            if (QByteArray(button) == "btnSetFactDef" || QByteArray(button) == "btnReset") continue;
            Find<QPushButton>(button)->setEnabled(true);
            Click(button);
        }
        auto* quiet = Find<QCheckBox>("cbQuietIdentify");
        quiet->setEnabled(true);
        QTest::mouseClick(quiet, Qt::LeftButton, {}, QPoint(5, quiet->height() / 2));
        Settle();
        EXPECT_TRUE(dev1.received.empty());
        EXPECT_TRUE(dev2.received.empty());
        EXPECT_TRUE(Log().isEmpty()) << Log().join('\n').toStdString();
        EXPECT_TRUE(Rec(0) == group);
        EXPECT_TRUE(Rec(1) == device1);
        EXPECT_TRUE(Rec(2) == device2);
    }
}

// Random sequences of what a user and a late DMX line do to the RDM page:
// clicks and arrow keys in the tree, Modify buttons, tabs, the Special tab's
// and the sensors' buttons, remote keys, DEMO, DISCOVERY, pulling the
// interface out, and devices that turn silent, late, slow or garbled, or
// reports that are lost. After every action, whenever nothing holds the
// line, the page shows the node the tree shows. Whatever a sequence did, once
// the line is quiet: the page is free, each device's record holds only its own
// values, every SET reached only the device shown when it was pressed, and
// every run ends.
//
// TAMARIND_RANDOM_SEQUENCES sets how many sequences run (a few by default);
// TAMARIND_RANDOM_SEED the seed of the first. A failing sequence prints its
// seed and its actions; TAMARIND_RANDOM_VERBOSE prints each action as it runs,
// TAMARIND_RANDOM_ACTIONS sets their number, and TAMARIND_RANDOM_SKIP or
// TAMARIND_RANDOM_ONLY (lists of action numbers) leave some out, and
// TAMARIND_RANDOM_WITHOUT (a list of kinds, as "lost,slow") leaves out a
// kind of line fault ("silent", "late", "garbled", "slow", "lost", "stall",
// "lost ask", "lost answer", "lost no-answer", "fill"), "unplug", "demo" or "drag".
#include <QTest>
#include <QTimer>
#include <climits>
#include <cstdlib>
#include <iostream>
#include <map>

#include "maker/Shapes.h"
#include "support/log_access.h"
#include "ui_RemoteAccess.h"
#include "ui_SpecialTab.h"
#include "views/hold_random_fixture.h"
#include "views/remacc.h"

namespace {

int EnvNumber(const char* name, int fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::atoi(v) : fallback;
}

const int kFirstSeed = EnvNumber("TAMARIND_RANDOM_SEED", 1);
const int kSequences = EnvNumber("TAMARIND_RANDOM_SEQUENCES", 2);
std::set<int> EnvNumbers(const char* name) {
    std::set<int> numbers;
    for (const QString& n : QString::fromLocal8Bit(qgetenv(name)).split(',', Qt::SkipEmptyParts))
        numbers.insert(n.trimmed().toInt());
    return numbers;
}

// Actions of the sequence left out, or the only ones done.
const std::set<int> kSkip = EnvNumbers("TAMARIND_RANDOM_SKIP");
const std::set<int> kOnly = EnvNumbers("TAMARIND_RANDOM_ONLY");
// Kinds of action left out (see above).
const QStringList kWithout =
    QString::fromLocal8Bit(qgetenv("TAMARIND_RANDOM_WITHOUT")).split(',', Qt::SkipEmptyParts);
const bool kVerbose = EnvNumber("TAMARIND_RANDOM_VERBOSE", 0) != 0;
const int kActions = EnvNumber("TAMARIND_RANDOM_ACTIONS", 30);

// A Modify of the parameter page: its button, its input and the SET it sends.
enum class Input { Number, Choice, Label, Toggle, None };
struct ModifyRow {
    const char* button; // for the toggle, the check box itself
    const char* input;
    uint16_t pid;
    Input kind;
    int lo = 0, hi = 0; // a number's range
    // The name its verdict ("... modified", "... can not be modified") and
    // its refusal ("... not sent...") begin with; none for the commands
    // without a verdict.
    const char* what = nullptr;
};
const ModifyRow kModifies[] = {
    {"btnModDevLab", "eDeviceLabel", 0x0082, Input::Label, 0, 0, "Device label"},
    {"btnModDmxAdr", "seDmxStartAdrD", 0x00F0, Input::Number, 1, 500, "Dmx address"},
    {"btnModDmxPers", "cbPersonality", 0x00E0, Input::Choice},
    {"btnModLampHours", "seLampHours", 0x0401, Input::Number, 1000, 90000, "Lamp hours"},
    {"btnModDevPowCyc", "seDevPowCyc", 0x0405, Input::Number, 1000, 90000, "Device power cycles"},
    {"btnModLampState", "cbLampState", 0x0403, Input::Choice, 0, 0, "Lamp state"},
    {"btnModLampOnMode", "cbLampOnMode", 0x0404, Input::Choice, 0, 0, "Lamp on mode"},
    {"btnDispInv", "cbDispInv", 0x0500, Input::Choice, 0, 0, "Display invert"},
    {"btnDispLevel", "seDispLevel", 0x0501, Input::Number, 0, 250, "Display level"},
    {"btnPanInv", "cbPanInv", 0x0600, Input::Choice, 0, 0, "PAN invert"},
    {"btnTiltInv", "cbTiltInv", 0x0601, Input::Choice, 0, 0, "TILT invert"},
    {"btnPTSwap", "cbPTSwap", 0x0602, Input::Choice, 0, 0, "PAN TILT swap"},
    {"btnModPowState", "cbPowState", 0x1010, Input::Choice, 0, 0, "Power state"},
    {"cbQuietIdentify", nullptr, 0x1040, Input::Toggle, 0, 0, "Identify mode"},
    {"btnIdentify", nullptr, 0x1000, Input::None},
    {"btnSetFactDef", nullptr, 0x0090, Input::None},
    {"btnReset", nullptr, 0x1001, Input::None},
};

const char* const kTabs[] = {"tsReszletek", "tsKonfiguracio", "tsDmxKiosztas",
                             "tsErzekelok", "tsSpecial",      "tsRemoteAccess"};

class HoldRandom : public HoldRandomFixture, public ::testing::WithParamInterface<int> {
protected:
    void SetUp() override {
        HoldRandomFixture::SetUp();
        rng.seed(uint32_t(GetParam()));
        line->delays.seed(uint32_t(GetParam()) * 7919u);
        for (LineDevice& d : devices)
            initial.push_back(d.rdm().values);
        // The user starts on the maker's device with the display.
        ClickItem(ui->tvDeviceList, NodeAt(ui->tvDeviceList, NodeOf(UidA)));
        platform->WaitIdle(2000);
    }

    // A SET button pressed (or a box ticked), the device the page showed then
    // (0 for none), and the SETs it may send.
    struct Press {
        int action;
        uint64_t shown;
        std::set<uint16_t> pids;
        QString what;       // the name of its verdict and refusal lines, if it has them
        qsizetype logLines; // the device log's length then
        qint64 at;          // when, on the line's clock
    };

    // Replaying a sequence without some of its actions (their draws are still
    // made, so that the others stay as they were) helps to find the few that matter.
    bool Skipped(const char* what) {
        const bool skip = kSkip.count(action) || (!kOnly.empty() && !kOnly.count(action)) ||
                          kWithout.contains(QString::fromLatin1(what));
        if (skip) Note(QStringLiteral("(skipped: %1)").arg(what));
        return skip;
    }

    int Rand(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
    void Note(const QString& text) {
        const QString l = QStringLiteral("%1  %2").arg(action, 3).arg(text);
        lines << l;
        if (kVerbose) std::cerr << l.toStdString() << std::endl;
    }
    QString NodeName(int node) const {
        const tRdmDevice* rec = view->RecordAt(node);
        if (!rec) return QStringLiteral("?");
        return rec->nodeKind == NodeKindGroup
                   ? QStringLiteral("group ") + QString::number(rec->uid >> 32, 16).toUpper()
                   : FormatRdmUid(rec->uid);
    }
    QString ShownName() {
        LineDevice* d = ShownDevice();
        return d ? QString(QChar(d->letter)) : QStringLiteral("-");
    }
    void Pressed(std::set<uint16_t> pids, const char* what = nullptr) {
        LineDevice* d = ShownDevice();
        presses.push_back({action, d ? d->uid() : 0, std::move(pids), QString::fromLatin1(what), Log().size(),
                           line->Now()});
    }
    // The value a Modify stored in the shown device's record (it stays there
    // when the device never answers).
    void Stored(uint16_t pid, std::vector<uint8_t> value) {
        if (LineDevice* d = ShownDevice(); d && !view->DemoMode)
            lastStored[{d->uid(), pid}] = std::move(value);
    }
    // A number in [lo, hi] that leaves the shown device's index when divided by 3.
    int OwnNumber(int lo, int hi, int draw) {
        LineDevice* d = ShownDevice();
        const int k = d ? int(d - &devices[0]) : 0;
        int v = lo + draw % (hi - lo - 3);
        v += (k - v % 3 + 3) % 3;
        return v;
    }

    // ------------------------------------------------------------ actions
    void ClickTree() {
        const int draw = Rand(0, 9999);
        if (Skipped("click in the tree")) return;
        w->showMainPage("RDM");
        const int n = NodeCount(ui->tvDeviceList);
        if (n == 0) return Note("click in the empty tree");
        // Mostly a device, now and then a group node.
        std::vector<int> nodes;
        for (int i = 0; i < n; ++i)
            if (view->RecordAt(i)->nodeKind == NodeKindDevice || draw % 4 == 0) nodes.push_back(i);
        const int node = nodes.empty() ? draw % n : nodes[size_t(draw / 4) % nodes.size()];
        Note(QStringLiteral("click node %1 (%2)").arg(node).arg(NodeName(node)));
        detailsCleared = false;
        ClickItem(ui->tvDeviceList, NodeAt(ui->tvDeviceList, node));
    }

    void ArrowKey() {
        const bool down = Rand(0, 1) == 1;
        if (Skipped("arrow key")) return;
        w->showMainPage("RDM");
        Note(down ? "arrow down" : "arrow up");
        const QTreeWidgetItem* before = ui->tvDeviceList->currentItem();
        QTest::keyClick(ui->tvDeviceList, down ? Qt::Key_Down : Qt::Key_Up);
        // A key that moves nothing (at either end of the tree) picks nothing.
        if (ui->tvDeviceList->currentItem() != before) detailsCleared = false;
    }

    void Modify() { Modify(kModifies[Rand(0, int(std::size(kModifies)) - 1)]); }
    void Modify(const ModifyRow& row) {
        const int draw = Rand(0, 1 << 20);
        if (Skipped(row.button)) return;
        // The user goes to the tab of the Modify button first.
        OnTab(row.pid == 0x0082 ? "tsReszletek" : "tsKonfiguracio");
        auto* button = Find<QAbstractButton>(row.button);
        if (row.input && !Find<QWidget>(row.input)->isEnabled())
            return Note(QStringLiteral("%1: input disabled (shown %2)").arg(row.button, ShownName()));
        QString value;
        std::optional<std::vector<uint8_t>> stored;
        switch (row.kind) {
        case Input::Number: {
            auto* spin = Find<QSpinBox>(row.input);
            int v = OwnNumber(row.lo, row.hi, draw);
            if (v == spin->value()) v += 3;
            spin->setValue(v);
            value = QString::number(v);
            if (row.pid == 0x0401 || row.pid == 0x0405) stored = Bytes(uint32_t(v), 4);
            if (row.pid == 0x0501) stored = Bytes(uint32_t(v), 1);
            if (row.pid == 0x00F0) stored = Bytes(uint32_t(v), 2);
            break;
        }
        case Input::Choice: {
            auto* combo = Find<QComboBox>(row.input);
            if (combo->count() == 0) return Note(QStringLiteral("%1: no choices").arg(row.button));
            int i = draw % combo->count();
            if (i == combo->currentIndex()) i = (i + 1) % combo->count();
            combo->setCurrentIndex(i);
            value = combo->itemText(i);
            break;
        }
        case Input::Label: {
            const QString label = QStringLiteral("L%1 %2").arg(draw % 1000).arg(ShownName());
            Find<QLineEdit>(row.input)->setText(label);
            value = label;
            const QByteArray bytes = label.toLatin1();
            stored = std::vector<uint8_t>(bytes.begin(), bytes.end());
            break;
        }
        case Input::Toggle:
        case Input::None:
            break;
        }
        const bool enabled = button->isEnabled() && button->isVisibleTo(w);
        Note(QStringLiteral("%1 %2 (shown %3)%4")
                 .arg(row.button, value, ShownName(), enabled ? QString() : QStringLiteral(": disabled")));
        if (!enabled) return;
        Pressed({row.pid}, row.what);
        const qsizetype before = Log().size();
        // The identify-mode box sends when the mouse button is released on it.
        if (row.kind == Input::Toggle)
            QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(5, button->height() / 2));
        else
            button->click();
        // A press refused ("<what> not sent...") stores nothing.
        const QStringList added = Log().mid(before);
        const bool refused = row.what && std::any_of(added.begin(), added.end(), [&](const QString& l) {
                                 return l.startsWith(QString::fromLatin1(row.what) + " not sent");
                             });
        if (stored && !refused) Stored(row.pid, *stored);
    }

    // Drags the channels under the shown device's first channel on the
    // channel map by a few channels (the press picks the first device there).
    void Drag() {
        const int by = Rand(-6, 6);
        if (Skipped("drag")) return;
        if (!OnTab("tsDmxKiosztas")) return Note("drag: tab hidden");
        const tRdmDevice* shown = view->RecordAt(view->RdmCurrentNode());
        const int from = shown && shown->nodeKind != NodeKindGroup ? shown->dmxStartAddress : 0;
        if (from < 1 || from > 512 || by == 0)
            return Note(QStringLiteral("drag: nothing to drag (shown %1)").arg(ShownName()));
        QWidget* port = Find<QWidget>("StringGrid1")->findChild<QWidget*>("qt_scrollarea_viewport");
        const auto at = [](int channel) {
            const int i = channel - 1;
            return QPoint((i % 22) * 22 + 11, (i / 22) * 17 + 8);
        };
        detailsCleared = false;
        QTest::mousePress(port, Qt::LeftButton, {}, at(from));
        // The press is a click on the device it picks; it drags only once the line is free.
        const tRdmDevice* rec = view->RecordAt(view->RdmCurrentNode());
        const int footprint = rec ? rec->personalities[rec->currentPersonality].footprint : 0;
        const int start = rec ? rec->dmxStartAddress : 0;
        const int to = start + by;
        const bool moves = rec && !view->LineHeld() && footprint > 0 && start <= from &&
                           from < start + footprint && to >= 1 && to + footprint - 1 <= 512 &&
                           from + by >= 1 && from + by <= 512;
        Note(QStringLiteral("drag %1channel %2 by %3: %4 (shown %5)")
                 .arg(DemoName())
                 .arg(from)
                 .arg(by)
                 .arg(moves ? QStringLiteral("from %1 to %2").arg(start).arg(to) : QStringLiteral("no move"))
                 .arg(ShownName()));
        if (moves) {
            Pressed({0x00F0}, "Dmx address");
            Stored(0x00F0, Bytes(uint32_t(to), 2));
            QTest::mouseMove(port, at(from + by));
        }
        QTest::mouseRelease(port, Qt::LeftButton, {}, at(from + by));
        // The demo is no line: its device keeps the new address.
        if (moves && view->DemoMode && !demoDragMissed && rec->dmxStartAddress != to) {
            demoDragMissed = true;
            ADD_FAILURE() << "after action " << action << " the demo device is back at "
                          << rec->dmxStartAddress << " instead of " << to;
        }
    }
    QString DemoName() const { return view->DemoMode ? QStringLiteral("(demo) ") : QString(); }

    void OpenTab() {
        const char* name = kTabs[Rand(0, int(std::size(kTabs)) - 1)];
        if (Skipped("tab")) return;
        w->showMainPage("RDM");
        QWidget* tab = Find<QWidget>(name);
        const int i = ui->pcRdm->indexOf(tab);
        const bool shown = ui->pcRdm->isTabVisible(i);
        Note(QStringLiteral("tab %1%2").arg(ui->pcRdm->tabText(i), shown ? "" : " (hidden)"));
        if (shown) ui->pcRdm->setCurrentIndex(i);
    }

    // Opens a tab as the user would before pressing something on it; false when it is not offered.
    bool OnTab(const char* name) {
        w->showMainPage("RDM");
        const int i = ui->pcRdm->indexOf(Find<QWidget>(name));
        if (!ui->pcRdm->isTabVisible(i)) return false;
        ui->pcRdm->setCurrentIndex(i);
        return true;
    }

    void SpecialButton() {
        const int which = Rand(0, 2);
        const int draw = Rand(0, 1 << 20);
        static const char* const names[] = {"Send", "GET CONFIG", "GET PROGRAM"};
        if (Skipped("Special")) return;
        if (!OnTab("tsSpecial")) return Note(QStringLiteral("Special %1: tab hidden").arg(names[which]));
        Ui::SpecialTab& s = *view->specUi;
        QPushButton* buttons[] = {s.btnRdmSendSpec, s.btnRdmGetConf, s.btnRdmGetPrg};
        QString value;
        if (which == 0) {
            const int address = OwnNumber(1, 500, draw);
            for (QSpinBox* spin : {s.seRdmSpecDmxAdr, s.seRdmSpecQ7DmxAdr, s.seRdmSpecQ9SubDmxAdr})
                if (spin->isEnabled()) spin->setValue(address);
            value = QStringLiteral(" address %1").arg(address);
        }
        Note(QStringLiteral("Special %1%2 (shown %3)").arg(names[which], value, ShownName()));
        static const std::set<uint16_t> pids[] = {
            {0x8000, 0x8001, 0x8004, 0x00F0, 0x00E0}, {0x8001, 0x8005, 0x8007}, {0x8001, 0x8006, 0x8008}};
        if (!buttons[which]->isEnabled()) return;
        Pressed(pids[which]);
        buttons[which]->click();
    }

    void SensorButton() {
        const bool record = Rand(0, 1) == 1;
        const int n = Rand(1, 2);
        const QString name = QStringLiteral("%1%2").arg(record ? "btnRecSens" : "btnSensDatRes").arg(n);
        if (Skipped("sensor button")) return;
        if (!OnTab("tsErzekelok")) return Note(name + ": tab hidden");
        auto* button = w->findChild<QPushButton*>(name);
        const bool usable = button && button->isVisible() && button->isEnabled();
        Note(QStringLiteral("%1 (shown %2)%3").arg(name, ShownName(), usable ? "" : ": not offered"));
        if (!usable) return;
        Pressed({uint16_t(record ? 0x0202 : 0x0201)});
        button->click();
    }

    void RemoteKey() {
        const int key = Rand(0, 3);
        if (Skipped("remote key")) return;
        if (!OnTab("tsRemoteAccess")) return Note("remote key: tab hidden");
        Ui::RemoteAccess& r = *TRemoteAccess::of(w)->ui;
        TShape* keys[] = {r.sDown, r.sUp, r.sEsc, r.sEnter};
        Note(QStringLiteral("remote key %1 (shown %2)").arg(key).arg(ShownName()));
        Pressed({0x8003});
        QTest::mousePress(keys[key], Qt::LeftButton);
        QTest::mouseRelease(keys[key], Qt::LeftButton);
    }

    // The button is hidden while an interface of this type is in; its handler still runs.
    void Demo() {
        const bool unplugFirst = Rand(0, 1) == 1;
        if (Skipped("demo")) return;
        Disturbed(); // the line's operations end
        // Mostly without an interface, as a user without one tries the program.
        if (unplugFirst && pluggedIn) {
            Note("unplug the interface");
            platform->Unplug(box);
            pluggedIn = false;
        }
        Note(ui->btnDemoDisc->isEnabled() ? "DEMO" : "DEMO (its handler: the button is hidden)");
        view->btnDemoDiscClick();
        // The demo's tree clears the page until the user picks a node.
        detailsCleared = true;
    }

    void Discovery() {
        if (Skipped("DISCOVERY")) return;
        Disturbed(); // the line's operations end
        const bool enabled = ui->btnDiscovery->isEnabled();
        Note(enabled ? "DISCOVERY" : "DISCOVERY: disabled");
        if (enabled) ui->btnDiscovery->click();
    }

    void PlugOrUnplug() {
        if (Skipped("unplug")) return;
        Disturbed(); // the line's operations end
        if (pluggedIn) {
            Note("unplug the interface");
            platform->Unplug(box);
            pluggedIn = false;
            detailsCleared = true;
        } else {
            Note("plug the interface in again");
            Replug();
        }
    }
    void Replug() {
        box = platform->PlugInterface(0);
        box->line = line;
        pluggedIn = true;
    }

    void LineFault() {
        // A stall comes as often as the lost reports of all kinds together.
        const int draw = Rand(0, 12);
        const int kind = draw > 9 ? 5 : draw;
        LineDevice& d = devices[size_t(Rand(0, int(devices.size()) - 1))];
        const int ms = Rand(100, 1500);
        const int lostMs = Rand(5, 80);
        const int stallMs = Rand(500, 4500);
        const bool stallAfterRequest = Rand(0, 1) == 1;
        const int packets = Rand(5, 20);
        static const char* const kinds[] = {"silent", "late",     "garbled",     "slow",           "lost",
                                            "stall",  "lost ask", "lost answer", "lost no-answer", "fill"};
        if (Skipped(kinds[kind])) return;
        QObject* context = faults.get();
        if (kind < 4) misbehaved.insert(d.letter);
        switch (kind) {
        case 0:
            Note(QStringLiteral("%1 silent for %2 ms").arg(d.letter).arg(ms));
            d.rdm().silent = true;
            QTimer::singleShot(ms, context, [&d] { d.rdm().silent = false; });
            break;
        case 1:
            Note(QStringLiteral("%1 answers late (after the next request) for %2 ms").arg(d.letter).arg(ms));
            d.late = d.rdm().late = true;
            QTimer::singleShot(ms, context, [&d] { d.late = d.rdm().late = false; });
            break;
        case 2:
            Note(QStringLiteral("%1 garbled for %2 ms").arg(d.letter).arg(ms));
            d.rdm().garbled = true;
            QTimer::singleShot(ms, context, [&d] { d.rdm().garbled = false; });
            break;
        case 3:
            Note(QStringLiteral("%1 slow (past the deadline) for %2 ms").arg(d.letter).arg(ms));
            line->slow.insert(d.uid());
            QTimer::singleShot(ms, context, [this, uid = d.uid()] { line->slow.erase(uid); });
            break;
        case 4:
            Note(QStringLiteral("the interface's reports of the next %1 ms are lost").arg(lostMs));
            if (!pluggedIn || box->Stalled()) break;
            box->HoldInput(true);
            QTimer::singleShot(lostMs, context, [this, b = box, from = line->Now()] {
                // A stall begun meanwhile holds them back instead.
                if (b->Stalled()) return;
                if (b->HeldCount() > 0) Disturbed(from);
                b->DropHeld();
                b->HoldInput(false);
            });
            break;
        case 5: {
            // The interface asks for nothing and holds back its reports,
            // which come afterwards in order.
            Note(QStringLiteral("the interface stalls for %1 ms%2")
                     .arg(stallMs)
                     .arg(stallAfterRequest ? " just after the next request has left" : ""));
            if (!pluggedIn) break;
            // One that outlasts a deadline may end an operation's wait: it
            // disturbs what it lasted, as a loss does.
            // (Its reports come at its end, or never, when the interface is
            // pulled out or the line goes quiet first.)
            const auto unstallLater = [this, stallMs, context](const std::shared_ptr<sim::SimInterface>& b) {
                const qint64 from = line->Now();
                // One that ends just before a deadline brings its reports a
                // moment later, and may lose the race with it.
                if (stallMs + StallRaceMs >= TDM::RdmAnswerDeadlineMs)
                    lostDuring.emplace_back(from, from + stallMs);
                QTimer::singleShot(stallMs, context, [b] { b->Unstall(); });
            };
            if (!stallAfterRequest) {
                box->Stall();
                unstallLater(box);
                break;
            }
            box->stallAt = [b = std::weak_ptr<sim::SimInterface>(box),
                            unstallLater](const sim::SimLinkPacket& p) {
                if (p.type != 0x40 && p.type != 0x60) return false;
                if (auto held = b.lock()) unstallLater(held);
                return true;
            };
            break;
        }
        case 6:
        case 7:
        case 8: {
            // One report of the kind is lost outright: an ask for data, the
            // last piece of an answer, a report of no answer.
            Note(QStringLiteral("the interface's next %1 is lost").arg(kinds[kind] + 5));
            if (!pluggedIn) break;
            const int type = kind == 6 ? 10 : 11, subtype = kind == 7 ? 4 : 2;
            box->loseNext = [this, type, subtype](const sim::RawReport& r) {
                const bool lose = r.size() > 2 && r[1] == type && (type == 10 || r[2] == subtype);
                if (lose) Disturbed();
                return lose;
            };
            break;
        }
        default: {
            Note(QStringLiteral("%1 DMX frames are queued").arg(packets));
            const std::vector<uint8_t> frame(513);
            for (int k = 0; k < packets && dm->TxQueue.Count < TTxQueue::SlotCount; ++k)
                dm->EnqueuePacket(0x20, 0, frame.data(), uint16_t(frame.size()));
            break;
        }
        }
    }

    void Pause() {
        const int kind = Rand(0, 99);
        const int ms = kind < 45 ? Rand(0, 15) : kind < 85 ? Rand(15, 120) : kind < 97 ? Rand(120, 600) : -1;
        if (ms >= 0) {
            RunFor(ms);
            return;
        }
        Note("wait until the line is idle");
        platform->WaitIdle(1500);
    }

    void DoAction() {
        ++action;
        const int pick = Rand(0, 99);
        if (pick < 20)
            ClickTree();
        else if (pick < 27)
            ArrowKey();
        else if (pick < 50)
            Modify();
        else if (pick < 58)
            OpenTab();
        else if (pick < 64)
            SpecialButton();
        else if (pick < 68)
            SensorButton();
        else if (pick < 70)
            RemoteKey();
        else if (pick < 72)
            Demo();
        else if (pick < 76)
            Discovery();
        else if (pick < 78)
            PlugOrUnplug();
        else if (pick < 81)
            Drag();
        else
            LineFault();
        Pause();
        CheckPageFollowsTree();
    }

    // Whenever nothing holds the line, the page shows the node the tree
    // shows: nothing but the user moves the selection. (The first miss of a
    // sequence is reported.)
    void CheckPageFollowsTree() {
        if (pageMissed) return;
        auto follows = [&] {
            if (view->LineHeld() || view->DiscoveryRunning || view->ScanHoldsTheLine()) return true;
            // Pulling the interface out clears the page until the user picks a node again.
            if (detailsCleared || !dm->HidConnected) return true;
            QTreeWidgetItem* item = ui->tvDeviceList->currentItem();
            if (!item) return true;
            const int node = NodeIndex(ui->tvDeviceList, item);
            const tRdmDevice* rec = view->RecordAt(node);
            if (!rec || view->RdmCurrentNode() != node) return false;
            return ui->lUidD->text() ==
                   (rec->nodeKind == NodeKindGroup ? FormatManufacturerId(rec->uid) : FormatRdmUid(rec->uid));
        };
        if (RunFor(300, follows)) return;
        pageMissed = true;
        QTreeWidgetItem* item = ui->tvDeviceList->currentItem();
        ADD_FAILURE() << "after action " << action << " the tree shows node "
                      << (item ? NodeIndex(ui->tvDeviceList, item) : -1) << " while the page works on node "
                      << view->RdmCurrentNode() << " and shows " << ui->lUidD->text().toStdString()
                      << ", and nothing holds the line";
    }

    // ------------------------------------------------------------ the quiet line
    // Every fault ends, an answer still held back by a late device is lost,
    // and the interface is in.
    void Quiet() {
        ++action;
        Disturbed(); // what is held back is dropped
        Note("the line goes quiet");
        faults = std::make_unique<QObject>();
        line->slow.clear();
        for (LineDevice& d : devices) {
            d.late = d.rdm().late = d.rdm().silent = d.rdm().garbled = false;
        }
        // A request addressed to nobody takes the late answers off the line.
        const std::vector<uint8_t> nobody = {0x40, 0, 26, 0xCC, 0x01, 24, 0, 1, 0, 0, 0,    1, 0x7F, 0xF1,
                                             0,    0, 0,  1,    0,    1,  0, 0, 0, 0, 0x20, 0, 0x60, 0};
        while (!line->rdm.HeldBackAnswers().empty())
            line->rdm.HandlePacket(nobody);
        if (pluggedIn) {
            box->stallAt = nullptr;
            box->Unstall();
            box->DropHeld();
            box->HoldInput(false);
            box->loseNext = nullptr;
        } else {
            Replug();
        }
        RunFor(1500);
        if (kVerbose)
            std::cerr << "quiet: DISCOVERY " << (ui->btnDiscovery->isEnabled() ? "enabled" : "disabled")
                      << ", run " << view->DiscoveryRunning << ", line held " << view->LineHeld()
                      << ", pending operation " << int(dm->RdmGlobals().RdmPendingOp) << std::endl;
        EXPECT_TRUE(RunFor(8000, [&] { return !view->DiscoveryRunning; })) << "a run started ends";
        EXPECT_TRUE(ui->btnDiscovery->isEnabled()) << "DISCOVERY is offered again once the line is quiet";
    }

    // ------------------------------------------------------------ the checks
    // Every SET a device received was pressed, before, while that device was shown.
    void CheckSets() {
        for (const LineDevice& d : devices) {
            std::set<uint16_t> reported;
            for (const LineDevice::Request& q : d.Requests()) {
                if (q.cc != 0x30 || reported.count(q.pid)) continue;
                const bool pressed = std::any_of(presses.begin(), presses.end(), [&](const Press& p) {
                    return p.action <= q.action && p.shown == d.uid() && p.pids.count(q.pid);
                });
                if (pressed) continue;
                reported.insert(q.pid);
                ADD_FAILURE() << d.letter << " received a SET of PID 0x" << std::hex << q.pid << std::dec
                              << " during action " << q.action << ", never pressed while " << d.letter
                              << " was shown";
            }
        }
    }

    // The values a device held: what it started with and what its SETs sent.
    // A value a Modify or a drag stored in its record counts too: the record
    // keeps it when its SET ends before it leaves (the interface pulled out,
    // the queue full), as the record is written before the SET goes.
    std::set<std::vector<uint8_t>> Held(size_t k, uint16_t pid) const {
        std::set<std::vector<uint8_t>> held;
        if (auto it = initial[k].find(pid); it != initial[k].end()) held.insert(it->second);
        if (auto it = lastStored.find({devices[k].uid(), pid}); it != lastStored.end())
            held.insert(it->second);
        for (const LineDevice::Request& q : devices[k].Requests())
            if (q.cc == 0x30 && q.pid == pid) held.insert(q.data);
        return held;
    }
    static std::vector<uint8_t> Bytes(uint32_t v, int n) {
        std::vector<uint8_t> b;
        for (int i = n - 1; i >= 0; --i)
            b.push_back(uint8_t(v >> (8 * i)));
        return b;
    }

    // Each Modify has at most one verdict or refusal line (a device that
    // never answered leaves none).
    void CheckVerdicts() {
        std::map<QString, int> pressed, lines;
        for (const Press& p : presses)
            if (!p.what.isEmpty()) ++pressed[p.what];
        for (const QString& l : Log())
            for (const auto& [what, n] : pressed)
                if (l == what + " modified" || l == what + " can not be modified" ||
                    l.startsWith(what + " not sent"))
                    ++lines[what];
        for (const auto& [what, n] : lines)
            EXPECT_LE(n, pressed[what]) << n << " verdict or refusal lines of " << what.toStdString()
                                        << " for " << pressed[what] << " presses";
        // A Modify whose SET and reading back its device answered at once and
        // intact, with no report of the interface lost and no operation
        // ended meanwhile, has its verdict (or its refusal).
        const QStringList log = Log();
        for (size_t i = 0; i < presses.size(); ++i) {
            const Press& p = presses[i];
            LineDevice* d = DeviceOf(p.shown);
            if (p.what.isEmpty() || !d || p.pids.size() != 1) continue;
            const uint16_t pid = *p.pids.begin();
            const bool hasLine = std::any_of(log.begin() + p.logLines, log.end(), [&](const QString& l) {
                return l == p.what + " modified" || l == p.what + " can not be modified" ||
                       l.startsWith(p.what + " not sent");
            });
            if (hasLine) continue;
            // Its SET, sent before the next Modify, and the GET that read it back.
            const int next = i + 1 < presses.size() ? presses[i + 1].action : INT_MAX;
            const auto got = d->Requests();
            const auto set = std::find_if(got.begin(), got.end(), [&](const auto& q) {
                return q.cc == 0x30 && q.pid == pid && q.action >= p.action && q.action < next;
            });
            if (set == got.end()) continue;
            const auto get =
                std::find_if(set, got.end(), [&](const auto& q) { return q.cc == 0x20 && q.pid == pid; });
            if (get == got.end() || !set->answered || !get->answered) continue;
            if (set != got.begin() && !std::prev(set)->answered) continue; // a late answer before it
            // Disturbed between the press and a while after its reading back was answered.
            const bool disturbed = std::any_of(lostDuring.begin(), lostDuring.end(), [&](const auto& d) {
                return d.second >= p.at && d.first <= get->due + 200;
            });
            if (disturbed) continue;
            ADD_FAILURE() << "the " << p.what.toStdString() << " Modify of action " << p.action
                          << " was answered by its device (SET in action " << set->action
                          << ", GET in action " << get->action << ") and has no verdict";
        }
    }

    // No device that answered every request is given up: a lost or late
    // report or a stalled interface never costs a device its twenty resends.
    // (One made silent or garbled for a while may be: its reports of no
    // answer come as fast as the line brings them. So may one whose request
    // and resend the full queue refused: it was never asked.)
    void CheckNoDeviceGivenUp() {
        const QStringList log = Log();
        for (qsizetype i = 0; i < log.size(); ++i)
            for (const LineDevice& d : devices)
                if (log[i].endsWith("the scan goes on without this device: " + FormatRdmUid(d.uid()) +
                                    " - 0") &&
                    !misbehaved.count(d.letter) &&
                    (i == 0 || log[i - 1] != "Packet queue full: packet not sent"))
                    ADD_FAILURE() << d.letter
                                  << " answered every request and was given up: " << log[i].toStdString();
    }

    // Every search that ended by itself found every device: the devices
    // of the line always take part in it, and a deadline is no report.
    void CheckSearches() {
        for (const QString& l : Log()) {
            if (l.startsWith("Discovery stopped"))
                ADD_FAILURE() << "a search ended early: " << l.toStdString();
            if (l.startsWith("Number of discovered units: ") &&
                l != QStringLiteral("Number of discovered units: %1").arg(devices.size()))
                ADD_FAILURE() << "a search missed devices: " << l.toStdString();
        }
    }

    int Lines(const QString& part) const {
        int n = 0;
        for (const QString& l : Log())
            n += l.contains(part);
        return n;
    }

    // Each device's record holds only values its own device held.
    void CheckRecords() {
        if (view->DemoMode) return;
        for (size_t k = 0; k < devices.size(); ++k) {
            LineDevice& d = devices[k];
            const int node = NodeOf(d.uid());
            if (node < 0) continue;
            const tRdmDevice& r = *view->RecordAt(node);
            const QByteArray label = r.deviceLabel.toLatin1();
            // A value never read (the record's zero) is no value of another device.
            const std::pair<uint16_t, std::vector<uint8_t>> fields[] = {
                {0x0401, Bytes(r.lampHours, 4)},
                {0x0405, Bytes(r.devicePowerCycles, 4)},
                {0x0501, Bytes(r.displayLevel, 1)},
                {0x0082, std::vector<uint8_t>(label.begin(), label.end())},
            };
            for (const auto& [pid, value] : fields) {
                const bool neverRead =
                    std::all_of(value.begin(), value.end(), [](uint8_t b) { return b == 0; });
                EXPECT_TRUE(Held(k, pid).count(value) || neverRead)
                    << d.letter << "'s record holds a value of PID 0x" << std::hex << pid << std::dec
                    << " that " << d.letter << " never held: " << ::testing::PrintToString(value);
                // Once the line is quiet it holds what its device holds now,
                // or the value a Modify stored for a SET the device never
                // answered (a run cut short leaves what it never read at zero).
                const auto stored = lastStored.find({d.uid(), pid});
                EXPECT_TRUE(value == d.rdm().values.at(pid) || neverRead ||
                            (stored != lastStored.end() && stored->second == value))
                    << d.letter << "'s record holds " << ::testing::PrintToString(value) << " of PID 0x"
                    << std::hex << pid << std::dec << ", its device "
                    << ::testing::PrintToString(d.rdm().values.at(pid));
            }
            // The address comes with DEVICE_INFO too; without a footprint there is none.
            std::set<std::vector<uint8_t>> addresses = Held(k, 0x00F0);
            addresses.insert({0, 0});
            addresses.insert({0xFF, 0xFF});
            EXPECT_TRUE(addresses.count(Bytes(r.dmxStartAddress, 2)))
                << d.letter << "'s record holds the address " << r.dmxStartAddress << " that " << d.letter
                << " never held";
        }
    }

    // Clicks on two devices are taken, each in turn, and a Modify then goes to the second only.
    void CheckPageFree() {
        if (view->DemoMode || std::any_of(devices.begin(), devices.end(),
                                          [&](const LineDevice& d) { return NodeOf(d.uid()) < 0; })) {
            Note("DISCOVERY (on the quiet line)");
            ASSERT_TRUE(ui->btnDiscovery->isEnabled());
            ui->btnDiscovery->click();
            ASSERT_TRUE(RunFor(8000, [&] { return !view->DiscoveryRunning; }))
                << "a run on a quiet line ends";
            RunFor(200);
            for (const LineDevice& d : devices)
                ASSERT_GE(NodeOf(d.uid()), 0) << "a run on a quiet line finds " << d.letter;
        }
        w->showMainPage("RDM");
        const size_t first = size_t(Rand(0, 2));
        const size_t second = (first + size_t(Rand(1, 2))) % 3;
        for (size_t k : {first, second}) {
            const LineDevice& d = devices[k];
            const int node = NodeOf(d.uid());
            Note(QStringLiteral("click %1 (node %2)").arg(d.letter).arg(node));
            ClickItem(ui->tvDeviceList, NodeAt(ui->tvDeviceList, node));
            RunFor(1500, [&] { return view->RdmCurrentNode() == node; });
            EXPECT_EQ(view->RdmCurrentNode(), node) << "the click on " << d.letter << " is taken";
            EXPECT_EQ(ui->tvDeviceList->currentItem(), NodeAt(ui->tvDeviceList, node));
            EXPECT_EQ(ui->lUidD->text(), FormatRdmUid(d.uid())) << "the page shows " << d.letter;
        }
        LineDevice& target = devices[second];
        for (LineDevice& d : devices)
            d.ForgetRequests();
        ui->pcRdm->setCurrentWidget(ui->tsKonfiguracio);
        // A click may start a read of the device's mode: the Modify waits for its end, as a user would.
        RunFor(1500, [&] { return !view->LineHeld(); });
        const int level = OwnNumber(0, 250, Rand(0, 1 << 20));
        ui->seDispLevel->setValue(level == ui->seDispLevel->value() ? level + 3 : level);
        Note(QStringLiteral("btnDispLevel %1 (shown %2)").arg(ui->seDispLevel->value()).arg(ShownName()));
        ui->btnDispLevel->click();
        RunFor(1000);
        for (const LineDevice& d : devices) {
            const auto got = d.Requests();
            const auto sets = std::count_if(got.begin(), got.end(),
                                            [](const auto& q) { return q.cc == 0x30 && q.pid == 0x0501; });
            EXPECT_EQ(sets, &d == &target ? 1 : 0) << "the display level SET reaches " << target.letter
                                                   << " only; " << d.letter << " received " << sets;
        }
        ExpectOneVerdictEach();
    }

    // Whatever the sequence lost or wrote off, each Modify on the quiet
    // line gets exactly one verdict, as soon as its device answers.
    void ExpectOneVerdictEach() {
        for (int k = 0; k < 3; ++k) {
            const ModifyRow& row = kModifies[Rand(0, int(std::size(kModifies)) - 1)];
            if (!row.what || row.kind == Input::Toggle) continue;
            ++action;
            const qsizetype before = Log().size();
            Modify(row);
            if (presses.empty() || presses.back().action != action) continue;
            const auto verdicts = [&] {
                const QStringList log = Log();
                return std::count_if(log.begin() + before, log.end(), [&](const QString& l) {
                    return l == QString::fromLatin1(row.what) + " modified" ||
                           l == QString::fromLatin1(row.what) + " can not be modified";
                });
            };
            RunFor(TDM::RdmAnswerDeadlineMs / 2, [&] { return verdicts() > 0 && !view->LineHeld(); });
            RunFor(100);
            EXPECT_EQ(verdicts(), 1) << "the " << row.what << " Modify on the quiet line (action " << action
                                     << ") has one verdict before its deadline";
        }
    }

    void RunSequence() {
        for (int i = 0; i < kActions; ++i)
            DoAction();
        Quiet();
        CheckSets();
        CheckRecords();
        CheckVerdicts();
        CheckNoDeviceGivenUp();
        CheckSearches();
        CheckPageFree();
    }

    void Report() {
        if (!HasFailure()) return;
        QStringList log = Log();
        if (log.size() > 40 && !kVerbose) log = log.mid(log.size() - 40);
        ADD_FAILURE() << "The sequence of seed " << GetParam()
                      << " (replay: TAMARIND_RANDOM_SEED=" << GetParam() << " TAMARIND_RANDOM_SEQUENCES=1):\n"
                      << lines.join('\n').toStdString() << "\nThe device log's last lines:\n"
                      << log.join('\n').toStdString();
    }

    std::mt19937 rng;
    QStringList lines;
    std::vector<Press> presses;
    std::vector<std::map<uint16_t, std::vector<uint8_t>>> initial;
    std::unique_ptr<QObject> faults = std::make_unique<QObject>();
    std::map<std::pair<uint64_t, uint16_t>, std::vector<uint8_t>> lastStored;
    bool demoDragMissed = false;
    std::set<char> misbehaved; // devices made silent, late, garbled or slow
    // When reports of the interface were lost, or the line's operations
    // were ended (a removal, DEMO, DISCOVERY).
    std::vector<std::pair<qint64, qint64>> lostDuring; // from, to, on the line's clock
    void Disturbed(qint64 from = -1) {
        const qint64 now = line->Now();
        lostDuring.emplace_back(from < 0 ? now : from, now);
    }
    static constexpr int StallRaceMs = 100;
    bool pageMissed = false;
    bool detailsCleared = false; // by the interface's removal, until the user picks a node
};

TEST_P(HoldRandom, ThePageIsFreeAndEveryValueAndSetStaysWithItsDevice) {
    RunSequence();
    Report();
}

INSTANTIATE_TEST_SUITE_P(Seeds, HoldRandom, ::testing::Range(kFirstSeed, kFirstSeed + kSequences));

} // namespace

#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QTabWidget>
#include <QThread>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "RdmDeviceFixture.h"
#include "support/sim/rdm_discovery_link.h"

// The two devices of RdmDeviceFixture on a line that also takes part in
// discovery, whose answers come a few milliseconds after each request as on a
// real line; the RDM page is shown with its tree open and device 1 selected.
// A test makes a device misbehave for chosen requests through `onRequest`.
class LineHold : public RdmDeviceFixture {
protected:
    using Reply = SimRdmResponder::Reply;

    void SetUp() override {
        RdmDeviceFixture::SetUp();
        auto withDiscovery = std::make_shared<SimRdmDiscoveryLinkLine>();
        withDiscovery->Add(dev1);
        withDiscovery->Add(dev2);
        withDiscovery->answerDelayMs = 4;
        line = withDiscovery;
        box->line = withDiscovery;
        for (SimRdmResponder* d : {&dev1, &dev2})
            d->extension = [this,
                            inner = d->extension](SimRdmResponder& r, uint8_t cc, uint16_t pid,
                                                  std::span<const uint8_t> data) -> std::optional<Reply> {
                // Each request is answered on time and intact unless the test says otherwise.
                r.late = false;
                r.garbled = false;
                if (onRequest)
                    if (auto reply = onRequest(r, cc, pid)) return reply;
                return inner ? inner(r, cc, pid, data) : std::nullopt;
            };
        w->showMainPage("RDM");
        tree->expandAll();
        Reset();
    }

    // Both devices and their records as the fixture made them, device 1
    // selected in the tree and on the page, the details tab open, the line
    // quiet and every device well-behaved.
    void Reset() {
        onRequest = nullptr;
        box->HoldInput(false);
        box->DropHeld();
        ForgetLateAnswers();
        RestoreBothDevices({0x0082, 0x0401, 0x0403, 0x0501});
    }

    // The answer to the next such request to `device` stays on the line: the
    // interface's input is held from the moment the device receives it.
    void HoldAnswerTo(SimRdmResponder& device, uint8_t cc, uint16_t pid) {
        onRequest = [this, d = &device, cc, pid, armed = std::make_shared<bool>(true)](
                        SimRdmResponder& r, uint8_t c, uint16_t p) -> std::optional<Reply> {
            if (*armed && &r == d && c == cc && p == pid) {
                *armed = false;
                box->HoldInput(true);
            }
            return std::nullopt;
        };
    }
    static Reply NoAnswer() {
        Reply r;
        r.silent = true;
        return r;
    }

    void ReleaseAnswers() {
        box->HoldInput(false);
        box->ReleaseInput();
        Settle();
    }

    // The first report held back, taken off the line: lost, or put back later.
    sim::RawReport TakeFirstHeld() {
        const auto state = box->state();
        std::lock_guard<std::mutex> lock(state->mutex);
        if (state->held.empty()) return {};
        sim::RawReport first = std::move(state->held.front());
        state->held.pop_front();
        return first;
    }
    // Puts a report taken off back before every report held.
    void PutBackFirst(sim::RawReport report) {
        const auto state = box->state();
        std::lock_guard<std::mutex> lock(state->mutex);
        state->held.push_front(std::move(report));
    }
    // The first report held back is lost, as when the program reads the
    // interface's input too slowly; the others are let go.
    void LoseFirstHeldReport() {
        TakeFirstHeld();
        box->HoldInput(false);
        box->ReleaseInput();
    }

    // The answers a late device left on the line are forgotten: a test that
    // goes on after one must not see them in the next request's report.
    void ForgetLateAnswers() {
        const std::vector<uint8_t> nobody{0x40, 0x00, 0x00}; // an empty request that nobody answers
        while (!line->rdm.HeldBackAnswers().empty())
            line->rdm.HandlePacket(nobody);
    }

    // Runs the event loop until `done`, at most `ms`; false when it took longer.
    static bool RunFor(int ms, const std::function<bool()>& done) {
        QElapsedTimer clock;
        clock.start();
        while (!done()) {
            if (clock.elapsed() > ms) return false;
            QCoreApplication::processEvents();
            QThread::usleep(200);
        }
        return true;
    }

    // DMX frames fill every slot of the packet queue.
    void FillTheQueue() {
        const Data frame(513);
        while (dm->TxQueue.Count < TTxQueue::SlotCount)
            if (!dm->EnqueuePacket(0x20, 0, frame.data(), uint16_t(frame.size()))) {
                ADD_FAILURE() << "a frame was refused before the queue was full";
                return;
            }
    }

    // Presses a button without waiting for what follows.
    void Press(const char* button) { Find<QPushButton>(button)->click(); }

    // The last lines of the device log, for a failure's message.
    std::string Tail(int n = 8) const {
        const QStringList log = Log();
        return log.mid(std::max<qsizetype>(0, log.size() - n)).join('\n').toStdString();
    }

    // The node of a device (not its group) in the tree; -1 when it is not there.
    int NodeOf(uint64_t uid) const {
        for (int i = 0; i < view->NodeCountInTree(); ++i)
            if (view->RecordAt(i)->uid == uid && view->RecordAt(i)->nodeKind == NodeKindDevice) return i;
        return -1;
    }

    // A run found both devices, once, and read each to its end.
    void ExpectBothDevicesFoundAndRead() {
        EXPECT_EQ(Lines("Number of discovered units: 2"), 1) << Tail(20);
        for (uint64_t uid : {Uid1, Uid2}) {
            const int node = NodeOf(uid);
            ASSERT_GE(node, 0);
            EXPECT_EQ(Rec(node).lampHours, 10u);
            EXPECT_EQ(Rec(node).deviceLabel, "Stage left");
            EXPECT_EQ(Rec(node).displayLevel, 100);
        }
    }

    // A click on device 2 is taken: the tree, the selection and the page show
    // it, and a Modify goes to it only.
    void ExpectAClickOnDevice2TakenAndModifiable() {
        const int node = NodeOf(Uid2);
        ASSERT_GE(node, 0);
        ClickItem(tree, NodeAt(tree, node));
        Settle();
        EXPECT_EQ(tree->currentItem(), NodeAt(tree, node));
        EXPECT_EQ(Find<QLabel>("lUidD")->text(), FormatRdmUid(Uid2));
        ASSERT_EQ(view->RdmCurrentNode(), node) << "the click is taken";
        ClearLog();
        dev1.received.clear();
        dev2.received.clear();
        const int level = Rec(node).displayLevel == 37 ? 38 : 37;
        Set("seDispLevel", level);
        Press("btnDispLevel");
        Settle();
        EXPECT_TRUE(dev1.received.empty());
        EXPECT_EQ(Count(dev2, 0x30, 0x0501), 1);
        EXPECT_EQ(Rec(node).displayLevel, level);
        EXPECT_EQ(Log(),
                  (QStringList{"Send new display level: 7FF3:00000002 - 0", "Display level modified"}));
    }

    // Asked for every request a device receives, before it answers: a reply
    // given here is its answer (silent, cut short...); a device may also be
    // made late or garbled for this request only.
    std::function<std::optional<Reply>(SimRdmResponder&, uint8_t cc, uint16_t pid)> onRequest;
};

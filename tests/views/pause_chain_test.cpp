#include <QAbstractButton>
#include <QAction>
#include <QLineEdit>
#include <QTimer>
#include <functional>
#include <set>

#include "rdm/rdm_ops.h"
#include "sensor/RdmDeviceFixture.h"
#include "ui_Main.h"

namespace {

using Reqs = std::vector<Req>;

class PauseChain : public RdmDeviceFixture {
protected:
    // A fresh program on a fresh simulator, for the next case of a table.
    void Restart() {
        TearDown();
        platform = std::make_shared<sim::SimHidPlatform>();
        SetUp();
    }

    // Runs `during` at every tick of a 10 ms timer that falls inside a pause
    // of the data module, until the program is idle again.
    void RunWithTicks(const std::function<void()>& during) {
        QTimer tick;
        tick.setInterval(10);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            if (dm->Pausing()) during();
        });
        tick.start();
        Settle();
    }

    // Starts the maker's set-up chain as the Special tab's Send does: a SET
    // of the mode parameter whose answer moves the chain on.
    void StartKelvarChain() {
        Find<QAbstractButton>("rbModeDmx")->setChecked(true);
        Set("seRdmSpecDmxAdr", 37);
        RdmState& st = dm->RdmGlobals();
        st.RdmPendingOp = RdmOpKelvarSetup;
        st.AwaitingAnswer = 1;
        st.RdmCurrentPid = 0x8000;
        dm->SendRdmRequest(0, 0x30, Uid1, 0x8000, 1, st.RdmParamData, 0x40);
    }
};

} // namespace

// The window's timers keep running through the chain's 100 ms pauses, and
// the chain's requests still go out one after the other, in order.
TEST_F(PauseChain, TimersRunDuringTheChainsPausesAndItsRequestsKeepTheirOrder) {
    ClearLog();
    StartKelvarChain();
    std::set<size_t> sentWhenTicked;
    RunWithTicks([&] { sentWhenTicked.insert(Sent().size()); });
    // A tick fell into each of the three pauses: after the mode SET, the
    // address SET and the personality SET were answered.
    EXPECT_EQ(sentWhenTicked, (std::set<size_t>{1, 2, 3}));
    const Reqs sent = Sent();
    ASSERT_GE(sent.size(), 4u);
    EXPECT_EQ(Reqs(sent.begin() + 1, sent.begin() + 4),
              (Reqs{{0x30, 0x00F0, {0, 37}}, {0x30, 0x00E0, {1}}, {0x20, 0x0060, {}}}));
    EXPECT_FALSE(dm->Pausing());
}

// What happens during a pause decides whether the operation goes on: it does
// only while it is still pending and its node still holds the same record.
TEST_F(PauseChain, OperationEndsWhenTheWorldChangedDuringItsPause) {
    struct Start {
        const char* name;
        std::function<void()> start;
        QString lineAfterPause; // the device-log line the step after the pause writes
    };
    struct Change {
        const char* name;
        std::function<void()> apply;
        bool goesOn;
    };
    const Start starts[] = {
        {"personality",
         [this] {
             Set("cbPersonality", 1);
             Find<QAbstractButton>("btnModDmxPers")->click();
         },
         "New dmx personality set"},
        {"device label",
         [this] {
             Find<QLineEdit>("eDeviceLabel")->setText("Stage right");
             Find<QAbstractButton>("btnModDevLab")->click();
         },
         ""},
        {"maker chain", [this] { StartKelvarChain(); }, "Send new dmx address (37) to: 7FF3:00000001"},
    };
    const Change changes[] = {
        {"nothing", [] {}, true},
        {"another operation started", [this] { dm->RdmGlobals().RdmPendingOp = RdmOpDmxAddress; }, false},
        {"tree emptied", [this] { ClearDeviceTree(tree); }, false},
        {"tree rebuilt alike",
         [this] {
             ClearDeviceTree(tree);
             DeviceNode* group = AddDeviceNode(tree, nullptr, "7FF3");
             for (uint64_t uid : {Uid1, Uid2})
                 AddDeviceNode(tree, group, "Spot 575")->record().uid = uid;
         },
         false},
    };
    for (const Start& s : starts) {
        for (const Change& c : changes) {
            SCOPED_TRACE(std::string(s.name) + " / " + c.name);
            Restart();
            ClearLog();
            s.start();
            size_t sentAtChange = 0;
            bool changed = false;
            RunWithTicks([&] {
                if (changed) return;
                changed = true;
                sentAtChange = Sent().size();
                c.apply();
            });
            ASSERT_TRUE(changed);
            EXPECT_EQ(Sent().size() > sentAtChange, c.goesOn);
            if (!s.lineAfterPause.isEmpty()) {
                EXPECT_EQ(Log().contains(s.lineAfterPause), c.goesOn);
            }
        }
    }
}

// An interface pulled out while its arrival waits to read its configuration
// is not asked for it, and the firmware menu stays off.
TEST_F(LinkFixture, ArrivalPauseEndsQuietlyWhenTheInterfaceIsPulledOut) {
    for (const bool pull : {false, true}) {
        SCOPED_TRACE(pull ? "pulled out" : "kept");
        TearDown();
        platform = std::make_shared<sim::SimHidPlatform>();
        SetUp();
        w->ui->mSetupFirmware->setVisible(true); // a hidden item always reads as disabled
        auto box = platform->PlugInterface(1);
        w->show();
        bool pulled = false;
        QTimer tick;
        tick.setInterval(10);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            if (pull && !pulled && dm->Pausing() && dm->HidConnected) {
                platform->Unplug(box);
                pulled = true;
            }
        });
        tick.start();
        Settle();
        EXPECT_EQ(pulled, pull);
        EXPECT_EQ(Commands(*box) == std::vector<uint8_t>{CmdReadInterfaceConfig}, !pull);
        EXPECT_EQ(w->ui->mSetupFirmware->isEnabled(), !pull);
    }
}

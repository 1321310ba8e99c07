#pragma once

#include <QAbstractButton>
#include <QGroupBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeWidget>
#include <tuple>

#include "app/Notebook.h"
#include "link/LinkFixture.h"
#include "maker/ConfigPages.h"
#include "maker/ProgramEditor.h"
#include "maker/RdmUpload.h"
#include "rdm/RdmState.h"
#include "support/log_access.h"
#include "support/sim/maker_responder.h"
#include "support/sim/rdm_sim_line.h"
#include "ui_KonfigPage.h"
#include "ui_ProgramPage.h"
#include "ui_RdmPage.h"
#include "ui_SpecialTab.h"
#include "views/DeviceTree.h"
#include "views/RdmPageView.h"
#include "views/SpecialTab.h"

using Data = std::vector<uint8_t>;

// The whole program with an interface plugged in and one of the maker's
// devices on its line, already in the tree as node 1 (7FF3:00000001, under
// its group) and selected. UseKind puts a device of another kind there.
class MakerRdmFixture : public LinkFixture {
public:
    static constexpr uint64_t Uid = 0x7FF300000001ull;

    // Values that every control of every configuration page can show as
    // they are; `seed` tells two configurations apart.
    static void FillConfig(tDeviceConfig& c, int seed) {
        for (int ch = 1; ch <= 5; ++ch) {
            c.Min[ch] = uint8_t(seed + ch);
            c.Max[ch] = uint8_t(200 + seed + ch);
            c.Def[ch] = uint8_t(50 + seed + ch);
            c.Gamma[ch] = (15 + seed + ch) / 10.0;
            c.Offs[ch] = uint8_t(20 + seed + ch);
            c.OutMin[ch] = uint16_t(100 * ch + seed);
            c.OutStart[ch] = uint16_t(1000 + ch + seed);
            c.OutMax[ch] = uint16_t(30000 + ch + seed);
        }
        c.WhiteBalance = c.LinearCurve = c.Infra = c.Overheat = uint8_t(seed % 2);
        c.HzNumber = uint16_t(90 + seed);
        for (int i = 1; i <= 9; ++i) {
            c.Speed[i] = uint16_t(20 * i + seed);
            c.Wait[i] = uint16_t(10 * i + seed);
        }
    }

    void SetUp() override {
        LinkFixture::SetUp();
        line = StartOnLine<SimRdmLinkLine>();
        dm->LinkMode = LinkModeRdm;
        view = w->rdmView;
        tab = TSpecialTab::of(w);
        maker = TMakerRdm::of(w);
        UseKind(2);
    }

    // A fresh device of this kind at node 1, with its personality and address.
    void UseKind(uint8_t kind, uint8_t personality = 1, uint16_t address = 1) {
        dev = std::make_unique<SimMakerDevice>(Uid, kind);
        line->rdm.responders = {&dev->rdm};
        QTreeWidget* tree = view->tree();
        ClearDeviceTree(tree);
        auto* group = AddDeviceNode(tree, nullptr, "7FF3");
        group->record().nodeKind = NodeKindGroup;
        group->record().uid = Uid;
        tRdmDevice& r = AddDeviceNode(tree, group, "Maker device")->record();
        r.nodeKind = NodeKindDevice;
        r.uid = Uid;
        r.DeviceKind = kind;
        r.currentPersonality = personality;
        r.dmxStartAddress = address;
        view->RdmCurrentNode() = 1;
        view->ShowDeviceSpecialPage();
        Settle();
        ClearSent();
    }

    tRdmDevice& Rec() { return *view->RecordAt(1); }
    RdmState& St() { return dm->RdmGlobals(); }
    Ui::SpecialTab& Spec() { return *view->specUi; }
    Ui::KonfigPage& Konf() { return *w->konfUi; }
    tDeviceConfig& Config() { return w->configPages->DeviceConfig; }
    tProgramData& Programs() { return w->programEditor->Programs; }

    // The requests that reached the device since the last ClearSent:
    // command class, PID, data.
    using Req = std::tuple<int, int, Data>;
    std::vector<Req> Sent() const {
        std::vector<Req> out;
        for (const auto& r : dev->rdm.received)
            out.emplace_back(r[20], (r[21] << 8) | r[22], Data(r.begin() + 24, r.begin() + 24 + r[23]));
        return out;
    }
    void ClearSent() {
        dev->requests.clear();
        dev->rdm.received.clear();
        line->requests.clear();
    }

    void ClearLog() { view->btnClrTortenetClick(); }

    void Click(QAbstractButton* b) {
        b->setEnabled(true);
        b->click();
        Settle();
    }
    // Runs the event loop through a long chain (a program upload pauses
    // before each packet).
    void SettleLong() { ASSERT_TRUE(platform->WaitIdle(60000)); }

    static constexpr uint64_t OtherUid = 0x7FF300000002ull;

    // A second device of the kind on the line, at node 2 of the tree: one
    // that nothing of an upload or set-up of node 1 may reach.
    std::unique_ptr<SimMakerDevice> AddOtherDevice(uint8_t kind) {
        auto other = std::make_unique<SimMakerDevice>(OtherUid, kind);
        line->rdm.responders.push_back(&other->rdm);
        tRdmDevice& r = AddDeviceNode(view->tree(), NodeAt(view->tree(), 0), "Other device")->record();
        r.nodeKind = NodeKindDevice;
        r.uid = OtherUid;
        r.DeviceKind = kind;
        return other;
    }

    // The answer to the device's maker request n waits on the line until released.
    void HoldAnswerTo(int n) {
        dev->tamper = [this, n](int request, Data&) {
            if (request == n) box->HoldInput(true);
        };
    }
    // Lets the held answers go; a click held meanwhile is then taken.
    void ReleaseAnswers() {
        box->HoldInput(false);
        box->ReleaseInput();
        SettleLong();
        if (heldClick == 0) return;
        EXPECT_EQ(view->RdmCurrentNode(), heldClick) << "the held click is taken once the line is free";
        EXPECT_EQ(view->tree()->currentItem(), NodeAt(view->tree(), heldClick));
        heldClick = 0;
    }

    // The user's click on another node of the tree, on the RDM page. While
    // an answer is on its way the click waits for it (ReleaseAnswers checks
    // that it is taken then); the tree shows it at once.
    void ClickNode(int node) {
        w->showMainPage("RDM");
        ClickItem(view->tree(), NodeAt(view->tree(), node));
        Settle();
        ASSERT_EQ(view->tree()->currentItem(), NodeAt(view->tree(), node));
        if (view->LineHeld())
            heldClick = node;
        else
            EXPECT_EQ(view->RdmCurrentNode(), node) << "a click on a free line is taken at once";
    }

    std::shared_ptr<SimRdmLinkLine> line;
    std::unique_ptr<SimMakerDevice> dev;
    int heldClick = 0; // a click that waits for the line
    RdmPageView* view = nullptr;
    TSpecialTab* tab = nullptr;
    TMakerRdm* maker = nullptr;
};

#pragma once

#include <QTabWidget>
#include <QTest>
#include <span>

#include "maker/Shapes.h"
#include "sensor/RdmDeviceFixture.h"
#include "support/sim/rdm_display_responder.h"
#include "views/remacc.h"

// The program with the maker's device 7FF3:00000001 (node 1) on the
// simulated line: it lists the display and key parameters and shows a
// display. The remote-access tab is open on it and polling; the test drives
// every tick of the timer itself.
class RemoteAccessTab : public RdmDeviceFixture {
protected:
    void SetUp() override {
        RdmDeviceFixture::SetUp();
        remote = TRemoteAccess::of(w);
        pc = Find<QTabWidget>("pcRdm");
        tab = Find<QWidget>("tsRemoteAccess");
        tRdmDevice& r = Rec(1);
        basePidCount = r.supportedPidCount;
        r.supportedPids[r.supportedPidCount++] = 0x8002;
        r.supportedPids[r.supportedPidCount++] = 0x8003;
        view->Discovery.DiscoveredCount = 2;
        // The timer never fires by itself here.
        dm->tmrRemAcc->setInterval(24 * 3600 * 1000);
        w->showMainPage("RDM");
        ClickNode(1);
        pc->setCurrentWidget(tab);
        Settle();
        ClearLog();
    }

    void ClickNode(int node) {
        ClickItem(tree, NodeAt(tree, node));
        Settle();
    }
    bool TabShown() const { return pc->isTabVisible(pc->indexOf(tab)); }

    void Tick(int n = 1) {
        for (int i = 0; i < n; ++i) {
            dm->tmrRemAccTimer();
            Settle();
        }
    }

    // The remote-access requests sent since the last ClearLog.
    std::vector<Req> RemoteSent() const {
        std::vector<Req> out;
        for (const Req& r : Sent())
            if (std::get<1>(r) == 0x8002 || std::get<1>(r) == 0x8003) out.push_back(r);
        return out;
    }

    // An answer to a display page request, as if the device sent it now.
    // It carries the transaction number of the last request sent.
    void PushPageAnswer(std::span<const uint8_t> page, uint8_t responseType = 0) {
        const uint8_t transaction = dm->RdmGlobals().Asked.transaction;
        const auto frame =
            BuildRdmAnswerFrame(0x7FF100000000ull, Uid1, transaction, responseType, 0, 0x21, 0x8002, page);
        for (const auto& r : SimRdmLine::SplitAnswer(frame, 60))
            box->PushReport(std::vector<uint8_t>(r.begin(), r.begin() + 64));
        Settle();
    }

    // A test picture: a frame around the display, a diagonal and a few dots.
    void DrawPattern() {
        for (int x = 0; x < 122; ++x) {
            display.SetPixel(x, 0, true);
            display.SetPixel(x, 31, true);
        }
        for (int y = 0; y < 32; ++y) {
            display.SetPixel(0, y, true);
            display.SetPixel(121, y, true);
            display.SetPixel(y * 3, y, true);
        }
        display.SetPixel(61, 9, true);
        display.SetPixel(62, 23, true);
    }

    static constexpr QRgb White = 0xFFFFFFFF;
    static constexpr QRgb Blue = 0xFF0080FF;

    SimDisplayDevice display{dev1};
    TRemoteAccess* remote = nullptr;
    QTabWidget* pc = nullptr;
    QWidget* tab = nullptr;
    uint8_t basePidCount = 0;
};

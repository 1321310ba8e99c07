#pragma once

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTreeWidget>
#include <string>

#include "link/LinkFixture.h"
#include "rdm/RdmState.h"
#include "support/log_access.h"
#include "support/sim/rdm_sensor_responder.h"
#include "support/sim/rdm_sim_line.h"
#include "views/DeviceTree.h"
#include "views/RdmPageView.h"

using Data = std::vector<uint8_t>;
// A request as it reached the simulated line: command class, PID, data.
using Req = std::tuple<int, int, Data>;

// The whole program with an interface plugged in and two RDM devices on its
// line, already in the tree (as after a scan): node 1 is device 7FF3:00000001,
// node 2 device 7FF3:00000002. Node 1 is selected.
class RdmDeviceFixture : public LinkFixture {
protected:
    static constexpr uint64_t Uid1 = 0x7FF300000001ull;
    static constexpr uint64_t Uid2 = 0x7FF300000002ull;

    void SetUp() override {
        LinkFixture::SetUp();
        line = StartOnLine<SimRdmLinkLine>();
        line->rdm.responders = {&dev1, &dev2};
        dm->LinkMode = LinkModeRdm;
        view = w->rdmView;
        tree = w->findChild<QTreeWidget*>("tvDeviceList");

        for (SimRdmResponder* d : {&dev1, &dev2}) {
            d->SetDeviceInfo(0x0042, 0x0101, 1, 2, 1, 0, 0, 4);
            d->SetText(0x0080, "Spot 575");
            d->SetText(0x0082, "Stage left");
            for (uint16_t pid : {0x0403, 0x0404, 0x0500, 0x0600, 0x0601, 0x0602, 0x1000})
                d->values[pid] = {0};
            d->values[0x0401] = {0, 0, 0, 10};
            d->values[0x0405] = {0, 0, 0, 3};
            d->values[0x0501] = {100};
            d->values[0x1010] = d->values[0x1040] = {0xFF};
            d->values[0x8000] = Data(8);
            d->values[0x8004] = Data(6);
            d->settable = {0x8000, 0x8004};
        }

        auto* group = AddDeviceNode(tree, nullptr, "7FF3");
        group->record().nodeKind = NodeKindGroup;
        group->record().uid = Uid1;
        for (uint64_t uid : {Uid1, Uid2}) {
            tRdmDevice& r = AddDeviceNode(tree, group, "Spot 575")->record();
            r.nodeKind = NodeKindDevice;
            r.uid = uid;
            r.dmxStartAddress = 1;
            r.currentPersonality = 1;
            r.personalityCount = 2;
            r.personalities[1] = {4, "4 channel"};
            r.personalities[2] = {0, "stand alone"};
            r.modelDescription = "Spot 575";
            r.deviceLabel = "Stage left";
            r.lampHours = 10;
            r.devicePowerCycles = 3;
            r.displayLevel = 100;
            r.powerState = r.identifyMode = 0xFF;
            const uint16_t pids[] = {0x0082, 0x0090, 0x0401, 0x0403, 0x0404, 0x0405, 0x0500, 0x0501,
                                     0x0600, 0x0601, 0x0602, 0x1001, 0x1010, 0x1040, 0x00E0, 0x00F0};
            r.supportedPidCount = uint8_t(std::size(pids));
            std::copy(std::begin(pids), std::end(pids), r.supportedPids.begin());
        }
        Select(1);
    }

    // Selects a tree node as a click would.
    void Select(int node) {
        view->RdmCurrentNode() = uint16_t(node);
        dm->RdmGlobals().RdmCurrentNode = uint16_t(node);
        view->ShowDeviceDetails(node);
    }

    tRdmDevice& Rec(int node = 1) { return *view->RecordAt(node); }

    // Requests of this command class and PID that a device received.
    static int Count(const SimRdmResponder& d, uint8_t cc, uint16_t pid) {
        int n = 0;
        for (const auto& f : d.received)
            n += f[20] == cc && ((f[21] << 8) | f[22]) == pid;
        return n;
    }
    // Lines of the device log that hold this text.
    int Lines(const QString& text) const { return int(Log().filter(text).size()); }

    // Both devices and their records back as the late-line tests start them,
    // device 1 selected in the tree and on the page, the details tab open.
    // `supported`: the parameters each device lists, if any.
    void RestoreBothDevices(std::initializer_list<uint16_t> supported = {}) {
        dm->tmrSensor->stop();
        Find<QTabWidget>("pcRdm")->setCurrentIndex(0);
        for (int node : {1, 2}) {
            SimRdmResponder& d = node == 1 ? dev1 : dev2;
            d.SetDeviceInfo(0x0042, 0x0101, 1, 2, 1, 0, 0, 4);
            if (supported.size()) d.SetSupported(supported);
            d.SetText(0x0082, "Stage left");
            d.values[0x0401] = {0, 0, 0, 10};
            d.values[0x0403] = {0};
            d.values[0x0501] = {100};
            tRdmDevice& r = Rec(node);
            r.currentPersonality = 1;
            r.dmxStartAddress = 1;
            r.deviceLabel = "Stage left";
            r.lampHours = 10;
            r.lampState = 0;
            r.displayLevel = 100;
        }
        tree->setCurrentItem(NodeAt(tree, 1));
        Select(1);
        ClearLog();
        dev1.received.clear();
        dev2.received.clear();
    }

    // Plugs an interface in again on the same line: nothing of what was cut
    // short by its removal goes out to the devices.
    void ReplugAndExpectNoRequest(const char* what) {
        dev1.received.clear();
        box = platform->PlugInterface(0);
        box->line = line;
        Settle();
        EXPECT_TRUE(dev1.received.empty());
        for (const auto& p : box->packets)
            EXPECT_NE(p.type, 0x40) << "no request of " << what << " goes out";
    }

    // The RDM requests sent since the last ClearLog, and the UIDs they went to.
    std::vector<Req> Sent(std::vector<uint64_t>* destinations = nullptr) const {
        std::vector<Req> out;
        for (const auto& p : line->requests) {
            const auto& b = p.bytes;
            if (b.size() < 29 || b[3] != 0xCC) continue;
            out.emplace_back(b[23], (b[24] << 8) | b[25], Data(b.begin() + 27, b.begin() + 27 + b[26]));
            uint64_t uid = 0;
            for (int k = 6; k < 12; ++k)
                uid = (uid << 8) | b[size_t(k)];
            if (destinations) destinations->push_back(uid);
        }
        return out;
    }
    Data FirstData() const {
        const auto sent = Sent();
        return sent.empty() ? Data{0xEE, 0xEE} : std::get<2>(sent.front());
    }

    void ClearLog() {
        w->rdmView->btnClrTortenetClick();
        line->requests.clear();
    }

    void Click(const char* button) {
        Find<QPushButton>(button)->click();
        Settle();
    }
    // Chooses an item of a combo box or a value of a spin edit.
    void Set(const char* input, int value) {
        if (auto* combo = w->findChild<QComboBox*>(input))
            combo->setCurrentIndex(value);
        else
            Find<QSpinBox>(input)->setValue(value);
    }

    std::shared_ptr<SimRdmLinkLine> line;
    SimRdmResponder dev1{Uid1};
    SimRdmResponder dev2{Uid2};
    SimDeviceBehaviour behaviour1{dev1};
    SimDeviceBehaviour behaviour2{dev2};
    RdmPageView* view = nullptr;
    QTreeWidget* tree = nullptr;
};

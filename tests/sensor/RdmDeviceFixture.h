#pragma once

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>

#include "link/LinkFixture.h"
#include "rdm/RdmState.h"
#include "support/sim/rdm_sensor_responder.h"
#include "support/sim/rdm_sim_line.h"
#include "views/DeviceTree.h"
#include "views/RdmPageView.h"

// One request as it reached the simulated line.
struct SeenRequest {
    uint8_t commandClass = 0;
    uint16_t pid = 0;
    uint64_t destination = 0;
    std::vector<uint8_t> data;
};

// The whole program with an interface plugged in and two RDM devices on its
// line, already in the tree (as after a scan): node 1 is device 7FF3:00000001,
// node 2 device 7FF3:00000002. Node 1 is selected.
class RdmDeviceFixture : public LinkFixture {
protected:
    static constexpr uint64_t Uid1 = 0x7FF300000001ull;
    static constexpr uint64_t Uid2 = 0x7FF300000002ull;

    void SetUp() override {
        LinkFixture::SetUp();
        box = platform->PlugInterface(0);
        Start();
        line = std::make_shared<SimRdmLinkLine>();
        line->rdm.responders = {&dev1, &dev2};
        box->line = line;
        dm->LinkMode = LinkModeRdm;
        view = w->rdmView;
        tree = w->findChild<QTreeWidget*>("tvDeviceList");

        for (SimRdmResponder* d : {&dev1, &dev2}) {
            d->SetDeviceInfo(0x0042, 0x0101, 1, 2, 1, 0, 0, 4);
            d->SetText(0x0080, "Spot 575");
            d->SetText(0x0082, "Stage left");
            d->values[0x0403] = {0};
            d->values[0x0404] = {0};
            d->values[0x0401] = {0, 0, 0, 10};
            d->values[0x0405] = {0, 0, 0, 3};
            d->values[0x0500] = {0};
            d->values[0x0501] = {100};
            d->values[0x0600] = {0};
            d->values[0x0601] = {0};
            d->values[0x0602] = {0};
            d->values[0x1010] = {0xFF};
            d->values[0x1040] = {0xFF};
            d->values[0x1000] = {0};
            d->values[0x8000] = {0, 0, 0, 0, 0, 0, 0, 0};
            d->values[0x8004] = {0, 0, 0, 0, 0, 0};
            d->settable = {0x8000, 0x8004};
        }

        auto* group = AddDeviceNode(tree, nullptr, "7FF3");
        group->record().nodeKind = NodeKindGroup;
        group->record().uid = Uid1;
        for (uint64_t uid : {Uid1, Uid2}) {
            auto* node = AddDeviceNode(tree, group, "Spot 575");
            tRdmDevice& r = node->record();
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
            r.powerState = 0xFF;
            r.identifyMode = 0xFF;
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

    std::vector<SeenRequest> Requests() const {
        std::vector<SeenRequest> out;
        for (const auto& p : line->requests) {
            const auto& b = p.bytes;
            if (b.size() < 29 || b[3] != 0xCC) continue;
            SeenRequest r;
            r.commandClass = b[23];
            r.pid = uint16_t((b[24] << 8) | b[25]);
            for (int k = 6; k < 12; ++k)
                r.destination = (r.destination << 8) | b[size_t(k)];
            r.data.assign(b.begin() + 27, b.begin() + 27 + b[26]);
            out.push_back(r);
        }
        return out;
    }
    // The requests after the first `from` ones.
    std::vector<SeenRequest> RequestsSince(size_t from) const {
        auto all = Requests();
        return {all.begin() + long(std::min(from, all.size())), all.end()};
    }

    QStringList Log() const {
        return w->findChild<QPlainTextEdit*>("mDeviceList")->toPlainText().split('\n', Qt::SkipEmptyParts);
    }
    void ClearLog() {
        w->findChild<QPlainTextEdit*>("mDeviceList")->clear();
        line->requests.clear();
    }

public:
    template <typename T> T* Find(const char* name) const {
        T* widget = w->findChild<T*>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

protected:
    void Click(const char* button) {
        Find<QPushButton>(button)->click();
        Settle();
    }

    std::shared_ptr<sim::SimInterface> box;
    std::shared_ptr<SimRdmLinkLine> line;
    SimRdmResponder dev1{Uid1};
    SimRdmResponder dev2{Uid2};
    SimDeviceBehaviour behaviour1{dev1};
    SimDeviceBehaviour behaviour2{dev2};
    RdmPageView* view = nullptr;
    QTreeWidget* tree = nullptr;
};

#pragma once

#include <QCheckBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <deque>
#include <set>

#include "link/LinkFixture.h"
#include "rdm/RdmState.h"
#include "rdm/rdm_frame.h"
#include "support/log_access.h"
#include "support/sim/rdm_discovery_link.h"
#include "ui_RdmPage.h"
#include "views/DeviceTree.h"
#include "views/RdmPageView.h"

// The whole program with an interface whose DMX line holds simulated RDM
// responders that also take part in discovery.
class DiscoveryScanTest : public LinkFixture {
protected:
    void SetUp() override {
        LinkFixture::SetUp();
        line = StartOnLine<SimRdmDiscoveryLinkLine>();
        view = w->rdmView;
        ui = w->rdmUi.get();
    }

    // A responder owned by the test, on the line.
    SimRdmResponder& Device(uint64_t uid, uint16_t subDevice = 0) {
        devices.emplace_back(uid, subDevice);
        line->Add(devices.back());
        return devices.back();
    }

    void Discover() {
        ASSERT_TRUE(ui->btnDiscovery->isEnabled());
        QTest::mouseClick(ui->btnDiscovery, Qt::LeftButton);
        Settle();
    }

    // The device log's last line; empty when there is none.
    QString LastLogLine() const {
        const QStringList log = Log();
        return log.isEmpty() ? QString() : log.back();
    }
    QStringList Captions() const { return NodeCaptions(ui->tvDeviceList); }
    // The GETs one responder received, as PIDs (with their first data byte for indexed ones).
    static std::vector<uint16_t> GetPids(const SimRdmResponder& r) {
        std::vector<uint16_t> pids;
        for (const auto& req : r.received)
            if (req.size() > 23 && req[20] == 0x20) pids.push_back(uint16_t(req[21] << 8 | req[22]));
        return pids;
    }
    // The first GET a responder received; 0 when it received none.
    static uint16_t FirstGet(const SimRdmResponder& r) {
        const auto pids = GetPids(r);
        return pids.empty() ? 0 : pids.front();
    }
    // The data of every GET of one PID a responder received: its first byte, or its first word.
    static std::vector<int> Asked(const SimRdmResponder& r, uint16_t pid) {
        std::vector<int> v;
        for (const auto& q : r.received)
            if (q.size() > 24 && q[20] == 0x20 && (q[21] << 8 | q[22]) == pid)
                v.push_back(q[23] == 1 ? q[24] : q[24] << 8 | q[25]);
        return v;
    }
    // The device node (not its group) of a UID, or -1.
    int NodeOf(uint64_t uid) const {
        for (int i = 0; i < NodeCount(ui->tvDeviceList); ++i)
            if (view->RecordAt(i)->uid == uid && view->RecordAt(i)->nodeKind == NodeKindDevice) return i;
        return -1;
    }
    // A real mouse click on a node of the tree.
    void Click(int node) {
        ClickItem(ui->tvDeviceList, NodeAt(ui->tvDeviceList, node));
        Settle();
    }
    RdmState& St() { return dm->RdmGlobals(); }

    std::shared_ptr<SimRdmDiscoveryLinkLine> line;
    std::deque<SimRdmResponder> devices;
    RdmPageView* view = nullptr;
    Ui::RdmPage* ui = nullptr;
};

#pragma once

#include <QAbstractItemView>
#include <QComboBox>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/shell_fixture.h"
#include "link/DataModule.h"
#include "link/SetupInterface.h"
#include "link/network.h"
#include "support/sim/SimNetworkInterface.h"
#include "ui_Main.h"
#include "ui_SetupInterface.h"

inline const QHostAddress LoopbackBroadcast(QStringLiteral("127.255.255.255"));
inline const tAdapterInfo Loopback{"lo", "00:00:00:00:00:00", {{{127, 0, 0, 1}, {255, 0, 0, 0}}}};

// A started program whose setup dialog sees only the loopback adapter and
// whose discovery uses ports of its own; the network timer's ticks are given
// by the test (the timer still runs, so its interval and activity show).
class NetworkTest : public ShellTest {
protected:
    void SetUp() override {
        ShellTest::SetUp();
        startEnglish();
        defaultPorts = {net().DiscoveryPort, net().AnnouncementPort};
        net().DiscoveryPort = FreeUdpPort();
        do
            net().AnnouncementPort = FreeUdpPort();
        while (net().AnnouncementPort == net().DiscoveryPort);
        QObject::disconnect(dm().tmrNetwork, &QTimer::timeout, nullptr, nullptr);
        dlg().AdapterSource = [] { return QList<tAdapterInfo>{Loopback}; };
    }

    std::pair<uint16_t, uint16_t> defaultPorts;

    TfrmSetupInterface& dlg() { return *program->frmSetupInterface; }
    TDM& dm() { return *program->DM; }
    TNetworkDiscovery& net() { return dm().Network(); }

    QStringList Lines() { return Items(dlg().ui->lbNetworkInterfaceList); }
    QStringList AdapterLines() { return Items(dlg().ui->cbNetworkAdapter); }

    static bool WaitFor(const std::function<bool()>& condition) { return QTest::qWaitFor(condition, 10000); }

    // The dialog shown, and the user clicks NETWORK.
    void OpenOnNetwork() {
        dlg().show();
        ClickRadio(dlg().ui->rbNetwork);
    }

    // The user opens the adapter drop-down and picks the row.
    void PickAdapter(int row) {
        QComboBox* cb = dlg().ui->cbNetworkAdapter;
        cb->showPopup();
        cb->view()->setCurrentIndex(cb->model()->index(row, 0));
        QTest::keyClick(cb->view(), Qt::Key_Return);
    }

    // Discovery on the loopback adapter, through to listening.
    void Listen() {
        OpenOnNetwork();
        PickAdapter(0);
        ASSERT_TRUE(WaitFor([&] { return net().NetworkState == 5; }));
        dm().tmrNetworkTimer();
        ASSERT_EQ(net().NetworkState, 6);
    }

    // An interface announces itself to the program's listening port; waits
    // until the list holds `rows` lines.
    void Announce(SimNetworkInterface& sim, int rows) {
        ASSERT_TRUE(sim.Announce(QHostAddress::LocalHost, net().AnnouncementPort));
        ASSERT_TRUE(WaitFor([&] { return Lines().size() == rows; })) << Lines().join('\n').toStdString();
    }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i)
            dm().tmrNetworkTimer();
    }
};

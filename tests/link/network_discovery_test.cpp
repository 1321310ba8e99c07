#include <QRandomGenerator>

#include "network_fixture.h"
#include "support/log_access.h"

namespace {

t_networkdev Dev(uint32_t id, uint16_t type, const char* label, uint8_t year, uint16_t status) {
    t_networkdev d;
    d.Id = id;
    d.TypeCode = type;
    d.Label = QString::fromUtf8(label);
    d.AppMajor = 1;
    d.AppMinor = 4;
    d.Year = year;
    d.Month = 3;
    d.Day = 9;
    d.Status = status;
    return d;
}

} // namespace

TEST(NetworkTexts, LinesAndBroadcastAddresses) {
    const struct {
        t_networkdev dev;
        const char* line;
    } lines[] = {
        {Dev(1, 0x65, "Stage", 15, 3),
         "00000001 - MORROW WIFI Interface (Stage) (app: v.1.4 - 2015.3.9) - konfigurált"},
        {Dev(0xABCDEF12, 0x67, "", 15, 1),
         "ABCDEF12 - PALLOT WIFI Interface () (app: v.1.4 - 2015.3.9) - nem konfigurált"},
        {Dev(2, 0x66, "B", 15, 0x8000),
         "00000002 - MORROW ETHERNET Interface (B) (app: v.1.4 - 2015.3.9) - szoftver frissítés szükséges"},
        // A type with no row shows "?", an unknown status nothing; years before 2010 keep their century.
        {Dev(3, 0x0165, "C", 5, 2), "00000003 - ? (C) (app: v.1.4 - 2005.3.9)"},
    };
    for (const auto& l : lines)
        EXPECT_EQ(NetworkDeviceLine(l.dev), QString::fromUtf8(l.line));

    const struct {
        tIpAddress ip, mask;
        const char* broadcast;
    } nets[] = {
        {{192, 168, 1, 20}, {255, 255, 255, 0}, "192.168.1.255"},
        {{127, 0, 0, 1}, {255, 0, 0, 0}, "127.255.255.255"},
        {{10, 1, 130, 7}, {255, 255, 128, 0}, "10.1.255.255"},
        {{0, 0, 0, 0}, {255, 255, 255, 255}, "0.0.0.0"},
    };
    for (const auto& n : nets)
        EXPECT_EQ(BroadcastAddress(n.ip, n.mask), n.broadcast);
}

using Discovery = NetworkTest;

TEST_F(Discovery, ProbeEchoAndRebindTakeTheStateFromFourToSix) {
    // The interface answers the probe by announcing itself to the prober.
    SimNetworkInterface sim(net().DiscoveryPort);
    ASSERT_TRUE(sim.listening());
    sim.answerPort = net().AnnouncementPort;
    OpenOnNetwork();
    EXPECT_EQ(net().NetworkState, 0); // listing the adapters starts nothing
    EXPECT_FALSE(dm().udpServer->Active());
    PickAdapter(0);
    EXPECT_EQ(main().InterfaceKind, "NETWORK");
    EXPECT_EQ(IpToText(main().InterfaceIp), "127.0.0.1");
    EXPECT_EQ(IpToText(main().InterfaceMask), "255.0.0.0");

    ASSERT_TRUE(WaitFor([&] { return !sim.probes.isEmpty() && net().NetworkState == 5; }));
    const SimNetworkInterface::Probe& probe = sim.probes.first();
    EXPECT_EQ(probe.data, QByteArray(4, '\0'));
    EXPECT_EQ(probe.destination, LoopbackBroadcast);
    EXPECT_EQ(probe.destinationPort, net().DiscoveryPort);
    EXPECT_FALSE(DeviceLogText(&main()).contains("could not be sent"));
    // The program's own echo gave its address and the client's port.
    EXPECT_EQ(IpToText(net().OwnIp), "127.0.0.1");
    EXPECT_EQ(net().OwnPort, dm().udpClient->localPort());
    EXPECT_TRUE(dm().tmrNetwork->isActive());
    EXPECT_EQ(dm().tmrNetwork->interval(), 10);

    dm().tmrNetworkTimer();
    EXPECT_EQ(net().NetworkState, 6);
    EXPECT_EQ(dm().udpServer->ListeningCount(), 2);
    EXPECT_EQ(dm().tmrNetwork->interval(), 1000);
    ASSERT_TRUE(WaitFor([&] { return !Lines().isEmpty(); }));
    EXPECT_EQ(Lines(),
              QStringList{QString::fromUtf8(
                  "00000001 - MORROW WIFI Interface (Stage) (app: v.1.4 - 2015.3.9) - konfigurált")});

    // Picking the adapter again empties the list and probes anew.
    PickAdapter(0);
    EXPECT_TRUE(Lines().isEmpty());
    EXPECT_EQ(net().NetworkDeviceCount, 0);
    ASSERT_TRUE(WaitFor([&] { return net().NetworkState == 5; }));
    EXPECT_EQ(sim.probes.size(), 2);

    // Closing the window switches both sockets off.
    main().FormDestroy();
    EXPECT_FALSE(dm().udpServer->Active());
    EXPECT_EQ(dm().udpServer->ListeningCount(), 0);
    EXPECT_EQ(dm().udpClient->state(), QAbstractSocket::UnconnectedState);
}

TEST_F(Discovery, OnlyTheProgramsOwnEchoIsTakenWhileProbing) {
    // Another host answers at once; it is heard before the echo can be.
    net().NetworkState = 4;
    dm().Network().StartDiscoveryServer();
    SimNetworkInterface other(FreeUdpPort(), QHostAddress(QStringLiteral("127.0.0.2")));
    SimNetworkInterface own(FreeUdpPort());
    ASSERT_TRUE(other.Send(QByteArray(4, '\0'), QHostAddress::LocalHost, net().DiscoveryPort));
    ASSERT_TRUE(own.Send(QByteArray(4, '\0'), QHostAddress::LocalHost, net().DiscoveryPort));
    ASSERT_TRUE(WaitFor([&] { return net().NetworkState == 5; }));
    EXPECT_EQ(IpToText(net().OwnIp), "127.0.0.1");
    EXPECT_EQ(net().OwnPort, own.sourcePort());
}

TEST_F(Discovery, AnnouncementsMakeOneRowPerInterfaceWithTheirLabels) {
    Listen();
    SimNetworkInterface sim(FreeUdpPort());
    const struct {
        uint32_t id;
        QByteArray label;
        const char* shown;
    } rows[] = {
        {1, "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345", "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345"}, // 32 bytes, no NUL
        {2, QByteArray("Stage\0Left", 10), "Stage"},
        {3, "Side", "Side"},
    };
    int n = 0;
    for (const auto& r : rows) {
        sim.identity.id = r.id;
        sim.identity.label = r.label;
        Announce(sim, ++n);
        EXPECT_EQ(net().NetworkDevices[n - 1].Label, r.shown);
        EXPECT_TRUE(Lines().last().contains(QStringLiteral("(%1)").arg(r.shown)));
    }
    // A second announcement of interface 1 only refreshes its row; datagrams
    // that are no announcement are ignored. A new interface after them shows
    // they were all handled.
    Ticks(2);
    sim.identity.id = 1;
    sim.identity.label = "Renamed";
    ASSERT_TRUE(sim.Announce(QHostAddress::LocalHost, net().AnnouncementPort));
    QByteArray shortOne = sim.Announcement().left(74);
    shortOne[13] = 9;
    QByteArray untagged = sim.Announcement();
    untagged[0] = 'o';
    untagged[13] = 10;
    for (const QByteArray& bad : {shortOne, untagged, QByteArray()})
        ASSERT_TRUE(sim.Send(bad, QHostAddress::LocalHost, net().AnnouncementPort));
    sim.identity.id = 4;
    sim.identity.label = QByteArray("\0Back", 5); // an empty label
    Announce(sim, 4);
    EXPECT_EQ(net().NetworkDevices[3].Label, "");
    EXPECT_TRUE(Lines().first().contains("(ABCDEFGHIJKLMNOPQRSTUVWXYZ012345)"));
    EXPECT_EQ(net().NetworkDevices[0].Ttl, 5);
    EXPECT_EQ(net().NetworkDevices[1].Ttl, 3);
    EXPECT_EQ(net().FindNetworkDevice(9), -1);
    EXPECT_EQ(net().FindNetworkDevice(10), -1);
}

TEST_F(Discovery, SilentInterfacesAgeOutAndTheOthersKeepTheirOrderAndAge) {
    Listen();
    SimNetworkInterface sim(FreeUdpPort());
    sim.identity.id = 0xA;
    Announce(sim, 1);
    Ticks(2);
    sim.identity.id = 0xB;
    Announce(sim, 2);
    sim.identity.id = 0xC;
    Announce(sim, 3);
    const QStringList before = Lines();
    // A: 5 -> 3 -> 0 after three more ticks; B and C: 5 -> 2.
    Ticks(3);
    EXPECT_EQ(Lines(), before.mid(1));
    EXPECT_EQ(net().NetworkDevices[0].Id, 0xBu);
    EXPECT_EQ(net().NetworkDevices[1].Id, 0xCu);
    EXPECT_EQ(net().NetworkDevices[0].Ttl, 2);
    EXPECT_EQ(net().NetworkDevices[1].Ttl, 2);
    Ticks(1);
    EXPECT_EQ(Lines().size(), 2);
    Ticks(1);
    EXPECT_TRUE(Lines().isEmpty());
    EXPECT_EQ(net().NetworkDeviceCount, 0);
}

TEST_F(Discovery, SixteenRowsAreTheMostAndAnUnknownTypeIsListed) {
    Listen();
    SimNetworkInterface sim(FreeUdpPort());
    sim.identity.typeCode = 0x68;
    for (uint32_t id = 1; id <= 16; ++id) {
        sim.identity.id = id;
        ASSERT_TRUE(sim.Announce(QHostAddress::LocalHost, net().AnnouncementPort));
    }
    ASSERT_TRUE(WaitFor([&] { return Lines().size() == 16; }));
    // A seventeenth is left out; the refresh of the first after it shows it was handled.
    Ticks(1);
    for (uint32_t id : {17u, 1u}) {
        sim.identity.id = id;
        ASSERT_TRUE(sim.Announce(QHostAddress::LocalHost, net().AnnouncementPort));
    }
    ASSERT_TRUE(WaitFor([&] { return net().NetworkDevices[0].Ttl == 5; }));
    EXPECT_EQ(net().NetworkDeviceCount, 16);
    EXPECT_EQ(net().FindNetworkDevice(17), -1);
    EXPECT_EQ(Lines().size(), 16);
    EXPECT_TRUE(Lines().first().startsWith("00000001 - ? (Stage)"));
}

TEST_F(Discovery, AnnouncementsDoNotHoldBackTheAgeing) {
    Listen();
    QObject context;
    int fired = 0;
    QObject::connect(dm().tmrNetwork, &QTimer::timeout, &context, [&] { ++fired; });
    SimNetworkInterface sim(FreeUdpPort());
    for (int attempt = 1; attempt <= 5; ++attempt) {
        ASSERT_TRUE(WaitFor([&] { return dm().tmrNetwork->remainingTime() < 900; }));
        const int firedBefore = fired;
        const int before = dm().tmrNetwork->remainingTime();
        sim.identity.id = uint32_t(attempt);
        Announce(sim, attempt);
        if (fired != firedBefore) continue; // the second came round meanwhile: once more
        EXPECT_LE(dm().tmrNetwork->remainingTime(), before);
        return;
    }
    FAIL() << "the timer came round during every try";
}

TEST_F(Discovery, AnOccupiedPortIsReportedAndTheDialogStaysUsable) {
    QUdpSocket squatter;
    ASSERT_TRUE(squatter.bind(QHostAddress::AnyIPv4, net().DiscoveryPort, QUdpSocket::DontShareAddress));
    OpenOnNetwork();
    PickAdapter(0);
    EXPECT_TRUE(log().contains(
        QStringLiteral("Network: UDP port %1 on 0.0.0.0 could not be opened").arg(net().DiscoveryPort)))
        << log().toStdString();
    EXPECT_EQ(net().NetworkState, 4);
    QTest::mouseClick(dlg().ui->btnOk, Qt::LeftButton);
    EXPECT_EQ(dlg().result(), QDialog::Accepted);
    EXPECT_EQ(IpToText(main().InterfaceIp), "127.0.0.1");
}

TEST_F(Discovery, TheDefaultPortsOnTheMachinesLoopbackAdapter) {
    // Other programs on this machine may use the same ports at the same time;
    // broadcasts reach every one of them, and only what is ours is looked for.
    EXPECT_EQ(defaultPorts, std::make_pair(uint16_t(12346), uint16_t(12345)));
    net().DiscoveryPort = defaultPorts.first;
    net().AnnouncementPort = defaultPorts.second;
    dlg().AdapterSource = MachineAdapters;
    SimNetworkInterface sim(net().DiscoveryPort);
    ASSERT_TRUE(sim.listening());
    OpenOnNetwork();
    const qsizetype lo = AdapterLines().indexOf("127.0.0.1  -  lo");
    ASSERT_GE(lo, 0) << AdapterLines().join(", ").toStdString();
    PickAdapter(int(lo));
    const uint16_t client = dm().udpClient->localPort();
    auto ours = [&] {
        for (const auto& p : sim.probes)
            if (p.fromPort == client) return &p;
        return static_cast<const SimNetworkInterface::Probe*>(nullptr);
    };
    ASSERT_TRUE(WaitFor([&] { return ours() && net().NetworkState == 5; }));
    EXPECT_EQ(ours()->data, QByteArray(4, '\0'));
    EXPECT_EQ(ours()->destination, LoopbackBroadcast);
    EXPECT_EQ(ours()->destinationPort, 12346);
    dm().tmrNetworkTimer();
    sim.identity.id = QRandomGenerator::global()->generate();
    sim.StartAnnouncing(50, LoopbackBroadcast, 12345);
    EXPECT_TRUE(WaitFor([&] { return net().FindNetworkDevice(sim.identity.id) >= 0; }));
}

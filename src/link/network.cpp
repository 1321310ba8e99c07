// Discovery of the maker's network interfaces over UDP.
#include "link/network.h"

#include <QListWidget>
#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QTimer>
#include <QUdpSocket>
#include <algorithm>
#include <sys/socket.h>

#include "link/DataModule.h"

// ---- The server --------------------------------------------------------------

TUdpServer::TUdpServer(QObject* parent) : QObject(parent) {}

TUdpServer::~TUdpServer() {
    Deactivate();
}

QStringList TUdpServer::Activate() {
    Deactivate();
    QStringList failures;
    active = true;
    for (const Binding& b : Bindings) {
        auto* socket = new QUdpSocket(this);
        if (!socket->bind(b.address, b.port, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint)) {
            failures << QStringLiteral("UDP port %2 on %1 could not be opened (%3)")
                            .arg(b.address.toString())
                            .arg(b.port)
                            .arg(socket->errorString());
            delete socket;
            continue;
        }
        connect(socket, &QUdpSocket::readyRead, this, [this, socket] { readPending(socket); });
        sockets << socket;
    }
    return failures;
}

void TUdpServer::Deactivate() {
    active = false;
    for (QUdpSocket* s : std::as_const(sockets)) {
        s->close();
        s->deleteLater();
    }
    sockets.clear();
}

int TUdpServer::ListeningCount() const {
    return int(sockets.size());
}

void TUdpServer::readPending(QUdpSocket* socket) {
    while (socket->hasPendingDatagrams() && sockets.contains(socket)) {
        const QNetworkDatagram datagram = socket->receiveDatagram();
        if (onDatagram) onDatagram(datagram);
    }
}

// ---- Discovery -------------------------------------------------------------------

namespace {

bool IsOwnAddress(const QHostAddress& address) {
    const quint32 v4 = address.toIPv4Address();
    if (v4 == 0) return false;
    const QList<QHostAddress> own = QNetworkInterface::allAddresses();
    return std::any_of(own.begin(), own.end(), [v4](const QHostAddress& a) {
        return a.protocol() == QAbstractSocket::IPv4Protocol && a.toIPv4Address() == v4;
    });
}

} // namespace

TNetworkDiscovery::TNetworkDiscovery(TDM& dm) : DM(dm) {
    DM.udpServer->onDatagram = [this](const QNetworkDatagram& d) { udpServerUDPRead(d); };
}

void TNetworkDiscovery::AddServerBinding(uint16_t port) {
    // A socket bound to one unicast address hears no broadcast on Linux, so
    // each port listens on every IPv4 address at once.
    DM.udpServer->Bindings << TUdpServer::Binding{QHostAddress(QHostAddress::AnyIPv4), port};
}

void TNetworkDiscovery::ActivateServer() {
    for (const QString& failure : DM.udpServer->Activate())
        DM.AddDeviceListLine(QStringLiteral("Network: ") + failure);
}

void TNetworkDiscovery::StartDiscoveryServer() {
    DM.udpServer->Deactivate();
    DM.udpServer->Bindings.clear();
    AddServerBinding(DiscoveryPort);
    ActivateServer();
}

void TNetworkDiscovery::StartDiscoveryClient() {
    QUdpSocket* client = DM.udpClient;
    client->close();
    ClientHost = BroadcastAddress(DM.mainWindow() ? DM.mainWindow()->InterfaceIp : tIpAddress{},
                                  DM.mainWindow() ? DM.mainWindow()->InterfaceMask
                                                  : tIpAddress{0xFF, 0xFF, 0xFF, 0xFF});
    if (!client->bind(QHostAddress(QHostAddress::AnyIPv4), 0)) {
        DM.AddDeviceListLine(
            QStringLiteral("Network: the UDP client could not be opened (%1)").arg(client->errorString()));
        return;
    }
    const int on = 1;
    ::setsockopt(int(client->socketDescriptor()), SOL_SOCKET, SO_BROADCAST, &on, sizeof on);
}

void TNetworkDiscovery::SendDiscoveryProbe() {
    NetworkState = 4;
    QUdpSocket* client = DM.udpClient;
    const QByteArray probe(4, '\0');
    if (client->state() != QAbstractSocket::BoundState ||
        client->writeDatagram(probe, QHostAddress(ClientHost), DiscoveryPort) != probe.size()) {
        DM.AddDeviceListLine(QStringLiteral("Network: the discovery probe to %1:%2 could not be sent (%3)")
                                 .arg(ClientHost)
                                 .arg(DiscoveryPort)
                                 .arg(client->errorString()));
    }
    // Only the probe is broadcast.
    if (client->state() == QAbstractSocket::BoundState) {
        const int off = 0;
        ::setsockopt(int(client->socketDescriptor()), SOL_SOCKET, SO_BROADCAST, &off, sizeof off);
    }
}

void TNetworkDiscovery::StopDiscoveryServer() {
    DM.udpServer->Deactivate();
}

void TNetworkDiscovery::StopDiscoveryClient() {
    DM.udpClient->close();
}

void TNetworkDiscovery::udpServerUDPRead(const QNetworkDatagram& datagram) {
    NetworkPacketReceived(datagram.data(), datagram.senderAddress(), uint16_t(datagram.senderPort()));
}

void TNetworkDiscovery::NetworkPacketReceived(const QByteArray& datagram, const QHostAddress& sender,
                                              uint16_t senderPort) {
    switch (NetworkState) {
    case 4: {
        // The probe's own echo tells which address is ours; an early answer
        // from another host must not make us listen on its address.
        if (!IsOwnAddress(sender)) return;
        const quint32 v4 = sender.toIPv4Address();
        OwnIp = {uint8_t(v4 >> 24), uint8_t(v4 >> 16), uint8_t(v4 >> 8), uint8_t(v4)};
        OwnPort = senderPort;
        NetworkState = 5;
        DM.tmrNetwork->stop();
        DM.tmrNetwork->setInterval(10);
        DM.tmrNetwork->start();
        break;
    }
    case 6:
        TakeAnnouncement(datagram);
        break;
    default:
        break;
    }
}

void TNetworkDiscovery::TakeAnnouncement(const QByteArray& d) {
    t_networkdev heard;
    if (!ParseAnnouncement(d, heard)) return;
    const int16_t row = FindNetworkDevice(heard.Id);
    if (row >= 0) {
        NetworkDevices[row].Ttl = 5; // nothing else is taken from a known interface
    } else {
        if (NetworkDeviceCount >= MaxNetworkDevices) return; // the list is full: later ones wait
        heard.Ttl = 5;
        NetworkDevices[NetworkDeviceCount] = heard;
        AddNetworkDeviceLine(NetworkDeviceCount);
        ++NetworkDeviceCount;
    }
    // The ageing goes on once a second whatever arrives: restarting it with
    // each announcement would keep a silent interface listed for as long as
    // any other one announces more often than that.
    if (!DM.tmrNetwork->isActive() || DM.tmrNetwork->interval() != 1000) {
        DM.tmrNetwork->setInterval(1000);
        DM.tmrNetwork->start();
    }
}

void TNetworkDiscovery::NetworkTimerTick() {
    switch (NetworkState) {
    case 5:
        DM.tmrNetwork->stop();
        DM.udpServer->Deactivate();
        AddServerBinding(AnnouncementPort);
        ActivateServer();
        NetworkState = 6;
        DM.tmrNetwork->setInterval(1000);
        DM.tmrNetwork->start();
        break;
    case 6:
        for (int row = 0; row < NetworkDeviceCount;) {
            t_networkdev& dev = NetworkDevices[row];
            if (dev.Ttl > 0) --dev.Ttl;
            if (dev.Ttl == 0)
                RemoveNetworkDevice(row); // the next row moved into this place
            else
                ++row;
        }
        break;
    default:
        break;
    }
}

int16_t TNetworkDiscovery::FindNetworkDevice(uint32_t id) const {
    for (int row = 0; row < NetworkDeviceCount; ++row)
        if (NetworkDevices[row].Id == id) return int16_t(row);
    return -1;
}

void TNetworkDiscovery::AddNetworkDeviceLine(int row) {
    if (lbNetworkInterfaceList) lbNetworkInterfaceList->addItem(NetworkDeviceLine(NetworkDevices[row]));
}

void TNetworkDiscovery::RemoveNetworkDevice(int row) {
    if (row < 0 || row >= NetworkDeviceCount) return;
    for (int i = row; i + 1 < NetworkDeviceCount; ++i)
        NetworkDevices[i] = NetworkDevices[i + 1];
    --NetworkDeviceCount;
    NetworkDevices[NetworkDeviceCount] = t_networkdev{};
    if (lbNetworkInterfaceList) lbNetworkInterfaceList->clear();
    for (int i = 0; i < NetworkDeviceCount; ++i)
        AddNetworkDeviceLine(i);
}

// ---- The data module's side --------------------------------------------------------

void TDM::tmrNetworkTimer() {
    Network().NetworkTimerTick();
}

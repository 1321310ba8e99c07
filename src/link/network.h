#pragma once

#include <QHostAddress>
#include <QList>
#include <QListWidget>
#include <QObject>
#include <QPointer>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>

#include "app/IpAddress.h"
#include "link/network_announcement.h"

class QNetworkDatagram;
class QUdpSocket;
class TDM;

// A UDP server that listens on any number of bindings (address and port),
// switched on and off as one. Each binding is a socket of its own, bound with
// address sharing so that other programs on the machine may listen on the same
// port; every datagram of every binding goes to onDatagram on the main thread.
class TUdpServer : public QObject {
    Q_OBJECT

public:
    struct Binding {
        QHostAddress address;
        uint16_t port = 0;
    };

    explicit TUdpServer(QObject* parent = nullptr);
    ~TUdpServer() override;

    QList<Binding> Bindings;

    // On: binds every binding anew. A binding that cannot be bound is left out
    // and told of in the returned texts; the others listen.
    QStringList Activate();
    void Deactivate();
    bool Active() const { return active; }
    // The bindings that listen now.
    int ListeningCount() const;

    std::function<void(const QNetworkDatagram&)> onDatagram;

private:
    void readPending(QUdpSocket* socket);
    QList<QUdpSocket*> sockets;
    bool active = false;
};

// Discovery of the maker's network interfaces on the chosen adapter's subnet:
// a broadcast probe, the program's own address learned from its echo, then the
// interfaces' announcements listed in the setup dialog's list and aged out
// when they stop. It uses the data module's udpServer, udpClient and tmrNetwork.
class TNetworkDiscovery {
public:
    explicit TNetworkDiscovery(TDM& dm);

    // Where the probe goes and the server listens first, and where it listens
    // once it knows its own address. Tests may point them elsewhere.
    uint16_t DiscoveryPort = 12346;
    uint16_t AnnouncementPort = 12345;

    int32_t NetworkState = 0; // 0 idle, 4 probing, 5 rebinding, 6 listening
    tIpAddress OwnIp{};
    int32_t OwnPort = 0;
    static constexpr int MaxNetworkDevices = 16;
    std::array<t_networkdev, MaxNetworkDevices> NetworkDevices{};
    uint8_t NetworkDeviceCount = 0;
    // Where the client sends the probe.
    QString ClientHost;

    // The list the lines go to (the setup dialog's lbNetworkInterfaceList).
    void setListBox(QListWidget* list) { lbNetworkInterfaceList = list; }

    void StartDiscoveryServer();
    void StartDiscoveryClient();
    void SendDiscoveryProbe();
    void StopDiscoveryServer();
    void StopDiscoveryClient();

    void udpServerUDPRead(const QNetworkDatagram& datagram);
    void NetworkPacketReceived(const QByteArray& datagram, const QHostAddress& sender, uint16_t senderPort);
    void NetworkTimerTick();

    int16_t FindNetworkDevice(uint32_t id) const;
    void AddNetworkDeviceLine(int row);
    void RemoveNetworkDevice(int row);

private:
    void AddServerBinding(uint16_t port);
    void ActivateServer();
    void TakeAnnouncement(const QByteArray& datagram);

    TDM& DM;
    QPointer<QListWidget> lbNetworkInterfaceList;
};

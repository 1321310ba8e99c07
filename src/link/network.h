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

// One network interface heard on the local network.
struct t_networkdev {
    uint32_t Id = 0;
    uint16_t ExtraWord1 = 0;
    uint16_t TypeCode = 0;
    QString Label;
    uint8_t AppMajor = 0;
    uint8_t AppMinor = 0;
    uint8_t Year = 0; // year - 2000
    uint8_t Month = 0;
    uint8_t Day = 0;
    uint16_t ExtraWord2 = 0;
    uint8_t Ttl = 0; // seconds of life left
    uint16_t Status = 0;
};

// The subnet's broadcast address as dotted text: per byte (ip and mask) or (not mask).
QString BroadcastAddress(const tIpAddress& ip, const tIpAddress& mask);

// The line that lists one network interface.
QString NetworkDeviceLine(const t_networkdev& dev);

// Announcements of the maker's network interfaces and their field layout.
inline constexpr char AnnouncementTag[] = "ORVETH";
inline constexpr int AnnouncementLength = 75; // the fields read reach offset 74

// Status values of an announcement.
inline constexpr uint16_t NetworkStatusNotConfigured = 1;
inline constexpr uint16_t NetworkStatusConfigured = 3;
inline constexpr uint16_t NetworkStatusUpdateNeeded = 0x8000;

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

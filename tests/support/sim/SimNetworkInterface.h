#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTimer>
#include <QUdpSocket>
#include <cstdint>

// A free UDP port of this machine, as the system hands one out: tests run in
// parallel, so each listens on ports of its own.
uint16_t FreeUdpPort();

// One of the maker's network interfaces, on the loopback network: it hears the
// discovery probe on the probe port (sharing the port, as the program does),
// can answer it with an announcement, and announces itself when told to or at
// a chosen rate, from a chosen source address.
class SimNetworkInterface : public QObject {
public:
    // What the announcement says.
    struct Identity {
        uint32_t id = 1;
        uint16_t typeCode = 0x65;
        QByteArray label = "Stage"; // up to 32 bytes; shorter ones end with NUL bytes
        uint8_t appMajor = 1, appMinor = 4;
        uint8_t year = 15, month = 3, day = 9;
        uint16_t status = 3;
    };

    // source: the address the interface sends from (127.0.0.2 is another host).
    explicit SimNetworkInterface(uint16_t probePort, const QHostAddress& source = QHostAddress::LocalHost);

    bool listening() const { return probeSocket.state() == QAbstractSocket::BoundState; }

    // The announcement's bytes in their layout.
    QByteArray Announcement() const;
    // Sends the announcement (or any bytes) to the address and port.
    bool Announce(const QHostAddress& to, uint16_t port) { return Send(Announcement(), to, port); }
    bool Send(const QByteArray& bytes, const QHostAddress& to, uint16_t port);
    // Announces every intervalMs until stopped.
    void StartAnnouncing(int intervalMs, const QHostAddress& to, uint16_t port);
    void StopAnnouncing() { rate.stop(); }

    // The port the interface sends from.
    uint16_t sourcePort() const { return sender.localPort(); }

    struct Probe {
        QByteArray data;
        QHostAddress destination;
        uint16_t destinationPort;
        QHostAddress from;
        uint16_t fromPort;
    };
    QList<Probe> probes;

    Identity identity;
    // When set, a probe is answered by announcing to the prober's address at
    // this port, every answerIntervalMs.
    uint16_t answerPort = 0;
    int answerIntervalMs = 50;

private:
    QUdpSocket probeSocket;
    QUdpSocket sender;
    QTimer rate;
    QHostAddress rateTo;
    uint16_t ratePort = 0;
};

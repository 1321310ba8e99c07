#include "support/sim/SimNetworkInterface.h"

#include <QNetworkDatagram>

uint16_t FreeUdpPort() {
    QUdpSocket s;
    s.bind(QHostAddress::AnyIPv4, 0);
    return s.localPort();
}

SimNetworkInterface::SimNetworkInterface(uint16_t probePort, const QHostAddress& source) {
    probeSocket.bind(QHostAddress::AnyIPv4, probePort,
                     QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint);
    sender.bind(source, 0);
    connect(&probeSocket, &QUdpSocket::readyRead, this, [this] {
        while (probeSocket.hasPendingDatagrams()) {
            const QNetworkDatagram d = probeSocket.receiveDatagram();
            probes << Probe{d.data(), d.destinationAddress(), uint16_t(d.destinationPort()),
                            d.senderAddress(), uint16_t(d.senderPort())};
            if (answerPort) StartAnnouncing(answerIntervalMs, d.senderAddress(), answerPort);
        }
    });
    connect(&rate, &QTimer::timeout, this, [this] { Announce(rateTo, ratePort); });
}

QByteArray SimNetworkInterface::Announcement() const {
    QByteArray a(75, '\0');
    auto word = [&a](int at, uint16_t v) {
        a[at] = char(v >> 8);
        a[at + 1] = char(v);
    };
    a.replace(0, 6, "ORVETH");
    word(6, identity.status);
    word(10, uint16_t(identity.id >> 16));
    word(12, uint16_t(identity.id));
    word(16, identity.typeCode);
    a.replace(20, qMin<qsizetype>(identity.label.size(), 32), identity.label.left(32));
    a[68] = char(identity.appMajor);
    a[69] = char(identity.appMinor);
    a[70] = char(identity.year);
    a[71] = char(identity.month);
    a[72] = char(identity.day);
    return a;
}

bool SimNetworkInterface::Send(const QByteArray& bytes, const QHostAddress& to, uint16_t port) {
    return sender.writeDatagram(bytes, to, port) == bytes.size();
}

void SimNetworkInterface::StartAnnouncing(int intervalMs, const QHostAddress& to, uint16_t port) {
    rateTo = to;
    ratePort = port;
    rate.start(intervalMs);
}

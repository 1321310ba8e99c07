// The machine's local adapters, for the interface setup dialog.
#include "link/network_sysinfo.h"

#include <QNetworkInterface>

namespace {

tIpAddress ToIp(const QHostAddress& a) {
    const quint32 v = a.toIPv4Address();
    return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
}

} // namespace

QList<tAdapterInfo> MachineAdapters() {
    QList<tAdapterInfo> adapters;
    for (const QNetworkInterface& iface : QNetworkInterface::allInterfaces()) {
        if (!iface.flags().testFlag(QNetworkInterface::IsUp)) continue;
        tAdapterInfo info{iface.humanReadableName(), iface.hardwareAddress(), {}};
        for (const QNetworkAddressEntry& e : iface.addressEntries())
            if (e.ip().protocol() == QAbstractSocket::IPv4Protocol)
                info.addresses.append({ToIp(e.ip()), ToIp(e.netmask())});
        if (!info.addresses.isEmpty()) adapters << info;
    }
    return adapters;
}

QList<tIpAddress> LocalIpv4Addresses(const QList<tAdapterInfo>& adapters) {
    QList<tIpAddress> list;
    for (const tAdapterInfo& a : adapters)
        for (const auto& [ip, mask] : a.addresses)
            list << ip;
    return list;
}

void QueryAdapterInfo(t_networkdata& row, const QList<tAdapterInfo>& adapters) {
    for (const tAdapterInfo& a : adapters) {
        if (a.addresses.isEmpty() || a.addresses.first().first != row.Ip) continue;
        row.Mask = a.addresses.first().second;
        row.Mac = a.mac;
        row.Caption = a.caption.left(127);
    }
}

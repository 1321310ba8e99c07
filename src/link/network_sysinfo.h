#pragma once

#include <QList>
#include <QString>
#include <functional>

#include "app/IpAddress.h"

// One local adapter as the setup dialog lists it.
struct t_networkdata {
    tIpAddress Ip{};
    tIpAddress Mask{};
    QString Mac;
    QString Caption; // at most 127 characters
};

// What the machine's interface list tells of one adapter that is up: its
// name, hardware address and IPv4 addresses with their masks, in its order.
struct tAdapterInfo {
    QString caption;
    QString mac;
    QList<std::pair<tIpAddress, tIpAddress>> addresses;
};

// The adapters of this machine that are up (Qt's interface list).
QList<tAdapterInfo> MachineAdapters();

// Every local IPv4 address, adapter by adapter, in the list's order.
QList<tIpAddress> LocalIpv4Addresses(const QList<tAdapterInfo>& adapters);

// Fills the row whose Ip is set from the adapter whose first IPv4 address it
// is (a later such adapter wins); a row that is no adapter's first address
// keeps what it had.
void QueryAdapterInfo(t_networkdata& row, const QList<tAdapterInfo>& adapters);

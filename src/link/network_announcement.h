#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

#include "app/IpAddress.h"

// The maker's network interfaces announce themselves in a fixed datagram
// layout (big-endian fields); these read it and make its texts, without
// touching any socket or widget.

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

// Fills dev (Ttl aside) from an announcement; false, leaving dev alone, for a
// datagram that is not tagged or is too short to hold every field read.
bool ParseAnnouncement(const QByteArray& datagram, t_networkdev& dev);

// Announcements of the maker's network interfaces and their field layout.
inline constexpr char AnnouncementTag[] = "ORVETH";
inline constexpr int AnnouncementLength = 75; // the fields read reach offset 74

// Status values of an announcement.
inline constexpr uint16_t NetworkStatusNotConfigured = 1;
inline constexpr uint16_t NetworkStatusConfigured = 3;
inline constexpr uint16_t NetworkStatusUpdateNeeded = 0x8000;

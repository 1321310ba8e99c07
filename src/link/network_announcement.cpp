#include "link/network_announcement.h"

#include "app/products_data.h"

namespace {

uint16_t WordBE(const QByteArray& d, int at) {
    return uint16_t(uint8_t(d[at]) << 8 | uint8_t(d[at + 1]));
}

uint32_t LongBE(const QByteArray& d, int at) {
    return uint32_t(WordBE(d, at)) << 16 | WordBE(d, at + 2);
}

} // namespace

QString BroadcastAddress(const tIpAddress& ip, const tIpAddress& mask) {
    tIpAddress b{};
    for (int i = 0; i < 4; ++i)
        b[i] = uint8_t((ip[i] & mask[i]) | uint8_t(~mask[i]));
    return IpToText(b);
}

QString NetworkDeviceLine(const t_networkdev& dev) {
    const int row = FindNetworkInterfaceType(dev.TypeCode);
    const QString type =
        row >= 0 ? QString::fromUtf8(NetworkInterfaceTypeTable[row].name) : QStringLiteral("?");
    QString line =
        QStringLiteral("%1 - %2 (%3) (app: v.%4.%5 - %6.%7.%8)")
            .arg(QStringLiteral("%1").arg(dev.Id, 8, 16, QLatin1Char('0')).toUpper(), type, dev.Label)
            .arg(dev.AppMajor)
            .arg(dev.AppMinor)
            .arg(2000 + dev.Year)
            .arg(dev.Month)
            .arg(dev.Day);
    switch (dev.Status) {
    case NetworkStatusNotConfigured:
        line += QStringLiteral(" - nem konfigurált");
        break;
    case NetworkStatusConfigured:
        line += QStringLiteral(" - konfigurált");
        break;
    case NetworkStatusUpdateNeeded:
        line += QStringLiteral(" - szoftver frissítés szükséges");
        break;
    default:
        break;
    }
    return line;
}

bool ParseAnnouncement(const QByteArray& d, t_networkdev& dev) {
    if (!d.startsWith(AnnouncementTag) || d.size() < AnnouncementLength) return false;
    dev = t_networkdev{};
    dev.Status = WordBE(d, 6);
    dev.Id = LongBE(d, 10);
    dev.ExtraWord1 = WordBE(d, 14);
    dev.TypeCode = WordBE(d, 16);
    // The label ends at its first NUL byte or after 32 bytes.
    const QByteArray label = d.mid(20, 32);
    const qsizetype nul = label.indexOf('\0');
    dev.Label = QString::fromLatin1(nul < 0 ? label : label.left(nul));
    dev.AppMajor = uint8_t(d[68]);
    dev.AppMinor = uint8_t(d[69]);
    dev.Year = uint8_t(d[70]);
    dev.Month = uint8_t(d[71]);
    dev.Day = uint8_t(d[72]);
    dev.ExtraWord2 = WordBE(d, 73);
    return true;
}

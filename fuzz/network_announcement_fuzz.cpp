// Arbitrary datagrams on the network interfaces' port: only a tagged datagram
// long enough for every field is taken, its label holds no NUL and at most 32
// characters, and its line names the interface by its id in eight digits.
#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fuzz_target.h"
#include "link/network_announcement.h"

namespace {
bool accepted = false;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray datagram(reinterpret_cast<const char*>(data), qsizetype(size));
    t_networkdev dev;
    dev.Ttl = 7;
    const bool taken = ParseAnnouncement(datagram, dev);
    accepted = taken;
    if (taken != (datagram.startsWith("ORVETH") && datagram.size() >= 75)) std::abort();
    if (!taken) {
        if (dev.Ttl != 7) std::abort(); // a refused datagram leaves the row alone
        return 0;
    }
    if (dev.Label.size() > 32 || dev.Label.contains(QChar(0))) std::abort();
    const QString line = NetworkDeviceLine(dev);
    if (line.left(8) != QStringLiteral("%1").arg(dev.Id, 8, 16, QLatin1Char('0')).toUpper()) std::abort();
    return 0;
}

bool FuzzInputAccepted() {
    return accepted;
}

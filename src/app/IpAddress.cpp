#include "app/IpAddress.h"

QString IpToText(const tIpAddress& ip) {
    return QStringLiteral("%1.%2.%3.%4").arg(ip[0]).arg(ip[1]).arg(ip[2]).arg(ip[3]);
}

tIpAddress TextToIp(const QString& text, bool* ok) {
    tIpAddress ip{};
    QString rest = text;
    for (int i = 0; i < 4; ++i) {
        QString part;
        if (i < 3) {
            const qsizetype dot = rest.indexOf('.');
            if (dot < 0) {
                if (ok) *ok = false;
                return {};
            }
            part = rest.left(dot);
            rest = rest.mid(dot + 1);
        } else {
            part = rest;
        }
        bool partOk = false;
        const qlonglong v = part.trimmed().toLongLong(&partOk, 10);
        if (!partOk) {
            if (ok) *ok = false;
            return {};
        }
        ip[i] = static_cast<uint8_t>(v & 0xFF);
    }
    if (ok) *ok = true;
    return ip;
}

#pragma once

#include <QString>
#include <array>
#include <cstdint>

// An IPv4 address as four bytes, the first octet first.
using tIpAddress = std::array<uint8_t, 4>;

// The four bytes in decimal joined by ".", first byte first.
QString IpToText(const tIpAddress& ip);

// Dotted text to the four bytes: the text up to the first "." is the first
// byte, up to the next the second, up to the third the third, and the rest
// the fourth; each part is a decimal integer of which the low 8 bits are kept
// (so 300 gives 44). When a part is not a decimal integer the result is all
// zeros and *ok is false; callers then keep or choose a value of their own.
tIpAddress TextToIp(const QString& text, bool* ok = nullptr);

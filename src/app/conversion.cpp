#include "app/conversion.h"

void NormalizeStepTime(uint8_t& minutes, uint8_t& seconds, uint8_t& hundredths) {
    if (minutes >= 30) {
        minutes = 30;
        seconds = 0;
        hundredths = 0;
    } else if (seconds >= 60) {
        seconds = 59;
        hundredths = 0;
    } else if (hundredths > 99) {
        hundredths = 99;
    }

    // Round to a multiple of five by the last digit.
    const int last = hundredths % 10;
    int rounded = hundredths - last;
    if (last >= 8)
        rounded += 10;
    else if (last >= 3)
        rounded += 5;
    if (rounded >= 100) {
        hundredths = 0;
        if (++seconds > 59) {
            seconds = 0;
            if (++minutes > 30) minutes = 30;
        }
    } else {
        hundredths = static_cast<uint8_t>(rounded);
    }
}

QString StepTimeToText(uint8_t minutes, uint8_t seconds, uint8_t hundredths) {
    NormalizeStepTime(minutes, seconds, hundredths);
    return QStringLiteral("%1:%2.%3")
        .arg(minutes, 2, 10, QLatin1Char('0'))
        .arg(seconds, 2, 10, QLatin1Char('0'))
        .arg(hundredths, 2, 10, QLatin1Char('0'));
}

uint16_t StepTimeToUnits(uint8_t minutes, uint8_t seconds, uint8_t hundredths) {
    NormalizeStepTime(minutes, seconds, hundredths);
    return static_cast<uint16_t>(((minutes * 60 + seconds) * 100 + hundredths) / 5);
}

QString StepUnitsToText(uint16_t units) {
    const int minutes = units / 1200;
    const int rest = units % 1200;
    const int seconds = rest / 20;
    const int hundredths = (rest % 20) * 5;
    return StepTimeToText(static_cast<uint8_t>(minutes > 255 ? 255 : minutes), static_cast<uint8_t>(seconds),
                          static_cast<uint8_t>(hundredths));
}

namespace {
std::optional<uint8_t> TwoDigits(const QString& text, int pos) {
    if (text.size() < pos + 2) return std::nullopt;
    const QChar a = text.at(pos);
    const QChar b = text.at(pos + 1);
    if (!a.isDigit() || !b.isDigit() || a.unicode() > '9' || b.unicode() > '9') return std::nullopt;
    return static_cast<uint8_t>((a.unicode() - '0') * 10 + (b.unicode() - '0'));
}
}  // namespace

std::optional<uint16_t> TryParseStepTime(const QString& text) {
    const auto minutes = TwoDigits(text, 0);
    const auto seconds = TwoDigits(text, 3);
    const auto hundredths = TwoDigits(text, 6);
    if (!minutes || !seconds || !hundredths) return std::nullopt;
    return StepTimeToUnits(*minutes, *seconds, *hundredths);
}

uint16_t ParseStepTime(const QString& text) {
    return TryParseStepTime(text).value_or(0);
}

uint16_t Crc16Update(uint16_t crc, uint8_t data) {
    unsigned x = ((crc >> 8) ^ data) & 0xFFu;
    x ^= x >> 4;
    return static_cast<uint16_t>(((crc << 8) ^ (x << 12) ^ (x << 5) ^ x) & 0xFFFFu);
}

bool AppendCrc16(uint8_t* buffer, size_t bufferSize, int firstIndex, int start, int count) {
    if (!buffer || count < 0 || start < firstIndex) return false;
    const size_t begin = static_cast<size_t>(start - firstIndex);
    if (begin + static_cast<size_t>(count) + 2 > bufferSize) return false;
    uint16_t crc = 0;
    for (int i = 0; i < count; ++i) crc = Crc16Update(crc, buffer[begin + i]);
    buffer[begin + count] = static_cast<uint8_t>(crc & 0xFF);
    buffer[begin + count + 1] = static_cast<uint8_t>(crc >> 8);
    return true;
}

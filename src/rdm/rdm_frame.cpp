#include "rdm/rdm_frame.h"

#include <algorithm>

namespace {

uint8_t ByteAt(std::span<const uint8_t> bytes, size_t i) { return i < bytes.size() ? bytes[i] : 0; }

}  // namespace

void PutUid(std::span<uint8_t> buffer, uint16_t index, uint64_t uid) {
    if (size_t(index) + 6 > buffer.size()) return;
    for (int k = 0; k < 6; ++k) buffer[index + k] = static_cast<uint8_t>(uid >> (40 - 8 * k));
}

uint16_t GetWordLE(std::span<const uint8_t> bytes, size_t i) {
    return static_cast<uint16_t>(ByteAt(bytes, i) | (ByteAt(bytes, i + 1) << 8));
}

uint16_t GetWordBE(std::span<const uint8_t> bytes, size_t i) {
    return static_cast<uint16_t>((ByteAt(bytes, i) << 8) | ByteAt(bytes, i + 1));
}

uint32_t GetLongBE(std::span<const uint8_t> bytes, size_t i) {
    return (uint32_t(ByteAt(bytes, i)) << 24) | (uint32_t(ByteAt(bytes, i + 1)) << 16) |
           (uint32_t(ByteAt(bytes, i + 2)) << 8) | uint32_t(ByteAt(bytes, i + 3));
}

uint64_t GetUid(std::span<const uint8_t> bytes, size_t i) {
    uint64_t uid = 0;
    for (size_t k = 0; k < 6; ++k) uid = (uid << 8) | ByteAt(bytes, i + k);
    return uid;
}

QString BytesToString(std::span<const uint8_t> bytes, size_t count, size_t index) {
    QString s;
    if (index >= bytes.size()) return s;
    count = std::min(count, bytes.size() - index);
    s.reserve(int(count));
    for (size_t k = 0; k < count; ++k) s.append(QChar(bytes[index + k]));
    return s;
}

void CopyBytes(std::span<const uint8_t> source, size_t index, std::span<uint8_t> destination, size_t count) {
    if (index >= source.size()) return;
    count = std::min({count, source.size() - index, destination.size()});
    std::copy_n(source.begin() + index, count, destination.begin());
}

uint16_t RdmAnswerChecksum(std::span<const uint8_t> bytes, size_t pdl) {
    uint32_t sum = 0xCC;
    const size_t end = std::min(bytes.size(), size_t(23) + pdl);
    for (size_t k = 0; k < end; ++k) sum += bytes[k];
    return static_cast<uint16_t>(sum);
}

RdmParseResult ParseRdmMessage(std::span<const uint8_t> bytes, tRdmMessage& msg) {
    msg = tRdmMessage{};
    if (bytes.size() < size_t(RdmMinAnswerLength)) return RdmParseResult::TooShort;
    msg.startCode = 0xCC;
    msg.subStartCode = bytes[0];
    msg.messageLength = bytes[1];
    msg.destinationUid = GetUid(bytes, 2);
    msg.sourceUid = GetUid(bytes, 8);
    msg.transactionNumber = bytes[14];
    msg.responseType = bytes[15];
    msg.messageCount = bytes[16];
    msg.subDevice = GetWordBE(bytes, 17);
    msg.commandClass = bytes[19];
    msg.pid = GetWordBE(bytes, 20);
    msg.pdl = bytes[22];
    if (msg.pdl > RdmMessageDataSize) {
        msg.pdl = 0;
        return RdmParseResult::PdlTooLarge;
    }
    if (size_t(msg.pdl) + size_t(RdmMinAnswerLength) > bytes.size()) {
        msg.pdl = 0;
        return RdmParseResult::Truncated;
    }
    std::copy_n(bytes.begin() + 23, msg.pdl, msg.data.begin());
    msg.checksum = GetWordBE(bytes, 23 + size_t(msg.pdl));
    if (msg.checksum != RdmAnswerChecksum(bytes, msg.pdl)) return RdmParseResult::BadChecksum;
    return RdmParseResult::Ok;
}

void WriteRdmLinkHeader(uint8_t* buffer, uint8_t type, uint16_t parameter, uint16_t length) {
    buffer[0] = static_cast<uint8_t>(type | (parameter >> 6));
    buffer[1] = static_cast<uint8_t>((parameter << 2) | (length >> 8));
    buffer[2] = static_cast<uint8_t>(length);
}

int BuildRdmRequest(std::array<uint8_t, RdmRequestMax>& out, uint16_t subDevice, uint8_t commandClass,
                    uint64_t destination, uint16_t pid, uint8_t pdl, std::span<const uint8_t> data,
                    uint8_t linkType, uint8_t transaction) {
    pdl = static_cast<uint8_t>(std::min<int>(pdl, RdmParamDataSize));
    WriteRdmLinkHeader(out.data(), linkType, uint16_t(pdl + 26), uint16_t(pdl + 26));
    out[3] = 0xCC;
    out[4] = 0x01;
    out[5] = static_cast<uint8_t>(24 + pdl);
    PutUid(out, 6, destination);
    PutUid(out, 12, RdmSourceUid);
    out[RdmTransactionOffset] = transaction;
    out[19] = 1;  // port id
    out[20] = 0;  // message count
    out[21] = static_cast<uint8_t>(subDevice >> 8);
    out[22] = static_cast<uint8_t>(subDevice);
    out[23] = commandClass;
    out[24] = static_cast<uint8_t>(pid >> 8);
    out[25] = static_cast<uint8_t>(pid);
    out[26] = pdl;
    for (int k = 0; k < pdl; ++k) out[27 + k] = k < int(data.size()) ? data[k] : 0;
    uint32_t sum = 0;
    for (int k = 3; k < 27 + pdl; ++k) sum += out[k];
    out[27 + pdl] = static_cast<uint8_t>(sum >> 8);
    out[28 + pdl] = static_cast<uint8_t>(sum);
    return pdl + 29;
}

QString HexDumpLine(std::span<const uint8_t> bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::array<char, RdmRequestMax * 3> text;
    const size_t n = std::min(bytes.size(), size_t(RdmRequestMax));
    for (size_t k = 0; k < n; ++k) {
        text[3 * k] = digits[bytes[k] >> 4];
        text[3 * k + 1] = digits[bytes[k] & 15];
        text[3 * k + 2] = ' ';
    }
    QString line = QString::fromLatin1(text.data(), qsizetype(3 * n));
    for (size_t k = n; k < bytes.size(); ++k)  // longer than any request: rare, keep it simple
        line += QString::asprintf("%02X ", bytes[k]);
    return line;
}

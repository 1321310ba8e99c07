#include "support/sim/rdm_responder.h"

#include <cstring>

namespace {

uint64_t UidAt(std::span<const uint8_t> b, size_t i) {
    uint64_t uid = 0;
    for (size_t k = 0; k < 6; ++k) uid = (uid << 8) | b[i + k];
    return uid;
}

void PutWord(std::vector<uint8_t>& v, size_t i, uint16_t w) {
    v[i] = uint8_t(w >> 8);
    v[i + 1] = uint8_t(w);
}

constexpr uint64_t BroadcastUid = 0xFFFFFFFFFFFFull;

}  // namespace

std::vector<uint8_t> BuildRdmAnswerFrame(uint64_t destination, uint64_t source, uint8_t transaction,
                                         uint8_t responseType, uint16_t subDevice, uint8_t commandClass,
                                         uint16_t pid, std::span<const uint8_t> data) {
    std::vector<uint8_t> f;
    f.push_back(0x01);
    f.push_back(uint8_t(24 + data.size()));
    for (int k = 5; k >= 0; --k) f.push_back(uint8_t(destination >> (8 * k)));
    for (int k = 5; k >= 0; --k) f.push_back(uint8_t(source >> (8 * k)));
    f.push_back(transaction);
    f.push_back(responseType);
    f.push_back(0);  // message count
    f.push_back(uint8_t(subDevice >> 8));
    f.push_back(uint8_t(subDevice));
    f.push_back(commandClass);
    f.push_back(uint8_t(pid >> 8));
    f.push_back(uint8_t(pid));
    f.push_back(uint8_t(data.size()));
    f.insert(f.end(), data.begin(), data.end());
    uint32_t sum = 0xCC;
    for (uint8_t b : f) sum += b;
    f.push_back(uint8_t(sum >> 8));
    f.push_back(uint8_t(sum));
    return f;
}

std::optional<std::vector<uint8_t>> SimRdmResponder::Answer(std::span<const uint8_t> request) {
    if (request.size() < 26 || request[0] != 0xCC || request[1] != 0x01) return std::nullopt;
    const size_t pdl = request[23];
    if (request.size() < 26 + pdl) return std::nullopt;
    uint32_t sum = 0;
    for (size_t k = 0; k < 24 + pdl; ++k) sum += request[k];
    if (((request[24 + pdl] << 8) | request[25 + pdl]) != int(sum & 0xFFFF)) return std::nullopt;

    const uint64_t destination = UidAt(request, 3);
    const uint64_t source = UidAt(request, 9);
    const uint8_t transaction = request[15];
    const uint16_t sub = uint16_t((request[18] << 8) | request[19]);
    const uint8_t cc = request[20];
    const uint16_t pid = uint16_t((request[21] << 8) | request[22]);
    const std::vector<uint8_t> pd(request.begin() + 24, request.begin() + 24 + long(pdl));

    if (destination != uid && destination != BroadcastUid) return std::nullopt;
    if (sub != subDevice) return std::nullopt;
    received.emplace_back(request.begin(), request.begin() + 26 + long(pdl));
    if (silent || destination == BroadcastUid) return std::nullopt;

    uint8_t type = 0;  // ACK
    std::vector<uint8_t> data;
    if (extension && !nackEverything) {
        if (auto reply = extension(*this, cc, pid, pd)) {
            if (reply->silent) return std::nullopt;
            auto frame = BuildRdmAnswerFrame(source, uid, transaction, reply->responseType, sub, uint8_t(cc + 1), pid,
                                             reply->data);
            if (garbled) frame[frame.size() > 25 ? 23 : 14] ^= 0x5A;
            if (reply->cutTo < frame.size()) frame.resize(reply->cutTo);
            return frame;
        }
    }
    auto nack = [&](uint16_t reason) {
        type = 2;
        data = {uint8_t(reason >> 8), uint8_t(reason)};
    };
    if (nackEverything) {
        nack(0x0000);
    } else if (cc == 0x20) {
        if (pdl == 0 && values.count(pid)) {
            data = values[pid];
        } else if (auto it = indexedValues.find({pid, pd}); it != indexedValues.end()) {
            data = it->second;
        } else {
            nack(values.count(pid) || pdl ? 0x0006 /* DATA_OUT_OF_RANGE */ : 0x0000 /* UNKNOWN_PID */);
        }
    } else if (cc == 0x30) {
        if (!values.count(pid) && !settable.count(pid)) {
            nack(0x0000);
        } else if (!settable.count(pid)) {
            nack(0x0004);  // WRITE_PROTECT
        } else if (!refuseSets) {
            values[pid] = pd;
            auto info = values.find(0x0060);
            if (info != values.end() && info->second.size() >= 19) {
                if (pid == 0x00F0 && pd.size() >= 2) PutWord(info->second, 14, uint16_t((pd[0] << 8) | pd[1]));
                if (pid == 0x00E0 && pd.size() >= 1) info->second[12] = pd[0];
            }
        }
    } else {
        return std::nullopt;
    }
    if (cc == 0x20 && type == 0 && overflowGets.count(pid)) type = 3; // ACK_OVERFLOW
    auto frame = BuildRdmAnswerFrame(source, uid, transaction, type, sub, uint8_t(cc + 1), pid, data);
    if (garbled) frame[frame.size() > 25 ? 23 : 14] ^= 0x5A;
    return frame;
}

void SimRdmResponder::SetDeviceInfo(uint16_t model, uint16_t category, uint8_t personality,
                                    uint8_t personalityCount, uint16_t dmxAddress, uint16_t subDeviceCount,
                                    uint8_t sensorCount, uint16_t footprint) {
    std::vector<uint8_t> d(19, 0);
    PutWord(d, 0, 0x0100);
    PutWord(d, 2, model);
    PutWord(d, 4, category);
    d[6] = 0x01;  // software version 0x01020304
    d[7] = 0x02;
    d[8] = 0x03;
    d[9] = 0x04;
    PutWord(d, 10, footprint);
    d[12] = personality;
    d[13] = personalityCount;
    PutWord(d, 14, dmxAddress);
    PutWord(d, 16, subDeviceCount);
    d[18] = sensorCount;
    values[0x0060] = d;
    values[0x00F0] = {uint8_t(dmxAddress >> 8), uint8_t(dmxAddress)};
    values[0x00E0] = {personality, personalityCount};
}

void SimRdmResponder::SetText(uint16_t pid, const char* text) {
    values[pid] = std::vector<uint8_t>(text, text + std::strlen(text));
}

void SimRdmResponder::SetSupported(std::initializer_list<uint16_t> pids) {
    std::vector<uint8_t> d;
    for (uint16_t p : pids) {
        d.push_back(uint8_t(p >> 8));
        d.push_back(uint8_t(p));
    }
    values[0x0050] = d;
}

#include "support/sim/rdm_sensor_responder.h"

#include <algorithm>

namespace {

constexpr uint16_t PidDeviceInfo = 0x0060;
constexpr uint16_t PidFactoryDefaults = 0x0090;
constexpr uint16_t PidPersonality = 0x00E0;
constexpr uint16_t PidDmxAddress = 0x00F0;
constexpr uint16_t PidSensorDefinition = 0x0200;
constexpr uint16_t PidSensorValue = 0x0201;
constexpr uint16_t PidRecordSensors = 0x0202;
constexpr uint16_t PidResetDevice = 0x1001;

constexpr uint16_t NackWriteProtect = 0x0004;
constexpr uint16_t NackDataOutOfRange = 0x0006;
constexpr uint16_t NackFormatError = 0x0001;
constexpr uint16_t NackHardwareFault = 0x0002;

void PutWord(std::vector<uint8_t>& v, int16_t w) {
    v.push_back(uint8_t(uint16_t(w) >> 8));
    v.push_back(uint8_t(w));
}

SimRdmResponder::Reply Ack(std::vector<uint8_t> data = {}) {
    return {0, std::move(data), false};
}
SimRdmResponder::Reply Nack(uint16_t reason) {
    return {2, {uint8_t(reason >> 8), uint8_t(reason)}, false};
}

} // namespace

void SimSensor::Measure(int16_t value) {
    present = value;
    lowest = std::min(lowest, value);
    highest = std::max(highest, value);
}

SimDeviceBehaviour::SimDeviceBehaviour(SimRdmResponder& r) : responder(r) {
    responder.extension = [this](SimRdmResponder&, uint8_t cc, uint16_t pid, std::span<const uint8_t> data) {
        return Handle(cc, pid, std::vector<uint8_t>(data.begin(), data.end()));
    };
}

bool SimDeviceBehaviour::IsStandardSetPid(uint16_t pid) {
    switch (pid) {
    case 0x0082:
    case 0x00E0:
    case 0x00F0:
    case 0x0401:
    case 0x0403:
    case 0x0404:
    case 0x0405:
    case 0x0500:
    case 0x0501:
    case 0x0600:
    case 0x0601:
    case 0x0602:
    case 0x1000:
    case 0x1010:
    case 0x1040:
        return true;
    default:
        return false;
    }
}

// GCC 12 warns falsely about the byte-vector comparison of the map's keys.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wstringop-overread"
void SimDeviceBehaviour::PublishSensors() {
    for (size_t i = 0; i < sensors.size(); ++i) {
        const SimSensor& s = sensors[i];
        std::vector<uint8_t> d{uint8_t(i), s.type, s.unit, s.prefix};
        PutWord(d, s.rangeMin);
        PutWord(d, s.rangeMax);
        PutWord(d, s.normalMin);
        PutWord(d, s.normalMax);
        d.push_back(s.recordedSupport);
        d.insert(d.end(), s.description.begin(), s.description.end());
        responder.indexedValues.insert_or_assign(
            std::make_pair(PidSensorDefinition, std::vector<uint8_t>(1, uint8_t(i))), d);
    }
    auto info = responder.values.find(PidDeviceInfo);
    if (info != responder.values.end() && info->second.size() >= 19)
        info->second[18] = uint8_t(sensors.size());
}
#pragma GCC diagnostic pop

std::vector<uint8_t> SimDeviceBehaviour::ValueBytes(uint8_t number) const {
    std::vector<uint8_t> d{number};
    if (number < sensors.size()) {
        const SimSensor& s = sensors[number];
        for (int16_t v : {s.present, s.lowest, s.highest, s.recorded})
            PutWord(d, v);
    } else {
        d.resize(9, 0); // the answer to "all sensors"
    }
    return d;
}

std::optional<SimRdmResponder::Reply> SimDeviceBehaviour::Handle(uint8_t cc, uint16_t pid,
                                                                 const std::vector<uint8_t>& data) {
    auto& values = responder.values;
    if (pid == PidSensorValue || pid == PidRecordSensors) {
        if (data.size() != 1) return Nack(NackFormatError);
        const uint8_t n = data[0];
        const bool all = n == 0xFF;
        if (!all && n >= sensors.size()) return Nack(NackDataOutOfRange);
        if (cc == 0x20 && pid == PidSensorValue) {
            if (all) return Nack(NackDataOutOfRange);
            return Ack(ValueBytes(n));
        }
        if (cc != 0x30) return std::nullopt;
        for (size_t i = 0; i < sensors.size(); ++i) {
            if (!all && i != n) continue;
            SimSensor& s = sensors[i];
            if (pid == PidSensorValue) {
                s.lowest = s.highest = s.recorded = s.present;
            } else {
                s.recorded = s.present;
            }
        }
        if (pid == PidSensorValue) {
            sensorResets.push_back(n);
            return Ack(ValueBytes(n));
        }
        sensorRecords.push_back(n);
        return Ack();
    }

    if (pid == PidFactoryDefaults) {
        if (cc == 0x20) return Ack({factoryDefaultsReadBack.value_or(atFactoryDefaults ? 1 : 0)});
        if (cc != 0x30) return std::nullopt;
        auto info = values.find(PidDeviceInfo);
        for (const auto& [p, v] : factoryValues) {
            values[p] = v;
            // DEVICE_INFO carries the address too.
            if (p == PidDmxAddress && v.size() >= 2 && info != values.end() && info->second.size() >= 19) {
                info->second[14] = v[0];
                info->second[15] = v[1];
            }
        }
        atFactoryDefaults = true;
        return Ack();
    }

    // DEVICE_INFO reads a personality change back.
    if (cc == 0x20 && (IsStandardSetPid(pid) || pid == 0x0060) && readBacks.count(pid)) {
        switch (readBacks.at(pid)) {
        case SimReadBack::Nack:
            return Nack(NackHardwareFault);
        case SimReadBack::AckTimer:
            return SimRdmResponder::Reply{1, {0x00, 0x0A}, false}; // in one second
        case SimReadBack::Short: {
            std::vector<uint8_t> value = values.count(pid) ? values.at(pid) : std::vector<uint8_t>{};
            if (!value.empty()) value.pop_back();
            return Ack(std::move(value));
        }
        case SimReadBack::Value:
            break;
        }
    }

    if (pid == PidResetDevice && cc == 0x30) {
        resets.push_back(data.empty() ? 0 : data[0]);
        return Ack();
    }

    if (cc != 0x30 || !IsStandardSetPid(pid)) return std::nullopt;
    const auto mode = setModes.count(pid) ? setModes.at(pid) : SimSetMode::Take;
    switch (mode) {
    case SimSetMode::KeepAck:
        return Ack();
    case SimSetMode::KeepNack:
        return Nack(NackWriteProtect);
    case SimSetMode::Silent:
        return SimRdmResponder::Reply{0, {}, true};
    case SimSetMode::Take:
        break;
    }
    auto info = values.find(PidDeviceInfo);
    const bool hasInfo = info != values.end() && info->second.size() >= 19;
    if (pid == PidPersonality) {
        if (data.size() != 1) return Nack(NackFormatError);
        const uint8_t count = hasInfo ? info->second[13] : 0;
        values[pid] = {data[0], count};
        if (hasInfo) info->second[12] = data[0];
    } else {
        values[pid] = data;
        if (pid == PidDmxAddress && hasInfo && data.size() >= 2) {
            info->second[14] = data[0];
            info->second[15] = data[1];
        }
    }
    atFactoryDefaults = false;
    return Ack();
}

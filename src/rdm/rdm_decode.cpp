#include "rdm/rdm_decode.h"

#include <algorithm>

#include "rdm/RdmDevice.h"
#include "rdm/rdm_frame.h"

namespace {

// Text from data bytes: one character per byte, zero bytes included, cut to
// what the record keeps. A negative count (no bytes behind the fixed part) is empty.
QString DeviceText(const tRdmMessage& msg, int index) {
    const int count = int(msg.pdl) - index;
    if (count <= 0) return QString();
    return BytesToString(msg.data, size_t(count), size_t(index)).left(RdmTextMax);
}

}  // namespace

bool DecodeIntoRecord(tRdmDevice& rec, const tRdmMessage& msg, uint8_t& sensorDefIndex, uint16_t askedSensor) {
    // A NACK carries its reason code where the value would be: read as data it
    // would overwrite what the device reported before (an address of 0xFFFF
    // from DEVICE_INFO, a slot text just read). Only the sensor list takes
    // note of it, by its end marker.
    if (msg.responseType == RdmNackReason && msg.pid != PID_SENSOR_DEFINITION) return false;
    const auto& d = msg.data;
    const int n = msg.pdl;
    switch (msg.pid) {
    case PID_SUPPORTED_PARAMETERS: {
        // The count is set for each answer, so that the first count entries
        // are always the PIDs the device reported last.
        const int k = n / 2;
        for (int i = 0; i < k; ++i) rec.supportedPids[i] = GetWordBE(d, 2 * i);
        rec.supportedPidCount = static_cast<uint8_t>(k);
        break;
    }
    case PID_DEVICE_INFO:
        rec.rdmProtocolVersion = GetWordBE(d, 0);
        rec.deviceModelId = GetWordBE(d, 2);
        rec.productCategory = GetWordBE(d, 4);
        rec.softwareVersionId = GetLongBE(d, 6);
        rec.currentPersonality = d[12];
        rec.personalityCount = d[13];
        rec.dmxStartAddress = GetWordBE(d, 14);
        rec.subDeviceCount = GetWordBE(d, 16);
        rec.sensorCount = d[18];
        break;
    case PID_PRODUCT_DETAIL_ID_LIST: {
        const int k = std::min(n / 2, int(rec.productDetailIds.size()));
        for (int i = 0; i < k; ++i) rec.productDetailIds[i] = GetWordBE(d, 2 * i);
        rec.productDetailCount = static_cast<uint8_t>(k);
        break;
    }
    case PID_DEVICE_MODEL_DESCRIPTION: rec.modelDescription = DeviceText(msg, 0); break;
    case PID_MANUFACTURER_LABEL: rec.manufacturerLabel = DeviceText(msg, 0); break;
    case PID_DEVICE_LABEL: rec.deviceLabel = DeviceText(msg, 0); break;
    case PID_LANGUAGE_CAPABILITIES: {
        const int k = std::min(n / 2, int(rec.languageCodes.size()));
        for (int i = 0; i < k; ++i) rec.languageCodes[i] = GetWordBE(d, 2 * i);
        rec.languageCount = static_cast<uint8_t>(k);
        break;
    }
    case PID_LANGUAGE: rec.currentLanguage = GetWordBE(d, 0); break;
    case PID_SOFTWARE_VERSION_LABEL: rec.softwareVersionLabel = DeviceText(msg, 0); break;
    case PID_BOOT_SOFTWARE_VERSION_ID: rec.bootSoftwareVersionId = GetLongBE(d, 0); break;
    case PID_BOOT_SOFTWARE_VERSION_LABEL: rec.bootSoftwareVersionLabel = DeviceText(msg, 0); break;
    case PID_DMX_PERSONALITY_DESCRIPTION: {
        const uint8_t p = d[0];
        if (p == 0) break;  // personalities are numbered from 1
        rec.personalities[p].footprint = GetWordBE(d, 1);
        rec.personalities[p].description = DeviceText(msg, 3);
        break;
    }
    case PID_DMX_START_ADDRESS: rec.dmxStartAddress = GetWordBE(d, 0); break;
    case PID_SLOT_INFO: {
        const int k = std::min(n / 5, int(rec.slotInfo.size()));
        for (int i = 0; i < k; ++i) {
            rec.slotInfo[i].offset = GetWordBE(d, 5 * i);
            rec.slotInfo[i].type = d[5 * i + 2];
            rec.slotInfo[i].labelId = GetWordBE(d, 5 * i + 3);
        }
        rec.slotCount = static_cast<uint8_t>(k);
        break;
    }
    case PID_SLOT_DESCRIPTION: {
        const uint16_t s = GetWordBE(d, 0);
        if (s >= rec.slotInfo.size()) break;
        rec.slotInfo[s].description = DeviceText(msg, 2);
        break;
    }
    case PID_SENSOR_DEFINITION: {
        if (msg.responseType == RdmAck && sensorDefIndex < rec.sensors.size()) {
            tRdmSensor& s = rec.sensors[sensorDefIndex];
            s.number = static_cast<uint8_t>(askedSensor);
            s.type = d[1];
            s.unit = d[2];
            s.prefix = d[3];
            s.rangeMin = static_cast<int16_t>(GetWordBE(d, 4));
            s.rangeMax = static_cast<int16_t>(GetWordBE(d, 6));
            s.normalMin = static_cast<int16_t>(GetWordBE(d, 8));
            s.normalMax = static_cast<int16_t>(GetWordBE(d, 10));
            s.recordedSupport = d[12];
            s.description = DeviceText(msg, 13);
            ++sensorDefIndex;
        }
        // The list always ends with a marker, unless all 255 entries are defined.
        if (sensorDefIndex < rec.sensors.size()) rec.sensors[sensorDefIndex].number = 255;
        return msg.responseType == RdmAck;
    }
    case PID_DEVICE_HOURS: rec.deviceHours = GetLongBE(d, 0); break;
    case PID_LAMP_HOURS: rec.lampHours = GetLongBE(d, 0); break;
    case PID_LAMP_STRIKES: rec.lampStrikes = GetLongBE(d, 0); break;
    case PID_DEVICE_POWER_CYCLES: rec.devicePowerCycles = GetLongBE(d, 0); break;
    case PID_LAMP_STATE: rec.lampState = d[0]; break;
    case PID_LAMP_ON_MODE: rec.lampOnMode = d[0]; break;
    case PID_DISPLAY_INVERT: rec.displayInvert = d[0]; break;
    case PID_DISPLAY_LEVEL: rec.displayLevel = d[0]; break;
    case PID_PAN_INVERT: rec.panInvert = d[0]; break;
    case PID_TILT_INVERT: rec.tiltInvert = d[0]; break;
    case PID_PAN_TILT_SWAP: rec.panTiltSwap = d[0]; break;
    case PID_POWER_STATE: rec.powerState = d[0]; break;
    case PID_IDENTIFY_DEVICE: rec.identify = d[0]; break;
    case PID_IDENTIFY_MODE: rec.identifyMode = d[0]; break;
    default: return false;
    }
    return true;
}

bool WholeDeviceInfo(const tRdmMessage& msg) {
    constexpr uint8_t DeviceInfoLength = 19;
    return msg.responseType == RdmAck && msg.pdl >= DeviceInfoLength;
}

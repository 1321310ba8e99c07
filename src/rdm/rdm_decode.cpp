#include "rdm/rdm_decode.h"

#include <algorithm>
#include <optional>

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

// What an acknowledged answer carries when it holds its parameter's value:
// at least `minimum` bytes, or, for a list, entries of `entry` bytes. A text
// is whole at any length.
struct ValueShape {
    uint8_t minimum = 0;
    uint8_t entry = 0;
};

std::optional<ValueShape> ShapeOf(uint16_t pid) {
    switch (pid) {
    case PID_SUPPORTED_PARAMETERS:
    case PID_PRODUCT_DETAIL_ID_LIST:
    case PID_LANGUAGE_CAPABILITIES:
        return ValueShape{0, 2};
    case PID_SLOT_INFO:
        return ValueShape{0, 5};
    case PID_DEVICE_MODEL_DESCRIPTION:
    case PID_MANUFACTURER_LABEL:
    case PID_DEVICE_LABEL:
    case PID_SOFTWARE_VERSION_LABEL:
    case PID_BOOT_SOFTWARE_VERSION_LABEL:
        return ValueShape{0, 0};
    case PID_DEVICE_INFO:
        return ValueShape{19, 0};
    case PID_LANGUAGE:
    case PID_DMX_START_ADDRESS:
    case PID_SLOT_DESCRIPTION:
        return ValueShape{2, 0};
    case PID_DMX_PERSONALITY_DESCRIPTION:
        return ValueShape{3, 0};
    case PID_SENSOR_DEFINITION:
        return ValueShape{13, 0};
    case PID_BOOT_SOFTWARE_VERSION_ID:
    case PID_DEVICE_HOURS:
    case PID_LAMP_HOURS:
    case PID_LAMP_STRIKES:
    case PID_DEVICE_POWER_CYCLES:
        return ValueShape{4, 0};
    case PID_LAMP_STATE:
    case PID_LAMP_ON_MODE:
    case PID_DISPLAY_INVERT:
    case PID_DISPLAY_LEVEL:
    case PID_PAN_INVERT:
    case PID_TILT_INVERT:
    case PID_PAN_TILT_SWAP:
    case PID_POWER_STATE:
    case PID_IDENTIFY_DEVICE:
    case PID_IDENTIFY_MODE:
        return ValueShape{1, 0};
    default:
        return std::nullopt;
    }
}

// An earlier reading's definition of this sensor (a new record's entries are
// all zeros, which no device defines).
bool DefinitionOf(const tRdmSensor& s, uint16_t sensor) {
    return s.number == sensor && s.number != 255 && !(s == tRdmSensor{});
}

// An earlier reading's definition of a sensor the device still has and that
// is still to be asked (the scan asks them in rising order).
bool DefinitionStillToBeAsked(const tRdmSensor& s, uint16_t asked, uint8_t sensorCount) {
    return s.number != 255 && s.number > asked && s.number < sensorCount;
}

// The sensor table is rebuilt from its first entry on every reading; the
// entries are the definitions the device gave, in the order asked, and the
// list ends with a marker. A definition the device does not give whole this
// time leaves what it gave before in place.
bool DecodeSensorDefinition(tRdmDevice& rec, const tRdmMessage& msg, bool whole, uint8_t& index,
                            uint16_t asked) {
    auto& table = rec.sensors;
    if (index >= table.size()) return false;
    if (whole) {
        const auto& d = msg.data;
        tRdmSensor& s = table[index];
        s.number = static_cast<uint8_t>(asked);
        s.type = d[1];
        s.unit = d[2];
        s.prefix = d[3];
        s.rangeMin = static_cast<int16_t>(GetWordBE(d, 4));
        s.rangeMax = static_cast<int16_t>(GetWordBE(d, 6));
        s.normalMin = static_cast<int16_t>(GetWordBE(d, 8));
        s.normalMax = static_cast<int16_t>(GetWordBE(d, 10));
        s.recordedSupport = d[12];
        s.description = DeviceText(msg, 13);
        ++index;
    } else if (DefinitionOf(table[index], asked)) {
        ++index;
    }
    // The marker never takes the place of a definition that may yet be kept;
    // with all 255 entries defined there is no room for it.
    if (index < table.size() && !DefinitionStillToBeAsked(table[index], asked, rec.sensorCount))
        table[index].number = 255;
    return whole;
}

// Whether the answer says what the device holds. A NACK carries its reason
// code where the value would be, an ACK_TIMER its waiting time, and a
// cut-short answer a part: read as data, each would overwrite what the device
// reported before (an address of 0xFFFF from DEVICE_INFO, a slot text just
// read). A list longer than one answer can carry comes in ACK_OVERFLOW
// pieces, the first of them whole entries: the program keeps what the first
// piece (or a single ACK) holds, and a stray byte after the last whole entry
// is left unread. An ACK without data is an empty list; a piece without a
// whole entry says nothing.
bool HoldsValue(const tRdmMessage& msg, const ValueShape& shape) {
    if (shape.entry == 0) return msg.responseType == RdmAck && msg.pdl >= shape.minimum;
    if (msg.responseType == RdmAck && msg.pdl == 0) return true;
    return (msg.responseType == RdmAck || msg.responseType == RdmAckOverflow) && msg.pdl >= shape.entry;
}

}  // namespace

bool DecodeIntoRecord(tRdmDevice& rec, const tRdmMessage& msg, uint8_t& sensorDefIndex, uint16_t askedSensor) {
    const std::optional<ValueShape> shape = ShapeOf(msg.pid);
    if (!shape) return false;
    const bool whole = HoldsValue(msg, *shape);
    if (msg.pid == PID_SENSOR_DEFINITION)
        return DecodeSensorDefinition(rec, msg, whole, sensorDefIndex, askedSensor);
    if (!whole) return false;
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

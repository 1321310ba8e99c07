#pragma once

#include <QString>
#include <array>
#include <cstdint>

// Node kinds of the device tree.
enum : uint8_t {
    NodeKindGroup = 1,      // manufacturer group
    NodeKindDevice = 2,     // a responder (root device)
    NodeKindSubDevice = 3,  // one of its sub-devices
};

// Longest text kept from a device; longer texts are cut.
constexpr int RdmTextMax = 32;

struct tRdmSensor {
    uint8_t number = 0;  // 255 marks the end of the defined sensors
    uint8_t type = 0;
    uint8_t unit = 0;
    uint8_t prefix = 0;
    int16_t rangeMin = 0;
    int16_t rangeMax = 0;
    int16_t normalMin = 0;
    int16_t normalMax = 0;
    uint8_t recordedSupport = 0;
    QString description;

    bool operator==(const tRdmSensor&) const = default;
};

struct tRdmSlot {
    uint16_t offset = 0;
    uint8_t type = 0;
    uint16_t labelId = 0;
    QString description;

    bool operator==(const tRdmSlot&) const = default;
};

struct tRdmPersonality {
    uint16_t footprint = 0;
    QString description;

    bool operator==(const tRdmPersonality&) const = default;
};

// The program's knowledge of one tree node: a manufacturer group, a responder
// or a sub-device. Values are in host order; a new record is all zeros.
struct tRdmDevice {
    uint8_t nodeKind = 0;
    uint64_t uid = 0;  // manufacturer id in bits 47..32, device id in bits 31..0
    uint8_t identify = 0;
    uint8_t identifyMode = 0;
    uint16_t subDevice = 0;

    uint8_t supportedPidCount = 0;
    std::array<uint16_t, 1000> supportedPids{};

    uint16_t rdmProtocolVersion = 0;
    uint16_t deviceModelId = 0;
    uint16_t productCategory = 0;
    uint32_t softwareVersionId = 0;
    uint8_t currentPersonality = 0;
    uint8_t personalityCount = 0;
    uint16_t dmxStartAddress = 0;
    uint16_t subDeviceCount = 0;
    uint8_t sensorCount = 0;

    QString modelDescription;
    QString manufacturerLabel;
    QString deviceLabel;
    QString softwareVersionLabel;
    uint32_t bootSoftwareVersionId = 0;
    QString bootSoftwareVersionLabel;

    // 1-based: personalities[1..255]; element 0 is unused.
    std::array<tRdmPersonality, 256> personalities{};
    std::array<tRdmSensor, 255> sensors{};

    uint32_t deviceHours = 0;
    uint32_t lampHours = 0;
    uint32_t lampStrikes = 0;
    uint8_t lampState = 0;
    uint8_t lampOnMode = 0;
    uint8_t displayInvert = 0;
    uint8_t displayLevel = 0;
    uint8_t panInvert = 0;
    uint8_t tiltInvert = 0;
    uint8_t panTiltSwap = 0;

    uint8_t languageCount = 0;
    std::array<uint16_t, 116> languageCodes{};  // two ASCII letters, the first in the high byte
    uint16_t currentLanguage = 0;

    uint8_t productDetailCount = 0;  // at most 6
    std::array<uint16_t, 6> productDetailIds{};

    uint8_t powerState = 0;
    uint32_t devicePowerCycles = 0;

    uint8_t slotCount = 0;  // at most 46
    std::array<tRdmSlot, 46> slotInfo{};  // ("slots" is a Qt keyword)

    uint8_t DeviceKind = 0;  // 0..12, set by the parameter scan

    uint16_t manufacturerId() const { return static_cast<uint16_t>(uid >> 32); }
    uint32_t deviceId() const { return static_cast<uint32_t>(uid & 0xFFFFFFFFu); }

    bool operator==(const tRdmDevice&) const = default;
};

#pragma once

#include <array>
#include <cstdint>

// The report, the link packet header and the packet queue of the USB
// interface link. Plain data: no widget, no device.

// One HID report of either direction: report id 0, command (or input type),
// two arguments, up to 60 data bytes.
inline constexpr int HidReportSize = 65;
using THidReport = std::array<uint8_t, HidReportSize>;

// The interface's USB identity: the maker's vendor id and its two product ids.
inline constexpr uint16_t MakerVendorId = 0x04D8;
inline constexpr uint16_t MakerProductIdA = 0xF3A0;
inline constexpr uint16_t MakerProductIdB = 0xF3A1;

inline constexpr bool IsMakerInterface(uint16_t vendorId, uint16_t productId) {
    return vendorId == MakerVendorId && (productId == MakerProductIdA || productId == MakerProductIdB);
}

// What the program is doing with the interface (LinkMode).
inline constexpr uint16_t LinkModeIdle = 0;
inline constexpr uint16_t LinkModeDiscovery = 1;
inline constexpr uint16_t LinkModeBlockDownload = 2;
inline constexpr uint16_t LinkModeMonitor = 3;
inline constexpr uint16_t LinkModeRdm = 4;
inline constexpr uint16_t LinkModeInterfaceConfig = 5;
inline constexpr uint16_t LinkModeFirmwareUpload = 6;
inline constexpr uint16_t LinkModeRfConfigRead = 7;
inline constexpr uint16_t LinkModeSecondRfRead = 8;

// The block-transfer step that marks a firmware upload (LinkSubState).
inline constexpr uint16_t LinkSubStateFirmware = 5;

// Interface commands (output report byte 1).
inline constexpr uint8_t CmdStartBlockDownload = 1;
inline constexpr uint8_t CmdStartMonitor = 2;
inline constexpr uint8_t CmdReadInterfaceConfig = 3;
inline constexpr uint8_t CmdFirmwarePoll = 4;
inline constexpr uint8_t CmdFirmwareData = 5;
inline constexpr uint8_t CmdRfFrame = 6;
inline constexpr uint8_t CmdRfDmxConfigWrite = 7;
inline constexpr uint8_t CmdReadRfConfig = 8;
inline constexpr uint8_t CmdPacketData = 10;

// Input report types (byte 0 after the report id).
inline constexpr uint8_t InputCreditRequest = 10;
inline constexpr uint8_t InputData = 11;
inline constexpr uint8_t InputBlockAck = 21;

// Link packet types.
inline constexpr uint8_t LinkTypeDmx = 0x20;
inline constexpr uint8_t LinkTypeFileRecord = 0x30;
inline constexpr uint8_t LinkTypeRdm = 0x40;
inline constexpr uint8_t LinkTypeDiscUniqueBranch = 0x60;

// Writes the 3-byte link header: 6-bit type in the high bits of byte 0, the
// 8-bit parameter across bytes 0 and 1, the 10-bit length across bytes 1 and 2.
inline void PutLinkHeader(uint8_t* buffer, uint8_t type, uint16_t parameter, uint16_t length) {
    buffer[0] = uint8_t(type | (parameter >> 6));
    buffer[1] = uint8_t((parameter << 2) | (length >> 8));
    buffer[2] = uint8_t(length);
}

// Outgoing link packets: 20 slots of 518 bytes; the packet in transfer is the
// one in slot ReadIndex.
struct TTxQueue {
    static constexpr int SlotCount = 20;
    static constexpr int SlotSize = 518;

    std::array<std::array<uint8_t, SlotSize>, SlotCount> Data{};
    std::array<uint16_t, SlotCount> Length{};
    uint16_t WriteIndex = 0;
    uint16_t ReadIndex = 0;
    uint16_t Count = 0;    // packets queued, the one in transfer included
    int32_t BytesLeft = 0; // of the packet in transfer, not yet sent
    int32_t Offset = 0;    // of the packet in transfer, already sent
};

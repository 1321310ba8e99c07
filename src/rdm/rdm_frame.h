#pragma once

#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

// RDM request framing and answer parsing (ANSI E1.20), free of widgets.

// Command classes.
enum : uint8_t {
    RdmDiscoveryCommand = 0x10,
    RdmDiscoveryCommandResponse = 0x11,
    RdmGetCommand = 0x20,
    RdmGetCommandResponse = 0x21,
    RdmSetCommand = 0x30,
    RdmSetCommandResponse = 0x31,
};

// Response types.
enum : uint8_t {
    RdmAck = 0,
    RdmAckTimer = 1,
    RdmNackReason = 2,
    RdmAckOverflow = 3,
};

// Link packet types that carry RDM.
enum : uint8_t {
    RdmLinkTypeBroadcast = 0x20,  // DMX frame and the broadcast DISC_UN_MUTE
    RdmLinkTypeRequest = 0x40,
    RdmLinkTypeDiscBranch = 0x60,
};

// A request of this link type brings one report of the interface (an answer
// or a report of none); a broadcast brings none.
constexpr bool BringsReport(uint8_t linkType) {
    return linkType == RdmLinkTypeRequest || linkType == RdmLinkTypeDiscBranch;
}

// The parameter ids the program knows by name.
enum : uint16_t {
    PID_DISC_UNIQUE_BRANCH = 0x0001,
    PID_DISC_MUTE = 0x0002,
    PID_DISC_UN_MUTE = 0x0003,
    PID_SUPPORTED_PARAMETERS = 0x0050,
    PID_DEVICE_INFO = 0x0060,
    PID_PRODUCT_DETAIL_ID_LIST = 0x0070,
    PID_DEVICE_MODEL_DESCRIPTION = 0x0080,
    PID_MANUFACTURER_LABEL = 0x0081,
    PID_DEVICE_LABEL = 0x0082,
    PID_FACTORY_DEFAULTS = 0x0090,
    PID_LANGUAGE_CAPABILITIES = 0x00A0,
    PID_LANGUAGE = 0x00B0,
    PID_SOFTWARE_VERSION_LABEL = 0x00C0,
    PID_BOOT_SOFTWARE_VERSION_ID = 0x00C1,
    PID_BOOT_SOFTWARE_VERSION_LABEL = 0x00C2,
    PID_DMX_PERSONALITY = 0x00E0,
    PID_DMX_PERSONALITY_DESCRIPTION = 0x00E1,
    PID_DMX_START_ADDRESS = 0x00F0,
    PID_SLOT_INFO = 0x0120,
    PID_SLOT_DESCRIPTION = 0x0121,
    PID_DEFAULT_SLOT_VALUE = 0x0122,
    PID_SENSOR_DEFINITION = 0x0200,
    PID_SENSOR_VALUE = 0x0201,
    PID_DEVICE_HOURS = 0x0400,
    PID_LAMP_HOURS = 0x0401,
    PID_LAMP_STRIKES = 0x0402,
    PID_LAMP_STATE = 0x0403,
    PID_LAMP_ON_MODE = 0x0404,
    PID_DEVICE_POWER_CYCLES = 0x0405,
    PID_DISPLAY_INVERT = 0x0500,
    PID_DISPLAY_LEVEL = 0x0501,
    PID_PAN_INVERT = 0x0600,
    PID_TILT_INVERT = 0x0601,
    PID_PAN_TILT_SWAP = 0x0602,
    PID_IDENTIFY_DEVICE = 0x1000,
    PID_POWER_STATE = 0x1010,
    PID_IDENTIFY_MODE = 0x1040,
};

// The program's own source UID: its ESTA manufacturer id, device id 0.
constexpr uint16_t RdmOwnManufacturerId = 0x7FF1;
constexpr uint64_t RdmSourceUid = uint64_t(RdmOwnManufacturerId) << 32;

constexpr int RdmParamDataSize = 200;  // RdmParamData
constexpr int RdmRequestMax = 301;     // the largest request packet, header included
constexpr int RdmMessageDataSize = 232;
// The transaction number's place in a request packet, link header included.
constexpr int RdmTransactionOffset = 18;
constexpr int RdmMinAnswerLength = 25;  // an answer without data, from the sub-start code

// One parsed RDM answer. Zero-filled before every parse, so bytes past the PDL
// read as zeros.
struct tRdmMessage {
    uint8_t startCode = 0;
    uint8_t subStartCode = 0;
    uint8_t messageLength = 0;
    uint64_t destinationUid = 0;
    uint64_t sourceUid = 0;
    uint8_t transactionNumber = 0;
    uint8_t responseType = 0;
    uint8_t messageCount = 0;
    uint16_t subDevice = 0;
    uint8_t commandClass = 0;
    uint16_t pid = 0;
    uint8_t pdl = 0;
    std::array<uint8_t, RdmMessageDataSize> data{};
    uint16_t checksum = 0;
};

enum class RdmParseResult {
    Ok,
    TooShort,     // fewer bytes than an answer without data
    Truncated,    // the PDL asks for more bytes than were received
    PdlTooLarge,  // the PDL exceeds the 232 data bytes an answer can hold
    BadChecksum,  // the checksum does not match the bytes
};

// Writes the 48-bit UID as 6 bytes, most significant first, at buffer[index..index+5].
// Writes nothing when those bytes do not fit the buffer.
void PutUid(std::span<uint8_t> buffer, uint16_t index, uint64_t uid);

// Byte readers. A byte outside the array reads as 0, so a handler that reads
// past a short answer gets zeros rather than stray memory.
uint16_t GetWordLE(std::span<const uint8_t> bytes, size_t i);
uint16_t GetWordBE(std::span<const uint8_t> bytes, size_t i);
uint32_t GetLongBE(std::span<const uint8_t> bytes, size_t i);
uint64_t GetUid(std::span<const uint8_t> bytes, size_t i);
// `count` characters, one per byte from bytes[index] on, each byte taken
// unchanged (a zero byte becomes a character of code 0). Stops at the end of the array.
QString BytesToString(std::span<const uint8_t> bytes, size_t count, size_t index);
// Copies count bytes from source[index] on to destination[0] on, as far as both arrays reach.
void CopyBytes(std::span<const uint8_t> source, size_t index, std::span<uint8_t> destination, size_t count);

// Fills `msg` from an answer that starts at the sub-start code (the START
// code is not delivered). The message is zero-filled first; on any result
// but Ok it holds what could be read safely and must not be decoded.
RdmParseResult ParseRdmMessage(std::span<const uint8_t> bytes, tRdmMessage& msg);

// The E1.20 checksum of an answer that starts at the sub-start code: the
// START code plus every byte up to the last data byte, modulo 65536.
uint16_t RdmAnswerChecksum(std::span<const uint8_t> bytes, size_t pdl);

// The link packet header: type in the high six bits of byte 0, an 8-bit
// parameter and a 10-bit length.
void WriteRdmLinkHeader(uint8_t* buffer, uint8_t type, uint16_t parameter, uint16_t length);

// Builds the request packet (link header, then the E1.20 frame from the
// START code to the checksum) into `out`; returns its length, PDL + 29.
// PDL is clamped to the 200 bytes of the request buffer.
int BuildRdmRequest(std::array<uint8_t, RdmRequestMax>& out, uint16_t subDevice, uint8_t commandClass,
                    uint64_t destination, uint16_t pid, uint8_t pdl, std::span<const uint8_t> data,
                    uint8_t linkType, uint8_t transaction);

// Two upper-case hexadecimal digits and a blank per byte.
QString HexDumpLine(std::span<const uint8_t> bytes);

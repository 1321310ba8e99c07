#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "maker/Karakt.h"
#include "maker/ProgramData.h"

// The framed stream that the maker's devices and interfaces take: a 16-byte
// file header ("OrvDMX10", a zero word, the frame count) and 218-byte frames,
// each with its three time words, the data length, the lead byte, a block
// address, a payload of 192 bytes and a CRC-16. The same bytes are a `.dmx`
// file and what is played to the interface record by record. No widget here.

inline constexpr uint32_t SendStreamSize = 1000000;
inline constexpr uint32_t DmxFileHeaderSize = 16;
inline constexpr uint32_t DmxFrameSize = 218;
inline constexpr uint32_t FramePayloadSize = 192;
inline constexpr uint8_t FrameCrcCount = 196; // block address, length, payload
inline constexpr int HeaderFrameCount = 100;
inline constexpr uint32_t ProgramsFrameCount = 132;
inline constexpr uint32_t ConfigFrameCount = 108;  // what the header says and the upload sends
inline constexpr uint32_t ConfigFramesBuilt = 116; // what the stream holds (the curves too)
inline constexpr uint32_t LogoFrameCountField = 250;
// Offset of the first frame after the header frames, and of its payload.
inline constexpr uint32_t FirstDataFrameOffset = DmxFileHeaderSize + HeaderFrameCount * DmxFrameSize;
inline constexpr uint32_t FirstDataPayloadOffset = FirstDataFrameOffset + 24;
// Bytes of a saved stream that its reader takes: the programs' 32 data frames,
// the configuration frame's fields.
inline constexpr uint32_t ProgramsFileSize = FirstDataFrameOffset + 32 * DmxFrameSize;
inline constexpr uint32_t ConfigFileSize = FirstDataPayloadOffset + 98;

inline constexpr int ProgramBlockSize = 600;
inline constexpr int ProgramImageSize = 6000;

inline constexpr int LogoMaxWidth = 240;
inline constexpr int LogoMaxHeight = 220;
// [width][height] and one byte per column for each band of 8 rows; room for
// whole 64-byte blocks of the largest logo, so a block never reads past it.
inline constexpr int LogoBitmapSize = 64 * ((2 + (LogoMaxHeight + 7) / 8 * LogoMaxWidth + 63) / 64);
using tLogoBitmap = std::array<uint8_t, LogoBitmapSize>;

// Logo blocks of 64 bytes for a logo of this size.
constexpr uint32_t LogoBlockCount(uint32_t width, uint32_t height) {
    return (2 + (height + 7) / 8 * width + 63) / 64;
}

// The stream image with its position, the frame being assembled and the
// device's program memory image. Arrays are 1-based: element 0 is unused.
struct tStreamImage {
    tStreamImage() : SendStream(SendStreamSize + 1, 0) {}

    std::vector<uint8_t> SendStream; // [1..SendStreamSize]
    uint32_t Position = 1;           // index of the next byte
    // Bytes that the last build or load put into SendStream; a send never reads past them.
    uint32_t Loaded = 0;
    std::array<uint8_t, 513> FramePacket{}; // [1..512]
    uint32_t FramePosition = 1;
    std::array<uint8_t, ProgramImageSize + 1> ProgramImage{}; // [1..6000]

    std::span<const uint8_t> Bytes() const { return {SendStream.data() + 1, Loaded}; }

    // Writers into FramePacket; each advances FramePosition. Bytes that would
    // pass the packet's end are dropped.
    void PutTimeDword(uint32_t value, std::string_view unit = {}, uint32_t divisor = 25);
    void PutWord(uint16_t value);
    void PutByte(uint8_t value);
    void PutString(std::string_view text);
    // CRC-16 over FramePacket[21 .. 20 + count] stored after them, then
    // FramePacket[1 .. count + 22] appended to SendStream. False (nothing
    // appended) when the stream is full.
    bool AppendFrame(uint8_t count);

    // Replaces the stream with these bytes; false (nothing changed) when they
    // do not fit.
    bool Load(std::span<const uint8_t> bytes);
};

// A u32 of 25-ns ticks at bytes[index..index+3] (little-endian) in ms, us or
// ns; any other unit gives the ticks.
uint32_t TicksToTime(std::span<const uint8_t> bytes, size_t index, std::string_view unit);

// Program block k (0 headers, 1..9 programs) into ProgramImage[1..600], and back.
void PackProgramBlock(tStreamImage& image, uint8_t k, const tProgramData& programs);
void UnpackProgramBlock(const tStreamImage& image, uint8_t k, tProgramData& programs);

// The three streams the program builds, from position 1.
void BuildProgramsStream(tStreamImage& image, const tProgramData& programs);
void BuildConfigStream(tStreamImage& image, const tDeviceConfig& config, const tCurveTable& curves,
                       uint8_t configDeviceCode);
void BuildLogoStream(tStreamImage& image, const tLogoBitmap& logo);

// ---- Records, as a sender reads them ----------------------------------------

enum class RecordRead : uint8_t {
    Ok,
    PastEnd, // the stream has no whole record at this position
    TooLong, // its data would not fit the DMX frame buffer
};

// Reads the record at `position` (1-based index into SendStream): period, the
// two times, N, the lead byte word, then N data bytes. frame[0] := lead byte,
// frame[1..N] := data. Nothing past image.Loaded is read; on failure neither
// the position nor the frame change.
RecordRead ReadStreamRecord(const tStreamImage& image, uint32_t& position, uint8_t* frame, size_t frameSize,
                            uint32_t& recordLength);

// ---- Reading `.dmx` files ----------------------------------------------------

// Reads a saved programs stream into the programs (headers from the first data
// frame, colours from its 32 frames). False, changing nothing, when the file
// is too short to hold them.
bool ReadProgramsFile(std::span<const uint8_t> file, tStreamImage& image, tProgramData& programs);
// Reads the configuration frame of a saved configuration stream. False,
// changing nothing, when the file is too short.
bool ReadConfigFile(std::span<const uint8_t> file, tDeviceConfig& config);

// The stored brightness word back in percent, a half rounded to the even one.
uint8_t BrightnessFromStored(uint16_t stored);

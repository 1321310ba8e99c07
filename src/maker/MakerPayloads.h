#pragma once

#include <cstdint>
#include <span>

#include "maker/Karakt.h"
#include "maker/ProgramData.h"

// The data that the maker's devices exchange over RDM: configuration payloads
// of the three layouts, program packets, and the device-memory blocks of the
// oldest controller. Free of widgets: builders fill a byte buffer from the
// configuration record or the programs, decoders fill them back. Multi-byte
// values are big-endian unless said otherwise.

constexpr int kConfigPayloadQ7 = 57;
constexpr int kConfigPayloadQ73G = 67;
constexpr int kConfigPayloadZK4 = 54;
constexpr int kConfigTailLength = 4;
constexpr int kProgramPacketRgb = 62;
constexpr int kProgramPacketRgbwa = 52;
constexpr int kLastPartRgb = 10;   // parts 0..10 of a three-colour program
constexpr int kLastPartRgbwa = 20; // parts 0..20 of a five-colour program

// Device memory of the oldest controller (addresses in units of two per
// three-byte memory word).
constexpr uint16_t kMemoryConfigBlock = 0x4000;
constexpr uint16_t kMemoryProgramBlock = 0x4400; // first of 32 program blocks
constexpr uint16_t kMemoryLastProgramBlock = 0x5380;
constexpr uint16_t kMemoryBlockStep = 0x80;
constexpr int kProgramImageSize = 6000;  // as the streams' program image

// A gamma in tenths, the nearest whole number (2.2 as 22), kept within a byte.
uint8_t GammaTenths(double gamma);

// Units of `channels` slots each start at 1, 1 + channels, ...: the unit
// number (1..20) of an address, or 0 when no unit starts there.
uint16_t AddressToUnitNumber(uint16_t address, uint16_t channels);

// Configuration payloads (buffers of at least the layout's length; bytes the
// layout does not name are zero).
void BuildConfigPayloadQ7(const tDeviceConfig& c, std::span<uint8_t> out);
void BuildConfigPayloadQ73G(const tDeviceConfig& c, std::span<uint8_t> out);
void BuildConfigPayloadZK4(const tDeviceConfig& c, std::span<uint8_t> out);
// The two tail words at `offset`: the overheat flag (bit 7), then the output
// frequency in Hz (0 = free running).
void PutConfigTail(std::span<uint8_t> out, size_t offset, bool overheat, uint16_t hz);
// The overheat flag and frequency of a tail at `offset`.
void ReadConfigTail(std::span<const uint8_t> pd, size_t offset, tDeviceConfig& c);

// Reads a configuration answer of a layout into the record; fields the layout
// does not hold keep their values.
void DecodeConfigAnswerQ7(std::span<const uint8_t> pd, tDeviceConfig& c);
void DecodeConfigAnswerQ73G(std::span<const uint8_t> pd, tDeviceConfig& c);
void DecodeConfigAnswerZK4(std::span<const uint8_t> pd, tDeviceConfig& c);

// Program packets: program 1..9, part 0 (the header) or a part of colours.
// The whole buffer is written; bytes the packet does not use are zero.
void BuildProgramPacketRgb(const tProgramData& d, int program, int part, std::span<uint8_t> out);
void BuildProgramPacketRgbwa(const tProgramData& d, int program, int part, std::span<uint8_t> out);
// Reads one program packet into the programs. False, changing nothing, when
// its program or part number is out of range.
bool DecodeProgramPacketRgb(std::span<const uint8_t> pd, tProgramData& d);
bool DecodeProgramPacketRgbwa(std::span<const uint8_t> pd, tProgramData& d);

// A brightness word in 256ths as a percentage, rounded half to even.
uint8_t BrightnessFromWord(uint16_t value);

// The configuration block of the device memory (answer positions, data from
// byte 4): R, G, B limits, white balance and overheat, step times, the ten
// brightness levels, gammas and offsets. Everything else keeps its value.
void DecodeConfigMemoryBlock(std::span<const uint8_t> pd, tDeviceConfig& c);

// Stores the data bytes of a program-memory answer (address `address`,
// `pdl` bytes of parameter data) into the 6000-byte image, as far as it reaches.
void StoreProgramMemoryBlock(std::span<const uint8_t> pd, uint8_t pdl, uint16_t address,
                             std::span<uint8_t> image);
// The programs from a whole program-memory image: headers from block 0, the
// colours of program p from block p. W and A are not carried.
void UnpackProgramMemory(std::span<const uint8_t> image, tProgramData& d);

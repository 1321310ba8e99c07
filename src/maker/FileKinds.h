#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <span>

#include "maker/StreamContainer.h"

// What a file that the user opens is: a firmware file of the maker's
// interfaces, a saved programs or configuration stream (all `.dmx`), or a
// two-colour BMP logo. Plain logic over the file's bytes; no widget.

inline constexpr uint8_t FileKindUnknown = 0;
inline constexpr uint8_t FileKindFirmware = 1;
inline constexpr uint8_t FileKindPrograms = 2;
inline constexpr uint8_t FileKindConfig = 3;
inline constexpr uint8_t FileKindBmp = 4;
// An unusable BMP: 128 plus the reasons.
inline constexpr uint8_t BmpUnusable = 128;
inline constexpr uint8_t BmpNotReadable = 1; // no "BM", or not a whole bitmap
inline constexpr uint8_t BmpTooLarge = 2;    // beyond 240 x 220 (or empty)
inline constexpr uint8_t BmpNotMono = 4;     // not one bit per pixel

// Bytes that classification and the firmware labels look at.
inline constexpr int ClassifyHeadSize = 256;

struct tFileClass {
    uint8_t kind = FileKindUnknown; // OpenedFileKind
    enum class IdChange : uint8_t { Keep, Clear, Set } idChange = IdChange::Keep;
    QByteArray firmwareId; // the 8 bytes, when idChange is Set
};

// By the file name's extension (case-sensitive) and its bytes (the whole file,
// or at least its first ClassifyHeadSize bytes; fileSize is the whole size).
tFileClass ClassifyFileBytes(const QString& fileName, std::span<const uint8_t> bytes, uint64_t fileSize);

// The BMP checks alone: FileKindBmp, or 128 + reasons.
uint8_t ClassifyBmpBytes(std::span<const uint8_t> bytes);

// The firmware id byte that fits an interface type; 0 for a type without firmware.
uint8_t FirmwareIdByteFor(uint8_t interfaceType);
// True when this 8-byte id is a firmware id for the interface type.
bool FirmwareFits(const QByteArray& firmwareId, uint8_t interfaceType);

// "v.2.13" from bytes 205 and 204; empty when the file is shorter.
QString FirmwareVersionText(std::span<const uint8_t> bytes);
// The date of bytes 208..210 (year - 2000, month, day); false when shorter.
bool FirmwareDate(std::span<const uint8_t> bytes, uint8_t& year, uint8_t& month, uint8_t& day);
// The frame count of the file header; 0 when shorter.
uint32_t StreamFrameCountOf(std::span<const uint8_t> bytes);

// The logo of a usable BMP, page-organised (see tLogoBitmap); the bitmap is
// cleared first. False (bitmap cleared) when the file is not a usable BMP.
bool DecodeBmpLogo(std::span<const uint8_t> bytes, tLogoBitmap& logo);

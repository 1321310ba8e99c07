#include "maker/FileKinds.h"

#include <cstring>

namespace {

uint32_t U32(std::span<const uint8_t> b, size_t i) {
    return uint32_t(b[i]) | uint32_t(b[i + 1]) << 8 | uint32_t(b[i + 2]) << 16 | uint32_t(b[i + 3]) << 24;
}

uint16_t U16(std::span<const uint8_t> b, size_t i) {
    return uint16_t(b[i] | b[i + 1] << 8);
}

bool Matches(std::span<const uint8_t> b, size_t at, const char* text, size_t n) {
    return at + n <= b.size() && std::memcmp(b.data() + at, text, n) == 0;
}

constexpr uint8_t ApplicationIdBytes[8] = {'a', 'p', 'p', 'l', 'd', 0x10, 0x01, 0x00};

// Sizes a file must have for what its reader takes from it.
constexpr uint64_t FirmwareLabelsEnd = 211; // version and date bytes

// Offsets of the BMP fields read.
constexpr size_t BmpPixelOffsetAt = 10;
constexpr size_t BmpWidthAt = 18;
constexpr size_t BmpHeightAt = 22;
constexpr size_t BmpBitsAt = 28;
constexpr size_t BmpPaletteAt = 54;
constexpr size_t BmpPaletteEnd = BmpPaletteAt + 8;

tFileClass ClassifyDmx(std::span<const uint8_t> b, uint64_t fileSize) {
    tFileClass r;
    if (b.size() < 51 || !Matches(b, 0, "OrvDMX10", 8) || U32(b, 8) != 0) return r;
    const size_t idAt = (b[40] == 'f' || b[40] == 'a') ? 40 : 42;
    r.idChange = tFileClass::IdChange::Clear;
    if (Matches(b, idAt, "frmwr", 5)) {
        if (fileSize < FirmwareLabelsEnd) return r;
        r.idChange = tFileClass::IdChange::Set;
        r.firmwareId = QByteArray(reinterpret_cast<const char*>(b.data() + idAt), 8);
        r.kind = FileKindFirmware;
        return r;
    }
    if (std::memcmp(b.data() + idAt, ApplicationIdBytes, 8) != 0) return r;
    const uint8_t type = b[idAt + 8];
    // A configuration saved from a device whose code is 4 would pass for a
    // bitmap; it is not one. Streams too short for their reader are refused too.
    if (type == FileKindBmp) return r;
    if (type == FileKindPrograms && fileSize < ProgramsFileSize) return r;
    if (type == FileKindConfig && fileSize < ConfigFileSize) return r;
    r.kind = type;
    return r;
}

} // namespace

uint8_t ClassifyBmpBytes(std::span<const uint8_t> b) {
    if (b.size() < BmpBitsAt + 2) return BmpUnusable + BmpNotReadable;
    uint8_t reasons = 0;
    if (U16(b, 0) != 0x4D42) reasons |= BmpNotReadable;
    const uint32_t width = U32(b, BmpWidthAt);
    const uint32_t height = U32(b, BmpHeightAt); // a top-down bitmap's negative height reads as huge
    if (width == 0 || height == 0 || width > uint32_t(LogoMaxWidth) || height > uint32_t(LogoMaxHeight))
        reasons |= BmpTooLarge;
    if (U16(b, BmpBitsAt) != 1) reasons |= BmpNotMono;
    if (reasons == 0) {
        // The palette and every row that is read must lie inside the file.
        const uint64_t offset = b.size() >= BmpPixelOffsetAt + 4 ? U32(b, BmpPixelOffsetAt) : 0;
        const uint64_t rowLength = (width + 31) / 32 * 4;
        const uint64_t used = (width + 7) / 8;
        if (b.size() < BmpPaletteEnd || offset < BmpPaletteEnd ||
            offset + (height - 1) * rowLength + used > b.size())
            reasons |= BmpNotReadable;
    }
    return reasons ? uint8_t(BmpUnusable + reasons) : FileKindBmp;
}

tFileClass ClassifyFileBytes(const QString& fileName, std::span<const uint8_t> bytes, uint64_t fileSize) {
    const QString ext = fileName.right(4);
    if (ext == QLatin1String(".dmx")) return ClassifyDmx(bytes, fileSize);
    tFileClass r;
    if (ext == QLatin1String(".bmp")) r.kind = ClassifyBmpBytes(bytes);
    return r;
}

uint8_t FirmwareIdByteFor(uint8_t interfaceType) {
    switch (interfaceType) {
    case 1:
        return 0x0B;
    case 2:
        return 0x0E;
    case 3:
    case 4:
        return 0x10;
    case 5:
    case 6:
        return 0x12;
    case 7:
    case 8:
    case 9:
        return 0x13;
    case 10:
        return 0xC9;
    case 13:
        return 0x23;
    default:
        return 0;
    }
}

bool FirmwareFits(const QByteArray& id, uint8_t interfaceType) {
    const uint8_t want = FirmwareIdByteFor(interfaceType);
    return want != 0 && id.size() == 8 && id.startsWith("frmwr") && uint8_t(id[5]) == 0x10 &&
           uint8_t(id[6]) == want && uint8_t(id[7]) == 0x00;
}

QString FirmwareVersionText(std::span<const uint8_t> b) {
    if (b.size() < 206) return {};
    return QStringLiteral("v.%1.%2").arg(b[205]).arg(b[204]);
}

bool FirmwareDate(std::span<const uint8_t> b, uint8_t& year, uint8_t& month, uint8_t& day) {
    if (b.size() < FirmwareLabelsEnd) return false;
    year = b[208];
    month = b[209];
    day = b[210];
    return true;
}

uint32_t StreamFrameCountOf(std::span<const uint8_t> b) {
    return b.size() >= 16 ? U32(b, 12) : 0;
}

bool DecodeBmpLogo(std::span<const uint8_t> b, tLogoBitmap& logo) {
    logo.fill(0);
    if (ClassifyBmpBytes(b) != FileKindBmp) return false;
    const uint32_t offset = U32(b, BmpPixelOffsetAt);
    const uint32_t width = U32(b, BmpWidthAt);
    const uint32_t height = U32(b, BmpHeightAt);
    const uint32_t entry0 = U32(b, BmpPaletteAt);
    const uint32_t entry1 = U32(b, BmpPaletteAt + 4);
    // A pixel is set when it has the darker of the two colours.
    const bool darkWhenOne = entry1 <= entry0;
    const bool darkWhenZero = entry0 < entry1;
    const uint32_t rowLength = (width + 31) / 32 * 4;
    logo[0] = uint8_t(width);
    logo[1] = uint8_t(height);
    for (uint32_t row = 0; row < height; ++row) {
        const uint32_t y = height - 1 - row; // rows are stored bottom-up
        const uint8_t* pixels = b.data() + offset + size_t(row) * rowLength;
        for (uint32_t x = 0; x < width; ++x) {
            const bool one = (pixels[x / 8] >> (7 - x % 8)) & 1;
            if (one ? darkWhenOne : darkWhenZero) logo[2 + (y / 8) * width + x] |= uint8_t(1u << (y % 8));
        }
    }
    return true;
}

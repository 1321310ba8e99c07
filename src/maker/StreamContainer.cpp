#include "maker/StreamContainer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "app/conversion.h"

namespace {

// Time words of every frame the program builds: the two times of the
// interface's player (200 us, 50 us), the data length and the lead byte.
constexpr uint32_t SecondTimeUs = 200;
constexpr uint32_t ThirdTimeUs = 50;
constexpr uint32_t FrameDataLength = 198;
constexpr uint32_t FrameLeadWord = 1;

constexpr uint32_t ProgramsPeriodMs = 50;
constexpr uint32_t ConfigPeriodMs = 50;
constexpr uint32_t LogoPeriodMs = 200;

constexpr uint16_t ProgramsBaseAddress = 0x4400;
constexpr uint16_t ConfigBaseAddress = 0x4000;
constexpr uint16_t CurveBaseAddress = 0x5400;
constexpr uint16_t AddressStep = 128; // two address units per 3-byte memory word
constexpr int ProgramsDataFrames = 32;
constexpr int ConfigZeroFrames = 7;
constexpr int CurveFrames = 8;

constexpr uint8_t ApplicationId[8] = {'a', 'p', 'p', 'l', 'd', 0x10, 0x01, 0x00};
constexpr uint8_t LogoId[8] = {'a', 'p', 'p', 'l', 'd', 0x10, 0x02, 0x00};
constexpr uint16_t ProgramsStreamType = 2;
constexpr uint16_t LogoStreamType = 4;

// FramePacket index of payload byte p (the payload starts at frame offset 24).
constexpr uint32_t PayloadIndex(uint32_t p) {
    return 25 + p;
}

uint32_t ReadU32(std::span<const uint8_t> b, size_t i) {
    return uint32_t(b[i]) | uint32_t(b[i + 1]) << 8 | uint32_t(b[i + 2]) << 16 | uint32_t(b[i + 3]) << 24;
}

uint16_t ReadU16(std::span<const uint8_t> b, size_t i) {
    return uint16_t(b[i] | b[i + 1] << 8);
}

// The opening of every stream: the file header, then the 100 header frames
// carrying the stream id and type (and a logo's block count).
void OpenStream(tStreamImage& s, uint32_t frameCount, uint32_t periodMs, const uint8_t (&id)[8],
                uint16_t type, int logoBlocks) {
    s.Position = 1;
    s.Loaded = 0;
    s.FramePacket.fill(0);
    s.FramePosition = 1;
    s.PutString("OrvDMX10");
    s.PutTimeDword(0);
    s.PutTimeDword(frameCount);
    std::memcpy(&s.SendStream[1], &s.FramePacket[1], DmxFileHeaderSize);
    s.Position = 1 + DmxFileHeaderSize;
    std::fill(s.FramePacket.begin() + 1, s.FramePacket.begin() + 1 + DmxFileHeaderSize, 0);

    s.FramePosition = 1;
    s.PutTimeDword(periodMs, "ms");
    s.PutTimeDword(SecondTimeUs, "us");
    s.PutTimeDword(ThirdTimeUs, "us");
    s.PutTimeDword(FrameDataLength);
    s.PutTimeDword(FrameLeadWord);
    s.PutWord(0);
    s.PutWord(FramePayloadSize);
    for (uint8_t b : id)
        s.PutByte(b);
    s.PutWord(type);
    if (logoBlocks >= 0) s.PutWord(uint16_t(logoBlocks));
    for (int n = 1; n <= HeaderFrameCount; ++n) {
        s.FramePacket[PayloadIndex(26)] = uint8_t(n);
        s.AppendFrame(FrameCrcCount);
    }
    // The data frames set only their own payload bytes; the header's are not theirs.
    std::fill(s.FramePacket.begin() + PayloadIndex(0), s.FramePacket.begin() + PayloadIndex(FramePayloadSize),
              0);
}

// Starts a data frame at this block address: the payload follows from index 25.
void BeginDataFrame(tStreamImage& s, uint16_t address) {
    s.FramePosition = 21;
    s.PutWord(address);
    s.FramePosition = 25;
}

void CloseStream(tStreamImage& s) {
    s.Loaded = s.Position - 1;
}

} // namespace

// ---- writers ------------------------------------------------------------------

void tStreamImage::PutTimeDword(uint32_t value, std::string_view unit, uint32_t divisor) {
    uint64_t v = value;
    if (divisor == 0) divisor = 1;
    if (unit == "ms")
        v = v * 1000000 / divisor;
    else if (unit == "us")
        v = v * 1000 / divisor;
    else if (unit == "ns")
        v = v / divisor;
    const uint32_t w = uint32_t(v);
    for (int i = 0; i < 4; ++i)
        PutByte(uint8_t(w >> (8 * i)));
}

void tStreamImage::PutWord(uint16_t value) {
    PutByte(uint8_t(value));
    PutByte(uint8_t(value >> 8));
}

void tStreamImage::PutByte(uint8_t value) {
    if (FramePosition >= 1 && FramePosition < FramePacket.size()) FramePacket[FramePosition] = value;
    ++FramePosition;
}

void tStreamImage::PutString(std::string_view text) {
    for (char c : text)
        PutByte(uint8_t(c));
}

bool tStreamImage::AppendFrame(uint8_t count) {
    const uint32_t frameLength = uint32_t(count) + 22;
    if (Position < 1 || uint64_t(Position) + frameLength - 1 > SendStreamSize) return false;
    if (!AppendCrc16(FramePacket.data(), FramePacket.size(), 0, 21, count)) return false;
    std::memcpy(&SendStream[Position], &FramePacket[1], frameLength);
    Position += frameLength;
    return true;
}

bool tStreamImage::Load(std::span<const uint8_t> bytes) {
    if (bytes.size() > SendStreamSize) return false;
    if (!bytes.empty()) std::memcpy(&SendStream[1], bytes.data(), bytes.size());
    Loaded = uint32_t(bytes.size());
    Position = Loaded + 1;
    return true;
}

uint32_t TicksToTime(std::span<const uint8_t> bytes, size_t index, std::string_view unit) {
    if (index + 4 > bytes.size()) return 0;
    const uint64_t ticks = ReadU32(bytes, index);
    if (unit == "ms") return uint32_t(ticks * 25 / 1000000);
    if (unit == "us") return uint32_t(ticks * 25 / 1000);
    if (unit == "ns") return uint32_t(ticks * 25);
    return uint32_t(ticks);
}

// ---- program image ------------------------------------------------------------

void PackProgramBlock(tStreamImage& image, uint8_t k, const tProgramData& programs) {
    auto& img = image.ProgramImage;
    std::fill(img.begin() + 1, img.begin() + 1 + ProgramBlockSize, 0);
    if (k == 0) {
        for (int p = 1; p <= tProgramData::kPrograms; ++p) {
            const int at = 1 + 18 * p; // after 18 zero bytes, 18 bytes a program
            img[at + 0] = programs.ProgramSteps[p];
            img[at + 3] = uint8_t(programs.ProgramSpeed[p]);
            img[at + 4] = uint8_t(programs.ProgramSpeed[p] >> 8);
            img[at + 6] = uint8_t(programs.ProgramWait[p]);
            img[at + 7] = uint8_t(programs.ProgramWait[p] >> 8);
            img[at + 9] = programs.ProgramStepMode[p] ? 1 : 0;
        }
    } else if (k <= tProgramData::kPrograms) {
        int i = 1;
        for (int s = 1; s <= tProgramData::kSteps; ++s)
            for (int d = 1; d <= tProgramData::kDevices; ++d)
                for (int c = 1; c <= 3; ++c)
                    img[i++] = programs.Colour(k, s, d, c);
    }
}

void UnpackProgramBlock(const tStreamImage& image, uint8_t k, tProgramData& programs) {
    if (k < 1 || k > tProgramData::kPrograms) return;
    int i = 1;
    for (int s = 1; s <= tProgramData::kSteps; ++s)
        for (int d = 1; d <= tProgramData::kDevices; ++d)
            for (int c = 1; c <= 3; ++c)
                programs.SetColour(k, s, d, c, image.ProgramImage[i++]);
}

// ---- builders -------------------------------------------------------------------

void BuildProgramsStream(tStreamImage& s, const tProgramData& programs) {
    OpenStream(s, ProgramsFrameCount, ProgramsPeriodMs, ApplicationId, ProgramsStreamType, -1);
    PackProgramBlock(s, 0, programs);
    int i = 1;
    uint8_t block = 0;
    for (int n = 1; n <= ProgramsDataFrames; ++n) {
        BeginDataFrame(s, uint16_t(ProgramsBaseAddress + (n - 1) * AddressStep));
        for (uint32_t p = 0; p < FramePayloadSize; ++p) {
            s.PutByte(s.ProgramImage[i]);
            if (++i > ProgramBlockSize) {
                ++block;
                i = 1;
                PackProgramBlock(s, block, programs);
            }
        }
        s.AppendFrame(FrameCrcCount);
    }
    CloseStream(s);
}

void BuildConfigStream(tStreamImage& s, const tDeviceConfig& c, const tCurveTable& curves,
                       uint8_t configDeviceCode) {
    OpenStream(s, ConfigFrameCount, ConfigPeriodMs, ApplicationId, configDeviceCode, -1);

    BeginDataFrame(s, ConfigBaseAddress);
    for (int ch = 1; ch <= 3; ++ch) {
        s.PutByte(c.Min[ch]);
        s.PutByte(c.Max[ch]);
        s.PutByte(c.Def[ch]);
    }
    s.PutByte(0xFF);
    s.PutWord(uint16_t((c.WhiteBalance ? 0x80 : 0) | (c.Overheat ? 0x40 : 0)));
    for (int i = 0; i < 3; ++i)
        s.PutWord(0);
    for (int i = 1; i <= 9; ++i) {
        s.PutWord(c.Speed[i]);
        s.PutWord(c.Wait[i]);
        s.PutWord(0);
    }
    for (int i = 1; i <= 10; ++i)
        s.PutWord(uint16_t(uint32_t(c.Brightness[i]) * 256 / 100));
    for (int ch = 1; ch <= 3; ++ch)
        s.PutByte(uint8_t(std::clamp(std::nearbyint(c.Gamma[ch] * 10.0), 0.0, 255.0)));
    for (int ch = 1; ch <= 3; ++ch)
        s.PutByte(c.Offs[ch]);
    s.AppendFrame(FrameCrcCount);

    std::fill(s.FramePacket.begin() + PayloadIndex(0), s.FramePacket.begin() + PayloadIndex(FramePayloadSize),
              0);
    for (int n = 2; n <= 1 + ConfigZeroFrames; ++n) {
        BeginDataFrame(s, uint16_t(ConfigBaseAddress + (n - 1) * AddressStep));
        s.AppendFrame(FrameCrcCount);
    }

    for (int n = 1; n <= CurveFrames; ++n) {
        BeginDataFrame(s, uint16_t(CurveBaseAddress + (n - 1) * AddressStep));
        for (int j = (n - 1) * 32; j < n * 32; ++j)
            for (int ch = 1; ch <= 3; ++ch)
                s.PutWord(curves[ch][j]);
        s.AppendFrame(FrameCrcCount);
    }
    CloseStream(s);
}

void BuildLogoStream(tStreamImage& s, const tLogoBitmap& logo) {
    const uint32_t blocks = std::min<uint32_t>(LogoBlockCount(logo[0], logo[1]), LogoBitmapSize / 64);
    OpenStream(s, LogoFrameCountField, LogoPeriodMs, LogoId, LogoStreamType, int(blocks));
    for (uint32_t n = 0; n < blocks; ++n) {
        BeginDataFrame(s, uint16_t(n * 64));
        for (uint32_t i = 0; i < 64; ++i)
            s.PutByte(logo[64 * n + i]);
        s.AppendFrame(FrameCrcCount);
    }
    CloseStream(s);
}

// ---- records ----------------------------------------------------------------------

RecordRead ReadStreamRecord(const tStreamImage& image, uint32_t& position, uint8_t* frame, size_t frameSize,
                            uint32_t& recordLength) {
    const std::span<const uint8_t> bytes = image.Bytes();
    // position is 1-based: byte position - 1 of the loaded bytes.
    if (position < 1) return RecordRead::PastEnd;
    const uint64_t at = position - 1;
    // Period, the two times, N and the lead byte's word: 20 bytes before the data.
    if (at + 20 > bytes.size()) return RecordRead::PastEnd;
    const uint32_t n = ReadU32(bytes, size_t(at + 12));
    if (uint64_t(n) + 1 > frameSize) return RecordRead::TooLong;
    if (at + 20 + n > bytes.size()) return RecordRead::PastEnd;
    frame[0] = bytes[size_t(at + 16)];
    if (n) std::memcpy(frame + 1, bytes.data() + at + 20, n);
    recordLength = n;
    position = uint32_t(position + 20 + n);
    return RecordRead::Ok;
}

// ---- reading files ------------------------------------------------------------------

bool ReadProgramsFile(std::span<const uint8_t> file, tStreamImage& image, tProgramData& programs) {
    if (file.size() < ProgramsFileSize) return false;
    // Headers of programs 1..9 inside the first data frame, after 18 zero bytes.
    for (int p = 1; p <= tProgramData::kPrograms; ++p) {
        const size_t h = FirstDataPayloadOffset + 18 * size_t(p);
        programs.ProgramSteps[p] = file[h];
        programs.ProgramSpeed[p] = ReadU16(file, h + 3);
        programs.ProgramWait[p] = ReadU16(file, h + 6);
        programs.ProgramSpeedOn[p] = (programs.ProgramSpeed[p] != 0 || programs.ProgramWait[p] != 0) ? 1 : 0;
        programs.ProgramStepMode[p] = file[h + 9] & 1;
    }
    int i = 1;
    uint8_t block = 0;
    for (int n = 0; n < ProgramsDataFrames; ++n) {
        const size_t frame = FirstDataFrameOffset + size_t(n) * DmxFrameSize;
        std::memcpy(&image.FramePacket[1], file.data() + frame, DmxFrameSize);
        for (uint32_t p = 0; p < FramePayloadSize; ++p) {
            image.ProgramImage[i] = image.FramePacket[PayloadIndex(p)];
            if (++i > ProgramBlockSize) {
                UnpackProgramBlock(image, block, programs);
                ++block;
                i = 1;
            }
        }
    }
    return true;
}

uint8_t BrightnessFromStored(uint16_t stored) {
    // Exact in doubles: the quotient of two small integers, halves included.
    const double percent = std::nearbyint(double(stored) * 100.0 / 256.0);
    return uint8_t(std::min(percent, 255.0));
}

bool ReadConfigFile(std::span<const uint8_t> file, tDeviceConfig& c) {
    if (file.size() < ConfigFileSize) return false;
    size_t at = FirstDataPayloadOffset;
    for (int ch = 1; ch <= 3; ++ch) {
        c.Min[ch] = file[at++];
        c.Max[ch] = file[at++];
        c.Def[ch] = file[at++];
    }
    ++at; // 0xFF
    const uint16_t flags = ReadU16(file, at);
    at += 2;
    c.WhiteBalance = (flags & 0x80) ? 1 : 0;
    c.Overheat = (flags & 0x40) ? 1 : 0;
    at += 6;
    for (int i = 1; i <= 9; ++i) {
        c.Speed[i] = ReadU16(file, at);
        c.Wait[i] = ReadU16(file, at + 2);
        at += 6;
    }
    for (int i = 1; i <= 10; ++i, at += 2)
        c.Brightness[i] = BrightnessFromStored(ReadU16(file, at));
    for (int ch = 1; ch <= 3; ++ch)
        c.Gamma[ch] = file[at++] / 10.0;
    for (int ch = 1; ch <= 3; ++ch)
        c.Offs[ch] = file[at++];
    return true;
}

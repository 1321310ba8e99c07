#include "maker/MakerPayloads.h"

#include <algorithm>
#include <cmath>

#include "rdm/rdm_frame.h"

namespace {

void PutBE(std::span<uint8_t> out, size_t i, uint16_t v) {
    if (i + 1 >= out.size()) return;
    out[i] = uint8_t(v >> 8);
    out[i + 1] = uint8_t(v);
}

uint8_t ByteAt(std::span<const uint8_t> pd, size_t i) {
    return i < pd.size() ? pd[i] : 0;
}

void Clear(std::span<uint8_t> out) {
    std::fill(out.begin(), out.end(), uint8_t(0));
}

void PutLimits(const tDeviceConfig& c, std::span<uint8_t> out, int channels) {
    for (int ch = 1; ch <= channels; ++ch) {
        const size_t i = size_t(3 * (ch - 1));
        if (i + 2 >= out.size()) return;
        out[i] = c.Min[ch];
        out[i + 1] = c.Max[ch];
        out[i + 2] = c.Def[ch];
    }
}

void ReadLimits(std::span<const uint8_t> pd, tDeviceConfig& c, int channels) {
    for (int ch = 1; ch <= channels; ++ch) {
        const size_t i = size_t(3 * (ch - 1));
        c.Min[ch] = ByteAt(pd, i);
        c.Max[ch] = ByteAt(pd, i + 1);
        c.Def[ch] = ByteAt(pd, i + 2);
    }
}

// White balance, linear curve and infra of the Q7 and Q73G layouts.
uint16_t CurveFlags(const tDeviceConfig& c) {
    return uint16_t((c.WhiteBalance ? 0x01 : 0) | (c.LinearCurve ? 0x02 : 0) | (c.Infra ? 0x08 : 0));
}

void ReadCurveFlags(uint16_t flags, tDeviceConfig& c) {
    c.WhiteBalance = (flags & 0x01) ? 1 : 0;
    c.LinearCurve = (flags & 0x02) ? 1 : 0;
    c.Infra = (flags & 0x08) ? 1 : 0;
}

void PutStepTimes(const tDeviceConfig& c, std::span<uint8_t> out, size_t first) {
    for (int i = 1; i <= 9; ++i) {
        PutBE(out, first + size_t(4 * (i - 1)), c.Speed[i]);
        PutBE(out, first + 2 + size_t(4 * (i - 1)), c.Wait[i]);
    }
}

void ReadStepTimes(std::span<const uint8_t> pd, tDeviceConfig& c, size_t first) {
    for (int i = 1; i <= 9; ++i) {
        c.Speed[i] = GetWordBE(pd, first + size_t(4 * (i - 1)));
        c.Wait[i] = GetWordBE(pd, first + 2 + size_t(4 * (i - 1)));
    }
}

void PutGammas(const tDeviceConfig& c, std::span<uint8_t> out, size_t first, int channels) {
    for (int ch = 1; ch <= channels; ++ch)
        if (first + size_t(ch - 1) < out.size()) out[first + size_t(ch - 1)] = GammaTenths(c.Gamma[ch]);
}

void ReadGammas(std::span<const uint8_t> pd, tDeviceConfig& c, size_t first, int channels) {
    for (int ch = 1; ch <= channels; ++ch)
        c.Gamma[ch] = ByteAt(pd, first + size_t(ch - 1)) / 10.0;
}

void PutOffsets(const tDeviceConfig& c, std::span<uint8_t> out, size_t first, int channels) {
    for (int ch = 1; ch <= channels; ++ch)
        if (first + size_t(ch - 1) < out.size()) out[first + size_t(ch - 1)] = c.Offs[ch];
}

void ReadOffsets(std::span<const uint8_t> pd, tDeviceConfig& c, size_t first, int channels) {
    for (int ch = 1; ch <= channels; ++ch)
        c.Offs[ch] = ByteAt(pd, first + size_t(ch - 1));
}

// Step and fixture of a five-colour part 1..20: two parts a step, fixtures
// 1..10 in the odd part and 11..20 in the even one.
int RgbwaStep(int part) {
    return (part + 1) / 2;
}
int RgbwaFirstFixture(int part) {
    return part % 2 == 1 ? 1 : 11;
}

void PutProgramHeader(const tProgramData& d, int p, std::span<uint8_t> out) {
    PutBE(out, 2, d.ProgramSpeed[size_t(p)]);
    PutBE(out, 4, d.ProgramWait[size_t(p)]);
    out[6] = d.ProgramStepMode[size_t(p)] ? 1 : 0;
    out[7] = d.ProgramSteps[size_t(p)];
}

void ReadProgramHeader(std::span<const uint8_t> pd, tProgramData& d, int p) {
    const auto i = size_t(p);
    d.ProgramSpeed[i] = GetWordBE(pd, 2);
    d.ProgramWait[i] = GetWordBE(pd, 4);
    d.ProgramStepMode[i] = ByteAt(pd, 6) != 0 ? 1 : 0;
    d.ProgramSpeedOn[i] = (d.ProgramSpeed[i] != 0 || d.ProgramWait[i] != 0) ? 1 : 0;
    d.ProgramSteps[i] = ByteAt(pd, 7);
}

// Where the Q7 and Q73G layouts keep their fields: they differ only in the
// number of channels and so in the offsets.
struct CurveLayout {
    int channels;
    size_t length, flags, times, gammas, offsets;
};
constexpr CurveLayout LayoutQ7{3, kConfigPayloadQ7, 9, 15, 51, 54};
constexpr CurveLayout LayoutQ73G{5, kConfigPayloadQ73G, 15, 21, 57, 62};

void BuildCurveLayout(const tDeviceConfig& c, std::span<uint8_t> out, const CurveLayout& l) {
    Clear(out);
    if (out.size() < l.length) return;
    PutLimits(c, out, l.channels);
    PutBE(out, l.flags, CurveFlags(c));
    PutStepTimes(c, out, l.times);
    PutGammas(c, out, l.gammas, l.channels);
    PutOffsets(c, out, l.offsets, l.channels);
}

void DecodeCurveLayout(std::span<const uint8_t> pd, tDeviceConfig& c, const CurveLayout& l) {
    ReadLimits(pd, c, l.channels);
    ReadCurveFlags(GetWordBE(pd, l.flags), c);
    ReadStepTimes(pd, c, l.times);
    ReadGammas(pd, c, l.gammas, l.channels);
    ReadOffsets(pd, c, l.offsets, l.channels);
}

} // namespace

uint8_t GammaTenths(double gamma) {
    const double tenths = gamma * 10.0;
    if (std::isnan(tenths)) return 0;
    return uint8_t(std::clamp<long>(std::lround(std::clamp(tenths, -1.0, 1000.0)), 0, 255));
}

uint16_t AddressToUnitNumber(uint16_t address, uint16_t channels) {
    if (channels == 0) return 0;
    const uint32_t shifted = uint32_t(address) + channels - 1;
    if (uint32_t(address) < 20u * channels && shifted % channels == 0) return uint16_t(shifted / channels);
    return 0;
}

void BuildConfigPayloadQ7(const tDeviceConfig& c, std::span<uint8_t> out) {
    BuildCurveLayout(c, out, LayoutQ7);
}

void BuildConfigPayloadQ73G(const tDeviceConfig& c, std::span<uint8_t> out) {
    BuildCurveLayout(c, out, LayoutQ73G);
}

void BuildConfigPayloadZK4(const tDeviceConfig& c, std::span<uint8_t> out) {
    Clear(out);
    if (out.size() < size_t(kConfigPayloadZK4)) return;
    PutLimits(c, out, 5);
    PutBE(out, 15, c.HzNumber);
    PutBE(out, 17, uint16_t((c.LinearCurve ? 0x02 : 0) | (c.Overheat ? 0x80 : 0)));
    PutGammas(c, out, 19, 5);
    for (int ch = 1; ch <= 5; ++ch) {
        const size_t i = 24 + size_t(6 * (ch - 1));
        PutBE(out, i, c.OutMin[size_t(ch)]);
        PutBE(out, i + 2, c.OutStart[size_t(ch)]);
        PutBE(out, i + 4, c.OutMax[size_t(ch)]);
    }
}

void PutConfigTail(std::span<uint8_t> out, size_t offset, bool overheat, uint16_t hz) {
    PutBE(out, offset, overheat ? 0x0080 : 0);
    PutBE(out, offset + 2, hz);
}

void ReadConfigTail(std::span<const uint8_t> pd, size_t offset, tDeviceConfig& c) {
    c.Overheat = (GetWordBE(pd, offset) & 0x80) ? 1 : 0;
    c.HzNumber = GetWordBE(pd, offset + 2);
}

void DecodeConfigAnswerQ7(std::span<const uint8_t> pd, tDeviceConfig& c) {
    DecodeCurveLayout(pd, c, LayoutQ7);
}

void DecodeConfigAnswerQ73G(std::span<const uint8_t> pd, tDeviceConfig& c) {
    DecodeCurveLayout(pd, c, LayoutQ73G);
}

void DecodeConfigAnswerZK4(std::span<const uint8_t> pd, tDeviceConfig& c) {
    ReadLimits(pd, c, 5);
    c.HzNumber = GetWordBE(pd, 15);
    const uint16_t flags = GetWordBE(pd, 17);
    c.LinearCurve = (flags & 0x02) ? 1 : 0;
    c.Overheat = (flags & 0x80) ? 1 : 0;
    ReadGammas(pd, c, 19, 5);
    for (int ch = 1; ch <= 5; ++ch) {
        const size_t i = 24 + size_t(6 * (ch - 1));
        c.OutMin[size_t(ch)] = GetWordBE(pd, i);
        c.OutStart[size_t(ch)] = GetWordBE(pd, i + 2);
        c.OutMax[size_t(ch)] = GetWordBE(pd, i + 4);
    }
}

namespace {

// Three-colour packets carry 20 fixtures of one step a part; five-colour
// packets ten fixtures, so two parts a step.
void BuildProgramPacket(const tProgramData& d, int program, int part, std::span<uint8_t> out, bool five) {
    Clear(out);
    const int lastPart = five ? kLastPartRgbwa : kLastPartRgb;
    if (out.size() < size_t(five ? kProgramPacketRgbwa : kProgramPacketRgb) || program < 1 || program > 9 ||
        part < 0 || part > lastPart)
        return;
    out[0] = uint8_t(program);
    out[1] = uint8_t(part);
    if (part == 0) {
        PutProgramHeader(d, program, out);
        return;
    }
    const int colours = five ? 5 : 3;
    const int step = five ? RgbwaStep(part) : part;
    const int first = five ? RgbwaFirstFixture(part) : 1;
    for (int k = 0; k < (five ? 10 : 20); ++k)
        for (int c = 0; c < colours; ++c)
            out[size_t(2 + colours * k + c)] = d.Colour(program, step, first + k, c + 1);
}

bool DecodeProgramPacket(std::span<const uint8_t> pd, tProgramData& d, bool five) {
    const int p = ByteAt(pd, 0);
    const int part = ByteAt(pd, 1);
    if (p < 1 || p > 9 || part > (five ? kLastPartRgbwa : kLastPartRgb)) return false;
    if (part == 0) {
        ReadProgramHeader(pd, d, p);
        return true;
    }
    const int colours = five ? 5 : 3;
    const int step = five ? RgbwaStep(part) : part;
    const int first = five ? RgbwaFirstFixture(part) : 1;
    for (int k = 0; k < (five ? 10 : 20); ++k)
        for (int c = 0; c < colours; ++c)
            d.SetColour(p, step, first + k, c + 1, ByteAt(pd, size_t(2 + colours * k + c)));
    return true;
}

} // namespace

void BuildProgramPacketRgb(const tProgramData& d, int program, int part, std::span<uint8_t> out) {
    BuildProgramPacket(d, program, part, out, false);
}

void BuildProgramPacketRgbwa(const tProgramData& d, int program, int part, std::span<uint8_t> out) {
    BuildProgramPacket(d, program, part, out, true);
}

bool DecodeProgramPacketRgb(std::span<const uint8_t> pd, tProgramData& d) {
    return DecodeProgramPacket(pd, d, false);
}

bool DecodeProgramPacketRgbwa(std::span<const uint8_t> pd, tProgramData& d) {
    return DecodeProgramPacket(pd, d, true);
}

uint8_t BrightnessFromWord(uint16_t value) {
    // value * 100 / 256 = value * 25 / 64, with an exact half going to the even neighbour.
    const uint32_t num = uint32_t(value) * 25;
    uint32_t q = num / 64;
    const uint32_t r = num % 64;
    if (r > 32 || (r == 32 && (q & 1))) ++q;
    return uint8_t(std::min<uint32_t>(q, 255));
}

void DecodeConfigMemoryBlock(std::span<const uint8_t> pd, tDeviceConfig& c) {
    for (int ch = 1; ch <= 3; ++ch) {
        const size_t i = 4 + size_t(3 * (ch - 1));
        c.Min[size_t(ch)] = ByteAt(pd, i);
        c.Max[size_t(ch)] = ByteAt(pd, i + 1);
        c.Def[size_t(ch)] = ByteAt(pd, i + 2);
    }
    const uint8_t flags = ByteAt(pd, 14);
    c.WhiteBalance = (flags & 0x80) ? 1 : 0;
    c.Overheat = (flags & 0x40) ? 1 : 0;
    // Each step time is a speed word, a wait word and a spare word.
    for (int i = 1; i <= 9; ++i) {
        c.Speed[size_t(i)] = GetWordLE(pd, 22 + size_t(6 * (i - 1)));
        c.Wait[size_t(i)] = GetWordLE(pd, 24 + size_t(6 * (i - 1)));
    }
    for (int i = 1; i <= 10; ++i)
        c.Brightness[size_t(i)] = BrightnessFromWord(GetWordLE(pd, 76 + size_t(2 * (i - 1))));
    for (int ch = 1; ch <= 3; ++ch) {
        c.Gamma[size_t(ch)] = ByteAt(pd, 95 + size_t(ch)) / 10.0;
        c.Offs[size_t(ch)] = ByteAt(pd, 98 + size_t(ch));
    }
}

void StoreProgramMemoryBlock(std::span<const uint8_t> pd, uint8_t pdl, uint16_t address,
                             std::span<uint8_t> image) {
    const int base = (int(address) - int(kMemoryProgramBlock)) / 2 * 3;
    for (int k = 0; k + 7 <= int(pdl); ++k) {
        const int offset = base + k;
        if (offset >= 0 && offset < int(image.size()) && size_t(4 + k) < pd.size())
            image[size_t(offset)] = pd[size_t(4 + k)];
    }
}

void UnpackProgramMemory(std::span<const uint8_t> image, tProgramData& d) {
    for (int p = 1; p <= 9; ++p) {
        const size_t h = size_t(18 * p);
        d.ProgramSteps[size_t(p)] = ByteAt(image, h);
        d.ProgramSpeed[size_t(p)] = GetWordLE(image, h + 3);
        d.ProgramWait[size_t(p)] = GetWordLE(image, h + 6);
        d.ProgramStepMode[size_t(p)] = ByteAt(image, h + 9) & 0x01;
        d.ProgramSpeedOn[size_t(p)] =
            (d.ProgramSpeed[size_t(p)] != 0 || d.ProgramWait[size_t(p)] != 0) ? 1 : 0;
        for (int s = 1; s <= 10; ++s)
            for (int dev = 1; dev <= 20; ++dev)
                for (int c = 0; c < 3; ++c)
                    d.SetColour(p, s, dev, c + 1,
                                ByteAt(image, size_t(600 * p + 60 * (s - 1) + 3 * (dev - 1) + c)));
    }
}

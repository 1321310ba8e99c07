// The stream container byte for byte, its readers and the file classification.
#include <gtest/gtest.h>

#include "app/conversion.h"
#include "files_fixture.h"
#include "maker/FileKinds.h"
#include "maker/StreamContainer.h"

namespace {

uint32_t U32(const std::vector<uint8_t>& s, size_t i) {
    return uint32_t(s[i]) | uint32_t(s[i + 1]) << 8 | uint32_t(s[i + 2]) << 16 | uint32_t(s[i + 3]) << 24;
}
uint16_t U16(const std::vector<uint8_t>& s, size_t i) {
    return uint16_t(s[i] | s[i + 1] << 8);
}
std::vector<uint8_t> Stream(const tStreamImage& img) {
    return {img.Bytes().begin(), img.Bytes().end()};
}
size_t Frame(int k) {
    return 16 + 218 * size_t(k);
}
uint16_t Crc(const std::vector<uint8_t>& s, size_t from, int n) {
    uint16_t c = 0;
    for (int i = 0; i < n; ++i)
        c = Crc16Update(c, s[from + i]);
    return c;
}

tProgramData Defaults() {
    tProgramData p;
    p.InitPrograms();
    return p;
}

} // namespace

TEST(StreamContainer, ProgramsStreamOfTheDefaults) {
    tProgramData p = Defaults();
    p.SetRgb(9, 10, 20, 0x030201);
    auto img = std::make_unique<tStreamImage>();
    BuildProgramsStream(*img, p);
    const auto s = Stream(*img);
    ASSERT_EQ(s.size(), 28792u);
    EXPECT_EQ(std::string(s.begin(), s.begin() + 8), "OrvDMX10");
    EXPECT_EQ(U32(s, 8), 0u);
    EXPECT_EQ(U32(s, 12), 132u);
    for (int k = 0; k < 132; ++k) {
        const size_t f = Frame(k);
        SCOPED_TRACE(k);
        EXPECT_EQ(U32(s, f), 2000000u);
        EXPECT_EQ(U32(s, f + 4), 8000u);
        EXPECT_EQ(U32(s, f + 8), 2000u);
        EXPECT_EQ(U32(s, f + 12), 198u);
        EXPECT_EQ(U32(s, f + 16), 1u);
        EXPECT_EQ(U16(s, f + 22), 192u);
        EXPECT_EQ(U16(s, f + 216), Crc(s, f + 20, 196));
        EXPECT_EQ(U16(s, f + 20), k < 100 ? 0 : 0x4400 + (k - 100) * 128);
    }
    // The first data frame: 18 zero bytes, then program 1's header.
    const size_t pay = Frame(100) + 24;
    EXPECT_EQ(pay, 21840u);
    EXPECT_EQ(std::vector<uint8_t>(s.begin() + pay, s.begin() + pay + 18), std::vector<uint8_t>(18, 0));
    for (int prog = 1; prog <= 9; ++prog)
        EXPECT_EQ(std::vector<uint8_t>(s.begin() + pay + 18 * prog, s.begin() + pay + 18 * prog + 10),
                  (std::vector<uint8_t>{10, 0, 0, 3, 0, 0, 0, 0, 0, 0}));
    // Program 9's last colour ends block 9 (image byte 6000); 144 zero bytes close the last frame.
    const size_t last = Frame(131) + 24;
    EXPECT_EQ(std::vector<uint8_t>(s.begin() + last + 45, s.begin() + last + 48),
              (std::vector<uint8_t>{1, 2, 3}));
    EXPECT_EQ(std::vector<uint8_t>(s.begin() + last + 48, s.begin() + last + 192),
              std::vector<uint8_t>(144, 0));
}

TEST(StreamContainer, HeaderFramesDifferOnlyInTheirNumberAndCrc) {
    auto img = std::make_unique<tStreamImage>();
    tDeviceConfig c{};
    SetDefaultConfig(c);
    BuildConfigStream(*img, c, tCurveTable{}, 5);
    const auto s = Stream(*img);
    const std::vector<uint8_t> id{'a', 'p', 'p', 'l', 'd', 0x10, 0x01, 0x00, 5, 0};
    for (int k = 0; k < 100; ++k) {
        const size_t pay = Frame(k) + 24;
        EXPECT_EQ(std::vector<uint8_t>(s.begin() + pay, s.begin() + pay + 10), id);
        for (int i = 10; i < 192; ++i)
            ASSERT_EQ(s[pay + i], i == 26 ? k + 1 : 0) << k << " " << i;
    }
    EXPECT_NE(U16(s, Frame(0) + 216), U16(s, Frame(1) + 216));
}

TEST(StreamContainer, AllZeroFrameCrc) {
    tStreamImage img;
    img.FramePosition = 21;
    img.PutWord(0);
    img.PutWord(192);
    ASSERT_TRUE(img.AppendFrame(196));
    EXPECT_EQ(img.SendStream[1 + 216], 0x96);
    EXPECT_EQ(img.SendStream[1 + 217], 0x18);
}

TEST(StreamContainer, ConfigurationStream) {
    tDeviceConfig c{};
    SetDefaultConfig(c);
    c.Min[1] = 1, c.Max[1] = 2, c.Def[1] = 3, c.Min[3] = 7, c.Max[3] = 8, c.Def[3] = 9;
    c.WhiteBalance = 1;
    c.Overheat = 0;
    c.Speed[1] = 0x0102, c.Wait[1] = 0x0304, c.Wait[9] = 0x0506;
    c.Brightness[1] = 100, c.Brightness[2] = 50;
    c.Gamma[1] = 2.2, c.Gamma[2] = 1.0, c.Gamma[3] = 4.96;
    c.Offs[2] = 44;
    tCurveTable curves{};
    for (int ch = 1; ch <= 3; ++ch)
        for (int j = 0; j < 256; ++j)
            curves[ch][j] = uint16_t(ch * 1000 + j);
    auto img = std::make_unique<tStreamImage>();
    BuildConfigStream(*img, c, curves, 3);
    const auto s = Stream(*img);
    ASSERT_EQ(s.size(), 16u + 116 * 218);
    EXPECT_EQ(U32(s, 12), 108u);
    const size_t p = Frame(100) + 24;
    EXPECT_EQ(U16(s, p - 4), 0x4000);
    EXPECT_EQ(std::vector<uint8_t>(s.begin() + p, s.begin() + p + 18),
              (std::vector<uint8_t>{1, 2, 3, c.Min[2], c.Max[2], c.Def[2], 7, 8, 9, 0xFF, 0x80, 0, 0, 0, 0, 0,
                                    0, 0}));
    EXPECT_EQ(U16(s, p + 18), 0x0102);
    EXPECT_EQ(U16(s, p + 20), 0x0304);
    EXPECT_EQ(U16(s, p + 18 + 8 * 6 + 2), 0x0506);
    EXPECT_EQ(U16(s, p + 72), 256);
    EXPECT_EQ(U16(s, p + 74), 128);
    EXPECT_EQ(std::vector<uint8_t>(s.begin() + p + 92, s.begin() + p + 98),
              (std::vector<uint8_t>{22, 10, 50, c.Offs[1], 44, c.Offs[3]}));
    for (int k = 101; k < 108; ++k) {
        EXPECT_EQ(U16(s, Frame(k) + 20), 0x4000 + (k - 100) * 128);
        EXPECT_EQ(std::vector<uint8_t>(s.begin() + Frame(k) + 24, s.begin() + Frame(k) + 216),
                  std::vector<uint8_t>(192, 0));
    }
    for (int n = 0; n < 8; ++n) {
        const size_t f = Frame(108 + n);
        EXPECT_EQ(U16(s, f + 20), 0x5400 + n * 128);
        EXPECT_EQ(U16(s, f + 24), 1000 + 32 * n);       // R[32n]
        EXPECT_EQ(U16(s, f + 26), 2000 + 32 * n);       // G[32n]
        EXPECT_EQ(U16(s, f + 24 + 190), 3031 + 32 * n); // B[32n + 31]
    }
}

TEST(StreamContainer, LogoBlockCounts) {
    struct Case {
        int width, height;
        uint16_t blocks;
    };
    for (const Case& c : {Case{240, 220, 106}, Case{8, 1, 1}, Case{64, 8, 2}}) {
        tLogoBitmap logo{};
        logo[0] = uint8_t(c.width);
        logo[1] = uint8_t(c.height);
        logo[64] = 0xAB;
        auto img = std::make_unique<tStreamImage>();
        BuildLogoStream(*img, logo);
        const auto s = Stream(*img);
        ASSERT_EQ(s.size(), 16u + (100u + c.blocks) * 218) << c.width;
        EXPECT_EQ(U32(s, 12), 250u);
        EXPECT_EQ(U32(s, Frame(0)), 8000000u);
        EXPECT_EQ(std::string(s.begin() + Frame(5) + 24, s.begin() + Frame(5) + 32),
                  std::string("appld\x10\x02\0", 8));
        EXPECT_EQ(U16(s, Frame(5) + 24 + 8), 4);
        EXPECT_EQ(U16(s, Frame(5) + 24 + 10), c.blocks);
        const size_t d = Frame(100);
        EXPECT_EQ(s[d + 24], c.width);
        EXPECT_EQ(s[d + 24 + 1], c.height);
        if (c.blocks > 1) {
            EXPECT_EQ(U16(s, Frame(101) + 20), 64);
            EXPECT_EQ(s[Frame(101) + 24], 0xAB); // bitmap byte 64
        }
        EXPECT_EQ(std::vector<uint8_t>(s.begin() + d + 24 + 64, s.begin() + d + 216),
                  std::vector<uint8_t>(128, 0));
    }
}

// (The full round trip runs through the window in OpenSaveTest.)
TEST(StreamContainer, ProgramFileReadLeavesWhiteAndAmberAndRefusesAShortFile) {
    tProgramData p = Defaults();
    p.SetRgb(9, 10, 20, 0x030201);
    auto img = std::make_unique<tStreamImage>();
    BuildProgramsStream(*img, p);
    tProgramData back = Defaults();
    back.SetColour(9, 10, 20, 4, 99);
    ASSERT_TRUE(ReadProgramsFile(img->Bytes(), *img, back));
    EXPECT_EQ(back.Rgb(9, 10, 20), 0x030201u);
    EXPECT_EQ(back.Colour(9, 10, 20, 4), 99);
    tProgramData untouched = Defaults();
    untouched.ProgramSteps[1] = 4;
    EXPECT_FALSE(ReadProgramsFile(img->Bytes().first(28791), *img, untouched));
    EXPECT_EQ(untouched.ProgramSteps[1], 4);
}

TEST(StreamContainer, BrightnessComesBackHalfToEven) {
    struct Case {
        uint16_t stored;
        uint8_t percent;
    };
    for (const Case& c :
         {Case{256, 100}, Case{128, 50}, Case{32, 12}, Case{96, 38}, Case{160, 62}, Case{7, 3}})
        EXPECT_EQ(BrightnessFromStored(c.stored), c.percent) << c.stored;
    // Every default level survives the trip.
    tDeviceConfig c{};
    SetDefaultConfig(c);
    auto img = std::make_unique<tStreamImage>();
    BuildConfigStream(*img, c, tCurveTable{}, 3);
    tDeviceConfig back{};
    ASSERT_TRUE(ReadConfigFile(img->Bytes(), back));
    EXPECT_EQ(back.Brightness, c.Brightness);
    EXPECT_EQ(std::vector<int>(c.Brightness.begin() + 1, c.Brightness.end()),
              (std::vector<int>{0, 3, 6, 10, 15, 20, 25, 50, 75, 100}));
}

TEST(StreamContainer, RecordsAreReadWithinTheStream) {
    auto img = std::make_unique<tStreamImage>();
    tDeviceConfig c{};
    SetDefaultConfig(c);
    BuildConfigStream(*img, c, tCurveTable{}, 3);
    std::array<uint8_t, 514> frame{};
    uint32_t n = 0, pos = 17;
    ASSERT_EQ(ReadStreamRecord(*img, pos, frame.data(), 513, n), RecordRead::Ok);
    EXPECT_EQ(n, 198u);
    EXPECT_EQ(pos, 17u + 218);
    EXPECT_EQ(frame[0], 1);
    EXPECT_EQ(std::vector<uint8_t>(frame.begin() + 1, frame.begin() + 199),
              std::vector<uint8_t>(img->Bytes().begin() + 36, img->Bytes().begin() + 234));
    // The last record claims more data than the stream holds.
    pos = 17 + 115 * 218;
    img->SendStream[pos + 12] = 200;
    EXPECT_EQ(ReadStreamRecord(*img, pos, frame.data(), 513, n), RecordRead::PastEnd);
    EXPECT_EQ(pos, 17u + 115 * 218);
    pos = img->Loaded - 10;
    EXPECT_EQ(ReadStreamRecord(*img, pos, frame.data(), 513, n), RecordRead::PastEnd);
    img->SendStream[17 + 12] = 0x01; // N = 0x201 = 513: one byte past the DMX frame
    img->SendStream[17 + 13] = 0x02;
    pos = 17;
    EXPECT_EQ(ReadStreamRecord(*img, pos, frame.data(), 513, n), RecordRead::TooLong);
}

// ---- classification -------------------------------------------------------------

TEST(FileKinds, Classification) {
    const QByteArray firmware = FirmwareFile(0x0B, 2);
    QByteArray shifted = firmware; // the id two bytes further on
    shifted.replace(40, 10, QByteArray("xxfrmwr\x10\x0E\0", 10));
    QByteArray badZero = firmware;
    badZero[9] = 1;
    auto stream = [](uint8_t b1, uint8_t type, int size) {
        QByteArray a(size, '\0');
        a.replace(0, 8, "OrvDMX10");
        a.replace(40, 8, QByteArray("appld\x10\0\0", 8));
        a[46] = char(b1);
        a[48] = char(type);
        return a;
    };
    struct Case {
        const char* name;
        QByteArray bytes;
        uint8_t kind;
    };
    const Case cases[] = {
        {"fw.dmx", firmware, 1},
        {"fw.DMX", firmware, 0},
        {"fw.dmx", badZero, 0},
        {"fw.dmx", shifted, 1},
        {"fw.dmx", firmware.left(200), 0},
        {"prog.dmx", stream(1, 2, 28792), 2},
        {"prog.dmx", stream(1, 2, 28791), 0},
        {"conf.dmx", stream(1, 3, 21938), 3},
        {"conf.dmx", stream(1, 3, 21937), 0},
        {"conf.dmx", stream(1, 4, 30000), 0},
        {"conf.dmx", stream(1, 7, 30000), 7},
        {"logo.dmx", stream(2, 4, 30000), 0},
        {"short.dmx", firmware.left(50), 0},
        {"fw.bin", firmware, 0},
        {"logo.bmp", Bmp(240, 220, [](int, int) { return false; }), 4},
        {"LOGO.BMP", Bmp(240, 220, [](int, int) { return false; }), 0},
        {"wide.bmp", Bmp(241, 10, [](int, int) { return false; }), 130},
        {"tall.bmp", Bmp(10, 221, [](int, int) { return false; }), 130},
        {"empty.bmp", Bmp(0, 10, [](int, int) { return false; }), 130},
        {"short.bmp", Bmp(16, 16, [](int, int) { return false; }).left(40), 129},
        {"cut.bmp", Bmp(16, 16, [](int, int) { return false; }).left(62 + 4 * 15), 129},
        {"tiny.bmp", QByteArray("BM"), 129},
    };
    for (const Case& c : cases) {
        const auto* b = reinterpret_cast<const uint8_t*>(c.bytes.constData());
        const tFileClass r = ClassifyFileBytes(c.name, {b, size_t(c.bytes.size())}, uint64_t(c.bytes.size()));
        EXPECT_EQ(r.kind, c.kind) << c.name << " " << c.bytes.size();
    }
    const auto* b = reinterpret_cast<const uint8_t*>(shifted.constData());
    EXPECT_EQ(ClassifyFileBytes("fw.dmx", {b, size_t(shifted.size())}, shifted.size()).firmwareId,
              QByteArray("frmwr\x10\x0E\0", 8));
}

TEST(FileKinds, BmpReasons) {
    QByteArray eightBit = Bmp(
        10, 10, [](int, int) { return false; }, 8);
    eightBit[0] = 'X';
    QByteArray topDown = Bmp(10, 10, [](int, int) { return false; });
    PutU32(topDown, 22, uint32_t(-10));
    QByteArray noPalette = Bmp(8, 1, [](int, int) { return false; });
    PutU32(noPalette, 10, 54);
    QByteArray pastEnd = Bmp(8, 1, [](int, int) { return false; });
    PutU32(pastEnd, 10, 0x7FFFFFF0);
    for (const auto& [bytes, kind] : {std::pair{eightBit, 133}, std::pair{topDown, 130},
                                      std::pair{noPalette, 129}, std::pair{pastEnd, 129}}) {
        EXPECT_EQ(
            ClassifyBmpBytes({reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())}),
            kind);
        tLogoBitmap logo;
        logo.fill(0xEE);
        EXPECT_FALSE(
            DecodeBmpLogo({reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size())}, logo));
        EXPECT_EQ(logo[0], 0);
    }
}

TEST(FileKinds, LogoBitsArePageOrganised) {
    // Dark pixels: the diagonal and the whole bottom row of a 10 x 9 picture.
    auto dark = [](int x, int y) { return x == y || y == 8; };
    for (bool inverted : {false, true}) {
        QByteArray bmp = Bmp(10, 9, dark);
        if (inverted) { // the palette the other way round and every bit flipped: the same picture
            PutU32(bmp, 54, 0xFFFFFF);
            PutU32(bmp, 58, 0x000000);
            for (int i = 62; i < bmp.size(); ++i)
                bmp[i] = char(~bmp[i]);
        }
        tLogoBitmap logo{};
        ASSERT_TRUE(
            DecodeBmpLogo({reinterpret_cast<const uint8_t*>(bmp.constData()), size_t(bmp.size())}, logo));
        EXPECT_EQ(logo[0], 10);
        EXPECT_EQ(logo[1], 9);
        for (int x = 0; x < 10; ++x) {
            const uint8_t band0 = x < 8 ? uint8_t(1 << x) : 0;
            EXPECT_EQ(logo[2 + x], band0) << inverted << x;
            EXPECT_EQ(logo[2 + 10 + x], 1) << inverted << x; // row 8 is dark everywhere
        }
        EXPECT_EQ(logo[2 + 20], 0);
    }
}

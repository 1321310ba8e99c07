#include <gtest/gtest.h>

#include "maker/MakerPayloads.h"

// The byte layouts on their own, where the window adds nothing.

TEST(MakerPayloads, AddressToUnitNumber) {
    const struct {
        uint16_t address, channels, unit;
    } cases[] = {{1, 3, 1}, {4, 3, 2}, {58, 3, 20}, {61, 3, 0},  {2, 3, 0},     {96, 5, 20},
                 {0, 5, 0}, {6, 5, 2}, {101, 5, 0}, {512, 3, 0}, {65535, 3, 0}, {7, 0, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(AddressToUnitNumber(c.address, c.channels), c.unit) << c.address << "/" << c.channels;
}

TEST(MakerPayloads, FiveColourPartsCarryHalfAStepEach) {
    tProgramData d;
    for (int s = 1; s <= 10; ++s)
        for (int dev = 1; dev <= 20; ++dev)
            for (int c = 1; c <= 5; ++c)
                d.SetColour(4, s, dev, c, uint8_t(s * 100 + dev * 5 + c));
    std::array<uint8_t, 52> out{};
    for (int part : {3, 4}) {
        out.fill(0xEE);
        BuildProgramPacketRgbwa(d, 4, part, out);
        EXPECT_EQ(out[0], 4);
        EXPECT_EQ(out[1], part);
        const int first = part == 3 ? 1 : 11;
        for (int k = 0; k < 10; ++k)
            for (int c = 0; c < 5; ++c)
                EXPECT_EQ(out[size_t(2 + 5 * k + c)], uint8_t(2 * 100 + (first + k) * 5 + c + 1))
                    << part << k << c;
        // Read back into empty programs, the part lands where it came from.
        tProgramData back;
        ASSERT_TRUE(DecodeProgramPacketRgbwa(out, back));
        EXPECT_EQ(back.Colour(4, 2, first + 9, 5), d.Colour(4, 2, first + 9, 5));
        EXPECT_EQ(back.Colour(4, 2, part == 3 ? 11 : 1, 1), 0);
    }
    // A buffer too short for the packet, or numbers out of range, give zeros.
    std::array<uint8_t, 40> shortOut{};
    shortOut.fill(0xEE);
    BuildProgramPacketRgbwa(d, 4, 3, shortOut);
    EXPECT_EQ(shortOut, (std::array<uint8_t, 40>{}));
    for (int program : {0, 10}) {
        std::array<uint8_t, 62> rgb{};
        rgb.fill(0xEE);
        BuildProgramPacketRgb(d, program, 0, rgb);
        EXPECT_EQ(rgb, (std::array<uint8_t, 62>{})) << program;
    }
}

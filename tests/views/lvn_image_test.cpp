#include <gtest/gtest.h>

#include "views/lvn_image.h"

namespace {

using Image = std::array<uint8_t, LvnImageSize>;

uint16_t WordAt(const Image& m, size_t at) {
    return uint16_t(m[at] << 8 | m[at + 1]);
}
std::string TextAt(const Image& m, size_t at, size_t n = 33) {
    return std::string(m.begin() + long(at), m.begin() + long(at + n));
}
std::string Padded(const std::string& text, size_t n = 33) {
    return text + std::string(n - text.size(), '\0');
}

// A configuration of two personalities with 3 and 2 slots.
tLvnConfig TwoPersonalities() {
    tLvnConfig c;
    c.LvnDeviceLimits = {8, 32, 4, 0xFFFF};
    c.LvnHeader = {0x0508, 0x01020304, 2, 3, "LVN24 decoder", "Maker", 0x8003, 0x0001};
    for (int p = 0; p < 2; ++p) {
        tLvnPersonality& pers = c.LvnPersonalities[size_t(p)];
        pers.inChannelCount = uint8_t(3 - p);
        pers.outChannelCount = 4;
        pers.outChannel[0] = 2;
        pers.outChannel[31] = 255;
        pers.outputType[1] = 2;
        pers.outputFlags[2] = 5;
        pers.strobeMin = 0x1234;
        pers.strobeMax = 0xABCD;
        pers.strobeOpenTime = 7;
        pers.description = QStringLiteral("Mode %1").arg(p + 1);
        for (int s = 0; s < pers.inChannelCount; ++s)
            pers.slotInfo[size_t(s)] = {uint8_t(s == 0 ? 0 : 1), uint16_t(s == 0 ? 0x0205 : 0),
                                        uint8_t(10 * s + p), QStringLiteral("P%1S%2").arg(p).arg(s)};
    }
    return c;
}

} // namespace

// Where every field lands, and that a build touches nothing past the last slot record.
TEST(LvnImage, BuildPutsBlocksAndSlotRecordsAtTheirOffsets) {
    tLvnConfig c = TwoPersonalities();
    c.LvnConfigImage.fill(0xAA);
    EXPECT_EQ(BuildLvnConfigImage(c), 816);
    const Image& m = c.LvnConfigImage;

    EXPECT_EQ(WordAt(m, 0), 0x0508);
    EXPECT_EQ(WordAt(m, 2), 0x0102);
    EXPECT_EQ(WordAt(m, 4), 0x0304);
    EXPECT_EQ(m[6], 2);
    EXPECT_EQ(m[7], 3);
    EXPECT_EQ(TextAt(m, 8), Padded("LVN24 decoder"));
    EXPECT_EQ(TextAt(m, 41), Padded("Maker"));
    EXPECT_EQ(WordAt(m, 74), 0x8003);
    EXPECT_EQ(WordAt(m, 76), 0x0001);
    EXPECT_EQ(TextAt(m, 78, 114), std::string(114, '\0'));

    const struct {
        size_t block;
        uint8_t inChannels;
    } blocks[] = {{192, 3}, {384, 2}};
    for (const auto& b : blocks) {
        EXPECT_EQ(m[b.block], b.inChannels);
        EXPECT_EQ(m[b.block + 1], 4);
        EXPECT_EQ(m[b.block + 2], 2) << "out channel of slot 0";
        EXPECT_EQ(m[b.block + 33], 255) << "out channel of slot 31";
        EXPECT_EQ(m[b.block + 35], 2) << "output type of slot 1";
        EXPECT_EQ(m[b.block + 68], 5) << "output flags of slot 2";
        EXPECT_EQ(WordAt(m, b.block + 98), 0x1234);
        EXPECT_EQ(WordAt(m, b.block + 100), 0xABCD);
        EXPECT_EQ(m[b.block + 102], 7);
        EXPECT_EQ(TextAt(m, b.block + 136, 56), std::string(56, '\0'));
    }
    EXPECT_EQ(TextAt(m, 192 + 103), Padded("Mode 1"));

    const struct {
        size_t at;
        uint8_t type;
        uint16_t label;
        uint8_t def;
        const char* text;
    } records[] = {{576, 0, 0x0205, 0, "P0S0"},
                   {624, 1, 0, 10, "P0S1"},
                   {672, 1, 0, 20, "P0S2"},
                   {720, 0, 0x0205, 1, "P1S0"},
                   {768, 1, 0, 11, "P1S1"}};
    for (const auto& r : records) {
        EXPECT_EQ(m[r.at], r.type) << r.at;
        EXPECT_EQ(WordAt(m, r.at + 1), r.label) << r.at;
        EXPECT_EQ(m[r.at + 3], r.def) << r.at;
        EXPECT_EQ(TextAt(m, r.at + 4), Padded(r.text)) << r.at;
        EXPECT_EQ(TextAt(m, r.at + 37, 11), std::string(11, '\0')) << r.at;
    }
    EXPECT_EQ(m[816], 0xAA) << "past the last record the image keeps its content";
    EXPECT_EQ(m[6143], 0xAA);
}

TEST(LvnImage, NoPersonalitiesBuildBlockZeroOnlyAndParseToAHeader) {
    tLvnConfig c = TwoPersonalities();
    c.LvnHeader.personalityCount = 0;
    c.LvnConfigImage.fill(0xAA);
    EXPECT_EQ(BuildLvnConfigImage(c), 192);
    EXPECT_EQ(c.LvnConfigImage[191], 0);
    EXPECT_EQ(c.LvnConfigImage[192], 0xAA);

    tLvnConfig back;
    back.LvnDeviceLimits = c.LvnDeviceLimits;
    back.LvnConfigImage = c.LvnConfigImage;
    back.LvnPersonalities[0].description = "kept";
    EXPECT_EQ(ParseLvnConfigImage(back), QString());
    EXPECT_EQ(back.LvnHeader.personalityCount, 0);
    EXPECT_EQ(back.LvnHeader.modelDescription, "LVN24 decoder");
    EXPECT_EQ(back.LvnPersonalities[0].description, "kept")
        << "what a parse does not reach keeps its content";
}

TEST(LvnImage, TextsAtTheirLimits) {
    const struct {
        std::string stored; // the 33 bytes of the field
        QString read;
    } reads[] = {
        {Padded(""), ""},
        {Padded("ABC"), "ABC"},
        {Padded(std::string(32, 'x')), QString(32, 'x')},
        {std::string(33, 'y'), QString(32, 'y')}, // no zero byte at all: cut to 32
        {Padded(std::string("AB\0CD", 5)), "AB"},
    };
    for (const auto& r : reads) {
        Image m{};
        std::copy(r.stored.begin(), r.stored.end(), m.begin() + 8);
        uint16_t cursor = 8;
        EXPECT_EQ(LvnText(GetImageText(m, cursor, 33)), r.read);
        EXPECT_EQ(cursor, 41) << "the field is passed whole";
    }

    Image m;
    m.fill(0xAA);
    uint16_t cursor = 0;
    PutImageText(m, cursor, QString(32, 'z'), 33);
    EXPECT_EQ(cursor, 33);
    EXPECT_EQ(TextAt(m, 0), std::string(32, 'z') + '\0');
    EXPECT_EQ(m[33], 0xAA);
}

TEST(LvnImage, CursorFunctionsStayInsideTheBuffer) {
    std::array<uint8_t, 4> small{0x12, 0x34, 0x56, 0x78};
    uint16_t c = 2;
    EXPECT_EQ(GetImageLongBE(small, c), 0x56780000u) << "bytes past the end read as 0";
    EXPECT_EQ(c, 6);
    c = 3;
    PutImageWordBE(small, c, 0xABCD);
    EXPECT_EQ(small, (std::array<uint8_t, 4>{0x12, 0x34, 0x56, 0xAB}));
    c = 4;
    PutImageText(small, c, "long text", 33);
    EXPECT_EQ(c, 37);
}

// Counts the device may not have, and flag bits outside its mask, are not taken.
TEST(LvnImage, ParseAppliesTheDeviceLimits) {
    const struct {
        tLvnDeviceLimits limits;
        uint8_t personalities;
        uint8_t subDevices;
        uint16_t flags;
    } cases[] = {
        {{8, 32, 4, 0xFFFF}, 2, 3, 0x8003},
        {{1, 32, 4, 0xFFFF}, 0, 3, 0x8003}, // two personalities, at most one
        {{8, 32, 2, 0xFFFF}, 2, 0, 0x8003}, // three sub-devices, at most two
        {{8, 32, 4, 0x0001}, 2, 3, 0x0001},
        {{0, 0, 0, 0}, 0, 0, 0}, // nothing known yet
    };
    for (const auto& k : cases) {
        tLvnConfig c = TwoPersonalities();
        BuildLvnConfigImage(c);
        c.LvnHeader = {};
        c.LvnDeviceLimits = k.limits;
        ParseLvnConfigImage(c);
        EXPECT_EQ(c.LvnHeader.personalityCount, k.personalities);
        EXPECT_EQ(c.LvnHeader.subDeviceCount, k.subDevices);
        EXPECT_EQ(c.LvnHeader.flags, k.flags);
        EXPECT_EQ(c.LvnHeader.secondFlags, 0x0001) << "second flags are taken as stored";
    }
}

// A device image that would pass the records or the image is read only as far
// as it fits, and says so once.
TEST(LvnImage, OversizedImagesAreReadAsFarAsTheyFit) {
    // Personality 0 claims 40 slots: 32 are kept, and personality 1's records
    // are still found after the device's 40.
    tLvnConfig c;
    c.LvnDeviceLimits = {8, 32, 0, 0};
    Image& m = c.LvnConfigImage;
    m[6] = 2;
    m[192] = 40;
    m[384] = 1;
    const size_t first = 192 * 3;
    m[first + 31 * 48 + 3] = 31;
    m[first + 32 * 48 + 3] = 99; // slot 32 of personality 0: not kept
    m[first + 40 * 48 + 3] = 77; // slot 0 of personality 1
    EXPECT_EQ(ParseLvnConfigImage(c).toStdString(),
              "Config data: personality 1 has 40 slots, only 32 are kept");
    EXPECT_EQ(c.LvnPersonalities[0].inChannelCount, 32);
    EXPECT_EQ(c.LvnPersonalities[0].slotInfo[31].defaultValue, 31);
    EXPECT_EQ(c.LvnPersonalities[1].slotInfo[0].defaultValue, 77);

    // Eight personalities of 32 slots need 14016 bytes: the records past the
    // image are left out, and keep what they held.
    tLvnConfig big;
    big.LvnDeviceLimits = {8, 32, 0, 0};
    big.LvnConfigImage[6] = 8;
    for (int p = 0; p < 8; ++p)
        big.LvnConfigImage[size_t(192 * (p + 1))] = 32;
    // The last whole record is slot 27 of personality 2, at 1728 + 91 * 48.
    big.LvnConfigImage[6096 + 4] = 'Q';
    big.LvnPersonalities[2].slotInfo[28].description = "kept";
    EXPECT_EQ(ParseLvnConfigImage(big).toStdString(),
              "Config data: slot records past byte 6143 are left out");
    EXPECT_EQ(big.LvnPersonalities[2].slotInfo[27].description, "Q");
    EXPECT_EQ(big.LvnPersonalities[2].slotInfo[28].description, "kept");

    // Nine personalities where the device allows twelve: eight are kept, and
    // the slot records are found after all nine blocks.
    tLvnConfig nine;
    nine.LvnDeviceLimits = {12, 32, 0, 0};
    nine.LvnConfigImage[6] = 9;
    nine.LvnConfigImage[192] = 1;
    nine.LvnConfigImage[192 * 10 + 3] = 55;
    EXPECT_EQ(ParseLvnConfigImage(nine).toStdString(), "Config data: 9 personalities, only 8 are kept");
    EXPECT_EQ(nine.LvnHeader.personalityCount, 8);
    EXPECT_EQ(nine.LvnPersonalities[0].slotInfo[0].defaultValue, 55);

    // And a build of it writes no byte outside the image.
    big.LvnConfigImage.fill(0);
    EXPECT_EQ(BuildLvnConfigImage(big), 14016);
    EXPECT_EQ(LvnConfigSize(big), 14016);
}

TEST(LvnImage, ProductCategoryMaps) {
    const struct {
        uint16_t code;
        int index;
        QString category;
        int fineIndex;
        QString fine;
        int fineCount;
    } cases[] = {
        {0x7FFF, 13, "OTHER", 0, "-", 1},
        {0x0102, 1, "FIXTURE", 2, "MOVING YOKE", 5},
        {0x01FF, 1, "FIXTURE", 4, "OTHER", 5},
        {0x0104, 1, "FIXTURE", 0, "-", 5},
        {0x0509, 5, "DIMMER", 9, "CS LED (Specialized LED dimmer)", 11},
        {0x71FF, 12, "TEST", 2, "EQUIPMENT OTHER", 3},
        {0x7001, 11, "CONTROL", 1, "CONTROLLER", 4},
        {0x0000, 0, "NOT DECLARED", 0, "-", 1},
        {0x0B01, 0, "NOT DECLARED", 0, "-", 1},
    };
    const QStringList categories = ProductCategoryItems();
    ASSERT_EQ(categories.size(), 14);
    for (const auto& k : cases) {
        EXPECT_EQ(GetProductCategoryIndex(k.code), k.index) << std::hex << k.code;
        EXPECT_EQ(categories.at(k.index), k.category);
        const QStringList fine = ProductSubCategoryItems(k.code);
        EXPECT_EQ(fine.size(), k.fineCount) << std::hex << k.code;
        EXPECT_EQ(GetProductSubCategoryIndex(k.code), k.fineIndex) << std::hex << k.code;
        EXPECT_EQ(fine.value(k.fineIndex), k.fine);
    }
    EXPECT_EQ(GetProductCategoryCode(13), 0x7FFF);
    EXPECT_EQ(GetProductCategoryCode(11), 0x7000);
    EXPECT_EQ(GetProductCategoryCode(14), 0);
    EXPECT_EQ(ProductSubCategoryCode(0x0100, 4), 0xFF) << "the closing OTHER";
    EXPECT_EQ(ProductSubCategoryCode(0x0A00, 3), 0x03);
    EXPECT_EQ(ProductSubCategoryCode(0x0100, 0), 0x00);
}

TEST(LvnImage, SlotTypeAndLabelMaps) {
    const struct {
        uint8_t type;
        int index;
        QString item;
    } types[] = {{0x00, 0, "PRIMARY"},
                 {0x01, 1, "SEC_FINE"},
                 {0x07, 7, "SEC_INDEX_ROTATE"},
                 {0x08, 8, "SEC_UNDEFINED"},
                 {0xFF, 8, "SEC_UNDEFINED"}};
    for (const auto& t : types) {
        EXPECT_EQ(GetSlotTypeIndex(t.type), t.index);
        EXPECT_EQ(SlotTypeItems().value(t.index), t.item);
    }
    EXPECT_EQ(GetSlotTypeCode(8), 0xFF);
    EXPECT_EQ(GetSlotTypeCode(3), 0x03);

    const struct {
        uint16_t id;
        int index;
        QString item;
    } labels[] = {{0x0001, 0, "INTENSITY"},    {0x0101, 2, "PAN"},        {0x0210, 13, "COLOR_SEMAPHORE"},
                  {0x0504, 30, "MACRO"},       {0xFFFF, 31, "UNDEFINED"}, {0x0000, 31, "UNDEFINED"},
                  {0x0205, 8, "COLOR_ADD_RED"}};
    ASSERT_EQ(SlotLabelItems().size(), 32);
    for (const auto& l : labels) {
        EXPECT_EQ(GetSlotLabelIndex(l.id), l.index) << std::hex << l.id;
        EXPECT_EQ(SlotLabelItems().value(l.index), l.item);
    }
    EXPECT_EQ(GetSlotLabelCode(2), 0x0101);
    EXPECT_EQ(GetSlotLabelCode(31), 0xFFFF);
    EXPECT_EQ(GetSlotLabelCode(40), 0xFFFF);
}

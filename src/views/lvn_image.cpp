#include "views/lvn_image.h"

#include <algorithm>

#include "rdm/define_slot.h"
#include "views/ValueTexts.h"

// ---------------------------------------------------------------- cursor functions

uint8_t GetImageByte(std::span<const uint8_t> image, uint16_t& cursor) {
    const uint8_t b = cursor < image.size() ? image[cursor] : 0;
    ++cursor;
    return b;
}

uint16_t GetImageWordBE(std::span<const uint8_t> image, uint16_t& cursor) {
    const uint16_t hi = GetImageByte(image, cursor);
    return uint16_t(hi << 8 | GetImageByte(image, cursor));
}

uint32_t GetImageLongBE(std::span<const uint8_t> image, uint16_t& cursor) {
    const uint32_t hi = GetImageWordBE(image, cursor);
    return hi << 16 | GetImageWordBE(image, cursor);
}

QString GetImageText(std::span<const uint8_t> image, uint16_t& cursor, int n) {
    QString text;
    for (int i = 0; i < n; ++i) {
        const size_t at = size_t(cursor) + size_t(i);
        const uint8_t b = at < image.size() ? image[at] : 0;
        if (b == 0) break;
        text += QChar(b);
    }
    cursor = uint16_t(cursor + n);
    return text;
}

void PutImageByte(std::span<uint8_t> image, uint16_t& cursor, uint8_t value) {
    if (cursor < image.size()) image[cursor] = value;
    ++cursor;
}

void PutImageWordBE(std::span<uint8_t> image, uint16_t& cursor, uint16_t value) {
    PutImageByte(image, cursor, uint8_t(value >> 8));
    PutImageByte(image, cursor, uint8_t(value));
}

void PutImageLongBE(std::span<uint8_t> image, uint16_t& cursor, uint32_t value) {
    PutImageWordBE(image, cursor, uint16_t(value >> 16));
    PutImageWordBE(image, cursor, uint16_t(value));
}

namespace {
// The device keeps one byte a character: what has none becomes '?'.
uint8_t ImageChar(QChar ch) {
    return ch.unicode() < 256 ? uint8_t(ch.unicode()) : uint8_t('?');
}
} // namespace

void PutImageText(std::span<uint8_t> image, uint16_t& cursor, const QString& text, int n) {
    for (int i = 0; i < n; ++i)
        PutImageByte(image, cursor, i < text.size() ? ImageChar(text.at(i)) : 0);
}

QString LvnText(const QString& text) {
    return text.left(LvnTextMax);
}

// ---------------------------------------------------------------- image <-> records

namespace {

void ZeroUpTo(std::span<uint8_t> image, uint16_t& cursor, int end) {
    while (cursor < end)
        PutImageByte(image, cursor, 0);
}

int PersonalityBlocksEnd(int personalities) {
    return LvnBlockSize * (personalities + 1);
}

} // namespace

int LvnConfigSize(const tLvnConfig& cfg) {
    const int count = std::min<int>(cfg.LvnHeader.personalityCount, LvnPersonalityCapacity);
    int slotCount = 0;
    for (int p = 0; p < count; ++p)
        slotCount += std::min<int>(cfg.LvnPersonalities[size_t(p)].inChannelCount, LvnSlotCapacity);
    return PersonalityBlocksEnd(count) + LvnSlotRecordSize * slotCount;
}

int BuildLvnConfigImage(tLvnConfig& cfg) {
    std::span<uint8_t> image(cfg.LvnConfigImage);
    const tLvnHeader& h = cfg.LvnHeader;
    const int count = std::min<int>(h.personalityCount, LvnPersonalityCapacity);
    uint16_t c = 0;
    PutImageWordBE(image, c, h.productCategory);
    PutImageLongBE(image, c, h.softwareVersionId);
    PutImageByte(image, c, uint8_t(count));
    PutImageByte(image, c, uint8_t(h.subDeviceCount));
    PutImageText(image, c, h.modelDescription, LvnTextField);
    PutImageText(image, c, h.manufacturerLabel, LvnTextField);
    PutImageWordBE(image, c, h.flags);
    PutImageWordBE(image, c, h.secondFlags);
    ZeroUpTo(image, c, LvnBlockSize);

    for (int p = 0; p < count; ++p) {
        const tLvnPersonality& pers = cfg.LvnPersonalities[size_t(p)];
        PutImageByte(image, c, std::min<uint8_t>(pers.inChannelCount, LvnSlotCapacity));
        PutImageByte(image, c, pers.outChannelCount);
        for (const auto* array : {&pers.outChannel, &pers.outputType, &pers.outputFlags})
            for (uint8_t b : *array)
                PutImageByte(image, c, b);
        PutImageWordBE(image, c, pers.strobeMin);
        PutImageWordBE(image, c, pers.strobeMax);
        PutImageByte(image, c, pers.strobeOpenTime);
        PutImageText(image, c, pers.description, LvnTextField);
        ZeroUpTo(image, c, PersonalityBlocksEnd(p + 1));
    }

    // Slot records go on only while whole records fit: the cursor is 16-bit
    // and must not wrap round into the blocks above.
    int at = PersonalityBlocksEnd(count);
    for (int p = 0; p < count; ++p) {
        const tLvnPersonality& pers = cfg.LvnPersonalities[size_t(p)];
        const int slotCount = std::min<int>(pers.inChannelCount, LvnSlotCapacity);
        for (int s = 0; s < slotCount; ++s, at += LvnSlotRecordSize) {
            if (at + LvnSlotRecordSize > LvnImageSize) continue;
            const tLvnSlot& slot = pers.slotInfo[size_t(s)];
            c = uint16_t(at);
            PutImageByte(image, c, slot.slotType);
            PutImageWordBE(image, c, slot.slotLabelId);
            PutImageByte(image, c, slot.defaultValue);
            PutImageText(image, c, slot.description, LvnTextField);
            ZeroUpTo(image, c, at + LvnSlotRecordSize);
        }
    }
    return at;
}

QString ParseLvnConfigImage(tLvnConfig& cfg) {
    std::span<const uint8_t> image(cfg.LvnConfigImage);
    tLvnHeader& h = cfg.LvnHeader;
    const tLvnDeviceLimits& lim = cfg.LvnDeviceLimits;
    QString problem;
    uint16_t c = 0;
    h.productCategory = GetImageWordBE(image, c);
    h.softwareVersionId = GetImageLongBE(image, c);
    h.personalityCount = GetImageByte(image, c);
    if (h.personalityCount > lim.personalityMax) h.personalityCount = 0;
    // The device's slot records begin after all of its personality blocks,
    // also those of personalities that the records cannot keep.
    const int storedCount = h.personalityCount;
    if (h.personalityCount > LvnPersonalityCapacity) {
        problem = QStringLiteral("Config data: %1 personalities, only %2 are kept")
                      .arg(h.personalityCount)
                      .arg(LvnPersonalityCapacity);
        h.personalityCount = LvnPersonalityCapacity;
    }
    h.subDeviceCount = GetImageByte(image, c);
    if (h.subDeviceCount > lim.subDeviceMax) h.subDeviceCount = 0;
    h.modelDescription = LvnText(GetImageText(image, c, LvnTextField));
    h.manufacturerLabel = LvnText(GetImageText(image, c, LvnTextField));
    h.flags = GetImageWordBE(image, c) & lim.flagMask;
    h.secondFlags = GetImageWordBE(image, c);

    const int count = h.personalityCount;
    // The device's slot records follow its own counts, so they are found by
    // those even where a personality has more slots than a record keeps.
    std::array<int, LvnPersonalityCapacity> stored{};
    for (int p = 0; p < count; ++p) {
        tLvnPersonality& pers = cfg.LvnPersonalities[size_t(p)];
        c = uint16_t(PersonalityBlocksEnd(p));
        stored[size_t(p)] = GetImageByte(image, c);
        pers.inChannelCount = uint8_t(std::min(stored[size_t(p)], LvnSlotCapacity));
        if (stored[size_t(p)] > LvnSlotCapacity && problem.isEmpty())
            problem = QStringLiteral("Config data: personality %1 has %2 slots, only %3 are kept")
                          .arg(p + 1)
                          .arg(stored[size_t(p)])
                          .arg(LvnSlotCapacity);
        pers.outChannelCount = GetImageByte(image, c);
        for (auto* array : {&pers.outChannel, &pers.outputType, &pers.outputFlags})
            for (uint8_t& b : *array)
                b = GetImageByte(image, c);
        pers.strobeMin = GetImageWordBE(image, c);
        pers.strobeMax = GetImageWordBE(image, c);
        pers.strobeOpenTime = GetImageByte(image, c);
        pers.description = LvnText(GetImageText(image, c, LvnTextField));
    }

    int at = PersonalityBlocksEnd(storedCount);
    for (int p = 0; p < count; ++p) {
        tLvnPersonality& pers = cfg.LvnPersonalities[size_t(p)];
        for (int s = 0; s < stored[size_t(p)]; ++s, at += LvnSlotRecordSize) {
            if (s >= LvnSlotCapacity) continue;
            if (at + LvnSlotRecordSize > LvnImageSize) {
                if (problem.isEmpty())
                    problem = QStringLiteral("Config data: slot records past byte %1 are left out")
                                  .arg(LvnImageSize - 1);
                continue;
            }
            tLvnSlot& slot = pers.slotInfo[size_t(s)];
            c = uint16_t(at);
            slot.slotType = GetImageByte(image, c);
            slot.slotLabelId = GetImageWordBE(image, c);
            slot.defaultValue = GetImageByte(image, c);
            slot.description = LvnText(GetImageText(image, c, LvnTextField));
        }
    }
    return problem;
}

// ---------------------------------------------------------------- code maps

namespace {

struct CategoryRow {
    const char* name;
    uint16_t code;
};

constexpr std::array<CategoryRow, 14> ProductCategories{{
    {"NOT DECLARED", 0x0000},
    {"FIXTURE", 0x0100},
    {"FIXTURE ACCESSORY", 0x0200},
    {"PROJECTOR", 0x0300},
    {"ATMOSPHERIC", 0x0400},
    {"DIMMER", 0x0500},
    {"POWER", 0x0600},
    {"SCENIC", 0x0700},
    {"DATA", 0x0800},
    {"AV", 0x0900},
    {"MONITOR", 0x0A00},
    {"CONTROL", 0x7000},
    {"TEST", 0x7100},
    {"OTHER", 0x7FFF},
}};

// The rows of ProductSubCategoryTable that make up one category's fine list.
std::span<const tDef> SubCategoryRows(uint16_t category) {
    const uint8_t high = uint8_t(category >> 8);
    auto first = std::find_if(ProductSubCategoryTable.begin(), ProductSubCategoryTable.end(),
                              [high](const tDef& d) { return (d.id >> 8) == high; });
    auto last = std::find_if(first, ProductSubCategoryTable.end(),
                             [high](const tDef& d) { return (d.id >> 8) != high; });
    return {first, last};
}

// "Color Add Red" -> "COLOR_ADD_RED": the list items are the E1.20 names.
QStringList ConstantNames(std::span<const tDef> table) {
    QStringList items;
    for (const tDef& d : table)
        items << QString::fromLatin1(d.name).toUpper().replace(QLatin1Char(' '), QLatin1Char('_'));
    return items;
}

} // namespace

QStringList ProductCategoryItems() {
    QStringList items;
    for (const CategoryRow& row : ProductCategories)
        items << QString::fromLatin1(row.name);
    return items;
}

int GetProductCategoryIndex(uint16_t code) {
    const uint8_t high = uint8_t(code >> 8);
    for (int i = 1; i < int(ProductCategories.size()); ++i)
        if ((ProductCategories[size_t(i)].code >> 8) == high) return i;
    return 0;
}

uint16_t GetProductCategoryCode(int index) {
    return index >= 0 && index < int(ProductCategories.size()) ? ProductCategories[size_t(index)].code : 0;
}

QStringList ProductSubCategoryItems(uint16_t category) {
    QStringList items{QStringLiteral("-")};
    const auto rows = SubCategoryRows(category);
    for (size_t i = 1; i < rows.size(); ++i)
        items << QString::fromLatin1(rows[i].name);
    return items;
}

uint8_t ProductSubCategoryCode(uint16_t category, int index) {
    const auto rows = SubCategoryRows(category);
    return index > 0 && index < int(rows.size()) ? uint8_t(rows[size_t(index)].id) : 0;
}

int GetProductSubCategoryIndex(uint16_t code) {
    const auto rows = SubCategoryRows(code);
    for (size_t i = 0; i < rows.size(); ++i)
        if (rows[i].id == code) return int(i);
    return 0;
}

QStringList SlotTypeItems() {
    return ConstantNames(SlotTypeTable);
}

int GetSlotTypeIndex(uint8_t type) {
    return type <= 7 ? type : 8;
}

uint8_t GetSlotTypeCode(int index) {
    return index >= 0 && index <= 7 ? uint8_t(index) : 0xFF;
}

QStringList SlotLabelItems() {
    return ConstantNames(SlotLabelTable);
}

int GetSlotLabelIndex(uint16_t id) {
    for (int i = 0; i < int(SlotLabelTable.size()) - 1; ++i)
        if (SlotLabelTable[size_t(i)].id == id) return i;
    return int(SlotLabelTable.size()) - 1;
}

uint16_t GetSlotLabelCode(int index) {
    return index >= 0 && index < int(SlotLabelTable.size()) - 1 ? SlotLabelTable[size_t(index)].id : 0xFFFF;
}

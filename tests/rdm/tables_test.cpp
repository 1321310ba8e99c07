#include <gtest/gtest.h>

#include <set>

#include "rdm/define_product_details.h"
#include "rdm/define_slot.h"
#include "rdm/lang_iso639_1.h"
#include "views/ValueTexts.h"

namespace {
template <size_t N> bool StrictlyAscending(const std::array<tDef, N>& table) {
    for (size_t i = 1; i < N; ++i)
        if (table[i - 1].id >= table[i].id) return false;
    return true;
}
} // namespace

// A table out of order or with a repeated id would still "work" while showing the wrong text.
TEST(Tables, EveryTableIsAscendingWithUniqueIds) {
    EXPECT_TRUE(StrictlyAscending(ProductDetailTable));
    EXPECT_TRUE(StrictlyAscending(SlotTypeTable));
    EXPECT_TRUE(StrictlyAscending(SlotLabelTable));
    EXPECT_TRUE(StrictlyAscending(IsoLanguageTable));
}

TEST(Tables, ProductDetailNamesFollowTheRuleAndItsExceptions) {
    EXPECT_EQ(GetProductDetailName(0x0004), "Led");
    EXPECT_EQ(GetProductDetailName(0x0103), "Iris Douser");
    EXPECT_EQ(GetProductDetailName(0x0406), "Hfhv Neonballast");
    EXPECT_EQ(GetProductDetailName(0x0701), "Protocol Convertor"); // PRODUCT_DETAIL_PROTOCOL_CONVERTOR
    EXPECT_EQ(GetProductDetailName(0x0000), "Not Declared");
    EXPECT_EQ(GetProductDetailName(0x0A00), "Gfi Rcd");
    EXPECT_EQ(GetProductDetailName(0x7FFF), "Other");
    // Stored as the program has always spelt them.
    EXPECT_EQ(GetProductDetailName(0x0005), "Fluroescent");
    EXPECT_EQ(GetProductDetailName(0x0308), "Olefactory Stimulator");
    EXPECT_EQ(GetProductDetailName(0x040B), "Highfrequency 12V");
    EXPECT_EQ(GetProductDetailName(0x0303), "C02");
    EXPECT_EQ(GetProductDetailName(0x0A03), "undefined");
}

TEST(Tables, SlotTablesAndFindDefById) {
    int index = -1;
    ASSERT_TRUE(FindDefById(0x0301, SlotLabelTable, index));
    EXPECT_STREQ(SlotLabelTable[index].name, "Static Gobo Wheel");
    EXPECT_FALSE(FindDefById(0x0000, SlotLabelTable, index));
    EXPECT_EQ(index, 32); // the row count when nothing matches
    ASSERT_TRUE(FindDefById(0xFF, SlotTypeTable, index));
    EXPECT_STREQ(SlotTypeTable[index].name, "Sec Undefined");
}

TEST(Tables, LanguagesByTwoLetterCode) {
    EXPECT_EQ(GetIsoLanguageName(0x6465), "German"); // "de"
    EXPECT_EQ(GetIsoLanguageName(0x6E6E), "Norwegian2");
    EXPECT_EQ(GetIsoLanguageName(0x7A7A), "undefined");
    EXPECT_EQ(GetIsoLanguageName(0x4445), "undefined"); // upper-case "DE" is another code
    std::set<QString> names;
    for (const tDef& row : IsoLanguageTable)
        names.insert(QString::fromLatin1(row.name));
    EXPECT_EQ(names.size(), IsoLanguageTable.size());
}

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/products_data.h"

TEST(ProductTables, FindNetworkInterfaceTypeComparesAllSixteenBits) {
    const std::pair<uint16_t, int> rows[] = {{0x65, 0},  {0x66, 1},    {0x67, 2},    {0x68, -1},
                                             {0x64, -1}, {0x0165, -1}, {0x6500, -1}, {0, -1}};
    for (const auto& [code, row] : rows)
        EXPECT_EQ(FindNetworkInterfaceType(code), row) << code;
}

TEST(ProductTables, InterfaceTypeRowsAreIndexedByCodeAndOnlyKnownTypesAreEnabled) {
    // The status bar indexes the table by the reported type; acceptance looks the code up by value.
    const std::set<std::size_t> refused{3, 4, 11};
    for (std::size_t i = 0; i < InterfaceTypeTable.size(); ++i) {
        EXPECT_EQ(InterfaceTypeTable[i].Code(), i);
        EXPECT_EQ(InterfaceTypeTable[i].IsEnabled(), !refused.contains(i)) << i;
    }
}

TEST(ProductTables, EnabledFlagAndCodesReadOnlyTheirLowParts) {
    constexpr Interfesz highBitsOnly{0x100, "x", 0x10065};
    EXPECT_FALSE(highBitsOnly.IsEnabled());
    EXPECT_EQ(highBitsOnly.Code(), 0x65);
    constexpr Eszkoz model{0xFF01, "y", 0x04020061};
    EXPECT_TRUE(model.IsEnabled());
    EXPECT_EQ(model.ModelId(), 0x61);
}

TEST(ProductTables, EachModelByteNamesOneRow) {
    std::set<uint16_t> ids;
    for (const Eszkoz& model : DeviceModelTable)
        ids.insert(model.ModelId());
    EXPECT_EQ(ids.size(), DeviceModelTable.size());
}

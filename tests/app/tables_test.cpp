#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/products_data.h"

TEST(ProductTables, FindNetworkInterfaceTypeComparesAllSixteenBits) {
    EXPECT_EQ(FindNetworkInterfaceType(0x65), 0);
    EXPECT_EQ(FindNetworkInterfaceType(0x66), 1);
    EXPECT_EQ(FindNetworkInterfaceType(0x67), 2);
    EXPECT_EQ(FindNetworkInterfaceType(0x68), -1);
    EXPECT_EQ(FindNetworkInterfaceType(0x64), -1);
    EXPECT_EQ(FindNetworkInterfaceType(0x0165), -1);
    EXPECT_EQ(FindNetworkInterfaceType(0x6500), -1);
    EXPECT_EQ(FindNetworkInterfaceType(0), -1);
    EXPECT_STREQ(NetworkInterfaceTypeTable[1].name, "MORROW ETHERNET Interface");
}

TEST(ProductTables, InterfaceTypeRowsAreIndexedByCodeAndOnlyKnownTypesAreEnabled) {
    // Row i must describe type code i: the status bar indexes the table by the
    // reported type, and acceptance looks the same code up by value.
    const std::set<std::size_t> refused{3, 4, 11};
    for (std::size_t i = 0; i < InterfaceTypeTable.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(InterfaceTypeTable[i].Code(), i);
        EXPECT_EQ(InterfaceTypeTable[i].IsEnabled(), !refused.contains(i));
        EXPECT_EQ(std::string(InterfaceTypeTable[i].name).empty(), i == 11);
    }
    EXPECT_STREQ(InterfaceTypeTable[0].name, "Tamarind DMX Interface");
    EXPECT_STREQ(InterfaceTypeTable[13].name, "RIDGEL USB-DMX");
}

TEST(ProductTables, EnabledFlagAndCodesReadOnlyTheirLowParts) {
    constexpr Interfesz highBitsOnly{0x100, "x", 0x10065};
    EXPECT_FALSE(highBitsOnly.IsEnabled());
    EXPECT_EQ(highBitsOnly.Code(), 0x65);
    constexpr Eszkoz model{0xFF01, "y", 0x04020061};
    EXPECT_TRUE(model.IsEnabled());
    EXPECT_EQ(model.ModelId(), 0x61);
}

TEST(ProductTables, BrandInForceIsRowZeroWithDemoButtonOnly) {
    EXPECT_EQ(&CurrentBrand, &BrandTable[0]);
    EXPECT_STREQ(CurrentBrand.name, "ORVAMATIC");
    EXPECT_EQ(CurrentBrand.manufacturerId, 0x7FF1);
    EXPECT_EQ(CurrentBrand.flags & BrandFlagStepMode, 0);
    EXPECT_EQ(CurrentBrand.flags & BrandFlagBrightness, 0);
    EXPECT_NE(CurrentBrand.flags & BrandFlagDemo, 0);
    EXPECT_EQ(BrandTable[1].flags, BrandFlagStepMode | BrandFlagBrightness | BrandFlagDemo);
    for (const Gyarto& brand : BrandTable) {
        EXPECT_FALSE(std::string(brand.web).empty()) << brand.name;
        EXPECT_NE(std::string(brand.email).find('@'), std::string::npos) << brand.name;
    }
}

TEST(ProductTables, DeviceModelIdsAreDistinctSoEachModelByteNamesOneRow) {
    std::set<uint16_t> ids;
    for (const Eszkoz& model : DeviceModelTable) {
        EXPECT_TRUE(model.IsEnabled()) << model.name;
        ids.insert(model.ModelId());
    }
    EXPECT_EQ(ids, (std::set<uint16_t>{0x42, 0x43, 0x61, 0x62}));
    EXPECT_STREQ(DeviceModelTable[3].name, "VINTARO RGBAW MULTI 3G");
}

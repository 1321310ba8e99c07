#pragma once

#include <array>
#include <cstdint>

// Brand the program presents itself as.
struct Gyarto {
    const char* name;
    const char* web;
    const char* email;
    uint16_t manufacturerId; // ESTA manufacturer id, the high half of our RDM UID
    uint8_t flags;           // BrandFlag* bits
};

// Feature bits of Gyarto::flags: which brand-specific controls the main window shows.
inline constexpr uint8_t BrandFlagStepMode = 0x01;   // cbStep
inline constexpr uint8_t BrandFlagBrightness = 0x02; // gbKonfKelvarBrightness
inline constexpr uint8_t BrandFlagDemo = 0x04;       // btnDemoDisc

// One of the maker's controller models.
struct Eszkoz {
    uint32_t enabled; // a boolean; only its low byte counts
    const char* name;
    uint32_t productCode; // low 16 bits: the model id

    constexpr bool IsEnabled() const { return (enabled & 0xFFu) != 0; }
    constexpr uint16_t ModelId() const { return static_cast<uint16_t>(productCode & 0xFFFFu); }
};

// A USB or network interface type.
struct Interfesz {
    uint32_t enabled; // a boolean; only its low byte counts
    const char* name;
    uint32_t typeCode; // readers compare its low 16 bits

    constexpr bool IsEnabled() const { return (enabled & 0xFFu) != 0; }
    constexpr uint16_t Code() const { return static_cast<uint16_t>(typeCode & 0xFFFFu); }
};

inline constexpr std::array<Gyarto, 3> BrandTable{{
    {"ORVAMATIC", "www.orvamatic.example", "info@orvamatic.example", 0x7FF1, 4},
    {"PELLMOR", "www.pellmor.example", "info@pellmor.example", 0x7FF3, 7},
    {"QUILLON", "www.quillon.example", "info@quillon.example", 0x7FF5, 0},
}};

// The program always presents itself as the first brand; nothing selects another.
inline constexpr const Gyarto& CurrentBrand = BrandTable[0];

inline constexpr std::array<Eszkoz, 4> DeviceModelTable{{
    {1, "KELVAR RGB DMX", 0x01010042},
    {1, "TESSALY LED DRIVER", 0x01020043},
    {1, "KELVAR RGB MULTI 3G", 0x04020061},
    {1, "VINTARO RGBAW MULTI 3G", 0x04020062},
}};

// Row i names the USB interface that reports type code i (the high byte of its
// HID version number). Disabled rows are types the program does not accept.
inline constexpr std::array<Interfesz, 14> InterfaceTypeTable{{
    {1, "Tamarind DMX Interface", 0},
    {1, "BRENVIK REPEATER", 1},
    {1, "BRENVIK SPLITTER 4", 2},
    {0, "SALVOR RX Interface", 3},
    {0, "SALVOR TX Interface", 4},
    {1, "CASPEL (DMX-RX/RF-TX)", 5},
    {1, "CASPEL (RF-RX/DMX-TX)", 6},
    {1, "Tamarind Interface", 7},
    {1, "Tamarind Interface", 8},
    {1, "Tamarind Interface", 9},
    {1, "LUNDER", 10},
    {0, "", 11},
    {1, "FENWYN", 12},
    {1, "RIDGEL USB-DMX", 13},
}};

inline constexpr std::array<Interfesz, 3> NetworkInterfaceTypeTable{{
    {1, "MORROW WIFI Interface", 0x65},
    {1, "MORROW ETHERNET Interface", 0x66},
    {1, "PALLOT WIFI Interface", 0x67},
}};

// Row of NetworkInterfaceTypeTable that is enabled and has type code `code`
// (all 16 bits compared), searched from row 0; -1 when there is none.
int FindNetworkInterfaceType(uint16_t code);

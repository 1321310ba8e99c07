#pragma once

#include <array>
#include <cstdint>

// One row of the program's code tables: a 16-bit code and the text shown for it.
struct tDef {
    uint16_t id;
    const char* name;
};

// The product detail ids of E1.20 with their display names, ascending by id.
extern const std::array<tDef, 80> ProductDetailTable;

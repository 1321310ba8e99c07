#pragma once

#include "rdm/define_product_details.h"

// Two-letter language codes with their English names, ascending by code. The id
// holds the first letter in the high byte, as LANGUAGE and LANGUAGE_CAPABILITIES
// deliver it.
extern const std::array<tDef, 187> IsoLanguageTable;

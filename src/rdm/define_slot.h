#pragma once

#include "rdm/define_product_details.h"

// Slot types (secondary slots and the primary one) as SLOT_INFO reports them.
extern const std::array<tDef, 9> SlotTypeTable;

// Slot label ids of primary slots as SLOT_INFO reports them; 0xFFFF last.
extern const std::array<tDef, 32> SlotLabelTable;

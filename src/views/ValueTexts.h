#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <span>

#include "rdm/define_product_details.h"

struct tRdmDevice;

// Texts that the parameter page shows for E1.20 codes and values. None of them
// fails: a code that no table knows gets a "not defined"/"undefined" text.

// Linear search from row 0. Returns whether a row with this id exists; `index`
// is that row, or the row count when there is none.
bool FindDefById(uint16_t id, std::span<const tDef> table, int& index);

QString GetIsoLanguageName(uint16_t code);
QString GetProductDetailName(uint16_t id);
QString GetProductCategoryName(uint16_t category);
QString GetProductSubCategoryName(uint16_t category);
// Every product category's sub-categories with their names, by category:
// "-" (the bare category) first, "OTHER" last.
extern const std::array<tDef, 59> ProductSubCategoryTable;

// Decimal text of the value with leading zeros up to `width` digits.
QString IntToStrZeroPad(uint16_t value, int width);

QString DisplayInvertText(uint8_t value);
QString LampStateText(uint8_t value);
QString LampOnModeText(uint8_t value);

// One line of the slot list: slot i (0-based) of the record.
QString SlotInfoLine(const tRdmDevice& rec, int i);

// " v.1.0." for protocol version 0x0100.
QString ProtocolVersionText(uint16_t version);

#pragma once

#include <QString>

// Number of entries in the user-interface text table (numbered 1..TextCount).
inline constexpr int TextCount = 123;

// The user-interface texts in three languages: entry n (1..123), language
// 1 Hungarian, 2 English, 3 German. Out-of-range arguments give an empty text.
QString TextOf(int n, int languageIndex);

// The same entry as the UTF-8 bytes stored in the program; never null
// (out-of-range arguments give "").
const char* TextUtf8(int n, int languageIndex);

#pragma once

#include <QString>

// The user-interface texts in three languages: entry n (1..123), language
// 1 Hungarian, 2 English, 3 German. Out-of-range arguments give an empty text.
QString TextOf(int n, int languageIndex);

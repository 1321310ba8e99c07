#include "app/Szovegek.h"

QString TextOf(int n, int languageIndex) {
    Q_UNUSED(n);
    Q_UNUSED(languageIndex);
    return {};
}

#include <QByteArray>
#include <QString>
#include <gtest/gtest.h>

#include "app/Szovegek.h"

TEST(TextTable, QuotedEntriesReadExactlyOddSpellingsIncluded) {
    // Users, log lines and documentation refer to these words; "correcting" them breaks that.
    struct Row {
        int n;
        const char *hungarian, *english, *german; // nullptr: not fixed in that language
    };
    const Row rows[] = {
        {18, "Nyelv választás", "Language selection", "Sprache wählen"},
        {19, "Mégsem", "Cancel", "Cancel"},
        {24, "(típus: kétszínű BMP, max. méret: 240x220 pixel)",
         "(type: two colors BMP, max. size: 240x220 pixel)",
         "(Type: zwei farbig BMP, max. grösse: 240x220 pixel)"},
        {45, "Nincs kapcsolat", "No contact", "Kein Kontakt"},
        {60, "DMX vonal", "DMX line", "DMX Kreis"},
        {32, "BMP fájl - kétszínű", "BMP file - two colours", "BMP file - zwei Farbig"},
        {89, "Az eszköz adatai fellülíródnak a gyári adatokkal!",
         "Device data will overwrite with factory settings!",
         "Geräteeinstellungen werden mit Werkseinstellungen überschrieben!"},
        {90, "Folyatatás?", "Continue?", "Weiter?"},
        {104, "A csatlakoztatott interfészhez", "For the connected interface", "In kontakted Interface"},
        {14, nullptr, "Programms", nullptr},
        {44, nullptr, "Recevie", nullptr},
        {55, nullptr, "No ", nullptr},
        {113, nullptr, "Acknoledged", nullptr},
        {117, nullptr, "* Drag and drop the channels of selected device to change its DMX start address",
         nullptr},
    };
    for (const Row& r : rows) {
        const char* texts[] = {r.hungarian, r.english, r.german};
        for (int lang = 1; lang <= 3; ++lang) {
            if (!texts[lang - 1]) continue;
            EXPECT_EQ(TextOf(r.n, lang), QString::fromUtf8(texts[lang - 1])) << r.n;
        }
    }
}

TEST(TextTable, EveryEntryIsValidUtf8AndOutOfRangeLookupsAreEmpty) {
    for (int n = 1; n <= TextCount; ++n) {
        for (int lang = 1; lang <= 3; ++lang) {
            const QString text = TextOf(n, lang);
            EXPECT_FALSE(text.isEmpty()) << n << "/" << lang;
            // Bytes that are not UTF-8 do not survive the round trip.
            EXPECT_EQ(text.toUtf8(), QByteArray(TextUtf8(n, lang))) << n << "/" << lang;
        }
        // A tilde or circumflex in place of Hungarian's double acute is the classic code-page mix-up.
        for (QChar wrong : {QChar(0x00F5), QChar(0x00FB), QChar(0x00D5), QChar(0x00DB)})
            EXPECT_FALSE(TextOf(n, 1).contains(wrong)) << n;
    }
    for (auto [n, lang] : {std::pair{0, 2}, {TextCount + 1, 2}, {-1, 1}, {1, 0}, {1, 4}}) {
        EXPECT_TRUE(TextOf(n, lang).isEmpty()) << n << "/" << lang;
        EXPECT_STREQ(TextUtf8(n, lang), "") << n << "/" << lang;
    }
}

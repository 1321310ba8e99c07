#include <QByteArray>
#include <QString>
#include <gtest/gtest.h>

#include <cstring>

#include "app/Szovegek.h"

namespace {

struct QuotedText {
    int n;
    const char* hungarian;
    const char* english;
    const char* german;
};

// Entries whose wording in all three languages is fixed: dialogs, the status bar
// and the send page show them, and users and documentation refer to them.
const QuotedText kQuoted[] = {
    {1, "Nyelv", "Language", "Sprache"},
    {2, "Magyar", "English", "Deutsch"},
    {18, "Nyelv választás", "Language selection", "Sprache wählen"},
    {19, "Mégsem", "Cancel", "Cancel"},
    {22, "Fájl típusa nem beazonosítható!", "File type can not be identify!", "File Type nicht erkennbar!"},
    {23, "Fájl formátuma nem megfelelő!", "File format not acceptable!", "File Format nicht erlaubt!"},
    {24, "(típus: kétszínű BMP, max. méret: 240x220 pixel)",
     "(type: two colors BMP, max. size: 240x220 pixel)",
     "(Type: zwei farbig BMP, max. grösse: 240x220 pixel)"},
    {31, "Szoftver frissítés", "Software update", "Software update"},
    {32, "BMP fájl - kétszínű", "BMP file - two colours", "BMP file - zwei Farbig"},
    {42, "Inaktív", "Idle", "Idle"},
    {45, "Nincs kapcsolat", "No contact", "Kein Kontakt"},
    {46, "Kapcsolatban", "Contact OK", "Kontakt OK"},
    {48, "Ismeretlen eszköz", "Undefined device", "Undefined device"},
    {59, "Interfész", "Interface", "Interface"},
    {60, "DMX vonal", "DMX line", "DMX Kreis"},
    {61, "Bejövő jel", "Input signal", "Eingang Signal"},
    {62, "Adás folyamatban", "Transmit", "Sendung"},
    {88, "Gyári beállítások visszaállítása", "Factory defaults", "Werkseinstellung zurück setzen"},
    {89, "Az eszköz adatai fellülíródnak a gyári adatokkal!",
     "Device data will overwrite with factory settings!",
     "Geräteeinstellungen werden mit Werkseinstellungen überschrieben!"},
    {90, "Folyatatás?", "Continue?", "Weiter?"},
    {103, "Rendszerüzenet", "System message", "System Meldung"},
    {104, "A csatlakoztatott interfészhez", "For the connected interface", "In kontakted Interface"},
    {105, "firmware frissítés szükséges", "firmware update necessary", "firmware update notwendig"},
};

} // namespace

TEST(TextTable, FixedEntriesReadExactlyInAllThreeLanguages) {
    for (const QuotedText& q : kQuoted) {
        SCOPED_TRACE(q.n);
        EXPECT_EQ(TextOf(q.n, 1), QString::fromUtf8(q.hungarian));
        EXPECT_EQ(TextOf(q.n, 2), QString::fromUtf8(q.english));
        EXPECT_EQ(TextOf(q.n, 3), QString::fromUtf8(q.german));
    }
}

TEST(TextTable, EnglishKeepsItsOddSpellingsAndTrailingBlanks) {
    // Log lines and captions are compared against these; "correcting" them breaks that.
    const std::pair<int, const char*> cases[] = {
        {14, "Programms"},
        {40, "Code switch x1 /m:sec/"},
        {44, "Recevie"},
        {50, "Un mute all device..."},
        {51, "Disc.branch"},
        {55, "No "},
        {112, "More device answered"},
        {113, "Acknoledged"},
        {114, "No acknoledged"},
        {117, "* Drag and drop the channels of selected device to change its DMX start address"},
        {120, "Selected device*"},
        {123, "Send command to all sensors of the selected device"},
    };
    for (const auto& [n, english] : cases)
        EXPECT_EQ(TextOf(n, 2), QString::fromUtf8(english)) << n;
}

TEST(TextTable, EveryEntryIsPresentAsValidUtf8InEveryLanguage) {
    for (int n = 1; n <= TextCount; ++n) {
        for (int lang = 1; lang <= 3; ++lang) {
            SCOPED_TRACE(testing::Message() << "entry " << n << " language " << lang);
            const char* raw = TextUtf8(n, lang);
            ASSERT_NE(raw, nullptr);
            const QString text = TextOf(n, lang);
            EXPECT_FALSE(text.isEmpty());
            // A text that does not survive the round trip holds bytes that are not UTF-8.
            EXPECT_EQ(text.toUtf8(), QByteArray(raw));
            EXPECT_FALSE(text.contains(QChar::ReplacementCharacter));
        }
        // Hungarian needs the double-acute letters; a tilde or circumflex in their
        // place is the classic code-page mix-up.
        const QString hungarian = TextOf(n, 1);
        for (QChar wrong : {QChar(0x00F5), QChar(0x00FB), QChar(0x00D5), QChar(0x00DB)})
            EXPECT_FALSE(hungarian.contains(wrong)) << n;
    }
    EXPECT_TRUE(TextOf(23, 1).contains(QChar(0x0151))); // ő in "megfelelő"
    EXPECT_TRUE(TextOf(24, 1).contains(QChar(0x0171))); // ű in "kétszínű"
    EXPECT_TRUE(TextOf(89, 3).contains(QChar(0x00E4))); // ä in "Geräteeinstellungen"
}

TEST(TextTable, OutOfRangeLookupsGiveEmptyText) {
    for (auto [n, lang] : {std::pair{0, 2}, {TextCount + 1, 2}, {-1, 1}, {1, 0}, {1, 4}, {123, -3}}) {
        EXPECT_TRUE(TextOf(n, lang).isEmpty()) << n << "/" << lang;
        EXPECT_STREQ(TextUtf8(n, lang), "") << n << "/" << lang;
    }
    // The boundaries themselves are valid.
    EXPECT_FALSE(TextOf(1, 1).isEmpty());
    EXPECT_FALSE(TextOf(TextCount, 3).isEmpty());
}

#include "app/Szovegek.h"

#include <array>

namespace {

// One row per entry, in entry order: Hungarian, English, German. The texts are
// kept exactly as the program has always shown them, odd spellings and
// trailing blanks included (entry 55 is "No " with its blank), because log
// lines and captions are compared against them. Source encoding is UTF-8.
using TextRow = std::array<const char*, 3>;

constexpr std::array<TextRow, TextCount> TextTable{{
    /*   1 */ {"Nyelv", "Language", "Sprache"},
    /*   2 */ {"Magyar", "English", "Deutsch"},
    /*   3 */ {"Új", "New", "Neu"},
    /*   4 */ {"Aktív", "Active", "Aktiv"},
    /*   5 */ {"Megnyitás", "Open", "Öffnen"},
    /*   6 */ {"Bezárás", "Close", "Schließen"},
    /*   7 */ {"Mentés", "Save", "Speichern"},
    /*   8 */ {"Beállítások", "Setup", "Einstellungen"},
    /*   9 */ {"Kommunikáció", "Communication", "Kommunikation"},
    /*  10 */ {"Súgó", "Help", "Hilfe"},
    /*  11 */ {"Névjegy", "About", "Über"},
    /*  12 */ {"Fájl", "File", "Datei"},
    /*  13 */ {"Kilépés", "Exit", "Beenden"},
    /*  14 */ {"Programok", "Programms", "Programme"},
    /*  15 */ {"Konfiguráció", "Configuration", "Konfiguration"},
    /*  16 */ {"Karakterisztika", "Characteristic", "Kennlinie"},
    /*  17 */ {"Lineáris karakterisztika", "Linear Characteristic", "Lineare Kennlinie"},
    /*  18 */ {"Nyelv választás", "Language selection", "Sprache wählen"},
    /*  19 */ {"Mégsem", "Cancel", "Cancel"},
    /*  20 */ {"Forgalmazó", "Distributor", "Vertrieb"},
    /*  21 */ {"Verzió", "Version", "Version"},
    /*  22 */
    {"Fájl típusa nem beazonosítható!", "File type can not be identify!", "File Type nicht erkennbar!"},
    /*  23 */ {"Fájl formátuma nem megfelelő!", "File format not acceptable!", "File Format nicht erlaubt!"},
    /*  24 */
    {"(típus: kétszínű BMP, max. méret: 240x220 pixel)", "(type: two colors BMP, max. size: 240x220 pixel)",
     "(Type: zwei farbig BMP, max. grösse: 240x220 pixel)"},
    /*  25 */ {"Típus", "Type", "Typ"},
    /*  26 */ {"Méret", "Size", "Größe"},
    /*  27 */ {"DMX csomag", "DMX Package", "DMX-Paket"},
    /*  28 */ {"Fájl küldése folyamatban...", "File sending in process...", "Datei wird gesendet..."},
    /*  29 */ {"DMX küldése folyamatban...", "DMX sending in process...", "DMX-Daten werden gesendet..."},
    /*  30 */ {"Adatküldés folyamatban...", "Data sending in process...", "Daten werden gesendet..."},
    /*  31 */ {"Szoftver frissítés", "Software update", "Software update"},
    /*  32 */ {"BMP fájl - kétszínű", "BMP file - two colours", "BMP file - zwei Farbig"},
    /*  33 */ {"Küldés", "Send", "Senden"},
    /*  34 */ {"Dimmerek", "Dimmers", "Dimmer"},
    /*  35 */ {"Lépések", "Steps", "Schritte"},
    /*  36 */ {"Sebesség", "Speed", "Geschwindigkeit"},
    /*  37 */ {"Várakozás", "Wait", "Warten"},
    /*  38 */ {"Lépés", "Step", "Schritt"},
    /*  39 */ {"Fehéregyensúly", "White balance", "Weißabgleich"},
    /*  40 */ {"Kódkapcsoló x1 /p:mp/", "Code switch x1 /m:sec/", "Codierschalter x1 /Min:Sek/"},
    /*  41 */ {"Léptető mód", "Step mode", "Schrittmodus"},
    /*  42 */ {"Inaktív", "Idle", "Idle"},
    /*  43 */ {"Adás", "Transmit", "Senden"},
    /*  44 */ {"Vétel", "Recevie", "Empfang"},
    /*  45 */ {"Nincs kapcsolat", "No contact", "Kein Kontakt"},
    /*  46 */ {"Kapcsolatban", "Contact OK", "Kontakt OK"},
    /*  47 */ {"Válasszon üzemmódot!", "Select working mode!", "Betriebsart wählen!"},
    /*  48 */ {"Ismeretlen eszköz", "Undefined device", "Undefined device"},
    /*  49 */ {"Eszközkeresés indítása...", "Start discovery process...", "Gerätesuche wird gestartet..."},
    /*  50 */
    {"Minden eszköz némításának feloldása...", "Un mute all device...",
     "Stummschaltung aller Geräte wird aufgehoben..."},
    /*  51 */ {"Keresési ág", "Disc.branch", "Suchzweig"},
    /*  52 */ {"Eszköz némítása", "Mute device", "Gerät stummschalten"},
    /*  53 */ {"Az eszköz nyugtázott", "Device sent acknowledge", "Gerät hat bestätigt"},
    /*  54 */ {"Az eszköz nem nyugtázott", "Device didn't send acknowledge", "Gerät hat nicht bestätigt"},
    /*  55 */ {"Nem ", "No ", "Kein "},
    /*  56 */ {"Az eszköz nem nyugtázott", "Device didn't send acknowledge", "Gerät hat nicht bestätigt"},
    /*  57 */ {"Az eszköz nem nyugtázott", "Device didn't send acknowledge", "Gerät hat nicht bestätigt"},
    /*  58 */ {"Üzemmód", "Mode", "Betriebsart"},
    /*  59 */ {"Interfész", "Interface", "Interface"},
    /*  60 */ {"DMX vonal", "DMX line", "DMX Kreis"},
    /*  61 */ {"Bejövő jel", "Input signal", "Eingang Signal"},
    /*  62 */ {"Adás folyamatban", "Transmit", "Sendung"},
    /*  63 */ {"Üzemmód választása", "Mode selection", "Auswahl der Betriebsart"},
    /*  64 */ {"Eszközök", "Devices", "Geräte"},
    /*  65 */ {"DMX cím", "DMX Addr.", "DMX-Adr."},
    /*  66 */ {"Lépés", "Step", "Schritt"},
    /*  67 */ {"Eszköz típusa", "Device type", "Gerätetyp"},
    /*  68 */ {"Sorozatszám", "Serial number", "Seriennummer"},
    /*  69 */ {"RDM egyedi azonosító", "RDM Unique ID", "Eindeutige RDM-ID"},
    /*  70 */ {"Hardver", "Hardware", "Hardware"},
    /*  71 */ {"DMX csatornák", "DMX Channels", "DMX-Kanäle"},
    /*  72 */ {"Lépések", "Steps", "Schritte"},
    /*  73 */
    {"Túlmelegedéskor a csatornák kikapcsolnak", "Channels off if overheating",
     "Kanäle bei Überhitzung abschalten"},
    /*  74 */ {"Dátum", "Date", "Datum"},
    /*  75 */ {"RDM eszközök a DMX vonalon", "RDM Devices on DMX line", "RDM-Geräte am DMX-Kreis"},
    /*  76 */ {"Részletek", "Details", "Details"},
    /*  77 */ {"DMX kiosztás", "DMX issue", "DMX-Belegung"},
    /*  78 */ {"Érzékelők", "Sensors", "Sensoren"},
    /*  79 */ {"Speciális", "Special", "Spezial"},
    /*  80 */ {"Kijelző mentése fájlba", "Saving display to file", "Anzeige in Datei speichern"},
    /*  81 */ {"Eseménytörténet", "Event history", "Ereignisverlauf"},
    /*  82 */ {"részletes", "detailed", "ausführlich"},
    /*  83 */ {"Előzmények törlése", "Delete history", "Verlauf löschen"},
    /*  84 */ {"Ofszetkorrekció", "Offset correction", "Offsetkorrektur"},
    /*  85 */ {"Ablak", "Window", "Fenster"},
    /*  86 */ {"Nézet", "View", "Ansicht"},
    /*  87 */ {"Logó", "Logo", "Logo"},
    /*  88 */ {"Gyári beállítások visszaállítása", "Factory defaults", "Werkseinstellung zurück setzen"},
    /*  89 */
    {"Az eszköz adatai fellülíródnak a gyári adatokkal!", "Device data will overwrite with factory settings!",
     "Geräteeinstellungen werden mit Werkseinstellungen überschrieben!"},
    /*  90 */ {"Folyatatás?", "Continue?", "Weiter?"},
    /*  91 */ {"Módosítás", "Modify", "Ändern"},
    /*  92 */ {"Azonosítás", "Identify", "Identifizieren"},
    /*  93 */ {"BE", "ON", "EIN"},
    /*  94 */ {"KI", "OFF", "AUS"},
    /*  95 */ {"Gyári beállítások", "Factory defaults", "Werkseinstellungen"},
    /*  96 */ {"DMX vétel", "Receive DMX", "DMX-Empfang"},
    /*  97 */ {"Fényerő", "Brightness", "Helligkeit"},
    /*  98 */ {"Lineáris karakterisztika", "Linear characteristic", "Lineare Kennlinie"},
    /*  99 */ {"Infra vétel", "Receive infra", "Infrarot-Empfang"},
    /* 100 */ {"Kimeneti frekvencia", "Output frequency", "Ausgangsfrequenz"},
    /* 101 */ {"Szabadon futó", "Free running", "Freilaufend"},
    /* 102 */ {"Távirányító /p:mp/", "Remote controller /m:sec/", "Fernbedienung /Min:Sek/"},
    /* 103 */ {"Rendszerüzenet", "System message", "System Meldung"},
    /* 104 */ {"A csatlakoztatott interfészhez", "For the connected interface", "In kontakted Interface"},
    /* 105 */ {"firmware frissítés szükséges", "firmware update necessary", "firmware update notwendig"},
    /* 106 */ {"Firmware frissítés", "Firmware update", "Firmware-Aktualisierung"},
    /* 107 */ {"Szoftver", "Software", "Software"},
    /* 108 */ {"Betöltő szoftver", "Boot software", "Boot-Software"},
    /* 109 */ {"Listába véve", "To list", "In Liste aufgenommen"},
    /* 110 */ {"Nincs válasz", "No answer", "Keine Antwort"},
    /* 111 */ {"Megtalálva", "Found", "Gefunden"},
    /* 112 */ {"Több eszköz válaszolt", "More device answered", "Mehrere Geräte haben geantwortet"},
    /* 113 */ {"Nyugtázva", "Acknoledged", "Bestätigt"},
    /* 114 */ {"Nincs nyugtázva", "No acknoledged", "Nicht bestätigt"},
    /* 115 */ {"Megtalált eszközök száma", "Number of discovered units", "Anzahl der gefundenen Geräte"},
    /* 116 */ {"A folyamat befejeződött", "Process ready", "Vorgang abgeschlossen"},
    /* 117 */
    {"* A kiválasztott eszköz DMX kezdőcímének módosításához húzza át a csatornáit",
     "* Drag and drop the channels of selected device to change its DMX start address",
     "* Zum Ändern der DMX-Startadresse die Kanäle des gewählten Geräts mit der Maus verschieben"},
    /* 118 */ {"Szabad csatornák", "Free channels", "Freie Kanäle"},
    /* 119 */ {"Foglalt csatornák", "Used channels", "Belegte Kanäle"},
    /* 120 */ {"Kiválasztott eszköz*", "Selected device*", "Gewähltes Gerät*"},
    /* 121 */ {"DMX ütközés", "DMX collision", "DMX-Kollision"},
    /* 122 */ {"Érzékelő oldal", "Sensor page", "Sensorseite"},
    /* 123 */
    {"Parancs küldése a kiválasztott eszköz összes érzékelőjének",
     "Send command to all sensors of the selected device",
     "Befehl an alle Sensoren des gewählten Geräts senden"},
}};

// Every entry must exist in all three languages; a row left out of the list
// above would otherwise be a null pointer that only shows when it is looked up.
constexpr bool EveryEntryFilled() {
    for (const TextRow& row : TextTable)
        for (const char* text : row)
            if (text == nullptr || text[0] == '\0') return false;
    return true;
}
static_assert(EveryEntryFilled(), "text table has an empty or missing entry");

} // namespace

const char* TextUtf8(int n, int languageIndex) {
    if (n < 1 || n > TextCount || languageIndex < 1 || languageIndex > 3) return "";
    return TextTable[static_cast<std::size_t>(n - 1)][static_cast<std::size_t>(languageIndex - 1)];
}

QString TextOf(int n, int languageIndex) {
    return QString::fromUtf8(TextUtf8(n, languageIndex));
}

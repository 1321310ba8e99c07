// The settings file of the main window: read at start, created on a first
// start, and updated by the language and interface choices.
#include <QDir>
#include <QFileInfo>
#include <QLabel>

#include "app/IniFile.h"
#include "app/Main.h"
#include "app/Nyelv.h"
#include "link/SetupInterface.h"

namespace {

const QString Section = QStringLiteral("Setup");
const QString DefaultIp = QStringLiteral("0.0.0.0");
const QString DefaultMask = QStringLiteral("255.255.255.255");

} // namespace

QString TfrmMain::settingsFileName() const {
    return AppDir + QStringLiteral("Tamarind.ini");
}

void TfrmMain::reportSettingsProblem(const QString& line) {
    LogLine(line);
}

void TfrmMain::ReadSettings() {
    const TIniFile ini(settingsFileName());
    if (!ini.readError().isEmpty()) {
        reportSettingsProblem(
            QStringLiteral("Settings file %1 could not be read (%2); default settings are used.")
                .arg(QDir::toNativeSeparators(ini.fileName()), ini.readError()));
    }

    LanguageName = ini.ReadString(Section, QStringLiteral("Language"), QStringLiteral("English"));

    const QString usb = ini.ReadString(Section, QStringLiteral("USB"), QStringLiteral("0"));
    bool ok = false;
    const int usbValue = usb.trimmed().toInt(&ok, 10);
    if (ok) {
        UsbSetting = static_cast<uint8_t>(usbValue & 0xFF);
    } else {
        UsbSetting = 0;
        reportSettingsProblem(
            QStringLiteral("Settings file: the USB value \"%1\" is not a number; 0 is used.").arg(usb));
    }

    InterfaceKind = ini.ReadString(Section, QStringLiteral("INTERFACE"), QStringLiteral("USB"));

    auto readAddress = [&](const QString& key, const QString& fallback) {
        const QString value = ini.ReadString(Section, key, fallback);
        bool valid = false;
        const tIpAddress ip = TextToIp(value, &valid);
        if (valid) return ip;
        reportSettingsProblem(
            QStringLiteral("Settings file: the %1 value \"%2\" is not an address; %3 is used.")
                .arg(key, value, fallback));
        return TextToIp(fallback);
    };
    InterfaceIp = readAddress(QStringLiteral("IP"), DefaultIp);
    InterfaceMask = readAddress(QStringLiteral("MASK"), DefaultMask);

    if (InterfaceKind != QLatin1String("USB") && InterfaceKind != QLatin1String("NETWORK"))
        InterfaceKind = QStringLiteral("USB");
}

// Writes the keys in the given order; stops at the first failure and tells the user.
static bool writeSettingKeys(TfrmMain& w, const QList<std::pair<QString, QString>>& keys) {
    TIniFile ini(w.settingsFileName());
    for (const auto& [key, value] : keys) {
        if (!ini.WriteString(Section, key, value)) {
            w.LogLine(
                QStringLiteral("Settings file %1 could not be written (%2); the setting holds until the "
                               "program ends.")
                    .arg(QDir::toNativeSeparators(ini.fileName()), ini.writeError()));
            return false;
        }
    }
    return true;
}

void TfrmMain::FirstStartSettings() {
    // The language dialog speaks English until a language is chosen; Cancel
    // leaves the name empty, which reads as English.
    LanguageIndex = 2;
    if (frmNyelv) frmNyelv->ShowModal();
    UsbSetting = 2;
    writeSettingKeys(*this, {{QStringLiteral("Language"), LanguageName},
                             {QStringLiteral("USB"), QString::number(UsbSetting)},
                             {QStringLiteral("INTERFACE"), QStringLiteral("USB")},
                             {QStringLiteral("IP"), DefaultIp},
                             {QStringLiteral("MASK"), DefaultMask}});
}

void TfrmMain::ChooseLanguage() {
    if (frmNyelv) frmNyelv->ShowModal();
    // Written whichever button closed the dialog (Cancel writes the old name again).
    writeSettingKeys(*this, {{QStringLiteral("Language"), LanguageName}});
    ApplyLanguage();
}

void TfrmMain::mSetupLangClick() {
    ChooseLanguage();
}

void TfrmMain::mSetupInterfaceClick() {
    // The dialog's handlers set InterfaceKind, InterfaceIp and InterfaceMask;
    // they are written whichever button closed it.
    if (frmSetupInterface) frmSetupInterface->ShowModal();
    writeSettingKeys(*this, {{QStringLiteral("INTERFACE"), InterfaceKind},
                             {QStringLiteral("IP"), IpToText(InterfaceIp)},
                             {QStringLiteral("MASK"), IpToText(InterfaceMask)}});
    statusPanel(2)->setText(GetInterfaceStatusText());
}

#include "app/LanguageCaptions.h"

#include <QAbstractButton>
#include <QAction>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QStackedWidget>
#include <QTabWidget>

#include "app/Main.h"

const std::vector<tCaptionRow>& LanguageCaptionTable() {
    static const std::vector<tCaptionRow> table = {
        {"mFile", 12, ""},
        {"mFileNew", 3, "..."},
        {"mFileOpen", 5, "..."},
        {"mFileSave", 7, "..."},
        {"mFileUjProg", 14, ""},
        {"mAblakProg", 14, ""},
        {"mFileUjKonf", 15, ""},
        {"mAblakKonfig", 15, ""},
        {"mFileUjKarakt", 16, ""},
        {"mAblak", 86, ""},
        {"mAblakLogo", 87, ""},
        {"mAblakRxDmx", 96, ""},
        {"mSetup", 8, ""},
        {"mSetupLang", 1, "..."},
        {"mSetupFirmware", 106, "..."},
        {"mSetupInterface", 59, "..."},
        {"mAbout", 11, ""},
        {"mExit", 13, ""},
        {"lSendFajl", 12, ":"},
        {"lSendTipus", 25, ":"},
        {"lVerzio", 21, ":"},
        {"lDatum", 74, ":"},
        {"lFajlTipus", 31, ""},
        {"btnSendDmx", 33, ""},
        {"btnPrgEszkozbe", 33, ""},
        {"btnKonfEszkbe", 33, ""},
        {"btnRdmSendSpec", 33, ""},
        {"lProgramok", 14, ""},
        {"lLepesszam", 35, ""},
        {"lSpeed", 36, ""},
        {"lWait", 37, ""},
        {"lPrgEszkozokC", 64, ""},
        {"lPrgLepesekC", 72, ""},
        {"lPrgDmxCimC", 65, ""},
        {"cbKonfKelvarTulmeleg", 73, ""},
        {"cbKonfQ7Tulmeleg", 73, ""},
        {"cbKonfQ9rootTulmeleg", 73, ""},
        {"cbKonfQ73GTulmeleg", 73, ""},
        {"gbKonfKelvarSW", 40, ""},
        {"cbStep", 41, ""},
        {"lRxEszkozokC", 64, ":"},
        {"lRxDmxCimC", 65, ":"},
        {"lRxLepesC", 66, ":"},
        {"lRxEszkTipC", 67, ":"},
        {"lRxSerialC", 68, ":"},
        {"lRxRdmAzonC", 69, ":"},
        {"lRxHardver", 70, ":"},
        {"lRxDmxCsatokC", 71, ":"},
        {"lRdmEszkozokSzamaVonalon", 75, ""},
        {"tsReszletek", 76, ""},
        {"tsKonfiguracio", 15, ""},
        {"tsDmxKiosztas", 77, ""},
        {"tsErzekelok", 78, ""},
        {"tsSpecial", 79, ""},
        {"btnSaveDisp", 80, ""},
        {"lTortenet", 81, ":"},
        {"cbReszl", 82, ""},
        {"btnModDevLab", 91, ""},
        {"btnModLang", 91, ""},
        {"btnModDmxPers", 91, ""},
        {"btnModDmxAdr", 91, ""},
        {"btnModPowState", 91, ""},
        {"btnModDevPowCyc", 91, ""},
        {"btnModLampHours", 91, ""},
        {"btnModLampStrikes", 91, ""},
        {"btnModLampState", 91, ""},
        {"btnModLampOnMode", 91, ""},
        {"btnDispInv", 91, ""},
        {"btnDispLevel", 91, ""},
        {"btnPanInv", 91, ""},
        {"btnTiltInv", 91, ""},
        {"btnPTSwap", 91, ""},
        {"btnSetFactDef", 95, ""},
        {"gbKonfKelvarBrightness", 97, ""},
        {"tsKonfKelvarKonfig", 15, ""},
        {"tsKonfKelvarKarakt", 16, ""},
        {"tsKonfQ7Konfig", 15, ""},
        {"tsKonfQ7Karakt", 16, ""},
        {"tsKonfQ9SubKonfig", 15, ""},
        {"tsKonfQ9SubKarakt", 16, ""},
        {"lKonfKelvarOffsCorr", 84, ""},
        {"lKonfQ7OffsCorr", 84, ""},
        {"lKonfQ9SubOffsCorr", 84, ""},
        {"lKonfQ73GOffsCorr", 84, ""},
        {"cbKonfKelvarFehEgyens", 39, ""},
        {"cbKonfQ7FehEgyens", 39, ""},
        {"cbKonfQ9SubFehEgyens", 39, ""},
        {"cbKonfQ73GFehEgyens", 39, ""},
        {"cbKonfQ7LinKarakt", 98, ""},
        {"cbKonfQ9SubLinKarakt", 98, ""},
        {"cbKonfQ73GLinKarakt", 17, ""},
        {"cbKonfQ7Infra", 99, ""},
        {"cbKonfQ9SubInfra", 99, ""},
        {"cbKonfQ73GInfra", 99, ""},
        {"lKonfQ7OutFrk", 100, ""},
        {"lKonfQ9rootOutpFrq", 100, ""},
        {"lKonfQ73GOutpFrq", 100, ""},
        {"rbKonfQ7Free", 101, ""},
        {"rbKonfQ9rootFree", 101, ""},
        {"gbKonfQ7Taviranyito", 102, ""},
        {"gbKonfQ9SubTaviranyito", 102, ""},
        {"gbKonfQ73GSubTaviranyito", 102, ""},
        {"lDragAndDrop", 117, ""},
        {"lDmxkiosztFree", 118, ""},
        {"lDmxkiosztUsed", 119, ""},
        {"lDmxkiosztSel", 120, ""},
        {"lDmxkiosztColl", 121, ""},
        {"cbAllSensor", 123, ""},
        {"lSensPages", 122, ":"},
    };
    return table;
}

namespace {

// The notebook whose page this widget is, or null.
QTabWidget* notebookOfPage(const QObject* control) {
    const auto* page = qobject_cast<const QWidget*>(control);
    if (!page) return nullptr;
    auto* stack = qobject_cast<QStackedWidget*>(page->parentWidget());
    if (!stack) return nullptr;
    auto* notebook = qobject_cast<QTabWidget*>(stack->parentWidget());
    if (!notebook || notebook->indexOf(page) < 0) return nullptr;
    return notebook;
}

// Dialogs are children of the main window too, but their captions are their own.
bool insideDialog(const QObject* control) {
    for (const QObject* o = control; o; o = o->parent())
        if (qobject_cast<const QDialog*>(o)) return true;
    return false;
}

} // namespace

bool SetControlCaption(QObject* control, const QString& caption) {
    if (auto* menu = qobject_cast<QMenu*>(control)) {
        menu->setTitle(caption);
    } else if (auto* action = qobject_cast<QAction*>(control)) {
        action->setText(caption);
    } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
        button->setText(caption);
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(caption);
    } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
        group->setTitle(caption);
    } else if (QTabWidget* notebook = notebookOfPage(control)) {
        notebook->setTabText(notebook->indexOf(static_cast<QWidget*>(control)), caption);
    } else {
        return false;
    }
    return true;
}

QString ControlCaption(const QObject* control) {
    if (auto* menu = qobject_cast<const QMenu*>(control)) return menu->title();
    if (auto* action = qobject_cast<const QAction*>(control)) return action->text();
    if (auto* button = qobject_cast<const QAbstractButton*>(control)) return button->text();
    if (auto* label = qobject_cast<const QLabel*>(control)) return label->text();
    if (auto* group = qobject_cast<const QGroupBox*>(control)) return group->title();
    if (QTabWidget* notebook = notebookOfPage(control))
        return notebook->tabText(notebook->indexOf(static_cast<const QWidget*>(control)));
    return {};
}

void TfrmMain::ApplyLanguage() {
    if (LanguageName == QLatin1String("Hungarian"))
        LanguageIndex = 1;
    else if (LanguageName == QLatin1String("German"))
        LanguageIndex = 3;
    else
        LanguageIndex = 2;

    // Controls that a page has not (yet) got are passed over.
    for (const tCaptionRow& row : LanguageCaptionTable()) {
        const QList<QObject*> found = findChildren<QObject*>(QString::fromLatin1(row.control));
        for (QObject* control : found) {
            if (insideDialog(control)) continue;
            SetControlCaption(control, text(row.text) + QString::fromLatin1(row.suffix));
        }
    }

    statusPanel(0)->setText(text(1) + QStringLiteral(": ") + text(2));
    statusPanel(1)->clear();
    statusPanel(2)->setText(GetInterfaceStatusText());
    ShowLineStatus();
}

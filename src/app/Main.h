#pragma once

#include <QMainWindow>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <memory>

#include "app/IpAddress.h"
#include "app/MainState.h"
#include "app/products_data.h"

namespace Ui {
class TfrmMain;
class RdmPage;
class ProgramPage;
class KonfigPage;
} // namespace Ui

class QLabel;
class QTimer;
class TDM;
class ProgramEditor;
class ConfigPages;
class TSendPage;
class RdmPageView;
class TfrmNyelv;
class TfrmNevjegy;
class TfrmInfo;
class TfrmKerdes;
class TfrmLvn;
class TfrmSetupInterface;

// The program's version, shown in the window caption and the about box.
inline constexpr int VersionMajor = 7;
inline constexpr int VersionMinor = 9;
inline constexpr int VersionRelease = 9;
// "v.7.9.9"
QString ProgramVersionText();

// The main window. Its page notebook `nbMain` holds the pages "Logo", "Send",
// "Programok", "Konfiguracio", "RDM", "RxDmx" and "RfDMXRx"; the larger pages
// are forms of their own, set up inside the page containers, so that every
// control keeps its name and can be found from the window.
class TfrmMain : public QMainWindow {
    Q_OBJECT

public:
    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    // The data module is created after the main window; it is handed over here.
    void setDataModule(TDM* dm) { DM = dm; }
    TDM* dataModule() const { return DM; }

    // Where the settings file lives (empty: the program's folder) and the
    // command-line arguments after the program name.
    void setStartOptions(const QString& appDir, const QStringList& arguments);

    // Shows the notebook page of nbMain with this caption (ignoring case).
    bool showMainPage(const QString& caption);
    QString mainPageCaption() const;

    // Text n (1..123) of the text table in the current language.
    QString text(int n) const;

    // ---- Start and close-down -------------------------------------------
    // All start-up work. Runs once: on the first show of the window (posted,
    // so it runs from the event loop after the window is up), or when called
    // directly; later activations (after every modal dialog) do nothing.
    void FormActivate();
    bool formActivateDone() const { return formActivated; }
    // Close-down work; run when the window is destroyed.
    void FormDestroy();

    // ---- Handlers of the frame --------------------------------------------
    void nbMainPageChanged();
    void tmrDmxSzunVizsgTimer();
    void EnableWindowMenus();
    void InitDmxMapGrid();
    void mAblakLogoClick();
    void mExitClick();
    void mAboutClick();
    void mSetupLangClick();
    void mSetupInterfaceClick();

    // ---- Settings file -------------------------------------------------------
    QString settingsFileName() const; // AppDir + "Tamarind.ini"
    // Reads the settings file into the settings members; values that do not
    // convert take their key's default.
    void ReadSettings();
    // First start: the language dialog, then the defaults are written.
    void FirstStartSettings();
    // The language dialog; the choice is written and applied.
    void ChooseLanguage();

    // ---- Language and status bar --------------------------------------------
    void ApplyLanguage();
    QString GetInterfaceStatusText() const;
    void ShowLineStatus();
    void StatusBarMouseMove(int X, int Y);
    void StatusBarClick();
    // The four panels of StatusBar: 0 language, 1 spare, 2 interface, 3 DMX line.
    QLabel* statusPanel(int index) const { return StatusPanels.at(index); }

    // A line in the device log (the event history of the RDM page).
    void LogLine(const QString& line);

    // ---- State of the unit ----------------------------------------------------
    QString AppDir; // folder of the settings file, with a trailing separator
    QString LanguageName;
    // Language of every caption and log text: 1 Hungarian, 2 English, 3 German.
    int LanguageIndex = 2;
    uint8_t UsbSetting = 0;
    QString InterfaceKind;
    tIpAddress InterfaceIp{};
    tIpAddress InterfaceMask{};
    // Chooses the message of the info and question dialogs.
    uint8_t MessageKind = 0;
    // "Nyelv" while the mouse is over the language panel.
    QString StatusBarHotPanel;
    // The brand the program presents itself as (a copy of BrandTable row 0,
    // so that a test can present another one).
    Gyarto BrandRow = BrandTable[0];
    QStringList ProgramArguments;
    tLineState LineState;
    std::array<tDmxChannel, 512> DmxChannelMap{};
    // Type of the configuration stream: set from the device kind when a
    // device's configuration is read, 0 until then.
    uint8_t ConfigDeviceCode = 0;

    // Dialogs, created by the program after the main window.
    TfrmNyelv* frmNyelv = nullptr;
    TfrmNevjegy* frmNevjegy = nullptr;
    TfrmInfo* frmInfo = nullptr;
    TfrmKerdes* frmKerdes = nullptr;
    TfrmLvn* frmLvn = nullptr;
    TfrmSetupInterface* frmSetupInterface = nullptr;

    // Timers of the main window.
    QTimer* tmrFileSendStart = nullptr; // 200 ms, one shot
    QTimer* tmrDmxData = nullptr;       // 1 ms
    QTimer* tmrDmxSzunVizsg = nullptr;  // 1000 ms, one shot
    QTimer* tmrRx = nullptr;            // 1000 ms

    // 1 while code fills the program editor's controls: the editor's change
    // handlers then ignore the changes.
    int UpdatingControls = 0;

    std::unique_ptr<Ui::TfrmMain> ui;
    std::unique_ptr<Ui::RdmPage> rdmUi;
    std::unique_ptr<Ui::ProgramPage> prgUi;
    std::unique_ptr<Ui::KonfigPage> konfUi;

    // Controllers of the pages "Programok" and "Konfiguracio".
    std::unique_ptr<ProgramEditor> programEditor;
    std::unique_ptr<ConfigPages> configPages;
    // The page "Send", the File menu and the stream and firmware transfers.
    std::unique_ptr<TSendPage> sendPage;
    RdmPageView* rdmView = nullptr;  // the RDM page's handlers; owned by this window

protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void setupStatusBar();
    void setupTimers();
    void connectHandlers();
    void applyBrand();
    void reportSettingsProblem(const QString& line);

    TDM* DM = nullptr;
    QString appDirOption;
    bool formActivated = false;
    bool formActivatePosted = false;
    bool formDestroyed = false;
    std::array<QLabel*, 4> StatusPanels{};
};

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QStatusBar>

#include "app/LanguageCaptions.h"
#include "app/Szovegek.h"
#include "shell_fixture.h"
#include "ui_Main.h"
#include "ui_Nyelv.h"
#include "ui_RdmPage.h"

namespace {

// Every control of the caption table that the window has, with the caption it should have.
int checkCaptions(TfrmMain& w, int language) {
    int checked = 0;
    for (const tCaptionRow& row : LanguageCaptionTable()) {
        const QString expected = TextOf(row.text, language) + QString::fromLatin1(row.suffix);
        for (QObject* control : w.findChildren<QObject*>(QString::fromLatin1(row.control))) {
            EXPECT_EQ(ControlCaption(control), expected) << row.control << " in language " << language;
            ++checked;
        }
    }
    return checked;
}

} // namespace

using Language = ShellTest;

TEST_F(Language, ApplyLanguageRewritesEveryCaptionAndPanelInEachLanguage) {
    writeIni("[Setup]\nLanguage=English\n");
    start().frmMain->FormActivate();
    // The frame's own controls of the table are all there.
    for (const char* name : {"mFile",
                             "mFileNew",
                             "mFileOpen",
                             "mFileSave",
                             "mFileUjProg",
                             "mAblakProg",
                             "mFileUjKonf",
                             "mAblakKonfig",
                             "mFileUjKarakt",
                             "mAblak",
                             "mAblakLogo",
                             "mAblakRxDmx",
                             "mSetup",
                             "mSetupLang",
                             "mSetupFirmware",
                             "mSetupInterface",
                             "mAbout",
                             "mExit",
                             "lSendFajl",
                             "lSendTipus",
                             "lVerzio",
                             "lDatum",
                             "lFajlTipus",
                             "btnSendDmx",
                             "lRxEszkozokC",
                             "lRxDmxCimC",
                             "lRxLepesC",
                             "lRxEszkTipC",
                             "lRxSerialC",
                             "lRxRdmAzonC",
                             "lRxHardver",
                             "lRxDmxCsatokC",
                             "lProgramok",
                             "cbStep",
                             "gbKonfKelvarBrightness",
                             "lRdmEszkozokSzamaVonalon",
                             "tsReszletek",
                             "tsKonfiguracio",
                             "tsDmxKiosztas",
                             "tsErzekelok",
                             "tsSpecial",
                             "lTortenet",
                             "cbReszl",
                             "lSensPages",
                             "cbAllSensor"}) {
        EXPECT_NE(main().findChild<QObject*>(name), nullptr) << name;
    }

    const char* names[] = {"", "Hungarian", "English", "German"};
    for (int language : {1, 3, 2, 1}) {
        main().LanguageName = names[language];
        main().ApplyLanguage();
        EXPECT_EQ(main().LanguageIndex, language);
        EXPECT_GE(checkCaptions(main(), language), 43);
        EXPECT_EQ(main().statusPanel(0)->text(), TextOf(1, language) + ": " + TextOf(2, language));
        EXPECT_EQ(main().statusPanel(1)->text(), "");
        EXPECT_EQ(main().statusPanel(2)->text(), "USB " + TextOf(59, language) + ": " + TextOf(45, language));
        EXPECT_EQ(main().statusPanel(3)->text(), TextOf(60, language) + ": " + TextOf(42, language));

        // Captions outside the table keep their design text in every language.
        EXPECT_EQ(main().ui->mAblakRdm->text(), "RDM");
        EXPECT_EQ(main().ui->mAblakDmxRFSet->text(), "DMX RF Setup");
        EXPECT_EQ(main().rdmUi->btnDiscovery->text(), "DISCOVERY");
        EXPECT_EQ(main().rdmUi->pcRdm->tabText(main().rdmUi->pcRdm->indexOf(main().rdmUi->tsRemoteAccess)),
                  "Remote access");
        EXPECT_EQ(main().ui->nbMain->tabText(4), "RDM");
        EXPECT_EQ(main().ui->nbLogo->tabText(0), "Orvamatic");
    }
    // Spot checks against the texts themselves.
    EXPECT_EQ(main().statusPanel(0)->text(), "Nyelv: Magyar");
    EXPECT_EQ(main().ui->mSetupInterface->text(), "Interfész...");
}

TEST_F(Language, OnlyTheExactNamesSelectHungarianOrGerman) {
    writeIni("[Setup]\nLanguage=English\n");
    start().frmMain->FormActivate();
    for (const char* name : {"hungarian", "", "GERMAN", "Deutsch", "English"}) {
        main().LanguageName = name;
        main().ApplyLanguage();
        EXPECT_EQ(main().LanguageIndex, 2) << name;
        EXPECT_EQ(main().statusPanel(0)->text(), "Language: English") << name;
    }
}

TEST_F(Language, ControlsOfPagesNotBuiltYetArePassedOver) {
    writeIni("[Setup]\nLanguage=German\n");
    start().frmMain->FormActivate();
    // A dialog's control that happens to share a table name keeps its own caption.
    auto* stray = new QLabel("own", main().frmNyelv);
    stray->setObjectName("lTortenet");
    main().ApplyLanguage();
    EXPECT_EQ(stray->text(), "own");
    EXPECT_EQ(main().rdmUi->lTortenet->text(), TextOf(81, 3) + ":");
}

using StatusBar = ShellTest;

TEST_F(StatusBar, InterfaceAndLinePanelsTellContactTypeAndLineState) {
    writeIni("[Setup]\nLanguage=English\n");
    start().frmMain->FormActivate();
    TfrmMain& w = main();
    tLineState& s = w.LineState;

    w.InterfaceKind = "";
    EXPECT_EQ(w.GetInterfaceStatusText(), "USB Interface: No contact");
    s.HidConnected = 1;
    s.InterfaceType = 5;
    EXPECT_EQ(w.GetInterfaceStatusText(), "USB Interface: Contact OK - CASPEL (DMX-RX/RF-TX)");
    s.InterfaceType = 200; // not a row of the table: no name
    EXPECT_EQ(w.GetInterfaceStatusText(), "USB Interface: Contact OK");

    w.InterfaceKind = "NETWORK";
    EXPECT_EQ(w.GetInterfaceStatusText(), "NETWORK Interface: No contact");
    s.NetworkConnected = 1;
    s.NetworkInterfaceRow = 1;
    EXPECT_EQ(w.GetInterfaceStatusText(), "NETWORK Interface: Contact OK - MORROW ETHERNET Interface");
    w.InterfaceKind = "network";
    EXPECT_TRUE(w.GetInterfaceStatusText().startsWith("USB "));

    s.TransmitFlag = 1;
    w.ShowLineStatus();
    EXPECT_EQ(w.statusPanel(3)->text(), "DMX line: Transmit");
    s.InputSignalFlag = 1;
    w.ShowLineStatus();
    EXPECT_EQ(w.statusPanel(3)->text(), "DMX line: Input signal");

    w.LanguageName = "German";
    w.ApplyLanguage();
    EXPECT_EQ(w.statusPanel(3)->text(), TextOf(60, 3) + ": " + TextOf(61, 3));
}

TEST_F(StatusBar, OnlyAClickOnTheLanguagePanelOpensTheLanguageDialog) {
    writeIni("[Setup]\nLanguage=English\n");
    Program& p = start();
    main().resize(1000, 700);
    main().show();
    main().FormActivate();
    QStatusBar* bar = main().ui->StatusBar;
    const int overLanguage = main().statusPanel(0)->geometry().center().x();
    const int overInterface = main().statusPanel(2)->geometry().center().x();
    const int y = bar->height() / 2;
    auto move = [&](int x) {
        QMouseEvent e(QEvent::MouseMove, QPointF(x, y), bar->mapToGlobal(QPointF(x, y)), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(bar, &e);
    };
    auto click = [&](int x) {
        for (QEvent::Type t : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent e(t, QPointF(x, y), bar->mapToGlobal(QPointF(x, y)), Qt::LeftButton,
                          t == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(bar, &e);
        }
    };
    AnswerLanguage(p, Lang::Deutsch, true);

    move(overLanguage);
    move(overInterface);
    EXPECT_EQ(bar->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(main().StatusBarHotPanel, "");
    click(overInterface);
    EXPECT_EQ(p.frmNyelv->timesShown(), 0);

    move(overLanguage);
    EXPECT_EQ(bar->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(main().StatusBarHotPanel, "Nyelv");
    click(overLanguage);
    EXPECT_EQ(p.frmNyelv->timesShown(), 1);
    EXPECT_EQ(main().statusPanel(0)->text(), "Sprache: Deutsch");
    EXPECT_TRUE(readIni().contains("Language=German"));
}

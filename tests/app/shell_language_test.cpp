#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QStatusBar>

#include "app/LanguageCaptions.h"
#include "app/Szovegek.h"
#include "shell_fixture.h"
#include "ui_Main.h"

using Language = ShellTest;

TEST_F(Language, ApplyLanguageRewritesEveryCaptionAndPanelInEachLanguage) {
    startEnglish();
    TfrmMain& w = main();
    const char* names[] = {"", "Hungarian", "English", "German"};
    for (int language : {1, 3, 2, 1}) {
        setLanguage(names[language]);
        EXPECT_EQ(w.LanguageIndex, language);
        // A handful of the table's controls sit on pages that are still empty containers.
        std::size_t found = 0;
        for (const tCaptionRow& row : LanguageCaptionTable()) {
            const QObject* control = w.findChild<QObject*>(QString::fromLatin1(row.control));
            if (!control) continue;
            ++found;
            EXPECT_EQ(ControlCaption(control), TextOf(row.text, language) + QString::fromLatin1(row.suffix))
                << row.control << " in language " << language;
        }
        EXPECT_GE(found, LanguageCaptionTable().size() - 6);
        EXPECT_EQ(w.statusPanel(0)->text(), TextOf(1, language) + ": " + TextOf(2, language));
        EXPECT_EQ(w.statusPanel(1)->text(), "");
        EXPECT_EQ(w.statusPanel(2)->text(), "USB " + TextOf(59, language) + ": " + TextOf(45, language));
        EXPECT_EQ(w.statusPanel(3)->text(), TextOf(60, language) + ": " + TextOf(42, language));
        // Captions outside the table keep their design text in every language.
        EXPECT_EQ(w.ui->mAblakDmxRFSet->text(), QString::fromUtf8("DMX/RF beállítás"));
        EXPECT_EQ(w.rdmUi->btnDiscovery->text(), "DISCOVERY");
        EXPECT_EQ(w.ui->nbMain->tabText(4), "RDM");
    }
    EXPECT_EQ(w.statusPanel(0)->text(), "Nyelv: Magyar");
    EXPECT_EQ(w.ui->mSetupInterface->text(), "Interfész...");

    // Only the exact names select Hungarian or German; a dialog's control that happens to share
    // a table name keeps its own caption.
    auto* stray = new QLabel("own", w.frmNyelv);
    stray->setObjectName("lTortenet");
    for (const char* name : {"hungarian", "GERMAN", "Deutsch"}) {
        setLanguage(name);
        EXPECT_EQ(w.statusPanel(0)->text(), "Language: English") << name;
    }
    EXPECT_EQ(stray->text(), "own");
    EXPECT_EQ(w.rdmUi->lTortenet->text(), TextOf(81, 2) + ":");
}

using StatusBar = ShellTest;

TEST_F(StatusBar, InterfaceAndLinePanelsTellContactTypeAndLineState) {
    startEnglish();
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
    setLanguage("German");
    EXPECT_EQ(w.statusPanel(3)->text(), TextOf(60, 3) + ": " + TextOf(61, 3));
}

TEST_F(StatusBar, OnlyAClickOnTheLanguagePanelOpensTheLanguageDialog) {
    Program& p = startEnglish();
    main().resize(1000, 700);
    main().show();
    QStatusBar* bar = main().ui->StatusBar;
    const int overLanguage = main().statusPanel(0)->geometry().center().x();
    const int overInterface = main().statusPanel(2)->geometry().center().x();
    const int y = bar->height() / 2;
    auto moveTo = [&](int x) {
        QMouseEvent e(QEvent::MouseMove, QPointF(x, y), bar->mapToGlobal(QPointF(x, y)), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(bar, &e);
    };
    auto click = [&](int x) { QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(x, y)); };
    AnswerLanguage(p, Lang::Deutsch, true);

    moveTo(overLanguage);
    moveTo(overInterface);
    EXPECT_EQ(bar->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(main().StatusBarHotPanel, "");
    click(overInterface);
    EXPECT_EQ(p.frmNyelv->timesShown(), 0);

    moveTo(overLanguage);
    EXPECT_EQ(bar->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(main().StatusBarHotPanel, "Nyelv");
    QTest::mouseClick(bar, Qt::RightButton, {}, QPoint(overLanguage, y));
    EXPECT_EQ(p.frmNyelv->timesShown(), 0);
    click(overLanguage);
    EXPECT_EQ(p.frmNyelv->timesShown(), 1);
    EXPECT_EQ(main().statusPanel(0)->text(), "Sprache: Deutsch");
    EXPECT_TRUE(ReadSettings().contains("Language=German"));
}

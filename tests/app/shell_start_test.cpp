#include <QImageReader>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include "app/Szovegek.h"
#include "shell_fixture.h"
#include "ui_KonfigPage.h"
#include "ui_Main.h"
#include "ui_Nyelv.h"
#include "ui_ProgramPage.h"
#include "ui_RdmPage.h"

namespace {

const QByteArray EnglishIni =
    "[Setup]\nLanguage=English\nUSB=2\nINTERFACE=USB\nIP=0.0.0.0\nMASK=255.255.255.255\n";

bool tabShown(QTabWidget* nb, QWidget* page) {
    return nb->isTabVisible(nb->indexOf(page));
}

} // namespace

using Start = ShellTest;

TEST_F(Start, BrandFlagsDecideStepModeBrightnessAndTheDemoButton) {
    struct Case {
        uint8_t flags;
        bool step, brightness, demo;
        int discoveryWidth;
    };
    for (const Case c : {Case{4, false, false, true, 169}, Case{7, true, true, true, 169},
                         Case{3, true, true, false, 241}, Case{0, false, false, false, 241}}) {
        writeIni(EnglishIni);
        start();
        main().BrandRow.flags = c.flags;
        main().show();
        main().FormActivate();
        // (The pages that hold them need not be showing.)
        EXPECT_EQ(!main().prgUi->cbStep->isHidden(), c.step) << int(c.flags);
        EXPECT_EQ(!main().konfUi->gbKonfKelvarBrightness->isHidden(), c.brightness) << int(c.flags);
        EXPECT_EQ(!main().rdmUi->btnDemoDisc->isHidden(), c.demo) << int(c.flags);
        EXPECT_EQ(main().rdmUi->btnDiscovery->minimumWidth(), c.discoveryWidth) << int(c.flags);
    }
}

TEST_F(Start, FirstActivationSetsUpTheWindowOnceAndShowsTheRdmPage) {
    writeIni(EnglishIni);
    start();
    main().show();
    EXPECT_FALSE(main().formActivateDone());
    QCoreApplication::processEvents(); // the posted start-up work
    ASSERT_TRUE(main().formActivateDone());

    EXPECT_EQ(main().windowTitle(), "Tamarind v.7.9.9");
    EXPECT_EQ(main().AppDir, dir.path() + "/");
    EXPECT_EQ(main().mainPageCaption(), "RDM");
    EXPECT_EQ(main().UpdatingControls, 0);
    QTabWidget* pcRdm = main().rdmUi->pcRdm;
    EXPECT_EQ(pcRdm->currentWidget(), main().rdmUi->tsReszletek);
    EXPECT_FALSE(tabShown(pcRdm, main().rdmUi->tsSpecial));
    EXPECT_FALSE(tabShown(pcRdm, main().rdmUi->tsRemoteAccess));
    EXPECT_FALSE(tabShown(pcRdm, main().rdmUi->tsLvn24Conf));
    EXPECT_TRUE(tabShown(pcRdm, main().rdmUi->tsErzekelok));
    EXPECT_EQ(main().ui->pcDmxRf->currentIndex(), 0);
    EXPECT_FALSE(tabShown(main().ui->pcDmxRf, main().ui->tsRemCont));
    EXPECT_FALSE(tabShown(main().ui->pcDmxRf, main().ui->tsRemContTrain));
    EXPECT_FALSE(main().ui->mAblakRxDmx->isVisible());
    EXPECT_FALSE(main().ui->mAblakDmxRFSet->isVisible());
    EXPECT_TRUE(main().rdmUi->lRdmProtVerD->toolTip().startsWith(
        "This field contains the version number of the published RDM Standard supported by the device.\r\n"));
    EXPECT_EQ(main().rdmUi->sRdmProtVer->toolTip(), main().rdmUi->lRdmProtVerD->toolTip());
    EXPECT_EQ(main().rdmUi->lRdmProtVerLab->toolTipDuration(), 25000);

    // Activation comes again after every modal dialog; the start-up work does not.
    main().showMainPage("Send");
    main().BrandRow.flags = 0;
    main().activateWindow();
    QCoreApplication::processEvents();
    main().FormActivate();
    EXPECT_EQ(main().mainPageCaption(), "Send");
    EXPECT_FALSE(main().rdmUi->btnDemoDisc->isHidden());
}

TEST_F(Start, StartUpWorkRunsAheadOfNoticesPostedWhileTheProgramWasBuilt) {
    // The first HID scan is such a notice: it must find the settings read and the captions set.
    writeIni(EnglishIni);
    start();
    struct Probe : QObject {
        TfrmMain* w = nullptr;
        int seenDone = -1;
        bool event(QEvent* e) override {
            if (e->type() != QEvent::User) return QObject::event(e);
            seenDone = w->formActivateDone() ? 1 : 0;
            return true;
        }
    } probe;
    probe.w = &main();
    QCoreApplication::postEvent(&probe, new QEvent(QEvent::User));
    main().show();
    QCoreApplication::processEvents();
    EXPECT_EQ(probe.seenDone, 1);
}

TEST_F(Start, MenusKeepTheirDesignStatesAndWindowMenusAreEnabledNotShown) {
    writeIni(EnglishIni);
    start();
    Ui::TfrmMain& ui = *main().ui;
    EXPECT_FALSE(ui.mFileNew->menuAction()->isVisible());
    EXPECT_FALSE(ui.mFileUjKarakt->isVisible());
    EXPECT_FALSE(ui.mFileSave->isVisible());
    EXPECT_FALSE(ui.mFileSave->isEnabled());
    EXPECT_FALSE(ui.mAblakKonfig->isVisible());
    EXPECT_FALSE(ui.mAblakProg->isVisible());
    EXPECT_FALSE(ui.mSetupFirmware->isVisible());
    EXPECT_FALSE(ui.mSetupFirmware->isEnabled());
    EXPECT_TRUE(ui.mFileOpen->isVisible());
    EXPECT_TRUE(ui.mAblakRdm->isVisible());

    ui.mAblakKonfig->setEnabled(false);
    ui.mAblakProg->setEnabled(false);
    ui.mAblakRdm->setEnabled(false);
    main().EnableWindowMenus();
    EXPECT_TRUE(ui.mAblakRdm->isEnabled());
    EXPECT_FALSE(ui.mAblakKonfig->isVisible());
    // A hidden item reads as disabled; shown again it is enabled.
    ui.mAblakKonfig->setVisible(true);
    EXPECT_TRUE(ui.mAblakKonfig->isEnabled());
    ui.mAblakProg->setVisible(true);
    EXPECT_TRUE(ui.mAblakProg->isEnabled());
}

TEST_F(Start, SaveMenuFollowsTheProgramsPageAndLogoMenuGoesBack) {
    writeIni(EnglishIni);
    start().frmMain->FormActivate();
    Ui::TfrmMain& ui = *main().ui;
    main().showMainPage("programok");
    EXPECT_TRUE(ui.mFileSave->isVisible());
    main().showMainPage("Konfiguracio");
    EXPECT_FALSE(ui.mFileSave->isVisible());
    main().showMainPage("Programok");
    ui.mFileSave->setEnabled(true);
    main().tmrRx->start();

    ui.mAblakLogo->trigger();
    EXPECT_EQ(main().mainPageCaption(), "Logo");
    EXPECT_FALSE(ui.mFileSave->isEnabled());
    EXPECT_FALSE(ui.mFileSave->isVisible());
    EXPECT_FALSE(main().tmrRx->isActive());
}

TEST_F(Start, WatchdogLeavesTheRdmPageButReplacesAnyOtherByTheLogo) {
    writeIni(EnglishIni);
    start().frmMain->FormActivate();
    auto arm = [&] {
        tLineState& s = main().LineState;
        s.InputSignalFlag = 1;
        s.ReceiverKindKnown = 1;
        s.DetectFrameCount = 30;
        s.LedDriverHits = 12;
        s.DmxFrame.fill(0x55);
        main().ShowLineStatus();
        main().tmrDmxSzunVizsg->start();
    };

    arm();
    EXPECT_EQ(main().statusPanel(3)->text(), "DMX line: Input signal");
    main().tmrDmxSzunVizsgTimer();
    EXPECT_EQ(main().mainPageCaption(), "RDM");
    EXPECT_FALSE(main().tmrDmxSzunVizsg->isActive());
    const tLineState& s = main().LineState;
    EXPECT_EQ(s.InputSignalFlag, 0);
    EXPECT_EQ(s.ReceiverKindKnown, 0);
    EXPECT_EQ(s.DetectFrameCount, 0u);
    EXPECT_EQ(s.LedDriverHits, 0u);
    EXPECT_TRUE(std::all_of(s.DmxFrame.begin(), s.DmxFrame.end(), [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(main().statusPanel(3)->text(), "DMX line: Idle");

    for (const char* page : {"RxDmx", "Send", "Logo"}) {
        arm();
        main().showMainPage(page);
        main().tmrDmxSzunVizsgTimer();
        EXPECT_EQ(main().mainPageCaption(), "Logo") << page;
    }
}

TEST_F(Start, GridCellsCarryTheirChannelNumbersAndTheMapStartsFree) {
    writeIni(EnglishIni);
    start();
    QTableWidget* grid = main().rdmUi->StringGrid1;
    grid->setItem(23, 10, new QTableWidgetItem("x"));
    main().DmxChannelMap[7] = {0x808080, 3};
    main().InitDmxMapGrid();

    auto cell = [&](int c, int r) { return grid->item(r, c) ? grid->item(r, c)->text() : QString(); };
    EXPECT_EQ(cell(0, 0), "1");
    EXPECT_EQ(cell(21, 0), "22");
    EXPECT_EQ(cell(0, 1), "23");
    EXPECT_EQ(cell(5, 23), "512");
    for (int c = 6; c <= 21; ++c) {
        if (c != 10) {
            EXPECT_EQ(cell(c, 23), "") << c;
        }
    }
    EXPECT_EQ(cell(10, 23), "x"); // cells past channel 512 keep their text
    for (const tDmxChannel& ch : main().DmxChannelMap)
        EXPECT_EQ(ch.colour, 0xFFFFFFu);
    EXPECT_EQ(main().DmxChannelMap[7].device, 3); // device numbers are not touched
}

TEST_F(Start, LogoPagesShowTheBrandsJpegPicturesAndTheBrandsPageIsChosen) {
    EXPECT_TRUE(QImageReader::supportedImageFormats().contains("jpeg"));
    writeIni(EnglishIni);
    start();
    Ui::TfrmMain& ui = *main().ui;
    for (QLabel* img : {ui.imgOrvamatic, ui.imgPellmor, ui.imgQuillon}) {
        ASSERT_FALSE(img->pixmap().isNull()) << img->objectName().toStdString();
        EXPECT_GT(img->pixmap().width(), 100);
    }
    main().BrandRow.name = "QUILLON";
    main().resize(1000, 700);
    main().show();
    main().FormActivate();
    EXPECT_EQ(ui.nbLogo->currentWidget(), ui.pgLogoQuillon);

    // nbLogo sits in the middle of the page.
    main().showMainPage("Logo");
    QCoreApplication::processEvents();
    const QRect page = ui.pgLogo->rect();
    const QRect logo = ui.nbLogo->geometry();
    EXPECT_LE(std::abs(logo.center().x() - page.center().x()), 1);
    EXPECT_LE(std::abs(logo.center().y() - page.center().y()), 1);
}

TEST_F(Start, ExitMenuClosesTheWindow) {
    writeIni(EnglishIni);
    start();
    main().show();
    QCoreApplication::processEvents();
    ASSERT_TRUE(main().isVisible());
    main().ui->mExit->trigger();
    EXPECT_FALSE(main().isVisible());
}

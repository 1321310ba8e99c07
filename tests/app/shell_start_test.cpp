#include <QImageReader>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include "app/Info.h"
#include "shell_fixture.h"
#include "ui_Info.h"
#include "ui_KonfigPage.h"
#include "ui_Main.h"
#include "ui_ProgramPage.h"

namespace {
bool tabShown(QTabWidget* nb, QWidget* page) {
    return nb->isTabVisible(nb->indexOf(page));
}
} // namespace

using Start = ShellTest;

TEST_F(Start, BrandFlagsDecideStepModeBrightnessAndTheDemoButton) {
    // flags, then whether cbStep, the brightness box and the demo button show, and the discovery width.
    for (auto [flags, step, brightness, demo, width] : {std::tuple{4, false, false, true, 169},
                                                        {7, true, true, true, 169},
                                                        {1, true, false, false, 241},
                                                        {2, false, true, false, 241},
                                                        {0, false, false, false, 241}}) {
        SCOPED_TRACE(flags);
        WriteSettings("[Setup]\nLanguage=English\n");
        start();
        main().BrandRow.flags = flags;
        main().show();
        main().FormActivate();
        // (The pages that hold them need not be showing.)
        EXPECT_EQ(!main().prgUi->cbStep->isHidden(), step);
        EXPECT_EQ(!main().konfUi->gbKonfKelvarBrightness->isHidden(), brightness);
        EXPECT_EQ(!main().rdmUi->btnDemoDisc->isHidden(), demo);
        EXPECT_EQ(main().rdmUi->btnDiscovery->minimumWidth(), width);
    }
}

TEST_F(Start, FirstActivationSetsUpTheWindowOnceAheadOfEarlierNotices) {
    WriteSettings("[Setup]\nLanguage=English\n");
    start();
    // The first HID scan is a notice posted while the program was built: it must find the
    // settings read and the captions set.
    int seenDone = -1;
    QTimer::singleShot(0, &main(), [&] { seenDone = main().formActivateDone(); });
    main().show();
    EXPECT_FALSE(main().formActivateDone());
    QCoreApplication::processEvents();
    ASSERT_TRUE(main().formActivateDone());
    EXPECT_EQ(seenDone, 1);

    TfrmMain& w = main();
    EXPECT_EQ(w.windowTitle(), "Tamarind v.7.9.9");
    EXPECT_EQ(w.AppDir, dir.path() + "/");
    EXPECT_EQ(w.mainPageCaption(), "RDM");
    EXPECT_EQ(w.rdmUi->pcRdm->currentWidget(), w.rdmUi->tsReszletek);
    for (QWidget* hidden : {w.rdmUi->tsSpecial, w.rdmUi->tsRemoteAccess, w.rdmUi->tsLvn24Conf})
        EXPECT_FALSE(tabShown(w.rdmUi->pcRdm, hidden)) << hidden->objectName().toStdString();
    EXPECT_TRUE(tabShown(w.rdmUi->pcRdm, w.rdmUi->tsErzekelok));
    EXPECT_FALSE(tabShown(w.ui->pcDmxRf, w.ui->tsRemCont));
    EXPECT_FALSE(tabShown(w.ui->pcDmxRf, w.ui->tsRemContTrain));
    EXPECT_FALSE(w.ui->mAblakRxDmx->isVisible());
    EXPECT_TRUE(w.rdmUi->lRdmProtVerD->toolTip().startsWith("This field contains the version number"));
    EXPECT_EQ(w.rdmUi->sRdmProtVer->toolTip(), w.rdmUi->lRdmProtVerD->toolTip());

    // Activation comes again after every modal dialog; the start-up work does not.
    w.showMainPage("Send");
    w.BrandRow.flags = 0;
    w.activateWindow();
    QCoreApplication::processEvents();
    w.FormActivate();
    EXPECT_EQ(w.mainPageCaption(), "Send");
    EXPECT_FALSE(w.rdmUi->btnDemoDisc->isHidden());
}

TEST_F(Start, PagesAreChosenByCaptionAndMenusFollowThem) {
    startEnglish();
    Ui::TfrmMain& ui = *main().ui;
    const QStringList pages{"Logo", "Send", "Programok", "Konfiguracio", "RDM", "RxDmx", "RfDMXRx"};
    ASSERT_EQ(ui.nbMain->count(), pages.size());
    for (int i = 0; i < pages.size(); ++i)
        EXPECT_EQ(ui.nbMain->tabText(i), pages[i]);
    EXPECT_EQ(main().rdmUi->pcRdm->count(), 7);
    EXPECT_TRUE(main().showMainPage("rfdmxrx"));
    EXPECT_FALSE(main().showMainPage("Karakterisztika"));
    EXPECT_EQ(main().mainPageCaption(), "RfDMXRx");

    for (QAction* hidden :
         {ui.mFileNew->menuAction(), ui.mFileUjKarakt, ui.mFileSave, ui.mAblakKonfig, ui.mSetupFirmware})
        EXPECT_FALSE(hidden->isVisible()) << hidden->objectName().toStdString();
    EXPECT_FALSE(ui.mSetupFirmware->isEnabled());

    // Window menus are enabled, not shown; a hidden item reads as disabled until shown.
    ui.mAblakKonfig->setEnabled(false);
    ui.mAblakRdm->setEnabled(false);
    main().EnableWindowMenus();
    EXPECT_TRUE(ui.mAblakRdm->isEnabled());
    ui.mAblakKonfig->setVisible(true);
    EXPECT_TRUE(ui.mAblakKonfig->isEnabled());

    // Save follows the programs page; the logo menu goes back and stops the receiver.
    EXPECT_TRUE(main().showMainPage("programok"));
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

    main().show();
    ui.mExit->trigger();
    EXPECT_FALSE(main().isVisible());
}

TEST_F(Start, WatchdogLeavesTheRdmPageButReplacesAnyOtherByTheLogo) {
    startEnglish();
    tLineState& s = main().LineState;
    for (const char* page : {"RDM", "RxDmx", "Send", "Logo"}) {
        SCOPED_TRACE(page);
        s.InputSignalFlag = 1;
        s.ReceiverKindKnown = 1;
        s.DetectFrameCount = 30;
        s.LedDriverHits = 12;
        s.DmxFrame.fill(0x55);
        main().ShowLineStatus();
        main().tmrDmxSzunVizsg->start();
        main().showMainPage(page);
        main().tmrDmxSzunVizsgTimer();

        EXPECT_EQ(main().mainPageCaption(), page == QLatin1String("RDM") ? "RDM" : "Logo");
        EXPECT_FALSE(main().tmrDmxSzunVizsg->isActive());
        EXPECT_EQ(s.InputSignalFlag + s.ReceiverKindKnown + s.DetectFrameCount + s.LedDriverHits, 0u);
        EXPECT_TRUE(std::all_of(s.DmxFrame.begin(), s.DmxFrame.end(), [](uint8_t b) { return b == 0; }));
        EXPECT_EQ(main().statusPanel(3)->text(), "DMX line: Idle");
    }
}

TEST_F(Start, GridCellsCarryTheirChannelNumbersAndTheMapStartsFree) {
    start();
    QTableWidget* grid = main().rdmUi->StringGrid1;
    grid->setItem(23, 10, new QTableWidgetItem("x"));
    main().DmxChannelMap[7] = {0x808080, 3};
    main().InitDmxMapGrid();

    auto cell = [&](int c, int r) { return grid->item(r, c) ? grid->item(r, c)->text() : QString(); };
    // Cells past channel 512 keep their text.
    for (auto [c, r, text] : {std::tuple{0, 0, "1"},
                              {21, 0, "22"},
                              {0, 1, "23"},
                              {5, 23, "512"},
                              {6, 23, ""},
                              {21, 23, ""},
                              {10, 23, "x"}})
        EXPECT_EQ(cell(c, r), text) << c << "," << r;
    for (const tDmxChannel& ch : main().DmxChannelMap)
        EXPECT_EQ(ch.colour, 0xFFFFFFu);
    EXPECT_EQ(main().DmxChannelMap[7].device, 3); // device numbers are not touched
}

TEST_F(Start, LogoPagesShowTheBrandsJpegPicturesAndTheBrandsPageIsChosen) {
    EXPECT_TRUE(QImageReader::supportedImageFormats().contains("jpeg"));
    WriteSettings("[Setup]\nLanguage=English\n");
    start();
    Ui::TfrmMain& ui = *main().ui;
    for (QLabel* img : {ui.imgOrvamatic, ui.imgPellmor, ui.imgQuillon})
        EXPECT_GT(img->pixmap().width(), 100) << img->objectName().toStdString();
    main().BrandRow.name = "QUILLON";
    main().resize(1000, 700);
    main().show();
    main().FormActivate();
    EXPECT_EQ(ui.nbLogo->currentWidget(), ui.pgLogoQuillon);

    // nbLogo sits in the middle of the page.
    main().showMainPage("Logo");
    QCoreApplication::processEvents();
    EXPECT_LE((ui.nbLogo->geometry().center() - ui.pgLogo->rect().center()).manhattanLength(), 2);
}

// Hints stay up 25 s wherever they are: on the main window's controls, on
// the repeated squares of the program grid, in a dialog, and on a control
// made after the start.
TEST_F(Start, EveryHintStaysUpTwentyFiveSeconds) {
    Program& p = startEnglish();
    TfrmInfo& info = *p.frmInfo;
    auto* late = new QLabel("later", &info);
    late->setToolTip("a hint");
    info.setAnswerer([](TModalDialog&) {});
    info.ShowModal();
    const struct {
        const char* name;
        QWidget* widget;
    } rows[] = {
        {"discovery button", main().rdmUi->btnDiscovery},
        {"send page file name", main().findChild<QWidget*>("lFajlAdat")},
        {"program grid square", main().findChild<QWidget*>("Shape_01_01")},
        {"info dialog line", info.ui->lSor1},
        {"made after the start", late},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_NE(row.widget, nullptr);
        EXPECT_EQ(row.widget->toolTipDuration(), 25000);
    }
}

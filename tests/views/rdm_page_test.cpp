#include "views_fixture.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QPlainTextEdit>

#include "app/Notebook.h"
#include "support/log_access.h"
#include "views/PageLog.h"

using RdmPage = ViewsTest;

// The device kind picks the Special tab's page and buttons, or the LVN24 tab; a hidden Special tab hands the
// page over to the details tab, and kinds without a page leave the notebook as it was.
TEST_F(RdmPage, KindSelectsTheSpecialPageAndTabs) {
    const int node = AddDevice([](tRdmDevice&) {});
    view->RdmCurrentNode() = uint16_t(node);
    QTabWidget* pc = ui->pcRdm;
    const auto* pages = w->findChild<QTabWidget*>("nbRdmSpecial");
    const auto* send = w->findChild<QWidget*>("btnRdmSendSpec");
    const auto* config = w->findChild<QWidget*>("btnRdmGetConf");
    const auto* programs = w->findChild<QWidget*>("btnRdmGetPrg");
    ASSERT_TRUE(pages && send && config && programs);
    struct Row {
        uint8_t kind;
        bool special, lvn;
        const char* page;
        bool sendAndPrograms;
    };
    const Row rows[] = {{3, true, false, "Q9Root", false}, {1, true, false, "Kelvar", true},
                        {4, true, false, "Q9Sub", true},   {2, true, false, "Q7", true},
                        {7, true, false, "Q7", true},      {12, true, false, "Q7", true},
                        {6, false, true, "Q7", false},     {5, false, false, "Q7", false}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.kind);
        if (pc->isTabVisible(pc->indexOf(ui->tsSpecial))) pc->setCurrentWidget(ui->tsSpecial);
        view->RecordAt(node)->DeviceKind = r.kind;
        view->ShowDeviceSpecialPage();
        EXPECT_EQ(pc->isTabVisible(pc->indexOf(ui->tsSpecial)), r.special);
        EXPECT_EQ(pc->isTabVisible(pc->indexOf(ui->tsLvn24Conf)), r.lvn);
        EXPECT_EQ(pc->currentWidget(), r.special ? ui->tsSpecial : ui->tsReszletek);
        EXPECT_EQ(ActivePageCaption(pages), r.page);
        if (!r.special) continue;
        EXPECT_EQ(!send->isHidden(), r.sendAndPrograms);
        EXPECT_EQ(!programs->isHidden(), r.sendAndPrograms);
        EXPECT_FALSE(config->isHidden());
    }
}

TEST_F(RdmPage, WindowMenuShowsThePage) {
    w->showMainPage("Logo");
    w->findChild<QAction*>("mAblakRdm")->trigger();
    EXPECT_EQ(w->mainPageCaption(), "RDM");
}

TEST_F(RdmPage, LogsDetailLinesAndClearButtons) {
    view->AddDetailLine("ask: DEVICE_INFO");
    EXPECT_TRUE(DeviceLogText(w).isEmpty());
    ui->cbReszl->setChecked(true);
    view->AddDetailLine("ask: DEVICE_INFO");
    EXPECT_EQ(DeviceLogText(w), "ask: DEVICE_INFO");
    QTest::mouseClick(ui->btnClrTortenet, Qt::LeftButton);
    EXPECT_TRUE(DeviceLogText(w).isEmpty());
    // Escape empties it too while the page shows.
    view->AddDeviceListLine("line");
    w->show();
    w->showMainPage("RDM");
    QApplication::setActiveWindow(w);
    ui->tvDeviceList->setFocus();
    QTest::keyClick(ui->tvDeviceList, Qt::Key_Escape);
    EXPECT_TRUE(DeviceLogText(w).isEmpty());
    // The debug log and the repeated-discovery controls stay hidden.
    view->debugLog->Add("40 68 1A ");
    view->bclrDebugClick();
    EXPECT_TRUE(DebugLogText(w).isEmpty());
    for (const QWidget* c :
         std::initializer_list<const QWidget*>{ui->mDebug, ui->bclrDebug, ui->cbTestAutoDisc, ui->lAutoDisc})
        EXPECT_TRUE(c->isHidden()) << c->objectName().toStdString();
}

// Every caption of the two parameter tabs fits its control in each language, at the window's own size, with
// the longest values the demo devices show.
TEST_F(RdmPage, NothingIsClippedInAnyLanguage) {
    w->show();
    QCoreApplication::processEvents();
    w->showMainPage("RDM");
    view->btnDemoDiscClick();
    for (const QString language : {"English", "Hungarian", "German"}) {
        w->LanguageName = language;
        w->ApplyLanguage();
        for (int node : {2, 7, 8}) {
            view->ShowDeviceDetails(node);
            for (QWidget* tab : {ui->tsReszletek, ui->tsKonfiguracio}) {
                ui->pcRdm->setCurrentWidget(tab);
                QCoreApplication::processEvents();
                for (QWidget* c : tab->findChildren<QWidget*>()) {
                    if (!c->isVisible() || !(qobject_cast<QAbstractButton*>(c) || qobject_cast<QLabel*>(c)))
                        continue;
                    EXPECT_GE(c->width(), c->minimumSizeHint().width())
                        << language.toStdString() << " " << c->objectName().toStdString();
                }
            }
        }
    }
}

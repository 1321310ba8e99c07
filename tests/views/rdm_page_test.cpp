#include "views_fixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>

#include "app/Notebook.h"
#include <QPushButton>

using RdmPage = ViewsTest;

namespace {
QWidget* Find(TfrmMain& w, const char* name) {
    QWidget* c = w.findChild<QWidget*>(name);
    EXPECT_NE(c, nullptr) << name;
    return c;
}
} // namespace

TEST_F(RdmPage, KindSelectsTheSpecialPageAndTabs) {
    const int node = AddDevice([](tRdmDevice& r) { r.DeviceKind = 6; });
    QTabWidget* pc = ui.pcRdm;
    const int special = pc->indexOf(ui.tsSpecial), lvn = pc->indexOf(ui.tsLvn24Conf);

    view.RdmCurrentNode() = uint16_t(node);
    view.RecordAt(node)->DeviceKind = 3;
    view.ShowDeviceSpecialPage();
    EXPECT_TRUE(pc->isTabVisible(special));
    EXPECT_FALSE(pc->isTabVisible(lvn));
    EXPECT_EQ(ActivePageCaption(w.findChild<QTabWidget*>("nbRdmSpecial")), "Q9Root");
    EXPECT_TRUE(Find(w, "btnRdmSendSpec")->isHidden());
    EXPECT_FALSE(Find(w, "btnRdmGetConf")->isHidden());
    EXPECT_TRUE(Find(w, "btnRdmGetPrg")->isHidden());

    pc->setCurrentWidget(ui.tsSpecial);
    view.RecordAt(node)->DeviceKind = 6;
    view.ShowDeviceSpecialPage();
    EXPECT_FALSE(pc->isTabVisible(special));
    EXPECT_TRUE(pc->isTabVisible(lvn));
    EXPECT_EQ(pc->currentWidget(), ui.tsReszletek) << "the details tab replaces a hidden Special tab";
    EXPECT_EQ(ActivePageCaption(w.findChild<QTabWidget*>("nbRdmSpecial")), "Q9Root")
        << "kind 6 leaves the page as it was";

    for (uint8_t kind : {2, 7, 12}) {
        view.RecordAt(node)->DeviceKind = kind;
        view.ShowDeviceSpecialPage();
        EXPECT_EQ(ActivePageCaption(w.findChild<QTabWidget*>("nbRdmSpecial")), "Q7");
        EXPECT_FALSE(Find(w, "btnRdmGetPrg")->isHidden());
    }
    view.RecordAt(node)->DeviceKind = 5;
    view.ShowDeviceSpecialPage();
    EXPECT_FALSE(pc->isTabVisible(special));
    EXPECT_FALSE(pc->isTabVisible(lvn));
}

TEST_F(RdmPage, WindowMenuShowsThePage) {
    w.showMainPage("Logo");
    w.findChild<QAction*>("mAblakRdm")->trigger();
    EXPECT_EQ(w.mainPageCaption(), "RDM");
}

TEST_F(RdmPage, LogsDetailLinesAndClearButtons) {
    view.AddDetailLine("ask: DEVICE_INFO");
    EXPECT_TRUE(ui.mDeviceList->toPlainText().isEmpty());
    ui.cbReszl->setChecked(true);
    view.AddDetailLine("ask: DEVICE_INFO");
    EXPECT_EQ(ui.mDeviceList->toPlainText(), "ask: DEVICE_INFO");
    QTest::mouseClick(ui.btnClrTortenet, Qt::LeftButton);
    EXPECT_TRUE(ui.mDeviceList->toPlainText().isEmpty());
    // Escape empties it too while the page shows.
    view.AddDeviceListLine("line");
    w.show();
    w.showMainPage("RDM");
    QApplication::setActiveWindow(&w);
    ui.tvDeviceList->setFocus();
    QTest::keyClick(ui.tvDeviceList, Qt::Key_Escape);
    EXPECT_TRUE(ui.mDeviceList->toPlainText().isEmpty());
    ui.mDebug->appendPlainText("40 68 1A ");
    view.bclrDebugClick();
    EXPECT_TRUE(ui.mDebug->toPlainText().isEmpty());
    EXPECT_TRUE(ui.mDebug->isHidden());
    EXPECT_TRUE(ui.bclrDebug->isHidden());
    EXPECT_TRUE(ui.cbTestAutoDisc->isHidden());
    EXPECT_TRUE(ui.lAutoDisc->isHidden());
}

TEST_F(RdmPage, ClickWhileARunIsOnOnlyShowsTheNode) {
    const int node = AddDevice([](tRdmDevice& r) { r.modelDescription = "X"; });
    view.RdmCurrentNode() = 0;
    view.DiscoveryRunning = true;
    ui.btnDiscovery->setEnabled(false);
    ui.tvDeviceList->setCurrentItem(NodeAt(ui.tvDeviceList, node));
    view.tvDeviceListClick();
    EXPECT_EQ(view.RdmCurrentNode(), 0) << "the scan's cursor stays where it is";
    EXPECT_EQ(ui.lUidD->text(), "7FF3:00000001");
    view.DiscoveryRunning = false;
    view.tvDeviceListClick();
    EXPECT_EQ(view.RdmCurrentNode(), node);
    // Nothing selected: nothing happens.
    ui.tvDeviceList->clearSelection();
    view.RdmCurrentNode() = 0;
    view.tvDeviceListClick();
    EXPECT_EQ(view.RdmCurrentNode(), 0);
}

// Every caption of the two parameter tabs fits its control in each language,
// at the window's own size, with the longest values the demo devices show.
TEST(RdmPageLayout, NothingIsClippedInAnyLanguage) {
    QTemporaryDir dir;
    QFile ini(QDir(dir.path()).filePath("Tamarind.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Setup]\nLanguage=English\nUSB=2\nINTERFACE=USB\nIP=0.0.0.0\nMASK=255.255.255.0\n");
    ini.close();
    Program program{ProgramOptions{dir.path(), {}}};
    TfrmMain& w = *program.frmMain;
    w.show();
    QCoreApplication::processEvents();
    w.showMainPage("RDM");
    w.rdmView->btnDemoDiscClick();
    for (const QString language : {"English", "Hungarian", "German"}) {
        w.LanguageName = language;
        w.ApplyLanguage();
        for (int node : {2, 7, 8}) {
            w.rdmView->ShowDeviceDetails(node);
            for (QWidget* tab : {w.rdmUi->tsReszletek, w.rdmUi->tsKonfiguracio}) {
                w.rdmUi->pcRdm->setCurrentWidget(tab);
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

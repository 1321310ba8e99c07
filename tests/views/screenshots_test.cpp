#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTabWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "app/Main.h"
#include "app/Program.h"
#include "ui_RdmPage.h"
#include "views/RdmPageView.h"

// Writes pictures of the RDM page into the folder named by TAMARIND_SCREENSHOTS
// (the README's pictures are made this way); without it the test does nothing.
TEST(Screenshots, RdmPage) {
    const QString dir = qEnvironmentVariable("TAMARIND_SCREENSHOTS");
    if (dir.isEmpty()) GTEST_SKIP() << "TAMARIND_SCREENSHOTS not set";
    QTemporaryDir app;
    QFile ini(QDir(app.path()).filePath("Tamarind.ini"));
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[Setup]\nLanguage=English\nUSB=2\nINTERFACE=USB\nIP=0.0.0.0\nMASK=255.255.255.0\n");
    ini.close();
    Program program{ProgramOptions{app.path(), {}}};
    TfrmMain& w = *program.frmMain;
    w.resize(1100, 720);
    w.show();
    QCoreApplication::processEvents();
    w.showMainPage("RDM");
    w.rdmView->btnDemoDiscClick();
    for (const QString language : {"English", "Hungarian", "German"}) {
        w.LanguageName = language;
        w.ApplyLanguage();
        for (int node : {7, 8}) {
            w.rdmUi->tvDeviceList->setCurrentItem(nullptr);
            w.rdmView->RdmCurrentNode() = uint16_t(node);
            w.rdmView->ShowDeviceDetails(node);
            const int tab = node == 7 ? 0 : 1;
            w.rdmUi->pcRdm->setCurrentIndex(tab);
            QCoreApplication::processEvents();
            EXPECT_TRUE(
                w.grab().save(QDir(dir).filePath(QString("rdm-%1-tab%2.png").arg(language).arg(tab))));
            if (language == "English" && tab == 0) {
                EXPECT_TRUE(w.grab().save(QDir(dir).filePath("rdm-demo.png")));
            }
        }
    }
}

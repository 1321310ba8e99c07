#include <QCoreApplication>
#include <QDir>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include "app/Main.h"
#include "app/Program.h"
#include "ui_RdmPage.h"

// Writes pictures of the RDM page into the folder named by TAMARIND_SCREENSHOTS
// (the README's pictures are made this way); without it the test does nothing.
TEST(Screenshots, RdmPage) {
    const QString dir = qEnvironmentVariable("TAMARIND_SCREENSHOTS");
    if (dir.isEmpty()) GTEST_SKIP() << "TAMARIND_SCREENSHOTS not set";
    Program program;
    TfrmMain& w = *program.frmMain;
    w.resize(1100, 720);
    w.show();
    w.showMainPage("RDM");
    for (int tab = 0; tab < 2; ++tab) {
        w.rdmUi->pcRdm->setCurrentIndex(tab);
        QCoreApplication::processEvents();
        EXPECT_TRUE(w.grab().save(QDir(dir).filePath(QString("rdm-tab%1.png").arg(tab))));
    }
}

#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

#include "app/Main.h"
#include "app/Notebook.h"
#include "app/Program.h"
#include "ui_Main.h"
#include "ui_RdmPage.h"

TEST(Notebook, SelectsByCaptionIgnoringCaseAndKeepsPageOnUnknownCaption) {
    Program program;
    TfrmMain& w = *program.frmMain;
    EXPECT_TRUE(w.showMainPage("rdm"));
    EXPECT_EQ(w.mainPageCaption(), "RDM");
    EXPECT_TRUE(w.showMainPage("RfDmxRx"));
    EXPECT_EQ(w.mainPageCaption(), "RfDMXRx");
    EXPECT_FALSE(w.showMainPage("Karakterisztika"));
    EXPECT_EQ(w.mainPageCaption(), "RfDMXRx");
}

TEST(Notebook, MainWindowHasItsPagesInOrder) {
    Program program;
    QTabWidget* nb = program.frmMain->ui->nbMain;
    const QStringList expected{"Logo", "Send", "Programok", "Konfiguracio", "RDM", "RxDmx", "RfDMXRx"};
    ASSERT_EQ(nb->count(), expected.size());
    for (int i = 0; i < nb->count(); ++i) EXPECT_EQ(nb->tabText(i), expected[i]);
    EXPECT_NE(program.frmMain->findChild<QWidget*>("btnDiscovery"), nullptr);
    EXPECT_NE(program.frmMain->findChild<QWidget*>("cbStep"), nullptr);
    EXPECT_NE(program.frmMain->findChild<QWidget*>("gbKonfKelvarBrightness"), nullptr);
    EXPECT_EQ(program.frmMain->rdmUi->pcRdm->count(), 7);
}

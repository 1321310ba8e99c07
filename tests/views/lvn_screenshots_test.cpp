#include <QDir>

#include "lvn_fixture.h"
#include "views/PageLog.h"

// Writes the pictures of the decoder tab and its personality dialog, after a
// read from the simulated decoder, into the folder named by
// TAMARIND_SCREENSHOTS; without it the test does nothing.
TEST_F(LvnTest, Screenshots) {
    const QString out = qEnvironmentVariable("TAMARIND_SCREENSHOTS");
    if (out.isEmpty()) GTEST_SKIP() << "TAMARIND_SCREENSHOTS not set";
    WriteDeviceConfig(memory);
    memory.PutByte(192 + 34 + 2, 2); // the third slot of the first personality strobes
    w->resize(1100, 720);
    DiscoverAndSelect();
    Get();
    w->rdmView->deviceLog->Flush();
    QCoreApplication::processEvents();
    EXPECT_TRUE(w->grab().save(QDir(out).filePath("lvn24-config-tab.png")));
    dlg->setAnswerer([&](TModalDialog& d) {
        Dlg<QScrollBar>("sbPersChs"); // the dialog is up
        QCoreApplication::processEvents();
        EXPECT_TRUE(d.grab().save(QDir(out).filePath("lvn24-personality-dialog.png")));
    });
    page->ui->btnPersSettings->click();
}

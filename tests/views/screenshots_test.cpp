#include "views_fixture.h"

#include "support/log_access.h"
#include <QCoreApplication>

using Screenshots = ViewsTest;

// Writes the README's picture of the RDM page with the demo devices into the folder named by
// TAMARIND_SCREENSHOTS; without it the test does nothing.
TEST_F(Screenshots, RdmPage) {
    const QString out = qEnvironmentVariable("TAMARIND_SCREENSHOTS");
    if (out.isEmpty()) GTEST_SKIP() << "TAMARIND_SCREENSHOTS not set";
    w.resize(1100, 720);
    w.show();
    w.showMainPage("RDM");
    view.btnDemoDiscClick();
    view.RdmCurrentNode() = 7;
    view.ShowDeviceDetails(7);
    ui.pcRdm->setCurrentWidget(ui.tsReszletek);
    QCoreApplication::processEvents();
    DeviceLogText(&w); // the log's memo catches up before the picture
    EXPECT_TRUE(w.grab().save(QDir(out).filePath("rdm-demo.png")));
}

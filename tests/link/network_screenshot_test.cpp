#include <QCoreApplication>
#include <QDir>

#include "network_fixture.h"

// Writes a picture of the setup dialog listing simulated network interfaces
// into the folder named by TAMARIND_SCREENSHOTS; without it the test does nothing.
TEST_F(NetworkTest, ScreenshotOfTheDialogListingInterfaces) {
    const QString folder = qEnvironmentVariable("TAMARIND_SCREENSHOTS");
    if (folder.isEmpty()) GTEST_SKIP() << "TAMARIND_SCREENSHOTS not set";
    Listen();
    SimNetworkInterface sim(FreeUdpPort());
    Announce(sim, 1);
    sim.identity = {0x00A3F10C, 0x66, "Truss left", 2, 1, 24, 11, 5, 1};
    Announce(sim, 2);
    dlg().adjustSize();
    QCoreApplication::processEvents();
    EXPECT_TRUE(dlg().grab().save(QDir(folder).filePath("network-interfaces.png")));
}

#include <QDir>

#include "files_fixture.h"

// Writes pictures of the page "Send" into the folder named by
// TAMARIND_SCREENSHOTS (the documentation's pictures are made this way);
// without it the test does nothing.
class SendPageScreenshots : public FilesTest {
protected:
    void SetUp() override {
        folder = qEnvironmentVariable("TAMARIND_SCREENSHOTS");
        if (folder.isEmpty()) GTEST_SKIP() << "TAMARIND_SCREENSHOTS not set";
        FilesTest::SetUp();
        w->resize(1000, 700);
    }
    void Grab(const char* name) {
        QCoreApplication::processEvents();
        EXPECT_TRUE(w->grab().save(QDir(folder).filePath(name)));
    }
    QString folder;
};

TEST_F(SendPageScreenshots, FirmwareAndLogo) {
    Plug(1);
    ASSERT_TRUE(QDir(dir.path()).mkpath("firmware/interface"));
    Open(Write("firmware/interface/usb-dmx-interface-v2.13.dmx", FirmwareFile(0x0B, 120)));
    ASSERT_EQ(page->FirmwareMatches, 1);
    Grab("send-firmware.png");

    // A ring with a bar through it.
    Open(Write("logo.bmp", Bmp(200, 120, [](int x, int y) {
                   const int dx = x - 100, dy = y - 60, r2 = dx * dx + dy * dy;
                   return (r2 < 55 * 55 && r2 > 42 * 42) || (y > 54 && y < 66 && x > 20 && x < 180);
               })));
    Grab("send-logo.png");
}

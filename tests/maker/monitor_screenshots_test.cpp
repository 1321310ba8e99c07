// Writes pictures of the received-DMX and RF-DMX pages into the folder named
// by TAMARIND_SCREENSHOTS (the documentation's pictures are made this way);
// without it the tests do nothing.
#include <QCoreApplication>
#include <QDir>
#include <QTabWidget>

#include "monitor_fixture.h"

class MonitorScreenshots : public MonitorTest {
protected:
    void SetUp() override {
        folder = qEnvironmentVariable("TAMARIND_SCREENSHOTS");
        if (folder.isEmpty()) GTEST_SKIP() << "TAMARIND_SCREENSHOTS not set";
        MonitorTest::SetUp();
        w->resize(1024, 720);
    }
    void Save(QWidget& widget, const char* name) {
        QCoreApplication::processEvents();
        EXPECT_TRUE(widget.grab().save(QDir(folder).filePath(name)));
    }
    QString folder;
};

TEST_F(MonitorScreenshots, PlainSenderAndController) {
    Plug(0);
    // A sender fading its channels from one end of the line to the other.
    std::vector<uint8_t> frame(513);
    for (size_t n = 1; n < frame.size(); ++n)
        frame[n] = uint8_t((n * 255) / 512);
    // Ten RGB fixtures on the first 30 channels.
    for (int i = 0; i < 10; ++i) {
        const QColor c = QColor::fromHsv(i * 36, 255, 255);
        frame[size_t(3 * i + 1)] = uint8_t(c.red());
        frame[size_t(3 * i + 2)] = uint8_t(c.green());
        frame[size_t(3 * i + 3)] = uint8_t(c.blue());
    }
    StartMonitorWith(frame, 32);
    ASSERT_EQ(SubPage(), "RxNormal");
    Save(*w, "rxdmx-plain-sender.png");

    sim::ControllerStatus s;
    for (int k = 0; k < 20; ++k) {
        const QColor c = QColor::fromHsv(k * 18, 255, 255);
        s.colours[size_t(k)] = uint32_t(c.red()) | uint32_t(c.green()) << 8 | uint32_t(c.blue()) << 16;
    }
    s.program = 4;
    s.step = 3;
    s.stepCount = 6;
    s.speed = 30;
    s.wait = 80;
    s.speedGauge = 90;
    s.waitGauge = 50;
    s.brightness = 200;
    s.temperature = 41;
    s.locked = 1;
    s.model = 0x43;
    w->ui->mAblakRxDmx->trigger();
    Show(s.Frame(), 32);
    ASSERT_EQ(SubPage(), "RxLedDriver");
    Save(*w, "rxdmx-controller.png");
}

TEST_F(MonitorScreenshots, RfPage) {
    Plug(5);
    dm->tmrGetInfoTimer();
    Settle();
    ASSERT_EQ(w->mainPageCaption(), "RfDMXRx");
    Save(*w, "rf-dmx-page.png");
    // The remote-control tabs have no tab buttons; their contents alone.
    Save(*w->ui->tsRemCont, "rf-dmx-remote-control.png");
    Save(*w->ui->tsRemContTrain, "rf-dmx-remote-training.png");
}

// The pictures of the maker's pages: the program editor and its colour mixer,
// the configuration page, the received-DMX and RF-DMX pages, the page "Send",
// the Special tab of the maker's devices.
#include <QColor>
#include <QDir>
#include <QTabWidget>

#include "app/Notebook.h"
#include "maker/RGB.h"
#include "maker/editor_fixture.h"
#include "maker/files_fixture.h"
#include "maker/maker_fixture.h"
#include "maker/monitor_fixture.h"
#include "shot.h"
#include "ui_KonfigPage.h"

namespace {

class EditorShots : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        frm().resize(1000, 700);
    }
};

class MonitorShots : public MonitorTest {
protected:
    void SetUp() override {
        MonitorTest::SetUp();
        w->resize(1024, 720);
    }
};

class SendPageShots : public FilesTest {
protected:
    void SetUp() override {
        FilesTest::SetUp();
        w->resize(1000, 700);
    }
};

} // namespace

TEST_F(EditorShots, ProgramEditorAndMixer) {
    // A rainbow running across the fixtures and shifting with each step.
    P().EditorChannels = 5;
    P().ProgramSteps[1] = 8;
    for (int s = 1; s <= 10; ++s)
        for (int d = 1; d <= 20; ++d) {
            const QColor c = QColor::fromHsv(((d - 1) * 18 + (s - 1) * 30) % 360, 255, 255 - (s - 1) * 12);
            P().SetRgb(1, s, d, uint32_t(c.red()) | uint32_t(c.green()) << 8 | uint32_t(c.blue()) << 16);
            P().SetColour(1, s, d, 4, uint8_t(d * 10));
            P().SetColour(1, s, d, 5, uint8_t(s * 20));
        }
    P().ProgramSpeed[1] = 40;
    P().ProgramWait[1] = 20;
    P().CurrentStep = 3;
    editor().ShowProgram();
    editor().LabelDeviceAddresses();
    editor().lLepes1Click(editor().lLepes(3));
    editor().seLepesSzamChange();
    frm().showMainPage("Programok");
    SaveShot(frm(), "program-editor.png");

    editor().runModal = [&](QDialog& d) {
        d.show();
        SaveShot(d, "colour-mixer.png");
        d.accept();
        return 1;
    };
    editor().Shape_01_01MouseDown(editor().Shape(3, 7), Qt::RightButton, Qt::NoModifier, QPoint(5, 5), false);
}

TEST_F(EditorShots, ConfigurationPageWithCurves) {
    frm().showMainPage("Konfiguracio");
    SelectPageByCaption(frm().konfUi->nbKonf, "Q73G");
    tDeviceConfig& c = C();
    const std::tuple<double, uint8_t, uint8_t> curves[] = {
        {1.0, 0, 255}, {1.8, 10, 255}, {2.2, 0, 230}, {3.0, 30, 255}, {4.5, 0, 200}};
    for (int ch = 1; ch <= 5; ++ch)
        std::tie(c.Gamma[ch], c.Min[ch], c.Max[ch]) = curves[ch - 1];
    c.HzNumber = 400;
    config().ShowQ73GConfig(5);
    for (int ch = 1; ch <= 5; ++ch)
        config().DrawCharacteristic(ch);
    frm().konfUi->pcKonfQ73G->setCurrentIndex(1);
    SaveShot(frm(), "configuration-q73g-curves.png");
    frm().konfUi->pcKonfQ73G->setCurrentIndex(0);
    SaveShot(frm(), "configuration-q73g.png");
}

TEST_F(MonitorShots, PlainSenderAndController) {
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
    SaveShot(*w, "rxdmx-plain-sender.png");

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
    SaveShot(*w, "rxdmx-controller.png");
}

TEST_F(MonitorShots, RfPage) {
    Plug(5);
    dm->tmrGetInfoTimer();
    Settle();
    ASSERT_EQ(w->mainPageCaption(), "RfDMXRx");
    SaveShot(*w, "rf-dmx-page.png");
    // The remote-control tabs have no tab buttons; their contents alone.
    SaveShot(*w->ui->tsRemCont, "rf-dmx-remote-control.png");
    SaveShot(*w->ui->tsRemContTrain, "rf-dmx-remote-training.png");
}

TEST_F(SendPageShots, FirmwareAndLogo) {
    Plug(1);
    ASSERT_TRUE(QDir(dir.path()).mkpath("firmware/interface"));
    Open(Write("firmware/interface/usb-dmx-interface-v2.13.dmx", FirmwareFile(0x0B, 120)));
    ASSERT_EQ(page->FirmwareMatches, 1);
    SaveShot(*w, "send-firmware.png");

    // A ring with a bar through it.
    Open(Write("logo.bmp", Bmp(200, 120, [](int x, int y) {
                   const int dx = x - 100, dy = y - 60, r2 = dx * dx + dy * dy;
                   return (r2 < 55 * 55 && r2 > 42 * 42) || (y > 54 && y < 66 && x > 20 && x < 180);
               })));
    SaveShot(*w, "send-logo.png");
}

// The Special tab of a Q7 device after its mode was read.
TEST_F(MakerRdmFixture, SpecialTabOfAQ7) {
    UseKind(2, 3, 7);
    dev->dmxMode = {0x14, 0x00, 0x28, 0x00, 0x0A, 0x64};
    w->resize(1100, 760);
    w->showMainPage("RDM");
    view->tree()->setCurrentItem(NodeAt(view->tree(), 1));
    w->rdmUi->pcRdm->setCurrentWidget(w->rdmUi->tsSpecial);
    Settle();
    Grab(*w, "special-tab-q7.png");
}

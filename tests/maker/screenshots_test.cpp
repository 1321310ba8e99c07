#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QTabWidget>

#include "app/Notebook.h"
#include "editor_fixture.h"
#include "maker/RGB.h"
#include "ui_KonfigPage.h"

// Writes pictures of the editor pages into the folder named by
// TAMARIND_SCREENSHOTS (the documentation's pictures are made this way);
// without it the test does nothing.
class EditorScreenshots : public EditorTest {
protected:
    void SetUp() override {
        folder = qEnvironmentVariable("TAMARIND_SCREENSHOTS");
        if (folder.isEmpty()) GTEST_SKIP() << "TAMARIND_SCREENSHOTS not set";
        EditorTest::SetUp();
        frm().resize(1000, 700);
    }
    void Save(QWidget& w, const char* name) {
        QCoreApplication::processEvents();
        EXPECT_TRUE(w.grab().save(QDir(folder).filePath(name)));
    }
    QString folder;
};

TEST_F(EditorScreenshots, ProgramEditorAndMixer) {
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
    Save(frm(), "program-editor.png");

    TfrmRGB& mixer = *editor().colourMixer();
    editor().runModal = [&](QDialog& d) {
        d.show();
        Save(d, "colour-mixer.png");
        d.accept();
        return 1;
    };
    P().CurrentDevice = 7;
    editor().Shape_01_01MouseDown(editor().Shape(3, 7), Qt::RightButton, Qt::NoModifier, QPoint(5, 5), false);
    EXPECT_FALSE(mixer.isVisible());
}

TEST_F(EditorScreenshots, ConfigurationPageWithCurves) {
    frm().showMainPage("Konfiguracio");
    SelectPageByCaption(frm().konfUi->nbKonf, "Q73G");
    tDeviceConfig& c = C();
    const double gammas[] = {0, 1.0, 1.8, 2.2, 3.0, 4.5};
    const int mins[] = {0, 0, 10, 0, 30, 0};
    const int maxs[] = {0, 255, 255, 230, 255, 200};
    for (int ch = 1; ch <= 5; ++ch) {
        c.Gamma[ch] = gammas[ch];
        c.Min[ch] = uint8_t(mins[ch]);
        c.Max[ch] = uint8_t(maxs[ch]);
        c.Offs[ch] = 30;
    }
    c.WhiteBalance = 1;
    c.HzNumber = 400;
    config().ShowQ73GConfig(5);
    for (int ch = 1; ch <= 5; ++ch) config().DrawCharacteristic(ch);
    frm().konfUi->pcKonfQ73G->setCurrentIndex(1);
    Save(frm(), "configuration-q73g-curves.png");
    frm().konfUi->pcKonfQ73G->setCurrentIndex(0);
    Save(frm(), "configuration-q73g.png");
}

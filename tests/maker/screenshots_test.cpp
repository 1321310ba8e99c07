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

    editor().runModal = [&](QDialog& d) {
        d.show();
        Save(d, "colour-mixer.png");
        d.accept();
        return 1;
    };
    editor().Shape_01_01MouseDown(editor().Shape(3, 7), Qt::RightButton, Qt::NoModifier, QPoint(5, 5), false);
}

TEST_F(EditorScreenshots, ConfigurationPageWithCurves) {
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
    Save(frm(), "configuration-q73g-curves.png");
    frm().konfUi->pcKonfQ73G->setCurrentIndex(0);
    Save(frm(), "configuration-q73g.png");
}

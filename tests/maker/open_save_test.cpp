// The File menu and the page "Send" through the real window: opening,
// refusing, showing and saving files.
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>

#include "files_fixture.h"
#include "maker/FileKinds.h"
#include "maker/Shapes.h"
#include "maker/StreamUpload.h"
#include "support/log_access.h"
#include "ui_ProgramPage.h"

using OpenSaveTest = FilesTest;

TEST_F(OpenSaveTest, ProgramsSurviveSaveChangeAndOpen) {
    P().ProgramSteps[2] = 4;
    P().ProgramSpeed[2] = 1234;
    P().ProgramWait[2] = 0;
    P().ProgramSpeedOn[2] = 1;
    P().ProgramStepMode[3] = 1;
    P().ProgramSpeed[5] = 0;
    P().ProgramWait[5] = 0;
    for (int s = 1; s <= 10; ++s)
        for (int d = 1; d <= 20; ++d)
            P().SetRgb(2 + s % 7, s, d, uint32_t(s * 0x112233 + d * 0x010101));
    P().EditorChannels = 5;
    const tProgramData saved = P();
    w->ui->mAblakProg->trigger();
    Save("prog.dmx");
    EXPECT_TRUE(errors.isEmpty());
    EXPECT_FALSE(QFile::exists(Path("prog.dmx")));
    EXPECT_EQ(ReadFile(Path("prog.dmx.dmx")).size(), 28792);

    w->programEditor->InitPrograms();
    P().SetRgb(4, 1, 1, 0xFFFFFF);
    P().CurrentProgram = 6;
    w->showMainPage("Logo");
    Open(Path("prog.dmx.dmx"));
    EXPECT_EQ(w->mainPageCaption(), QStringLiteral("Programok"));
    EXPECT_EQ(P().EditorChannels, 3);
    EXPECT_EQ(P().CurrentProgram, 1);
    EXPECT_TRUE(w->ui->mFileSave->isEnabled());
    EXPECT_EQ(page->StreamFrameCount, 132u);
    EXPECT_TRUE(infoKinds.empty());
    for (int prog = 1; prog <= 9; ++prog) {
        EXPECT_EQ(P().ProgramSteps[prog], saved.ProgramSteps[prog]);
        EXPECT_EQ(P().ProgramSpeed[prog], saved.ProgramSpeed[prog]);
        EXPECT_EQ(P().ProgramWait[prog], saved.ProgramWait[prog]);
        EXPECT_EQ(P().ProgramStepMode[prog], saved.ProgramStepMode[prog]);
        // The speed switch follows the times read.
        EXPECT_EQ(P().ProgramSpeedOn[prog], saved.ProgramSpeed[prog] || saved.ProgramWait[prog] ? 1 : 0)
            << prog;
        for (int s = 1; s <= 10; ++s)
            for (int d = 1; d <= 20; ++d)
                ASSERT_EQ(P().Rgb(prog, s, d), saved.Rgb(prog, s, d)) << prog << " " << s << " " << d;
    }
    // The grid shows program 1 as read.
    EXPECT_EQ(w->programEditor->Shape(3, 5)->colour(), saved.Rgb(1, 3, 5));
}

TEST_F(OpenSaveTest, ConfigurationSurvivesSaveChangeAndOpen) {
    w->configPages->selectedDeviceKind = [] { return std::optional<int>(1); };
    w->ui->mAblakKonfig->trigger();
    ASSERT_EQ(w->mainPageCaption(), QStringLiteral("Konfiguracio"));
    Find<QSpinBox>("seKarMinR")->setValue(12);
    Find<QSpinBox>("seKarMaxG")->setValue(200);
    Find<QSpinBox>("seKonfDefB")->setValue(77);
    Find<QSlider>("tbKarGamG")->setValue(35);
    Find<QSpinBox>("seKarOffsB")->setValue(9);
    Find<QSpinBox>("seBright3")->setValue(50);
    Find<QSpinBox>("seBright9")->setValue(100);
    Find<QCheckBox>("cbKonfKelvarTulmeleg")->setChecked(true);
    Find<QLineEdit>("meSpeed4")->setText("01:02.35");
    w->ConfigDeviceCode = 3;
    Save("conf");
    ASSERT_TRUE(errors.isEmpty());
    const tDeviceConfig saved = C();
    EXPECT_EQ(saved.Speed[4], 20 * 62 + 7);

    w->configPages->SetDefaultConfig();
    C().Min[1] = 99;
    w->configPages->ShowConfigPage();
    w->showMainPage("Logo");
    Open(Path("conf.dmx"));
    EXPECT_TRUE(infoKinds.empty());
    EXPECT_EQ(w->mainPageCaption(), QStringLiteral("Konfiguracio"));
    EXPECT_EQ(page->StreamFrameCount, 108u);
    const tDeviceConfig& back = C();
    for (int ch = 1; ch <= 3; ++ch) {
        EXPECT_EQ(back.Min[ch], saved.Min[ch]);
        EXPECT_EQ(back.Max[ch], saved.Max[ch]);
        EXPECT_EQ(back.Def[ch], saved.Def[ch]);
        EXPECT_DOUBLE_EQ(back.Gamma[ch], saved.Gamma[ch]);
        EXPECT_EQ(back.Offs[ch], saved.Offs[ch]);
    }
    EXPECT_EQ(back.Overheat, 1);
    EXPECT_EQ(back.WhiteBalance, saved.WhiteBalance);
    EXPECT_EQ(back.Speed, saved.Speed);
    EXPECT_EQ(back.Wait, saved.Wait);
    EXPECT_EQ(back.Brightness, saved.Brightness);
    EXPECT_EQ(back.Brightness[3], 50);
    EXPECT_EQ(back.Brightness[9], 100);
    // And the page shows them.
    EXPECT_EQ(Find<QSpinBox>("seKarMinR")->value(), 12);
    EXPECT_EQ(Find<QSlider>("tbKarGamG")->value(), 35);
    EXPECT_EQ(Find<QSpinBox>("seBright3")->value(), 50);
}

TEST_F(OpenSaveTest, AConfigurationWithAStepTimeThatIsNotATimeIsNotSaved) {
    const QByteArray older("an older configuration");
    for (const BadStepTime& c : kBadKelvarTimes) {
        SCOPED_TRACE(c.edit);
        Write("conf.dmx", older);
        QLineEdit* edit = ShowKelvarTime(c.edit, c.text);
        ASSERT_TRUE(edit);
        const QString typed = edit->displayText();
        w->rdmView->btnClrTortenetClick();
        const tDeviceConfig before = C();
        Save("conf");
        Save("new");
        EXPECT_EQ(DeviceLogLines(w), (QStringList{c.line, c.line}));
        EXPECT_EQ(w->focusWidget(), edit);
        EXPECT_EQ(edit->displayText(), typed);
        EXPECT_EQ(ReadFile(Path("conf.dmx")), older);
        EXPECT_FALSE(QFile::exists(Path("new.dmx")));
        EXPECT_TRUE(errors.isEmpty());
        EXPECT_EQ(C().Speed, before.Speed);
        EXPECT_EQ(C().Wait, before.Wait);
        edit->setText("00:01.00");
    }
}

TEST_F(OpenSaveTest, FirmwareAndLogoShowOnTheSendPage) {
    ASSERT_TRUE(QDir(dir.path()).mkpath("a-rather-long-folder-of-firmware-files/one-more-level"));
    const QString fw =
        Write("a-rather-long-folder-of-firmware-files/one-more-level/fw.dmx", FirmwareFile(0x0B, 3));
    Open(fw);
    EXPECT_EQ(w->mainPageCaption(), QStringLiteral("Send"));
    EXPECT_EQ(w->ui->lFajlTipus->text(), QStringLiteral("Software update"));
    EXPECT_EQ(w->ui->lFajlVerzio->text(), QStringLiteral("v.2.13"));
    EXPECT_EQ(w->ui->lFajlDatum->text(), QStringLiteral("7/3/2009"));
    EXPECT_EQ(w->ui->lFajlAdat->toolTip(), fw);
    EXPECT_TRUE(w->ui->lFajlAdat->text().startsWith(QStringLiteral("/...")));
    EXPECT_TRUE(w->ui->lFajlAdat->text().endsWith(QStringLiteral("/fw.dmx")));
    EXPECT_LE(w->fontMetrics().horizontalAdvance(w->ui->lFajlAdat->text()), 210);
    EXPECT_EQ(page->StreamFrameCount, 103u);
    EXPECT_FALSE(w->ui->Image1->isVisible());
    EXPECT_EQ(page->FirmwareMatches, 0); // no interface: it can only be played as a stream

    w->LanguageName = QStringLiteral("Hungarian");
    w->LanguageIndex = 1;
    Open(fw);
    EXPECT_EQ(w->ui->lFajlDatum->text(), QStringLiteral("2009.3.7."));
    EXPECT_EQ(w->ui->lFajlTipus->text(), QString::fromUtf8("Szoftver frissítés"));

    w->LanguageName = QStringLiteral("English");
    w->LanguageIndex = 2;
    Open(Write("logo.bmp", Bmp(16, 8, [](int x, int) { return x < 4; })));
    EXPECT_EQ(w->mainPageCaption(), QStringLiteral("Send"));
    EXPECT_EQ(w->ui->lFajlTipus->text(), QStringLiteral("BMP file - two colours"));
    EXPECT_EQ(w->ui->lFajlVerzio->text(), QStringLiteral("-"));
    EXPECT_EQ(w->ui->lFajlDatum->text(), QStringLiteral("-"));
    EXPECT_TRUE(w->ui->Image1->isVisible());
    EXPECT_EQ(w->ui->Image1->pixmap().size(), QSize(16, 8));
    EXPECT_TRUE(infoKinds.empty());
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(OpenSaveTest, FirmwareMatchesOnlyTheConnectedInterfaceType) {
    Plug(1);
    const QString fits = Write("fits.dmx", FirmwareFile(0x0B, 1));
    const QString other = Write("other.dmx", FirmwareFile(0x0E, 1));
    Open(other);
    EXPECT_EQ(page->FirmwareMatches, 0);
    EXPECT_EQ(w->mainPageCaption(), QStringLiteral("Send"));
    Open(fits);
    EXPECT_EQ(page->FirmwareMatches, 1);

    // The firmware menu refuses what does not fit, with the info dialog.
    page->OpenDialog1.answerer = [other](const tFileDialog&) { return std::optional<QString>(other); };
    w->ui->mSetupFirmware->setEnabled(true);
    w->ui->mSetupFirmware->trigger();
    EXPECT_EQ(page->FirmwareMatches, 0);
    EXPECT_EQ(infoKinds, std::vector<uint8_t>{1});
    EXPECT_EQ(w->mainPageCaption(), QStringLiteral("Logo"));
    page->OpenDialog1.answerer = [fits](const tFileDialog&) { return std::optional<QString>(fits); };
    w->tmrRx->start();
    EXPECT_TRUE(UpdateFirmware(*w));
    EXPECT_FALSE(w->tmrRx->isActive());
    EXPECT_EQ(w->mainPageCaption(), QStringLiteral("Send"));
    // Cancel: nothing more.
    page->OpenDialog1.answerer = [](const tFileDialog&) { return std::optional<QString>(); };
    EXPECT_FALSE(UpdateFirmware(*w));
    EXPECT_EQ(infoKinds.size(), 1u);
}

TEST_F(OpenSaveTest, UnusableFilesAreRefused) {
    QByteArray logoStream = FirmwareFile(0, 1);
    logoStream.replace(40, 8, QByteArray("appld\x10\x02\0", 8));
    QByteArray configFour = FirmwareFile(0, 10);
    configFour.replace(40, 9, QByteArray("appld\x10\x01\0\x04", 9));
    QByteArray configSix = configFour;
    configSix[48] = 6;
    QByteArray shortPrograms = FirmwareFile(0, 10);
    shortPrograms.replace(40, 9, QByteArray("appld\x10\x01\0\x02", 9));
    struct Case {
        const char* name;
        QByteArray bytes;
        uint8_t info;
    };
    const Case cases[] = {
        {"notes.txt", "hello", 1},
        {"prog.DMX", FirmwareFile(0x0B, 1), 1},
        {"logo.dmx", logoStream, 1},
        {"conf4.dmx", configFour, 1},
        {"conf6.dmx", configSix, 1},
        {"short.dmx", shortPrograms, 1},
        {"wide.bmp", Bmp(241, 10, [](int, int) { return true; }), 2},
        {"cut.bmp", Bmp(64, 64, [](int, int) { return true; }).left(300), 2},
        {"eight.bmp",
         Bmp(
             8, 8, [](int, int) { return true; }, 8),
         2},
    };
    const tProgramData before = P();
    for (const Case& c : cases) {
        infoKinds.clear();
        w->showMainPage("RDM");
        Open(Write(c.name, c.bytes));
        EXPECT_EQ(infoKinds, std::vector<uint8_t>{c.info}) << c.name;
        EXPECT_EQ(w->mainPageCaption(), QStringLiteral("Logo")) << c.name;
        EXPECT_FALSE(w->ui->Image1->isVisible()) << c.name;
    }
    EXPECT_EQ(P().ProgramStore, before.ProgramStore);
    EXPECT_EQ(P().ProgramSteps, before.ProgramSteps);
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(OpenSaveTest, FileErrorsAreReported) {
    Open(Path("gone.dmx"));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(QStringLiteral("gone.dmx")));
    EXPECT_TRUE(infoKinds.empty());
    EXPECT_EQ(w->mainPageCaption(), QStringLiteral("Logo"));

    // A firmware file larger than the stream could hold; one that just fits is taken.
    QByteArray huge = FirmwareFile(0x0B, 1);
    huge.resize(1000000);
    Open(Write("full.dmx", huge));
    EXPECT_EQ(errors.size(), 1);
    EXPECT_EQ(w->mainPageCaption(), QStringLiteral("Send"));
    huge.resize(1000001);
    Open(Write("huge.dmx", huge));
    ASSERT_EQ(errors.size(), 2);
    EXPECT_TRUE(errors[1].contains(QStringLiteral("too large")));
    EXPECT_EQ(w->mainPageCaption(), QStringLiteral("Logo"));

    // A folder that cannot be written: the name lies under a plain file.
    Write("plain", "x");
    w->ui->mAblakProg->trigger();
    Save("plain/prog");
    ASSERT_EQ(errors.size(), 3);
    EXPECT_TRUE(errors[2].contains(QStringLiteral("plain/prog.dmx")));
    EXPECT_EQ(ReadFile(Path("plain")), QByteArray("x"));
}

TEST_F(OpenSaveTest, OpeningAFileShowsTheLiveOutputAsOff) {
    ProgramEditor& editor = *w->programEditor;
    editor.SetPrgDmxFontColour(ProgramEditor::kDmxOnColour);
    w->prgUi->btnPrgEszkozbe->setEnabled(false);
    w->LineState.TransmitFlag = 1;
    Open(Write("logo.bmp", Bmp(8, 8, [](int x, int y) { return x == y; })));
    EXPECT_EQ(editor.PrgDmxFontColour(), ProgramEditor::kDmxOffColour);
    EXPECT_TRUE(w->prgUi->btnPrgEszkozbe->isEnabled());
    EXPECT_EQ(w->LineState.TransmitFlag, 1); // left as it is
}

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTableWidget>

#include "app/IniFile.h"
#include "app/IpAddress.h"
#include "app/Szovegek.h"
#include "shell_fixture.h"
#include "ui_Main.h"
#include "ui_Nyelv.h"
#include "ui_RdmPage.h"

using Settings = ShellTest;

TEST_F(Settings, FirstStartAsksForTheLanguageWritesTheDefaultsAndComesUpInGerman) {
    Program& p = start();
    AnswerLanguage(p, Lang::Deutsch, true);
    main().FormActivate();

    EXPECT_EQ(p.frmNyelv->timesShown(), 1);
    EXPECT_EQ(readIni(), QByteArray("[Setup]\nLanguage=German\nUSB=2\nINTERFACE=USB\nIP=0.0.0.0\n"
                                    "MASK=255.255.255.255\n"));
    EXPECT_EQ(main().LanguageIndex, 3);
    EXPECT_EQ(main().UsbSetting, 2);
    EXPECT_EQ(main().mainPageCaption(), "RDM");
    EXPECT_EQ(main().ui->mFile->title(), TextOf(12, 3));
    // The first-start path leaves the interface settings as they were until the setup dialog sets them.
    EXPECT_EQ(main().InterfaceKind, "");
    EXPECT_EQ(main().statusPanel(2)->text(), "USB " + TextOf(59, 3) + ": " + TextOf(45, 3));

    // A second start reads the file and asks nothing.
    Program& again = start();
    again.frmMain->FormActivate();
    EXPECT_EQ(again.frmNyelv->timesShown(), 0);
    EXPECT_EQ(again.frmMain->LanguageName, "German");
    EXPECT_EQ(again.frmMain->LanguageIndex, 3);
    EXPECT_EQ(again.frmMain->UsbSetting, 2);
    EXPECT_EQ(again.frmMain->InterfaceKind, "USB");
    EXPECT_EQ(again.frmMain->UpdatingControls, 0);
}

TEST_F(Settings, FirstStartCancelledWritesAnEmptyLanguageThatReadsAsEnglish) {
    Program& p = start();
    AnswerLanguage(p, Lang::Deutsch, false);
    main().FormActivate();
    EXPECT_TRUE(readIni().startsWith("[Setup]\nLanguage=\nUSB=2\n"));
    EXPECT_EQ(main().LanguageName, "");
    EXPECT_EQ(main().LanguageIndex, 2);

    start().frmMain->FormActivate();
    EXPECT_EQ(main().LanguageName, "");
    EXPECT_EQ(main().LanguageIndex, 2);
}

TEST_F(Settings, EmptySectionAndMissingKeysGiveTheDefaults) {
    writeIni("[Setup]\n");
    start().frmMain->FormActivate();
    EXPECT_EQ(main().LanguageName, "English");
    EXPECT_EQ(main().LanguageIndex, 2);
    EXPECT_EQ(main().UsbSetting, 0);
    EXPECT_EQ(main().InterfaceKind, "USB");
    EXPECT_EQ(IpToText(main().InterfaceIp), "0.0.0.0");
    EXPECT_EQ(IpToText(main().InterfaceMask), "255.255.255.255");
    EXPECT_EQ(readIni(), QByteArray("[Setup]\n")); // reading writes nothing
}

TEST_F(Settings, NamesIgnoreCaseButTheInterfaceValueMustBeExact) {
    writeIni("; written by hand\r\n[setup]\r\nlanguage = German\r\nInterface=network\r\nip=10.0.0.1\r\n");
    start().frmMain->FormActivate();
    EXPECT_EQ(main().LanguageIndex, 3);
    EXPECT_EQ(main().InterfaceKind, "USB");
    EXPECT_EQ(IpToText(main().InterfaceIp), "10.0.0.1");
    // The file keeps the odd value until the key is written again.
    EXPECT_TRUE(readIni().contains("Interface=network"));
}

TEST_F(Settings, ValuesThatDoNotConvertTakeTheirDefaultsAndStartUpCompletes) {
    const QByteArray content =
        "[Setup]\nLanguage=Hungarian\nUSB=two\nINTERFACE=NETWORK\nIP=10.0.1\nMASK=a.b.c.d\n";
    writeIni(content);
    start().frmMain->FormActivate();

    EXPECT_EQ(main().UsbSetting, 0);
    EXPECT_EQ(IpToText(main().InterfaceIp), "0.0.0.0");
    EXPECT_EQ(IpToText(main().InterfaceMask), "255.255.255.255");
    EXPECT_EQ(main().InterfaceKind, "NETWORK");
    // The rest of start-up ran: Hungarian captions, the RDM page, the grid.
    EXPECT_EQ(main().LanguageIndex, 1);
    EXPECT_EQ(main().ui->mFile->title(), TextOf(12, 1));
    EXPECT_EQ(main().mainPageCaption(), "RDM");
    EXPECT_EQ(main().rdmUi->StringGrid1->item(0, 0)->text(), "1");
    // The user is told each value that was replaced, and the file is left alone.
    const QString log = main().rdmUi->mDeviceList->toPlainText();
    EXPECT_TRUE(log.contains("USB value \"two\"")) << log.toStdString();
    EXPECT_TRUE(log.contains("IP value \"10.0.1\"")) << log.toStdString();
    EXPECT_TRUE(log.contains("MASK value \"a.b.c.d\"")) << log.toStdString();
    EXPECT_EQ(readIni(), content);
}

TEST_F(Settings, LargeNumbersKeepTheirLowByte) {
    writeIni("[Setup]\nUSB=258\nIP=300.1.2.3\n");
    start().frmMain->FormActivate();
    EXPECT_EQ(main().UsbSetting, 2);
    EXPECT_EQ(IpToText(main().InterfaceIp), "44.1.2.3");
}

TEST_F(Settings, CancelInTheLanguageDialogWritesTheOldLanguageAgain) {
    writeIni("[Setup]\r\nLanguage=Hungarian\r\nUSB=2\r\n; note\r\nINTERFACE=USB\r\n\r\n[Other]\r\nKey=1\r\n");
    Program& p = start();
    main().FormActivate();

    // Someone changes the file while the program runs; Cancel still writes the name in memory.
    writeIni("[Setup]\r\nLanguage=English\r\nUSB=2\r\n; note\r\nINTERFACE=USB\r\n\r\n[Other]\r\nKey=1\r\n");
    AnswerLanguage(p, Lang::Deutsch, false);
    main().ui->mSetupLang->trigger();

    EXPECT_EQ(p.frmNyelv->timesShown(), 1);
    EXPECT_EQ(main().LanguageName, "Hungarian");
    EXPECT_EQ(main().LanguageIndex, 1);
    EXPECT_EQ(readIni(),
              QByteArray("[Setup]\r\nLanguage=Hungarian\r\nUSB=2\r\n; note\r\nINTERFACE=USB\r\n\r\n"
                         "[Other]\r\nKey=1\r\n"));

    // OK with German changes the one line and the captions.
    AnswerLanguage(p, Lang::Deutsch, true);
    main().ui->mSetupLang->trigger();
    EXPECT_EQ(main().LanguageIndex, 3);
    EXPECT_EQ(main().ui->mSetup->title(), TextOf(8, 3));
    EXPECT_EQ(readIni(), QByteArray("[Setup]\r\nLanguage=German\r\nUSB=2\r\n; note\r\nINTERFACE=USB\r\n\r\n"
                                    "[Other]\r\nKey=1\r\n"));
}

TEST_F(Settings, InterfaceMenuWritesTheInterfaceKeysAndTheStatusPanel) {
    writeIni("[Setup]\nLanguage=English\nUSB=2\nINTERFACE=USB\nIP=0.0.0.0\nMASK=255.255.255.255\n");
    start().frmMain->FormActivate();
    main().InterfaceKind = "NETWORK";
    main().InterfaceIp = TextToIp("192.168.1.20");
    main().InterfaceMask = TextToIp("255.255.255.0");
    main().ui->mSetupInterface->trigger();
    EXPECT_EQ(readIni(), QByteArray("[Setup]\nLanguage=English\nUSB=2\nINTERFACE=NETWORK\nIP=192.168.1.20\n"
                                    "MASK=255.255.255.0\n"));
    EXPECT_EQ(main().statusPanel(2)->text(), "NETWORK Interface: No contact");
}

TEST_F(Settings, AnUnreadableFileNeitherStopsStartUpNorGetsReplaced) {
    // A folder in the file's place cannot be read as a file (root reads any file).
    ASSERT_TRUE(QDir(dir.path()).mkdir("Tamarind.ini"));
    Program& p = start();
    main().FormActivate();
    EXPECT_EQ(p.frmNyelv->timesShown(), 0);
    EXPECT_EQ(main().LanguageIndex, 2);
    EXPECT_EQ(main().InterfaceKind, "USB");
    EXPECT_EQ(main().mainPageCaption(), "RDM");
    EXPECT_TRUE(main().rdmUi->mDeviceList->toPlainText().contains("could not be read"));

    AnswerLanguage(p, Lang::Deutsch, true);
    main().ChooseLanguage();
    EXPECT_EQ(main().LanguageIndex, 3); // the choice holds for this run
    EXPECT_TRUE(main().rdmUi->mDeviceList->toPlainText().contains("could not be written"));
    EXPECT_TRUE(QFileInfo(iniPath()).isDir());
}

TEST_F(Settings, AFileThatCannotBeWrittenIsReportedAndStartUpCompletes) {
    program = std::make_unique<Program>(ProgramOptions{dir.filePath("no/such/folder"), {}});
    AnswerLanguage(*program, Lang::Magyar, true);
    main().FormActivate();
    EXPECT_EQ(main().LanguageIndex, 1);
    EXPECT_EQ(main().mainPageCaption(), "RDM");
    EXPECT_TRUE(main().rdmUi->mDeviceList->toPlainText().contains("could not be written"));
}

TEST(IniFile, ReadsLikeAProfileAndWritesInPlace) {
    QTemporaryDir dir;
    const QString path = dir.filePath("x.ini");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("\xEF\xBB\xBF[A]\nName = \"quoted value\" \n# comment\n\n[B]\nx=1\n");
    }
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("a", "NAME", "-"), "quoted value");
    EXPECT_EQ(ini.ReadString("A", "missing", "-"), "-");
    EXPECT_EQ(ini.ReadString("C", "x", "-"), "-");
    EXPECT_EQ(ini.ReadString("b", "X", "-"), "1");

    ASSERT_TRUE(ini.WriteString("A", "New", "a=b;c")); // no escaping
    ASSERT_TRUE(ini.WriteString("B", "x", "2"));
    ASSERT_TRUE(ini.WriteString("C", "y", "3"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("\xEF\xBB\xBF[A]\nName = \"quoted value\" \n# comment\nNew=a=b;c\n\n"
                                      "[B]\nx=2\n[C]\ny=3\n"));
    EXPECT_EQ(TIniFile(path).ReadString("A", "new", "-"), "a=b;c");
}

TEST(IniFile, AFileInACodePageKeepsEveryOtherByteWhenAKeyIsWritten) {
    QTemporaryDir dir;
    const QString path = dir.filePath("x.ini");
    // A comment in a single-byte code page (not UTF-8), and a last byte that starts a UTF-8 sequence.
    const QByteArray before = "; be\xE1ll\xEDt\xE1sok\r\n[Setup]\r\nLanguage=English\r\nNote=\xF5\xFB\xC3";
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(before);
    }
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("Setup", "Language", "-"), "English");
    ASSERT_TRUE(ini.WriteString("Setup", "Language", "German"));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("; be\xE1ll\xEDt\xE1sok\r\n[Setup]\r\nLanguage=German\r\n"
                                      "Note=\xF5\xFB\xC3\r\n"));
}

TEST(IpAddress, ConvertsDottedTextAndRefusesWhatIsNotANumber) {
    bool ok = false;
    const tIpAddress ip = TextToIp("10.0.0.1", &ok);
    EXPECT_TRUE(ok);
    EXPECT_EQ(ip, (tIpAddress{10, 0, 0, 1}));
    EXPECT_EQ(IpToText(ip), "10.0.0.1");
    EXPECT_EQ(TextToIp("300.0.0.1")[0], 44);
    for (const char* bad : {"10.0.1", "", "1.2.3.x", "1..2.3"}) {
        TextToIp(bad, &ok);
        EXPECT_FALSE(ok) << bad;
    }
}

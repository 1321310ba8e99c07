#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QTableWidget>

#include "app/IniFile.h"
#include "app/IpAddress.h"
#include "app/Szovegek.h"
#include "shell_fixture.h"
#include "ui_Main.h"

using Settings = ShellTest;

TEST_F(Settings, FirstStartAsksForTheLanguageWritesTheDefaultsAndASecondStartReadsThem) {
    Program& p = start();
    AnswerLanguage(p, Lang::Deutsch, true);
    main().FormActivate();

    EXPECT_EQ(p.frmNyelv->timesShown(), 1);
    EXPECT_EQ(ReadSettings(), QByteArray("[Setup]\nLanguage=German\nUSB=2\nINTERFACE=USB\nIP=0.0.0.0\n"
                                         "MASK=255.255.255.255\n"));
    EXPECT_EQ(main().LanguageIndex, 3);
    EXPECT_EQ(main().mainPageCaption(), "RDM");
    EXPECT_EQ(main().ui->mFile->title(), TextOf(12, 3));
    // The interface settings stay as they were until the setup dialog sets them.
    EXPECT_EQ(main().InterfaceKind, "");
    EXPECT_EQ(main().statusPanel(2)->text(), "USB " + TextOf(59, 3) + ": " + TextOf(45, 3));

    // A second start reads the file and asks nothing.
    Program& again = start();
    again.frmMain->FormActivate();
    EXPECT_EQ(again.frmNyelv->timesShown(), 0);
    EXPECT_EQ(again.frmMain->LanguageIndex, 3);
    EXPECT_EQ(again.frmMain->UsbSetting, 2);
    EXPECT_EQ(again.frmMain->InterfaceKind, "USB");

    // Cancelled instead, the first start writes an empty language, which reads as English.
    ASSERT_TRUE(QFile::remove(SettingsPath()));
    AnswerLanguage(start(), Lang::Deutsch, false);
    main().FormActivate();
    EXPECT_TRUE(ReadSettings().startsWith("[Setup]\nLanguage=\nUSB=2\n"));
    EXPECT_EQ(main().LanguageIndex, 2);
    start().frmMain->FormActivate();
    EXPECT_EQ(main().LanguageName, "");
    EXPECT_EQ(main().LanguageIndex, 2);
}

TEST_F(Settings, OddFilesGiveDefinedValuesLeaveTheFileAloneAndStartUpCompletes) {
    struct Row {
        QByteArray ini;
        int language, usb;
        const char *kind, *ip;
    };
    const Row rows[] = {
        {"[Setup]\n", 2, 0, "USB", "0.0.0.0"},
        // Names ignore case, the INTERFACE value does not.
        {"; by hand\r\n[setup]\r\nlanguage = German\r\nInterface=network\r\nip=10.0.0.1\r\n", 3, 0, "USB",
         "10.0.0.1"},
        {"[Setup]\nUSB=258\nIP=300.1.2.3\n", 2, 2, "USB", "44.1.2.3"}, // large numbers keep their low byte
        // Values that do not convert take their defaults and the user is told (checked below).
        {"[Setup]\nLanguage=Hungarian\nUSB=two\nINTERFACE=NETWORK\nIP=10.0.1\nMASK=a.b.c.d\n", 1, 0,
         "NETWORK", "0.0.0.0"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.ini.toStdString());
        startWith(r.ini);
        EXPECT_EQ(main().LanguageIndex, r.language);
        EXPECT_EQ(main().UsbSetting, r.usb);
        EXPECT_EQ(main().InterfaceKind, r.kind);
        EXPECT_EQ(IpToText(main().InterfaceIp), r.ip);
        EXPECT_EQ(IpToText(main().InterfaceMask), "255.255.255.255");
        EXPECT_EQ(ReadSettings(), r.ini);
        // The rest of start-up ran: captions, the RDM page, the grid.
        EXPECT_EQ(main().ui->mFile->title(), TextOf(12, r.language));
        EXPECT_EQ(main().mainPageCaption(), "RDM");
        EXPECT_EQ(main().rdmUi->StringGrid1->item(0, 0)->text(), "1");
    }
    for (const char* told : {"USB value \"two\"", "IP value \"10.0.1\"", "MASK value \"a.b.c.d\""})
        EXPECT_TRUE(log().contains(told)) << log().toStdString();
}

TEST_F(Settings, CancelInTheLanguageDialogWritesTheOldLanguageAgain) {
    const QByteArray file =
        "[Setup]\r\nLanguage=%1\r\nUSB=2\r\n; note\r\nINTERFACE=USB\r\n\r\n[Other]\r\nKey=1\r\n";
    auto with = [&](const char* language) { return QByteArray(file).replace("%1", language); };
    Program& p = startWith(with("Hungarian"));

    // Someone changes the file while the program runs; Cancel still writes the name in memory.
    WriteSettings(with("English"));
    AnswerLanguage(p, Lang::Deutsch, false);
    main().ui->mSetupLang->trigger();
    EXPECT_EQ(p.frmNyelv->timesShown(), 1);
    EXPECT_EQ(main().LanguageIndex, 1);
    EXPECT_EQ(ReadSettings(), with("Hungarian"));

    // OK with German changes the one line and the captions.
    AnswerLanguage(p, Lang::Deutsch, true);
    main().ui->mSetupLang->trigger();
    EXPECT_EQ(main().ui->mSetup->title(), TextOf(8, 3));
    EXPECT_EQ(ReadSettings(), with("German"));
}

TEST_F(Settings, InterfaceMenuWritesTheInterfaceKeysAndTheStatusPanel) {
    startEnglish();
    main().InterfaceKind = "NETWORK";
    main().InterfaceIp = TextToIp("192.168.1.20");
    main().InterfaceMask = TextToIp("255.255.255.0");
    // Cancelled, the dialog leaves the choice as it was, and it is written all the same.
    program->frmSetupInterface->setAnswerer([](TModalDialog& d) { d.reject(); });
    main().ui->mSetupInterface->trigger();
    EXPECT_EQ(ReadSettings(),
              QByteArray("[Setup]\nLanguage=English\nUSB=2\nINTERFACE=NETWORK\nIP=192.168.1.20\n"
                         "MASK=255.255.255.0\n"));
    EXPECT_EQ(main().statusPanel(2)->text(), "NETWORK Interface: No contact");
}

TEST_F(Settings, AFileThatCannotBeReadOrWrittenIsReportedAndStartUpCompletes) {
    // A folder in the file's place cannot be read as a file (root reads any file).
    ASSERT_TRUE(QDir(dir.path()).mkdir("Tamarind.ini"));
    Program& p = start();
    main().FormActivate();
    EXPECT_EQ(p.frmNyelv->timesShown(), 0);
    EXPECT_EQ(main().LanguageIndex, 2);
    EXPECT_EQ(main().mainPageCaption(), "RDM");
    EXPECT_TRUE(log().contains("could not be read"));

    AnswerLanguage(p, Lang::Deutsch, true);
    main().ChooseLanguage();
    EXPECT_EQ(main().LanguageIndex, 3); // the choice holds for this run
    EXPECT_TRUE(log().contains("could not be written"));
    EXPECT_TRUE(QFileInfo(SettingsPath()).isDir());

    // A folder that cannot hold the file: the first start is told and completes.
    program.reset();
    program = std::make_unique<Program>(ProgramOptions{dir.filePath("no/such/folder"), {}});
    AnswerLanguage(*program, Lang::Magyar, true);
    main().FormActivate();
    EXPECT_EQ(main().LanguageIndex, 1);
    EXPECT_EQ(main().mainPageCaption(), "RDM");
    EXPECT_TRUE(log().contains("could not be written"));
}

// The settings reader and writer on its own: a profile's rules, and every byte it does not change kept.
TEST_F(Settings, IniFileReadsLikeAProfileAndWritesInPlace) {
    WriteSettings("\xEF\xBB\xBF[A]\nName = \"quoted value\" \n# comment\n\n[B]\nx=1\nq='1\n");
    TIniFile ini(SettingsPath());
    EXPECT_EQ(ini.ReadString("a", "NAME", "-"), "quoted value");
    EXPECT_EQ(ini.ReadString("A", "missing", "-"), "-");
    EXPECT_EQ(ini.ReadString("C", "x", "-"), "-");
    EXPECT_EQ(ini.ReadString("b", "X", "-"), "1");
    EXPECT_EQ(ini.ReadString("B", "q", "-"), "'1");    // one quote is part of the value
    ASSERT_TRUE(ini.WriteString("A", "New", "a=b;c")); // no escaping
    ASSERT_TRUE(ini.WriteString("B", "x", "2"));
    ASSERT_TRUE(ini.WriteString("C", "y", "3"));
    EXPECT_EQ(ReadSettings(), QByteArray("\xEF\xBB\xBF[A]\nName = \"quoted value\" \n# comment\nNew=a=b;c\n\n"
                                         "[B]\nx=2\nq='1\n[C]\ny=3\n"));
    EXPECT_EQ(TIniFile(SettingsPath()).ReadString("A", "new", "-"), "a=b;c");

    // A comment in a single-byte code page (not UTF-8), and a last byte that starts a UTF-8 sequence.
    WriteSettings("; be\xE1ll\xEDt\xE1sok\r\n[Setup]\r\nLanguage=English\r\nNote=\xF5\xFB\xC3");
    ASSERT_TRUE(TIniFile(SettingsPath()).WriteString("Setup", "Language", "German"));
    EXPECT_EQ(ReadSettings(),
              QByteArray("; be\xE1ll\xEDt\xE1sok\r\n[Setup]\r\nLanguage=German\r\nNote=\xF5\xFB\xC3\r\n"));
}

// A save changes only the key written: every other key reads back the same at
// the next start, whatever the file's encoding, and the written value reads
// back as it was given, even where the reader strips quotes or blanks.
TEST_F(Settings, AWriteChangesOnlyItsKeyAndEveryValueReadsBackAsStored) {
    struct Row {
        const char* name;
        QByteArray file;
        QString key, value;
        QStringList others;
    };
    const QString cafe = QString::fromLatin1("Caf\xC3\xA9"); // UTF-8 bytes of another tool, read one by one
    // clang-format off
    const Row rows[] = {
        {"single-byte file whose only non-UTF-8 line is replaced",
         "[Setup]\nLanguage=Magyar\xE1\nName=Caf\xC3\xA9\n", "Language", "German", {"Name"}},
        {"single-byte file given a value beyond one byte",
         "[Setup]\r\nNote=\xF5\xFB\r\nLanguage=English\r\n", "Language", QString::fromUtf8("\xC5\x81\xC3\xB3\x64\xC5\xBA"),
         {"Note"}},
        {"a value in quotes", "[Setup]\nLanguage=\"\"x\"\"\nUSB=2\n", "Language", "\"x\"", {"USB"}},
        {"a value in single quotes", "[Setup]\nLanguage=English\n", "Language", "'x'", {}},
        {"blanks around a value", "[Setup]\nLanguage=English\nIP= 10.0.0.1 \n", "Language", "  padded ", {"IP"}},
        {"a new key beside quoted ones", "[Setup]\nA=\" a \"\n", "B", "\"", {"A"}},
        {"a UTF-8 file with a second byte-order mark",
         "\xEF\xBB\xBF\xEF\xBB\xBF[Setup]\nLanguage=English\nUSB=2\n", "Language", "German", {"USB"}},
    };
    // clang-format on
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        WriteSettings(r.file);
        QStringList before;
        for (const QString& key : r.others)
            before << TIniFile(SettingsPath()).ReadString("Setup", key, "-");
        ASSERT_FALSE(before.contains("-"));
        ASSERT_TRUE(TIniFile(SettingsPath()).WriteString("Setup", r.key, r.value));
        const TIniFile again(SettingsPath());
        EXPECT_EQ(again.ReadString("Setup", r.key, "-"), r.value);
        for (int i = 0; i < r.others.size(); ++i)
            EXPECT_EQ(again.ReadString("Setup", r.others[i], "-"), before[i]) << r.others[i].toStdString();
        // Writing what was read changes nothing more.
        ASSERT_TRUE(
            TIniFile(SettingsPath()).WriteString("Setup", r.key, again.ReadString("Setup", r.key, "-")));
        EXPECT_EQ(TIniFile(SettingsPath()).ReadString("Setup", r.key, "-"), r.value);
    }
    WriteSettings("[Setup]\nLanguage=Magyar\xE1\nName=Caf\xC3\xA9\n");
    ASSERT_TRUE(TIniFile(SettingsPath()).WriteString("Setup", "Language", "German"));
    EXPECT_EQ(TIniFile(SettingsPath()).ReadString("Setup", "Name", "-"), cafe);

    // What cannot be stored so that it reads back is refused, and the file is left alone.
    const QByteArray file = "[Setup]\nLanguage=English\n";
    const std::pair<QString, QString> refused[] = {{"Language", "two\nlines"},
                                                   {"Language", "cr\r"},
                                                   {"[Other]", "1"},
                                                   {"Key=", "1"},
                                                   {" Key", "1"},
                                                   {"", "1"}};
    for (const auto& [key, value] : refused) {
        WriteSettings(file);
        TIniFile ini(SettingsPath());
        EXPECT_FALSE(ini.WriteString("Setup", key, value)) << key.toStdString();
        EXPECT_FALSE(ini.writeError().isEmpty());
        EXPECT_EQ(ReadSettings(), file);
    }
}

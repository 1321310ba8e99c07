#pragma once

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

#include "app/Main.h"
#include "app/Program.h"
#include "link/DataModule.h"
#include "support/sim/SimHidPlatform.h"
#include "support/test_helpers.h"

// A whole program on its own temporary folder, where its settings file is
// written before it starts. Build() puts its USB interfaces on the simulator.
class ProgramFixture : public ::testing::Test {
protected:
    void TearDown() override {
        platform->programBusy = nullptr;
        program.reset();
        platform->WaitIdle(200);
    }

    QString SettingsPath() const { return dir.filePath(QStringLiteral("Tamarind.ini")); }

    void WriteSettings(const QByteArray& content) {
        QFile f(SettingsPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(content);
    }

    QByteArray ReadSettings() const { return ReadFile(SettingsPath()); }

    // Settings that start the program in English (no language dialog) on the USB interface `usb`.
    static QByteArray EnglishSettings(int usb) {
        return QStringLiteral("[Setup]\r\nLanguage=English\r\nUSB=%1\r\nINTERFACE=USB\r\nIP=0.0.0.0\r\n"
                              "MASK=255.255.255.255\r\n")
            .arg(usb)
            .toLatin1();
    }

    // The program on the simulated USB interfaces, with `arguments` as its
    // command line; the simulator's waits include the program's pauses.
    void Build() {
        ProgramOptions options;
        options.appDir = dir.path() + QLatin1Char('/');
        options.hidPlatform = platform;
        options.arguments = arguments;
        program = std::make_unique<Program>(options);
        platform->programBusy = [dm = program->DM.get()] { return dm->Pausing(); };
        dm = program->DM.get();
        w = program->frmMain.get();
    }

public:
    // A widget of the main window by its object name; a missing one fails the test.
    template <typename T = QWidget> T* Find(const QString& name) const { return FindChild<T>(w, name); }

protected:
    QTemporaryDir dir;
    QStringList arguments; // the command line
    std::shared_ptr<sim::SimHidPlatform> platform = std::make_shared<sim::SimHidPlatform>();
    std::unique_ptr<Program> program;
    TDM* dm = nullptr;
    TfrmMain* w = nullptr;
};

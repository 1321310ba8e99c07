#pragma once

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

#include "app/Main.h"
#include "app/Program.h"
#include "link/DataModule.h"
#include "link/hid/JvHidControllerClass.h"
#include "support/sim/SimHidPlatform.h"

// A whole program on the simulator: its settings file in a temporary folder,
// its USB interfaces virtual.
class LinkFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        WriteSettings(0);
        ProgramOptions options;
        options.appDir = dir.path() + QLatin1Char('/');
        options.hidPlatform = platform;
        options.arguments = arguments;
        program = std::make_unique<Program>(options);
        platform->programBusy = [dm = program->DM.get()] { return dm->Pausing(); };
        dm = program->DM.get();
        w = program->frmMain.get();
    }

    void TearDown() override {
        platform->programBusy = nullptr;
        program.reset();
        platform->WaitIdle(200);
    }

    void WriteSettings(int usb) {
        QFile f(dir.path() + QStringLiteral("/Tamarind.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QStringLiteral("[Setup]\r\nLanguage=English\r\nUSB=%1\r\nINTERFACE=USB\r\nIP=0.0.0.0\r\n"
                               "MASK=255.255.255.255\r\n")
                    .arg(usb)
                    .toLatin1());
    }

    // Shows the window; its first scan follows the start-up work.
    void Start() {
        w->show();
        ASSERT_TRUE(platform->WaitIdle()) << "the program and the simulator did not settle in time";
    }

    // Fails the test (callers: ASSERT_NO_FATAL_FAILURE) when the wait runs out,
    // so that nothing is read from a run that did not finish.
    void Settle() {
        ASSERT_TRUE(platform->WaitIdle()) << "the program and the simulator did not settle in time";
    }

    // Plugs an interface that grants credit only when told to; the first one
    // arrives with the first scan, later ones with their own notices.
    std::shared_ptr<sim::SimInterface> Connect(uint8_t type) {
        auto box = platform->PlugInterface(type);
        box->autoCredit = false;
        if (w->formActivateDone())
            Settle();
        else
            Start();
        EXPECT_EQ(dm->InterfaceType, type);
        dm->tmrGetInfo->stop(); // the RF interfaces' delayed request is not wanted here
        box->written.clear();
        return box;
    }

    QString StatusText() const { return w->statusPanel(2)->text(); }

    // Bytes [from, from + n) of a report.
    static std::vector<uint8_t> Bytes(const std::vector<uint8_t>& r, size_t from, size_t n) {
        return {r.begin() + long(from), r.begin() + long(from + n)};
    }

    static std::vector<uint8_t> Commands(const sim::SimDevice& box) {
        std::vector<uint8_t> out;
        for (const auto& r : box.written)
            out.push_back(r[1]);
        return out;
    }

    QTemporaryDir dir;
    QStringList arguments;
    std::shared_ptr<sim::SimHidPlatform> platform = std::make_shared<sim::SimHidPlatform>();
    std::unique_ptr<Program> program;
    TDM* dm = nullptr;
    TfrmMain* w = nullptr;
};

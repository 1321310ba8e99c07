#pragma once

#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "app/Main.h"
#include "app/Program.h"
#include "link/DataModule.h"
#include "maker/ConfigPages.h"
#include "maker/ProgramEditor.h"
#include "support/sim/SimHidPlatform.h"

// A whole program on the simulator after the first activation of its main
// window, which fills the program and configuration pages with their defaults.
class EditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        QFile f(dir.path() + QStringLiteral("/Tamarind.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("[Setup]\r\nLanguage=English\r\nUSB=0\r\nINTERFACE=USB\r\nIP=0.0.0.0\r\nMASK=255.255.255."
                "255\r\n");
        f.close();
        BeforeStart();
        ProgramOptions options;
        options.appDir = dir.path() + QLatin1Char('/');
        options.hidPlatform = platform;
        options.arguments = arguments;
        program = std::make_unique<Program>(options);
        platform->programBusy = [dm = program->DM.get()] { return dm->Pausing(); };
        frmPtr = program->frmMain.get();
        frmPtr->show();
        QCoreApplication::sendPostedEvents(frmPtr);
        ASSERT_TRUE(platform->WaitIdle());
    }

    void TearDown() override {
        platform->programBusy = nullptr;
        program.reset();
        platform->WaitIdle(200);
    }

    // Runs before the program starts (plug simulated interfaces here).
    virtual void BeforeStart() {}

    TfrmMain& frm() { return *frmPtr; }
    ProgramEditor& editor() { return *frmPtr->programEditor; }
    ConfigPages& config() { return *frmPtr->configPages; }
    tProgramData& P() { return editor().Programs; }
    tDeviceConfig& C() { return config().DeviceConfig; }

    // Types into a spin or time edit; Return finishes the edit unless `finish` is false.
    static void Type(QWidget* w, const QString& text, bool finish = true) {
        w->setFocus();
        if (auto* s = qobject_cast<QSpinBox*>(w)) {
            s->selectAll();
        } else if (auto* e = qobject_cast<QLineEdit*>(w)) {
            e->selectAll();
            QTest::keyClick(e, Qt::Key_Delete);
            e->setCursorPosition(0);
        }
        QTest::keyClicks(w, text);
        if (finish) QTest::keyClick(w, Qt::Key_Return);
    }

    template <class T> T* W(const QString& name) {
        T* w = frmPtr->findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }

    QTemporaryDir dir;
    QStringList arguments; // the command line, set in BeforeStart
    std::shared_ptr<sim::SimHidPlatform> platform = std::make_shared<sim::SimHidPlatform>();
    std::unique_ptr<Program> program;
    TfrmMain* frmPtr = nullptr;
};

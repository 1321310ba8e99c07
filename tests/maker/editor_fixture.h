#pragma once

#include <QCoreApplication>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>

#include "maker/ConfigPages.h"
#include "maker/ProgramEditor.h"
#include "support/program_fixture.h"

// A whole program on the simulator after the first activation of its main
// window, which fills the program and configuration pages with their defaults.
class EditorTest : public ProgramFixture {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        WriteSettings(EnglishSettings(0));
        BeforeStart();
        Build();
        w->show();
        QCoreApplication::sendPostedEvents(w);
        ASSERT_TRUE(platform->WaitIdle());
    }

    // Runs before the program starts (plug simulated interfaces here).
    virtual void BeforeStart() {}

    TfrmMain& frm() { return *w; }
    ProgramEditor& editor() { return *w->programEditor; }
    ConfigPages& config() { return *w->configPages; }
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
};

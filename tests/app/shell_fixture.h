#pragma once

#include <QAbstractButton>
#include <QPlainTextEdit>
#include <QTest>

#include "app/ModalDialog.h"
#include "app/Nyelv.h"
#include "link/SetupInterface.h"
#include "support/log_access.h"
#include "support/program_fixture.h"
#include "ui_Nyelv.h"
#include "ui_RdmPage.h"

// A program built on its own temporary folder, as a fresh start would see it.
class ShellTest : public ProgramFixture {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    Program& start(const QStringList& arguments = {}) {
        program.reset();
        program = std::make_unique<Program>(ProgramOptions{dir.path(), arguments});
        // A language dialog that nobody expects fails the test and is cancelled.
        program->frmNyelv->setAnswerer([](TModalDialog&) { ADD_FAILURE() << "unexpected language dialog"; });
        program->frmSetupInterface->setAnswerer(
            [](TModalDialog&) { ADD_FAILURE() << "unexpected interface setup dialog"; });
        w = program->frmMain.get();
        dm = program->DM.get();
        return *program;
    }

    // A start on the given settings file with the start-up work done.
    Program& startWith(const QByteArray& ini) {
        WriteSettings(ini);
        Program& p = start();
        p.frmMain->FormActivate();
        return p;
    }
    Program& startEnglish() {
        return startWith(
            "[Setup]\nLanguage=English\nUSB=2\nINTERFACE=USB\nIP=0.0.0.0\nMASK=255.255.255.255\n");
    }

    void setLanguage(const char* name) {
        program->frmMain->LanguageName = name;
        program->frmMain->ApplyLanguage();
    }

    TfrmMain& main() { return *program->frmMain; }

    // What the program told the user in the RDM page's log.
    QString log() const { return DeviceLogText(program->frmMain.get()); }
};

// A click on a radio button's indicator (a click beside its text does nothing).
inline void ClickRadio(QAbstractButton* rb) {
    QTest::mouseClick(rb, Qt::LeftButton, {}, QPoint(6, rb->height() / 2));
}

// Which radio button of the language dialog to click, and whether to press OK.
enum class Lang { None, Magyar, English, Deutsch };

inline void AnswerLanguage(Program& p, Lang lang, bool ok) {
    p.frmNyelv->setAnswerer([lang, ok](TModalDialog& d) {
        auto& dlg = static_cast<TfrmNyelv&>(d);
        QRadioButton* rb = lang == Lang::Magyar    ? dlg.ui->rbMagyar
                           : lang == Lang::English ? dlg.ui->rbEnglish
                           : lang == Lang::Deutsch ? dlg.ui->rbDeutsch
                                                   : nullptr;
        if (rb) ClickRadio(rb);
        QTest::mouseClick(ok ? dlg.ui->btnOk : dlg.ui->btnMegsem, Qt::LeftButton);
    });
}

#pragma once

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "app/Main.h"
#include "app/Program.h"
#include "maker/ConfigPages.h"
#include "maker/ProgramEditor.h"

// A running program with its editor pages filled the way the first activation
// of the main window fills them.
class EditorTest : public ::testing::Test {
protected:
    EditorTest()
        : program(ProgramOptions{dir.path(), {}}),
          frm(*program.frmMain),
          editor(*frm.programEditor),
          config(*frm.configPages),
          P(editor.Programs) {
        editor.InitPrograms();
        editor.SelectFirstProgram();
        editor.ShowProgram();
        config.SetDefaultConfig();
        config.ShowConfigPage();
        frm.show();
    }

    template <class T> T* W(const QString& name) {
        T* w = frm.findChild<T*>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }

    QTemporaryDir dir;
    Program program;
    TfrmMain& frm;
    ProgramEditor& editor;
    ConfigPages& config;
    tProgramData& P;
};

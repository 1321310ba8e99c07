#pragma once

#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

#include "app/Info.h"
#include "app/Main.h"
#include "app/Program.h"
#include "link/DataModule.h"
#include "maker/ConfigPages.h"
#include "maker/ProgramEditor.h"
#include "maker/SendPage.h"
#include "maker/editor_fixture.h"
#include "support/sim/SimHidPlatform.h"
#include "support/sim/stream_receiver.h"
#include "support/stream_files.h"
#include "ui_Main.h"

// A whole program on the simulator (see EditorTest), its file dialogs
// answered by the test, its info dialog closed at once and counted, its file
// errors collected.
class FilesTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        if (HasFatalFailure()) return;
        page = w->sendPage.get();
        page->reportFileError = [this](const QString& m) { errors << m; };
        program->frmInfo->setAnswerer([this](TModalDialog& d) {
            infoKinds.push_back(w->MessageKind);
            d.reject();
        });
    }

    QString Path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }

    QString Write(const QString& name, const QByteArray& bytes) {
        QFile f(Path(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        return Path(name);
    }

    // File > Open, the user choosing this file.
    void Open(const QString& path) {
        page->OpenDialog1.answerer = [path](const tFileDialog&) { return std::optional<QString>(path); };
        w->ui->mFileOpen->trigger();
    }

    // File > Save on the page showing, the user typing this name.
    void Save(const QString& name) {
        const QString path = Path(name);
        page->SaveDialog1.answerer = [path](const tFileDialog&) { return std::optional<QString>(path); };
        w->ui->mFileSave->trigger();
    }

    // Plugs an interface that takes block downloads and firmware.
    std::shared_ptr<sim::SimInterface> Plug(uint8_t type) {
        box = platform->PlugInterface(type);
        receiver = sim::SimStreamReceiver::Attach(*box);
        EXPECT_TRUE(platform->WaitIdle());
        dm->tmrGetInfo->stop();
        EXPECT_EQ(dm->InterfaceType, type);
        return box;
    }

    void Settle() { ASSERT_TRUE(platform->WaitIdle(20000)); }

    // The page "Kelvar" showing, on the tab that holds this step-time edit,
    // with the text typed into it and the focus left on another control.
    QLineEdit* ShowKelvarTime(const char* name, const QString& text) {
        w->configPages->selectedDeviceKind = [] { return std::optional<int>(1); };
        w->ui->mAblakKonfig->trigger();
        auto* edit = w->findChild<QLineEdit*>(name);
        if (!edit) return nullptr;
        for (QWidget* p = edit; p && p->parentWidget(); p = p->parentWidget())
            if (auto* tabs = qobject_cast<QTabWidget*>(p->parentWidget()->parentWidget()))
                tabs->setCurrentWidget(p);
        edit->setText(text);
        w->findChild<QWidget*>("seKarMinR")->setFocus();
        return edit;
    }

    // Step times that are not times, and what the user is told of each.
    struct BadStepTime {
        const char* edit;
        const char* text;
        const char* line;
    };
    static constexpr BadStepTime kBadKelvarTimes[] = {
        {"meSpeed1", "", "Speed 1 on page Kelvar is not a valid time (mm:ss.hh): nothing sent"},
        {"meWait4", "01:2", "Wait 4 on page Kelvar is not a valid time (mm:ss.hh): nothing sent"},
        {"meSpeed9", "00:00.0", "Speed 9 on page Kelvar is not a valid time (mm:ss.hh): nothing sent"},
    };

    TSendPage* page = nullptr;
    QStringList errors;
    std::vector<uint8_t> infoKinds;
    std::shared_ptr<sim::SimInterface> box;
    std::shared_ptr<sim::SimStreamReceiver> receiver;
};

#pragma once

#include <QAction>
#include <QLabel>
#include <QTabWidget>
#include <memory>

#include "app/Kerdes.h"
#include "app/Notebook.h"
#include "link/LinkFixture.h"
#include "maker/monitor.h"
#include "maker/rfdmx.h"
#include "support/sim/sim_dmx_input.h"
#include "ui_Main.h"
#include "ui_RemCont.h"
#include "ui_RemContTrain.h"
#include "ui_RfDmxCom.h"
#include "ui_RxDmxNormal.h"
#include "ui_RxLedDriver.h"

// The whole program on the simulator, with an interface whose DMX input and
// configuration answers the test sets.
class MonitorTest : public LinkFixture {
protected:
    void SetUp() override {
        LinkFixture::SetUp();
        w->frmKerdes->setAnswerer([this](TModalDialog& d) {
            warningKinds.push_back(w->MessageKind);
            d.accept();
        });
    }

    // An interface of this type on the simulator, arrived and quiet.
    void Plug(uint8_t type) {
        box = Connect(type);
        input = std::make_unique<sim::SimDmxInput>(*box);
    }

    TRxDmxPage& rx() { return *TRxDmxPage::of(w); }
    Ui::RxLedDriver& led() { return *rx().ledUi; }
    TRfDmxPage& rf() { return *TRfDmxPage::of(w); }
    Ui::RfDmxCom& com() { return *rf().comUi; }

    QString SubPage() const { return ActivePageCaption(w->ui->nbRxDmx); }
    QString LineStatus() const { return w->statusPanel(3)->text(); }

    // The monitor started from the Window menu, then `frames` frames of
    // `frame` streamed.
    void StartMonitorWith(const std::vector<uint8_t>& frame, int frames) {
        w->ui->mAblakRxDmx->trigger();
        input->input = frame;
        input->StreamFrames(frames);
        Settle();
    }

    // The next frames shown, once the sender's kind is known.
    void Show(const std::vector<uint8_t>& frame, int frames = 1) {
        input->input = frame;
        input->StreamFrames(frames);
        Settle();
    }

    std::unique_ptr<sim::SimDmxInput> input;
    std::vector<int> warningKinds; // MessageKind of each question dialog shown
};

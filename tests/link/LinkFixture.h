#pragma once

#include <QLabel>
#include <QTimer>

#include "link/hid/JvHidControllerClass.h"
#include "support/log_access.h"
#include "support/program_fixture.h"

// A whole program on the simulator: its settings file in a temporary folder,
// its USB interfaces virtual.
class LinkFixture : public ProgramFixture {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        WriteSettings(EnglishSettings(0));
        Build();
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

    // Plugs an interface, starts the program and gives the interface a DMX
    // line of simulated devices.
    template <class Line> std::shared_ptr<Line> StartOnLine() {
        box = platform->PlugInterface(0);
        Start();
        auto line = std::make_shared<Line>();
        box->line = line;
        return line;
    }

    QString StatusText() const { return w->statusPanel(2)->text(); }
    // The lines of the RDM page's device log.
    QStringList Log() const { return DeviceLogLines(w); }

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

    std::shared_ptr<sim::SimInterface> box; // the interface plugged in
};

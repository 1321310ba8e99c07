// The received-DMX monitor: the escaped stream decoder byte for byte, and the
// page "RxDmx" fed by the simulator's monitor stream and polled answers.
#include "maker/DmxGrid.h"
#include <QProgressBar>
#include <QTimer>

#include "maker/Shapes.h"
#include "monitor_fixture.h"

namespace {

using ByteList = std::vector<uint8_t>;

ByteList Concat(std::initializer_list<ByteList> parts) {
    ByteList out;
    for (const ByteList& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

} // namespace

TEST(MonitorStream, DecoderTable) {
    struct Row {
        const char* what;
        uint8_t state; // before the first byte
        ByteList stream;
        int frameEnds;
        ByteList stored; // DmxFrame from index 0 after the stream
        uint16_t index;  // write index after the stream
    };
    const ByteList overlong(600, 0x11);
    const std::vector<Row> rows = {
        {"escape example after a frame end",
         MonitorStateFrameStart,
         {0x01, 0x02, 0xFD, 0xFD, 0x03, 0xFD, 0x01},
         1,
         {0x01, 0x02, 0xFD, 0x03, 0x77},
         0},
        {"0xFD right after a frame end is a start code",
         MonitorStateWaitEscape,
         {0xFD, 0x01, 0xFD, 0x05},
         1,
         {0xFD, 0x05, 0x77},
         2},
        {"after the monitor starts, bytes wait for a frame end",
         MonitorStateWaitEscape,
         {0x05, 0x06, 0xFD, 0x01, 0x07},
         1,
         {0x07, 0x77},
         1},
        {"broken escape drops up to the next 0xFD; earlier values stay",
         MonitorStateFrameStart,
         {0x10, 0x11, 0xFD, 0x02, 0x12, 0x13, 0xFD, 0x01},
         1,
         {0x10, 0x11, 0x77, 0x77},
         0},
        {"two frames in one stream",
         MonitorStateFrameStart,
         {0x00, 0x21, 0xFD, 0x01, 0x00, 0x22, 0x23},
         1,
         {0x00, 0x22, 0x23, 0x77},
         3},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        tDmxFrame frame;
        frame.fill(0x77);
        uint8_t state = r.state;
        uint16_t index = 0;
        int ends = 0;
        for (uint8_t b : r.stream)
            ends += MonitorStreamByte(state, index, frame, b) ? 1 : 0;
        EXPECT_EQ(ends, r.frameEnds);
        EXPECT_EQ(ByteList(frame.begin(), frame.begin() + long(r.stored.size())), r.stored);
        EXPECT_EQ(index, r.index);
    }
}

TEST(MonitorStream, FrameThatNeverEndsStaysInsideTheBuffer) {
    tDmxFrame frame;
    frame.fill(0x77);
    uint8_t state = MonitorStateFrameStart;
    uint16_t index = 0;
    for (int i = 0; i < 600; ++i)
        EXPECT_FALSE(MonitorStreamByte(state, index, frame, 0x11));
    EXPECT_EQ(index, MonitorFrameBytes);
    EXPECT_EQ(frame[512], 0x11);
    EXPECT_EQ(frame[513], 0x77); // the spare byte after the slots
    // The excess is dropped up to the frame end; the next frame starts at 0.
    for (uint8_t b : {0xFD, 0x01, 0x42})
        MonitorStreamByte(state, index, frame, b);
    EXPECT_EQ(frame[0], 0x42);
    EXPECT_EQ(index, 1);
}

TEST_F(MonitorTest, PlainSenderAndControllerAreToldApartAfter31Frames) {
    // Frames 11..31 are checked for the signature; 11 of those 21 make a controller.
    struct Row {
        int signedFrom; // the frame from which on the sender puts its signature
        const char* subPage;
    };
    const std::vector<Row> rows = {
        {32, "RxNormal"}, {21, "RxLedDriver"}, {22, "RxNormal"}, {1, "RxLedDriver"}};
    Plug(0);
    sim::ControllerStatus controller;
    sim::ControllerStatus plain = controller;
    plain.signature = false;
    EXPECT_EQ(LineStatus(), "DMX line: Idle");
    auto frameNumber = [&](int n, int signedFrom) {
        return n >= signedFrom ? controller.Frame() : plain.Frame();
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "signed from frame " << r.signedFrom);
        w->showMainPage(QStringLiteral("Logo"));
        StartMonitorWith(frameNumber(1, r.signedFrom), 10);
        EXPECT_EQ(SubPage(), "RxNosignal");
        EXPECT_EQ(w->LineState.InputSignalFlag, 0);
        EXPECT_EQ(w->mainPageCaption(), "RxDmx");

        for (int n = 11; n <= 31; ++n) {
            input->input = frameNumber(n, r.signedFrom);
            input->StreamFrames(1);
        }
        Settle();
        EXPECT_EQ(w->LineState.InputSignalFlag, 1);
        EXPECT_EQ(LineStatus(), "DMX line: Input signal");
        EXPECT_EQ(w->LineState.ReceiverKindKnown, 1);
        EXPECT_EQ(w->mainPageCaption(), "RxDmx");
        EXPECT_EQ(SubPage(), r.subPage);
        EXPECT_TRUE(w->tmrDmxSzunVizsg->isActive());
    }
}

TEST_F(MonitorTest, ControllerStatusFields) {
    // Each row changes the base status and checks what the page shows.
    struct Row {
        const char* what;
        std::function<void(sim::ControllerStatus&)> change;
        std::function<void(Ui::RxLedDriver&)> check;
    };
    const std::vector<Row> rows = {
        {"identity and times",
         [](sim::ControllerStatus& s) {
             s.program = 3;
             s.step = 2;
             s.stepCount = 8;
             s.speed = 20;
             s.wait = 3;
         },
         [](Ui::RxLedDriver& u) {
             EXPECT_EQ(u.lPrgNum->text(), "3");
             EXPECT_EQ(u.lPrgSteps->text(), "2/8");
             EXPECT_EQ(u.lSoft->text(), "0:01.00s");
             EXPECT_EQ(u.lKepvalt->text(), "0:00.15s");
             EXPECT_EQ(u.gKepvalt->maximum(), 3);
             EXPECT_EQ(u.lSoftVer->text(), "v2.3 - 2024.5.17");
             EXPECT_EQ(u.lHardVer->text(), "v4.0 - 2023.11.2");
             EXPECT_EQ(u.lProdName->text(), "KELVAR RGB DMX - common anode");
             EXPECT_EQ(u.lRdmUid->text(), "7FF1 : 00ABCDEF");
             EXPECT_EQ(u.lSerial->text(), "SN123456");
         }},
        {"a controller standing still",
         [](sim::ControllerStatus& s) {
             s.speed = 0;
             s.wait = 0;
         },
         [](Ui::RxLedDriver& u) {
             EXPECT_EQ(u.lSoft->text(), "STOP");
             EXPECT_EQ(u.lKepvalt->text(), "0:00.00s");
         }},
        {"unknown model, new version",
         [](sim::ControllerStatus& s) {
             s.model = 0x99;
             s.software[0] = 7;
             s.serial = "AB";
         },
         [](Ui::RxLedDriver& u) {
             EXPECT_EQ(u.lProdName->text(), "Undefined device");
             EXPECT_EQ(u.lSoftVer->text(), "v7.3 - 2024.5.17");
             EXPECT_EQ(u.lSerial->text(), "AB");
         }},
        {"common cathode of a known model",
         [](sim::ControllerStatus& s) {
             s.model = 0x62;
             s.commonAnode = 0;
             s.software[0] = 8;
         },
         [](Ui::RxLedDriver& u) {
             EXPECT_EQ(u.lProdName->text(), "VINTARO RGBAW MULTI 3G - common chatode");
         }},
        {"modes and gauges",
         [](sim::ControllerStatus& s) {
             s.locked = 1;
             s.fade = 0;
             s.stepMode = 1;
             s.speedGauge = 100;
             s.wait = 50;
             s.waitGauge = 70; // past its maximum: full
             s.brightness = 128;
         },
         [](Ui::RxLedDriver& u) {
             EXPECT_TRUE(u.lLocked->isEnabled());
             EXPECT_TRUE(u.lFadeOff->isEnabled());
             EXPECT_TRUE(u.lStepMode->isEnabled());
             EXPECT_EQ(u.gSoft->value(), 100);
             EXPECT_EQ(u.gKepvalt->value(), u.gKepvalt->maximum());
             EXPECT_EQ(u.gDimmer->value(), 128);
             EXPECT_EQ(u.gDimmer->maximum(), 256);
         }},
    };
    Plug(0);
    sim::ControllerStatus base;
    StartMonitorWith(base.Frame(), 31);
    ASSERT_EQ(SubPage(), "RxLedDriver");
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        sim::ControllerStatus s = base;
        r.change(s);
        Show(s.Frame());
        r.check(led());
    }
}

TEST_F(MonitorTest, TemperatureColours) {
    struct Row {
        uint8_t celsius;
        QColor colour;
    };
    // 100 °C and above keep the colour of the temperature before.
    const std::vector<Row> rows = {{25, QColor(0, 255, 0)},  {41, QColor(120, 135, 0)},
                                   {51, QColor(240, 15, 0)}, {60, QColor(255, 0, 0)},
                                   {120, QColor(255, 0, 0)}, {30, QColor(0, 255, 0)},
                                   {100, QColor(0, 255, 0)}, {31, QColor(0, 255, 0)}};
    Plug(0);
    sim::ControllerStatus s;
    StartMonitorWith(s.Frame(), 31);
    for (const Row& r : rows) {
        s.temperature = r.celsius;
        Show(s.Frame());
        EXPECT_EQ(led().lTemp->text(), QStringLiteral("T: %1°C").arg(r.celsius));
        EXPECT_EQ(led().lTemp->palette().color(QPalette::WindowText), r.colour) << int(r.celsius);
    }
}

TEST_F(MonitorTest, GridAndSquaresShowTheSlotsAndOnlyChangedCellsAreRewritten) {
    Plug(0);
    StartMonitorWith(sim::PlainFrame(), 31);
    ASSERT_EQ(SubPage(), "RxNormal");
    ByteList frame = sim::PlainFrame(3, 1); // slot n = 3n + 1, with 0xFD among them
    Show(frame);
    TRxDmxPage& p = rx();
    // Headers, and the cells of slots 1, 25, 26, 84 (0xFD in the stream), 512 and after it.
    EXPECT_EQ(p.CellText(1, 0), "1");
    EXPECT_EQ(p.CellText(25, 0), "25");
    EXPECT_EQ(p.CellText(0, 1), "1");
    EXPECT_EQ(p.CellText(0, 21), "501");
    EXPECT_EQ(p.CellText(1, 1), QString::number(frame[1]));
    EXPECT_EQ(p.CellText(25, 1), QString::number(frame[25]));
    EXPECT_EQ(p.CellText(1, 2), QString::number(frame[26]));
    EXPECT_EQ(p.CellText(9, 4), "253");
    EXPECT_EQ(p.CellText(12, 21), QString::number(frame[512]));
    EXPECT_EQ(p.CellText(13, 21), "");
    auto rgb = [&](int slot) {
        return uint32_t(frame[size_t(slot)] | frame[size_t(slot) + 1] << 8 | frame[size_t(slot) + 2] << 16);
    };
    for (int i = 1; i <= 10; ++i)
        EXPECT_EQ(p.SlotShape(i)->colour(), rgb(3 * i - 2)) << i;
    EXPECT_EQ(p.ControllerShape(0)->colour(), rgb(1));
    EXPECT_EQ(p.ControllerShape(19)->colour(), rgb(58));

    int rewritten = 0;
    QObject::connect(p.normalUi->sgDmx, &TDmxGrid::cellChanged, [&] { ++rewritten; });
    Show(frame, 3);
    EXPECT_EQ(rewritten, 0);
    frame[7] = 0;
    frame[300] = 1;
    frame[512] = 2;
    Show(frame);
    EXPECT_EQ(rewritten, 3);
    EXPECT_EQ(p.CellText(12, 21), "2");
}

TEST_F(MonitorTest, WatchdogReturnsToNoSignalWhenTheStreamStops) {
    Plug(0);
    StartMonitorWith(sim::PlainFrame(), 35);
    ASSERT_EQ(SubPage(), "RxNormal");
    ASSERT_TRUE(w->tmrDmxSzunVizsg->isActive());
    // The stream stops; let the watchdog's second pass at once.
    w->tmrDmxSzunVizsg->setInterval(0);
    Settle();
    EXPECT_FALSE(w->tmrDmxSzunVizsg->isActive());
    EXPECT_EQ(w->mainPageCaption(), "Logo");
    EXPECT_EQ(SubPage(), "RxNosignal");
    EXPECT_EQ(LineStatus(), "DMX line: Idle");
    EXPECT_EQ(w->LineState.ReceiverKindKnown, 0);
    EXPECT_EQ(w->LineState.DetectFrameCount, 0u);

    // The sender comes back: it is told apart anew.
    w->tmrDmxSzunVizsg->setInterval(1000);
    sim::ControllerStatus controller;
    Show(controller.Frame(), 31);
    EXPECT_EQ(w->mainPageCaption(), "RxDmx");
    EXPECT_EQ(SubPage(), "RxLedDriver");
}

TEST_F(MonitorTest, MonitorReportsAreReadOnlyWithinTheirBytes) {
    Plug(0);
    w->ui->mAblakRxDmx->trigger();
    Settle();
    ASSERT_EQ(dm->LinkMode, LinkModeMonitor);
    struct Row {
        const char* what;
        ByteList report; // 64 bytes after the report id
        uint16_t index;
    };
    // A frame end, then 58 data bytes fill the rest of a 64-byte report.
    ByteList full = Concat({{InputData, 5, 255, 0, 0xFD, 0x01}, ByteList(58, 0x11)});
    ByteList otherSubtype = full;
    otherSubtype[1] = 4;
    ByteList acknowledge = full;
    acknowledge[0] = InputBlockAck;
    const std::vector<Row> rows = {
        {"a count past the report takes its 60 bytes", full, 58},
        {"another subtype is not stream", otherSubtype, 0},
        {"a block acknowledge is not stream", acknowledge, 0},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        dm->MonitorState = MonitorStateWaitEscape;
        dm->MonitorWriteIndex = 0;
        // The byte after the report's 64 would end nothing if it were read.
        dm->HidReport[64] = 0x22;
        dm->HidDataReceived(dm->HidDev, 0, r.report.data(), uint16_t(r.report.size()));
        EXPECT_EQ(dm->MonitorWriteIndex, r.index);
    }
}

TEST_F(MonitorTest, PolledReportsOfRepeaters) {
    Plug(1);
    w->ui->mAblakRxDmx->trigger();
    Settle();
    EXPECT_EQ(w->mainPageCaption(), "RxDmx");
    EXPECT_EQ(dm->LinkMode, LinkModeMonitor);
    EXPECT_TRUE(w->tmrRx->isActive());
    EXPECT_EQ(w->tmrRx->interval(), 1000);
    w->tmrRx->stop(); // its ticks come from the test

    // The timer's polls, answered by the simulator with 60 slots at a time.
    input->input = sim::PlainFrame(1, 100);
    for (int i = 0; i < 2; ++i) {
        box->written.clear();
        QMetaObject::invokeMethod(w->tmrRx, "timeout", Qt::DirectConnection);
        Settle();
        ASSERT_EQ(box->written.size(), 1u);
        EXPECT_EQ(ByteList(box->written[0].begin() + 1, box->written[0].begin() + 3),
                  (ByteList{CmdStartMonitor, 1}));
    }
    EXPECT_EQ(w->tmrRx->interval(), 10);
    w->tmrRx->stop();
    EXPECT_EQ(SubPage(), "RxNormal");
    EXPECT_EQ(rx().CellText(1, 1), QString::number(101 & 0xFF));
    EXPECT_EQ(rx().CellText(20, 5), QString::number((120 + 100) & 0xFF));
    EXPECT_EQ(rx().CellText(21, 5), ""); // slot 121 not yet polled

    struct Row {
        const char* what;
        ByteList report;                                // bytes 0.. after the report id
        std::vector<std::pair<int, const char*>> cells; // slot, text
        const char* subPage;
    };
    const std::vector<Row> rows = {
        {"no signal", {0, 0, 0, 0}, {}, "RxNosignal"},
        {"offset 24, two values", {0, 2, 24, 0, 7, 9}, {{25, "7"}, {26, "9"}}, "RxNormal"},
        {"past slot 512 only up to 512",
         {0, 5, 0xFE, 0x01, 1, 2, 3, 4, 5},
         {{511, "1"}, {512, "2"}},
         "RxNormal"},
        {"far past slot 512", {0, 3, 0xFF, 0xFF, 6, 6, 6}, {{512, "2"}}, "RxNormal"},
        {"a count past the report takes 60 values",
         Concat({{0, 250, 0x40, 0x01}, ByteList(60, 8)}),
         {{321, "8"}, {380, "8"}, {381, ""}},
         "RxNormal"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        box->PushReport(r.report);
        Settle();
        EXPECT_EQ(SubPage(), r.subPage);
        for (auto [slot, text] : r.cells)
            EXPECT_EQ(rx().CellText((slot - 1) % 25 + 1, (slot - 1) / 25 + 1), text) << slot;
    }

    // The logo page stops the polls.
    w->tmrRx->start();
    w->ui->mAblakLogo->trigger();
    EXPECT_FALSE(w->tmrRx->isActive());
}

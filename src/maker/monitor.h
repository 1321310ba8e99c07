#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>

#include "link/LinkTypes.h"

namespace Ui {
class RxDmxNormal;
class RxLedDriver;
} // namespace Ui
class QLabel;
class QProgressBar;
class TShape;
class TfrmMain;

// ---- The monitor stream ------------------------------------------------------
// The interface sends what arrives on its DMX input as a byte stream in which
// 0xFD escapes: 0xFD 0x01 ends a frame, 0xFD 0xFD is a data byte 0xFD. The byte
// after a frame end is the next frame's start code and is taken as it is.

inline constexpr uint8_t InputSubtypeMonitor = 5;
inline constexpr uint8_t MonitorEscape = 0xFD;
inline constexpr uint8_t MonitorFrameEndMark = 0x01;
// Start code and 512 slots: a frame never writes further.
inline constexpr uint16_t MonitorFrameBytes = 513;
// Data bytes that one input report holds after its four header bytes.
inline constexpr int ReportDataBytes = 60;

// Decoder states (MonitorState).
inline constexpr uint8_t MonitorStateData = 0;
inline constexpr uint8_t MonitorStateEscape = 1;
inline constexpr uint8_t MonitorStateWaitEscape = 2;
inline constexpr uint8_t MonitorStateFrameStart = 3;

using tDmxFrame = std::array<uint8_t, 514>;

// Takes one stream byte into `frame` at `index`. Returns true when the byte
// ends a frame (the index is then back at 0). Bytes that would pass the 513
// bytes of a frame are dropped until the frame ends.
bool MonitorStreamByte(uint8_t& state, uint16_t& index, tDmxFrame& frame, uint8_t byte);

// ---- The maker's controllers in the stream ------------------------------------

// Slots 121..124 of a controller's frame: 0xAA, 0xF3 and a check of the three
// before it.
bool CarriesControllerSignature(const tDmxFrame& frame);
// 50-ms units as "m:ss.hhs" (3 units: "0:00.15s").
QString MonitorTimeText(uint16_t units);
// Font colour of a temperature (red in the low byte): green below 31 °C,
// towards red up to 51 °C, red up to 99 °C; from 100 °C on the colour stays.
uint32_t TemperatureColour(uint8_t celsius, uint32_t previous);

// The page "RxDmx": the slot values of a plain sender ("RxNormal"), the status
// of one of the maker's controllers ("RxLedDriver"), or no signal
// ("RxNosignal"). The forms are hosted inside the notebook pages; one
// instance per main window.
class TRxDmxPage : public QObject {
    Q_OBJECT

public:
    explicit TRxDmxPage(TfrmMain* mainWindow);
    ~TRxDmxPage() override;

    static TRxDmxPage* of(const TfrmMain* mainWindow);

    void mAblakRxDmxClick();
    void tmrRxTimer();

    // A frame of the monitor stream ended (the frame is in DmxFrame).
    void MonitorFrameEnd();
    void DetectReceiverKind();
    void ShowMonitorFrame();
    // A polled report of the repeaters and splitters.
    void ShowReceivedDmx(const THidReport& report);

    // Text of the slot grid's cell (column, row); row 0 and column 0 are headers.
    QString CellText(int column, int row) const;
    // Shape102 .. Shape121 (k = 0..19) and sRGB01 .. sRGB10 (i = 1..10).
    TShape* ControllerShape(int k) const { return controllerShapes[size_t(k)]; }
    TShape* SlotShape(int i) const { return slotShapes[size_t(i - 1)]; }

    std::unique_ptr<Ui::RxDmxNormal> normalUi;
    std::unique_ptr<Ui::RxLedDriver> ledUi;

private:
    void CreateShapes();
    void PrepareGrid();
    void ShowSubPage(const char* caption);
    // Writes one slot's value into the grid unless the cell shows it already.
    void ShowSlot(int slot, uint8_t value);
    void ForgetShownStatus();

    // What the controller status fields show now; -1: nothing yet, so the
    // next frame draws the field whatever its value.
    struct ShownStatus {
        int program = -1;
        int step = -1;
        int stepCount = -1;
        int wait = -1;
        int soft = -1;
        int waitGauge = -1;
        int dimmer = -1;
        int temperature = -1;
        int version = -1;
        uint32_t temperatureColour = 0x00FF00;
    };

    TfrmMain* frm;
    ShownStatus shown;
    // Value each slot cell shows (-1: empty), so unchanged cells are not rewritten.
    std::array<int16_t, 513> shownSlots{};
    std::array<TShape*, 20> controllerShapes{};
    std::array<TShape*, 10> slotShapes{};
};

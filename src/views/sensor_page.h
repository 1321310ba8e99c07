#pragma once

#include <QFile>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>

#include "rdm/RdmDevice.h"

namespace Ui {
class SensorTab;
}
class QLabel;
class QFrame;
class QPushButton;
class QTimer;
class TfrmMain;

// The sensor tab `tsErzekelok` of the RDM page: three sensor rows a page, kept
// current by polling one GET SENSOR_VALUE every 500 ms, with reset, record and
// a text log. The form is hosted inside the tab; the page's state lives here,
// one instance per main window.
class TSensorPage : public QObject {
    Q_OBJECT

public:
    // What the page needs from the rest of the program. The request sender
    // sets the request PID and parameter data and sends to the record's UID
    // and sub-device (link type 0x40).
    struct Links {
        std::function<tRdmDevice*()> currentRecord;
        std::function<bool()> demoMode;
        std::function<int()> discoveredCount;
        std::function<void(const tRdmDevice&, uint8_t commandClass, uint16_t pid, uint8_t sensorNumber)> send;
    };

    explicit TSensorPage(TfrmMain* mainWindow);
    ~TSensorPage() override;

    // The sensor page of a main window (created with the window).
    static TSensorPage* of(const TfrmMain* mainWindow);

    void StartSensorPolling();
    void StopSensorPolling();
    void SensorTimerTick();
    // One SENSOR_VALUE answer's parameter data (sensor number first).
    void ShowSensorValue(std::span<const uint8_t> data);
    void ShowSensorPage();
    void ShowNextSensorPage();
    void ShowPrevSensorPage();
    void ColorSensorRangeLed(uint8_t row, int value);
    // A waiting reset or record is not sent: its line says so, naming `why`.
    void DropSensorCommands(const QString& why);

    std::unique_ptr<Ui::SensorTab> ui;
    // The data module's 500 ms timer `tmrSensor` (a timer of the page's own
    // while the window has no data module).
    QTimer* timer() const;
    Links links;

    uint8_t SensorPage = 0;
    uint8_t SensorIndex = 0;
    uint8_t SensorRequested = 0;
    uint8_t SensorResetPending = 0;
    uint8_t SensorRecordPending = 0;
    // Sensor numbers (0xFF: all) of the waiting reset and record. Each keeps
    // its own, so a record clicked before the tick that sends an earlier reset
    // does not redirect that reset (nor the reverse).
    uint8_t SensorCommandNumber = 0;
    uint8_t SensorRecordNumber = 0;
    // The device each waiting command was pressed for. It goes to that device
    // only: once another node is selected it is dropped with a line.
    struct SensorCommandDevice {
        uint64_t uid = 0;
        uint16_t subDevice = 0;
    };
    SensorCommandDevice SensorResetDevice, SensorRecordDevice;
    uint8_t LogEnabled = 0;
    QFile LogFile;
    QString SensorLogTime, SensorLogValue1, SensorLogValue2;

public slots:
    void btnSensDatRes1Click();
    void btnRecSens1Click();
    void btnLogClick();

private:
    struct Row {
        QFrame* panel;
        QLabel *name, *min, *max, *normMin, *normMax, *curr, *low, *high, *recorded, *detected, *zeroLabel;
        QFrame *back, *bar, *markNormMin, *markNormMax, *markZero;
        QPushButton *reset, *record;
    };

    Row row(int r) const; // r = 1..3
    tRdmDevice* record() const;
    bool isDemo() const;
    void appendDeviceLog(const QString& line);
    void queueSensorCommand(bool reset);
    void dropCommandsOfOtherDevices(const tRdmDevice& selected);
    void dropCommand(uint8_t& pending, const SensorCommandDevice& device, bool reset, const QString& why);
    void writeLogLine();
    void stopLogAfterError(const QString& what);

    TfrmMain* frm;
    QTimer* ownTimer = nullptr;
};

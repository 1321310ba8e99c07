#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <optional>

#include "maker/Karakt.h"

class QAbstractButton;
class QChartView;
class QLineEdit;
class QLineSeries;
class QRadioButton;
class QSlider;
class QSpinBox;
class QWidget;
class TfrmMain;

// The page "Konfiguracio": the configuration record of the maker's six device
// models shown and edited on the model pages of `nbKonf` ("Kelvar", "Q7",
// "Q9Root", "Q9Sub", "Q73G", "ZK4"), and the dimming characteristic of each
// channel drawn on the pages' "Characteristic" tabs. Every edit goes straight
// into the record and redraws the affected curve.
class ConfigPages : public QObject {
    Q_OBJECT

public:
    explicit ConfigPages(TfrmMain& frm);
    ~ConfigPages() override;

    // The configuration being edited, and the curve last computed for each channel.
    tDeviceConfig DeviceConfig;
    tCurveTable CurveTable{};

    // Kind of the device selected in the device tree, or nothing when no device
    // is selected; Window > Configuration picks the model page by it.
    std::function<std::optional<int>()> selectedDeviceKind;

    void SetDefaultConfig();
    // Page "Kelvar" -> record. Returns false when a step-time edit does not
    // hold a time; that time keeps its stored value and the edit shows it again.
    bool ReadConfigPage();
    void ShowConfigPage();
    void ShowQ7Config();
    void ShowQ9RootConfig();
    void ShowQ9SubConfig();
    void ShowQ73GConfig(uint8_t channels);
    void ShowZK4Config(uint8_t channels);
    bool ReadQ7StepTimes();
    bool ReadQ73GStepTimes();
    bool ReadQ9SubStepTimes();

    // Curves.
    void DrawCharacteristic(int ch);
    void DrawCharacteristicCurve(int ch);
    void DrawZK4Curve(int ch);

    // Editor handlers; each takes its channel from the last letter of the sender's name.
    void seKonfDefRChange(QObject* sender);
    void seKarMinChange(QObject* sender);
    void seKarMaxChange(QObject* sender);
    void seCharZK4OtMaxRChange(QObject* sender);
    void tbKarGamRChange(QObject* sender);
    void seKarOffsRChange(QObject* sender);
    void cbKonfKelvarTulmelegClick(QObject* sender);
    void rbKonfQ7HzClick();
    void rbKonfQ7FreeClick();
    void rbKonfQ9rootHzClick();
    void rbKonfQ9rootFreeClick();
    void seKonfQ73GNumChange(QObject* sender);
    void meSpeed1Exit(QObject* sender);

    // Menu items.
    void mFileUjKonfClick();
    void mAblakKonfigClick();
    void mFileUjKaraktClick();

    // Shows the model page of a device kind; false (nothing changed) for a kind without a page.
    bool ShowPageForDeviceKind(int kind);

    // Text of a gamma label for a track-bar position in tenths: "2,2", "3,0"
    // with a decimal comma.
    static QString GammaText(int position);

    // The charts: Chart1 "Kelvar", Chart2 "Q7", Chart3 "Q9Sub", Chart4 "Q73G", ChartZK4 "ZK4".
    QChartView* Chart(const QString& name) const;
    QLineSeries* Series(const QString& chartName, int ch) const;

private:
    template <class T> T* Find(const QString& name) const;
    void BindHandlers();
    void CreateCharts();
    QChartView* MakeChart(const QString& panel, const QString& name, int series, const uint32_t* colours);

    void ShowSpin(const QString& name, int value);
    void ShowCheck(const QString& name, bool checked);
    void ShowGamma(const QString& slider, const QString& label, double gamma);
    void ShowStepTimes(const QString& speedPrefix, const QString& waitPrefix);
    bool ReadStepTimes(const QString& speedPrefix, const QString& waitPrefix);
    void ShowFrequency(QRadioButton* hz, QRadioButton* free, QSpinBox* number);
    void SetChannelVisible(const QStringList& names, bool visible);

    TfrmMain& frm;
    QWidget* page;  // the form of the page "Konfiguracio"
    QChartView* chart1 = nullptr;
    QChartView* chart2 = nullptr;
    QChartView* chart3 = nullptr;
    QChartView* chart4 = nullptr;
    QChartView* chartZK4 = nullptr;
};

// The characteristic charts of the configuration pages and the drawing of the
// curves into them.
#include <QChart>
#include <QChartView>
#include <QLayout>
#include <QLineSeries>
#include <QTabWidget>
#include <QValueAxis>

#include "app/Main.h"
#include "app/Notebook.h"
#include "maker/ConfigPages.h"
#include "maker/Shapes.h"
#include "ui_KonfigPage.h"

namespace {

// Colours of channels 1..5 (red in the low byte).
constexpr uint32_t kGenericColours[5] = {0x0000FF, 0x008000, 0xFF0000, 0x00FFFF, 0xC0C0C0};
constexpr uint32_t kZK4Colours[5] = {0x0000FF, 0x008000, 0xFF0000, 0xC0C0C0, 0x00FFFF};

QList<QPointF> CurvePoints(const tCurveRow& row, int first) {
    QList<QPointF> points;
    points.reserve(256 - first);
    for (int x = first; x <= 255; ++x) points.append(QPointF(x, row[x] / kOutputFullScale * 100.0));
    return points;
}

}  // namespace

QChartView* ConfigPages::MakeChart(const QString& panelName, const QString& name, int seriesCount,
                                   const uint32_t* colours) {
    auto* panel = page->findChild<QWidget*>(panelName);
    auto* chart = new QChart;
    chart->legend()->hide();
    chart->setBackgroundBrush(Qt::white);
    auto* x = new QValueAxis;
    x->setRange(0, 255);
    x->setTitleText("Input (DMX)");
    x->setLabelFormat("%d");
    auto* y = new QValueAxis;
    y->setRange(0, 100);
    y->setTitleText("Output (%)");
    y->setLabelFormat("%d");
    chart->addAxis(x, Qt::AlignBottom);
    chart->addAxis(y, Qt::AlignLeft);
    for (int k = 0; k < seriesCount; ++k) {
        auto* s = new QLineSeries;
        s->setObjectName(QString("%1Series%2").arg(name).arg(k + 1));
        QPen pen(TShape::ToQColor(colours[k]));
        pen.setWidth(2);
        s->setPen(pen);
        s->setPointsVisible(false);
        chart->addSeries(s);
        s->attachAxis(x);
        s->attachAxis(y);
    }
    auto* view = new QChartView(chart, panel);
    view->setObjectName(name);
    view->setRenderHint(QPainter::Antialiasing);
    view->setRubberBand(QChartView::NoRubberBand);
    if (panel && panel->layout()) panel->layout()->addWidget(view);
    return view;
}

void ConfigPages::CreateCharts() {
    chart1 = MakeChart("pnlChart1", "Chart1", 3, kGenericColours);
    chart2 = MakeChart("pnlChart2", "Chart2", 3, kGenericColours);
    chart3 = MakeChart("pnlChart3", "Chart3", 3, kGenericColours);
    chart4 = MakeChart("pnlChart4", "Chart4", 5, kGenericColours);
    chartZK4 = MakeChart("pnlChartZK4", "ChartZK4", 5, kZK4Colours);
}

QChartView* ConfigPages::Chart(const QString& name) const {
    for (QChartView* v : {chart1, chart2, chart3, chart4, chartZK4})
        if (v && v->objectName() == name) return v;
    return nullptr;
}

QLineSeries* ConfigPages::Series(const QString& chartName, int ch) const {
    QChartView* v = Chart(chartName);
    if (!v) return nullptr;
    const QList<QAbstractSeries*> all = v->chart()->series();
    if (ch < 1 || ch > all.size()) return nullptr;
    return static_cast<QLineSeries*>(all[ch - 1]);
}

void ConfigPages::DrawCharacteristic(int ch) {
    if (ch < 1 || ch > kCurveChannels) return;
    if (ActivePageCaption(frm.konfUi->nbKonf).compare("ZK4", Qt::CaseInsensitive) == 0)
        DrawZK4Curve(ch);
    else
        DrawCharacteristicCurve(ch);
}

void ConfigPages::DrawCharacteristicCurve(int ch) {
    if (ch < 1 || ch > kCurveChannels) return;
    ComputeCharacteristicCurve(DeviceConfig, ch, CurveTable[ch]);
    // Input 0 is not drawn.
    const QList<QPointF> points = CurvePoints(CurveTable[ch], 1);
    if (ch <= 3)
        for (const char* name : {"Chart1", "Chart2", "Chart3"})
            if (QLineSeries* s = Series(name, ch)) s->replace(points);
    if (QLineSeries* s = Series("Chart4", ch)) s->replace(points);
}

void ConfigPages::DrawZK4Curve(int ch) {
    if (ch < 1 || ch > kCurveChannels) return;
    ComputeZK4Curve(DeviceConfig, ch, CurveTable[ch]);
    if (QLineSeries* s = Series("ChartZK4", ch)) s->replace(CurvePoints(CurveTable[ch], 0));
}

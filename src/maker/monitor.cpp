#include "maker/monitor.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <algorithm>

#include "app/Main.h"
#include "app/Notebook.h"
#include "app/products_data.h"
#include "link/DataModule.h"
#include "maker/DmxGrid.h"
#include "maker/SendPage.h"
#include "maker/Shapes.h"
#include "ui_Main.h"
#include "ui_RxDmxNormal.h"
#include "ui_RxLedDriver.h"

// ---- The monitor stream ------------------------------------------------------

bool MonitorStreamByte(uint8_t& state, uint16_t& index, tDmxFrame& frame, uint8_t byte) {
    auto store = [&] {
        // A sender that never ends its frames must not run past the buffer.
        if (index < MonitorFrameBytes) frame[index++] = byte;
    };
    switch (state) {
    case MonitorStateData:
        if (byte == MonitorEscape)
            state = MonitorStateEscape;
        else
            store();
        return false;
    case MonitorStateEscape:
        if (byte == MonitorFrameEndMark) {
            index = 0;
            state = MonitorStateFrameStart;
            return true;
        }
        if (byte == MonitorEscape) {
            store();
            state = MonitorStateData;
        } else {
            // A broken escape: wait for the next one.
            state = MonitorStateWaitEscape;
        }
        return false;
    case MonitorStateFrameStart:
        store();
        state = MonitorStateData;
        return false;
    default: // waiting for 0xFD
        if (byte == MonitorEscape) state = MonitorStateEscape;
        return false;
    }
}

void TDM::HandleMonitorStream() {
    if (HidReport[0] != InputData || HidReport[1] != InputSubtypeMonitor) return;
    // The count cannot ask for more bytes than the report carries.
    const int n = std::min<int>(HidReport[2], ReportDataBytes);
    // The frame handlers may build reports in HidReport; the stream bytes are
    // kept apart from it.
    std::array<uint8_t, ReportDataBytes> bytes;
    std::copy_n(HidReport.begin() + 4, n, bytes.begin());
    TRxDmxPage* page = TRxDmxPage::of(frmMain);
    tDmxFrame& frame = Line().DmxFrame;
    for (int i = 0; i < n; ++i)
        if (MonitorStreamByte(MonitorState, MonitorWriteIndex, frame, bytes[size_t(i)]) && page)
            page->MonitorFrameEnd();
}

void TDM::ShowReceivedDmx() {
    if (TRxDmxPage* page = TRxDmxPage::of(frmMain)) page->ShowReceivedDmx(HidReport);
}

// ---- Controller status helpers -------------------------------------------------

bool CarriesControllerSignature(const tDmxFrame& f) {
    return f[122] == 0xAA && f[123] == 0xF3 && f[124] == uint8_t(f[121] + f[122] + f[123]);
}

QString MonitorTimeText(uint16_t units) {
    const int h = int(units) * 5;
    auto two = [](int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    return QString::number(h / 6000) + QLatin1Char(':') + two((h % 6000) / 100) + QLatin1Char('.') +
           two(h % 100) + QLatin1Char('s');
}

uint32_t TemperatureColour(uint8_t t, uint32_t previous) {
    if (t < 31) return 0x00FF00;
    if (t <= 51) {
        const uint32_t k = t - 31u;
        return (12 * k) | ((255 - 12 * k) << 8);
    }
    if (t <= 99) return 0x0000FF;
    return previous;
}

namespace {

uint16_t WordBE(const tDmxFrame& f, int slot) {
    return uint16_t((f[size_t(slot)] << 8) | f[size_t(slot) + 1]);
}

// A gauge showing `value` of `maximum`; a value above the maximum fills it,
// and a maximum of 0 shows an empty gauge (not Qt's busy indicator).
void SetGauge(QProgressBar* gauge, int value, int maximum) {
    gauge->setRange(0, std::max(maximum, 1));
    gauge->setValue(std::clamp(value, 0, maximum));
}

void SetText(QLabel* label, const QString& text) {
    if (label->text() != text) label->setText(text);
}

void SetFontColour(QLabel* label, uint32_t colour) {
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, TShape::ToQColor(colour));
    label->setPalette(pal);
}

QString Hex2(uint8_t b) {
    return QStringLiteral("%1").arg(b, 2, 16, QLatin1Char('0')).toUpper();
}

QString DateText(const tDmxFrame& f, int slot) {
    return QString::number(2000 + f[size_t(slot)]) + QLatin1Char('.') + QString::number(f[size_t(slot) + 1]) +
           QLatin1Char('.') + QString::number(f[size_t(slot) + 2]);
}

} // namespace

// ---- The page ---------------------------------------------------------------------

TRxDmxPage::TRxDmxPage(TfrmMain* mainWindow)
    : QObject(mainWindow), normalUi(std::make_unique<Ui::RxDmxNormal>()),
      ledUi(std::make_unique<Ui::RxLedDriver>()), frm(mainWindow) {
    setObjectName(QStringLiteral("RxDmxPage"));
    auto host = [](QWidget* page, auto& form) {
        auto* w = new QWidget(page);
        form->setupUi(w);
        page->layout()->addWidget(w);
    };
    host(frm->ui->pgRxNormal, normalUi);
    host(frm->ui->pgRxLedDriver, ledUi);
    CreateShapes();
    PrepareGrid();
    shownSlots.fill(-1);

    connect(frm->ui->mAblakRxDmx, &QAction::triggered, this, &TRxDmxPage::mAblakRxDmxClick);
    connect(frm->tmrRx, &QTimer::timeout, this, &TRxDmxPage::tmrRxTimer);
    // When the input falls silent the page has nothing left to show.
    connect(frm->tmrDmxSzunVizsg, &QTimer::timeout, this, [this] { ShowSubPage("RxNosignal"); });
}

TRxDmxPage::~TRxDmxPage() = default;

TRxDmxPage* TRxDmxPage::of(const TfrmMain* mainWindow) {
    return mainWindow ? mainWindow->findChild<TRxDmxPage*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

void TRxDmxPage::CreateShapes() {
    // The controller's twenty fixtures: number, colour and DMX address.
    QWidget* area = ledUi->pRxShapes;
    constexpr int pitch = 42, square = 30;
    for (int k = 0; k < 20; ++k) {
        const int x = k * pitch;
        auto* number = new QLabel(QString::number(k + 1) + QLatin1Char('.'), area);
        number->setGeometry(x, 4, square, 17);
        number->setAlignment(Qt::AlignCenter);
        auto* shape = new TShape(area);
        shape->setObjectName(QStringLiteral("Shape%1").arg(102 + k));
        shape->setGeometry(x, 24, square, square);
        controllerShapes[size_t(k)] = shape;
        auto* address = new QLabel(k == 0 ? QStringLiteral("M") : QString::number(3 * (k + 1) - 2), area);
        address->setGeometry(x, 58, square, 17);
        address->setAlignment(Qt::AlignCenter);
    }
    // The first ten RGB fixtures of a plain sender.
    auto* row = new QHBoxLayout(normalUi->pRxRgb);
    row->setContentsMargins(0, 4, 0, 4);
    for (int i = 1; i <= 10; ++i) {
        auto* shape = new TShape(normalUi->pRxRgb);
        shape->setObjectName(QStringLiteral("sRGB%1").arg(i, 2, 10, QLatin1Char('0')));
        shape->setFixedSize(30, 30);
        row->addWidget(shape);
        slotShapes[size_t(i - 1)] = shape;
    }
    row->addStretch();
}

void TRxDmxPage::PrepareGrid() {
    TDmxGrid* grid = normalUi->sgDmx;
    for (int c = 1; c <= 25; ++c)
        grid->setCellText(c, 0, QString::number(c));
    for (int r = 1; r <= 21; ++r)
        grid->setCellText(0, r, QString::number((r - 1) * 25 + 1));
}

QString TRxDmxPage::CellText(int column, int row) const {
    return normalUi->sgDmx->cellText(column, row);
}

void TRxDmxPage::ShowSubPage(const char* caption) {
    SelectPageByCaption(frm->ui->nbRxDmx, QString::fromLatin1(caption));
}

void TRxDmxPage::ShowSlot(int slot, uint8_t value) {
    if (shownSlots[size_t(slot)] == value) return;
    shownSlots[size_t(slot)] = value;
    normalUi->sgDmx->setCellNumber((slot - 1) % 25 + 1, (slot - 1) / 25 + 1, value);
}

void TRxDmxPage::ForgetShownStatus() {
    const uint32_t colour = shown.temperatureColour;
    shown = ShownStatus{};
    shown.temperatureColour = colour;
}

void TRxDmxPage::mAblakRxDmxClick() {
    if (RefusedWhileScanHoldsTheLine(*frm, QStringLiteral("Monitor"))) return;
    frm->showMainPage(QStringLiteral("RxDmx"));
    ShowSubPage("RxNoSignal");
    tLineState& s = frm->LineState;
    s.InputSignalFlag = 0;
    s.ReceiverKindKnown = 0;
    s.DetectFrameCount = 0;
    s.LedDriverHits = 0;
    TDM* dm = frm->dataModule();
    if (!dm) return;
    dm->StartMonitor();
    if (dm->InterfaceType == 1 || dm->InterfaceType == 2) {
        frm->tmrRx->setInterval(1000);
        frm->tmrRx->start();
    }
}

void TRxDmxPage::tmrRxTimer() {
    if (TDM* dm = frm->dataModule()) {
        dm->HidReport[1] = CmdStartMonitor;
        dm->HidReport[2] = 1;
        dm->SendHidReport();
    }
    frm->tmrRx->setInterval(10);
}

void TRxDmxPage::MonitorFrameEnd() {
    frm->tmrDmxSzunVizsg->start();
    const tLineState& s = frm->LineState;
    if (s.InputSignalFlag && s.ReceiverKindKnown)
        ShowMonitorFrame();
    else
        DetectReceiverKind();
}

void TRxDmxPage::DetectReceiverKind() {
    tLineState& s = frm->LineState;
    if (s.InputSignalFlag && s.ReceiverKindKnown) return;
    ++s.DetectFrameCount;
    if (s.DetectFrameCount >= 11) {
        s.InputSignalFlag = 1;
        frm->ShowLineStatus();
        if (CarriesControllerSignature(s.DmxFrame)) ++s.LedDriverHits;
    }
    if (s.DetectFrameCount == 31) {
        frm->showMainPage(QStringLiteral("RxDmx"));
        // Most of the 21 frames checked must carry the signature.
        ShowSubPage(s.LedDriverHits < 11 ? "RxNormal" : "RxLedDriver");
        s.ReceiverKindKnown = 1;
        ForgetShownStatus();
    }
}

void TRxDmxPage::ShowMonitorFrame() {
    const tDmxFrame& f = frm->LineState.DmxFrame;
    Ui::RxLedDriver& u = *ledUi;

    // 1. Fixture colours.
    auto rgb = [&f](int slot) {
        return uint32_t(f[size_t(slot)]) | uint32_t(f[size_t(slot) + 1]) << 8 |
               uint32_t(f[size_t(slot) + 2]) << 16;
    };
    for (int k = 0; k < 20; ++k)
        controllerShapes[size_t(k)]->setColour(rgb(1 + 3 * k));
    for (int i = 0; i < 10; ++i)
        slotShapes[size_t(i)]->setColour(rgb(1 + 3 * i));

    // 2. Temperature.
    const int temperature = f[77];
    if (temperature != shown.temperature) {
        u.lTemp->setText(QStringLiteral("T: %1°C").arg(temperature));
        shown.temperatureColour = TemperatureColour(uint8_t(temperature), shown.temperatureColour);
        SetFontColour(u.lTemp, shown.temperatureColour);
    }

    // 3. Program and step.
    if (f[61] != shown.program) u.lPrgNum->setText(QString::number(f[61]));
    if (f[62] != shown.step || f[71] != shown.stepCount)
        u.lPrgSteps->setText(QString::number(f[62]) + QLatin1Char('/') + QString::number(f[71] + 1));

    // 4. Speed and wait times; a controller standing still says so.
    const int speed = WordBE(f, 63);
    const int wait = WordBE(f, 66);
    SetText(u.lSoft, speed == 0 && wait == 0 ? QStringLiteral("STOP") : MonitorTimeText(uint16_t(speed)));
    if (wait != shown.wait) u.lKepvalt->setText(MonitorTimeText(uint16_t(wait)));

    // 5. Gauges.
    if (f[68] != shown.soft) SetGauge(u.gSoft, f[68], 255);
    const int waitGauge = WordBE(f, 69);
    if (waitGauge != shown.waitGauge || wait != shown.wait) SetGauge(u.gKepvalt, waitGauge, wait);
    const int dimmer = WordBE(f, 75);
    if (dimmer != shown.dimmer) SetGauge(u.gDimmer, dimmer, 256);

    // 6. Modes.
    u.lLocked->setEnabled(f[72] == 1);
    u.lFadeOff->setEnabled(f[73] != 1);
    u.lStepMode->setEnabled(f[74] == 1);

    // 7. The controller's identity, redrawn with its software version.
    if (f[78] != shown.version) {
        u.lSoftVer->setText(QStringLiteral("v%1.%2 - ").arg(f[78]).arg(f[79]) + DateText(f, 80));
        u.lHardVer->setText(QStringLiteral("v%1.0 - ").arg(f[83]) + DateText(f, 85));
        const QString wiring = f[88] == 1 ? QStringLiteral("common anode") : QStringLiteral("common chatode");
        const auto model = std::find_if(DeviceModelTable.begin(), DeviceModelTable.end(),
                                        [&](const Eszkoz& row) { return row.ModelId() == f[84]; });
        u.lProdName->setText(model != DeviceModelTable.end()
                                 ? QString::fromLatin1(model->name) + QStringLiteral(" - ") + wiring
                                 : frm->text(48));
        // Eight characters, or fewer when the field ends early.
        QByteArray serial(reinterpret_cast<const char*>(&f[95]), 8);
        if (const qsizetype end = serial.indexOf('\0'); end >= 0) serial.truncate(end);
        u.lSerial->setText(QString::fromLatin1(serial));
        QString uid = Hex2(f[89]) + Hex2(f[90]) + QStringLiteral(" : ");
        for (int slot = 91; slot <= 94; ++slot)
            uid += Hex2(f[size_t(slot)]);
        u.lRdmUid->setText(uid);
    }

    // 8. The slot grid: only cells whose value changed.
    for (int slot = 1; slot <= 512; ++slot)
        ShowSlot(slot, f[size_t(slot)]);

    // 9.
    shown.program = f[61];
    shown.step = f[62];
    shown.stepCount = f[71];
    shown.wait = wait;
    shown.soft = f[68];
    shown.waitGauge = waitGauge;
    shown.dimmer = dimmer;
    shown.temperature = temperature;
    shown.version = f[78];
}

void TRxDmxPage::ShowReceivedDmx(const THidReport& report) {
    const int n = std::min<int>(report[1], ReportDataBytes);
    if (n == 0) {
        ShowSubPage("RxNosignal");
        return;
    }
    ShowSubPage("RxNormal");
    const int offset = report[2] | report[3] << 8;
    // Values that would fall past slot 512 have no cell.
    for (int i = 0; i < n && offset + 1 + i <= 512; ++i)
        ShowSlot(offset + 1 + i, report[size_t(4 + i)]);
}

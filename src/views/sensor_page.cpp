#include "views/sensor_page.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTime>
#include <QTimer>
#include <algorithm>

#include "app/Main.h"
#include "link/DataModule.h"
#include "rdm/RdmState.h"
#include "rdm/rdm_discovery.h"
#include "rdm/rdm_frame.h"
#include "rdm/rdm_handlers_later.h"
#include "ui_RdmPage.h"
#include "ui_SensorTab.h"
#include "views/RdmPageView.h"
#include "views/rdm_set_context.h"
#include "views/sensor_geometry.h"
#include "views/sensor_texts.h"

namespace {

constexpr uint16_t PidSensorValue = 0x0201;
constexpr uint16_t PidRecordSensors = 0x0202;
constexpr uint8_t GetCommand = 0x20;
constexpr uint8_t SetCommand = 0x30;
constexpr int SensorSlots = 255; // entries of a record's sensors table

const QColor Grey(128, 128, 128);
const QColor Red(255, 0, 0);

void SetTextColor(QLabel* label, const QColor& color) {
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, color);
    label->setPalette(p);
}

void SetBrush(QFrame* shape, const QColor& color) {
    QPalette p = shape->palette();
    p.setColor(QPalette::Window, color);
    shape->setPalette(p);
}

void MoveX(QWidget* w, int x) {
    w->move(x, w->y());
}

// A label sized to its text, as the page's labels grow with their captions.
void SetAutoText(QLabel* label, const QString& text) {
    label->setText(text);
    label->adjustSize();
}

int16_t SignedWord(std::span<const uint8_t> d, size_t i) {
    return static_cast<int16_t>((d[i] << 8) | d[i + 1]);
}

} // namespace

TSensorPage::TSensorPage(TfrmMain* mainWindow)
    : QObject(mainWindow), ui(std::make_unique<Ui::SensorTab>()), frm(mainWindow) {
    setObjectName(QStringLiteral("SensorPage"));
    QWidget* host = frm->rdmUi->tsErzekelok;
    auto* form = new QWidget(host);
    ui->setupUi(form);
    host->layout()->addWidget(form);

    ownTimer = new QTimer(this);
    ownTimer->setInterval(500);
    connect(ownTimer, &QTimer::timeout, this, &TSensorPage::SensorTimerTick);

    connect(ui->btnRdmSensNext, &QPushButton::clicked, this, &TSensorPage::ShowNextSensorPage);
    connect(ui->btnRdmSensPrev, &QPushButton::clicked, this, &TSensorPage::ShowPrevSensorPage);
    for (int r = 1; r <= 3; ++r) {
        connect(row(r).reset, &QPushButton::clicked, this, &TSensorPage::btnSensDatRes1Click);
        connect(row(r).record, &QPushButton::clicked, this, &TSensorPage::btnRecSens1Click);
    }
    connect(ui->btnLog, &QPushButton::clicked, this, &TSensorPage::btnLogClick);

    links.currentRecord = [this] { return CurrentRecordOf(frm); };
    links.demoMode = [this] { return frm->rdmView && frm->rdmView->DemoMode != 0; };
    links.discoveredCount = [this] {
        return frm->rdmView ? int(frm->rdmView->Discovery.DiscoveredCount) : 0;
    };
    links.send = [this](const tRdmDevice& rec, uint8_t commandClass, uint16_t pid, uint8_t number) {
        if (!frm->dataModule()) return;
        RdmState& st = RdmStateOf(frm);
        st.RdmCurrentPid = pid;
        st.RdmParamData[0] = number;
        st.NextRequestIsPoll = true;
        SendRdmParam(frm, rec, commandClass, pid, 1);
    };

    // The RDM page starts and stops the polling as the tab and the node change.
    if (RdmPageView* view = frm->rdmView) {
        view->hooks.StartSensorPolling = [this] { StartSensorPolling(); };
        view->hooks.StopSensorPolling = [this] { StopSensorPolling(); };
        view->hooks.ShowSensorPage = [this] { ShowSensorPage(); };
        view->hooks.DropSensorCommands = [this](const QString& why) { DropSensorCommands(why); };
    }
}

TSensorPage::~TSensorPage() = default;

TSensorPage* TSensorPage::of(const TfrmMain* mainWindow) {
    return mainWindow ? mainWindow->findChild<TSensorPage*>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
}

QTimer* TSensorPage::timer() const {
    TDM* dm = frm->dataModule();
    return dm ? dm->tmrSensor : ownTimer;
}

TSensorPage::Row TSensorPage::row(int r) const {
    auto* area = ui->sensorArea;
    const QString n = QString::number(r);
    auto label = [&](const QString& name) { return area->findChild<QLabel*>(name + n); };
    auto shape = [&](const QString& name) { return area->findChild<QFrame*>(name); };
    auto button = [&](const QString& name) { return area->findChild<QPushButton*>(name + n); };
    Row row;
    row.panel = shape(QStringLiteral("pSensor") + n);
    row.name = label(QStringLiteral("lSensName"));
    row.min = label(QStringLiteral("lSensMin"));
    row.max = label(QStringLiteral("lSensMax"));
    row.normMin = label(QStringLiteral("lSensNormMin"));
    row.normMax = label(QStringLiteral("lSensNormMax"));
    row.curr = label(QStringLiteral("lSensCurr"));
    row.low = label(QStringLiteral("lSensLow"));
    row.high = label(QStringLiteral("lSensHigh"));
    row.recorded = label(QStringLiteral("lRecorded"));
    row.detected = label(QStringLiteral("lDetected"));
    row.zeroLabel = label(QStringLiteral("lSensZero"));
    row.back = shape(QStringLiteral("sSens") + n + QStringLiteral("R"));
    row.bar = shape(QStringLiteral("sSens") + n + QStringLiteral("L"));
    row.markNormMin = shape(QStringLiteral("sSensLinNormMin") + n);
    row.markNormMax = shape(QStringLiteral("sSensLinNormMax") + n);
    row.markZero = shape(QStringLiteral("lSensLinZero") + n);
    row.reset = button(QStringLiteral("btnSensDatRes"));
    row.record = button(QStringLiteral("btnRecSens"));
    return row;
}

tRdmDevice* TSensorPage::record() const {
    return links.currentRecord ? links.currentRecord() : nullptr;
}

bool TSensorPage::isDemo() const {
    return links.demoMode && links.demoMode();
}

void TSensorPage::appendDeviceLog(const QString& line) {
    frm->LogLine(line);
}

void TSensorPage::StartSensorPolling() {
    tRdmDevice* rec = record();
    if (!links.discoveredCount || links.discoveredCount() == 0) return;
    SensorPage = 0;
    SensorIndex = 0;
    // During a run the scan owns the line and the node: a poll would take
    // the answers it waits for. A click once the run is over starts it.
    const bool run = frm->rdmView && frm->rdmView->RunInProgress();
    if (rec && rec->sensorCount != 0 && !run) timer()->start();
    ShowSensorPage();
}

void TSensorPage::StopSensorPolling() {
    timer()->stop();
    // The polling stops whenever another node is selected: a reset or a
    // record pressed for the device left goes no further.
    if (const tRdmDevice* rec = record()) dropCommandsOfOtherDevices(*rec);
}

void TSensorPage::SensorTimerTick() {
    if (frm->mainPageCaption() != QLatin1String("RDM") ||
        frm->rdmUi->pcRdm->currentWidget() != frm->rdmUi->tsErzekelok) {
        StopSensorPolling();
        return;
    }
    if (RdmPageView* view = frm->rdmView) {
        // A run reads other nodes than the one polled: the polling ends with
        // it. A device read again after a SET is the polled one: its polling
        // goes on once the reading is done.
        if (view->RunInProgress()) {
            StopSensorPolling();
            return;
        }
    }
    tRdmDevice* rec = record();
    if (!rec || !links.send) return;
    dropCommandsOfOtherDevices(*rec);
    // An operation's answer on its way, or its next request after a pause,
    // is not to be taken from it.
    if (frm->rdmView && frm->rdmView->SendersHeld()) return;
    if (SensorResetPending) {
        links.send(*rec, SetCommand, PidSensorValue, SensorCommandNumber);
        SensorResetPending = 0;
    } else if (SensorRecordPending) {
        links.send(*rec, SetCommand, PidRecordSensors, SensorRecordNumber);
        SensorRecordPending = 0;
    } else {
        const uint8_t number = rec->sensors[std::min<int>(SensorIndex, SensorSlots - 1)].number;
        links.send(*rec, GetCommand, PidSensorValue, number);
        SensorRequested = SensorIndex;
    }
}

void TSensorPage::ShowSensorValue(std::span<const uint8_t> d) {
    tRdmDevice* rec = record();
    if (!rec || SensorIndex != SensorRequested || SensorIndex >= SensorSlots) return;
    const tRdmSensor& s = rec->sensors[SensorIndex];
    const int r = SensorIndex % 3 + 1;
    const Row w = row(r);

    // A device may answer with less than the nine bytes of a value (a NACK
    // carries two): only the values that are there are shown.
    if (d.size() >= 3) {
        const int present = ClampSensorValue(SignedWord(d, 1), s);
        const uint8_t prefix = s.prefix;
        const int kind = rec->DeviceKind;
        const int lang = frm->LanguageIndex;
        auto valueText = [&](int v) { return FormatSensorValue(v, prefix, s, kind, lang); };
        const int panelWidth = w.panel->width();

        w.bar->resize(SensorBarWidth(present, s, w.back->width()), w.bar->height());
        SetAutoText(w.curr, valueText(present));
        MoveX(w.curr, panelWidth / 2 - w.curr->width() / 2);

        if ((s.recordedSupport & 0x02) && d.size() >= 7) {
            const int lowest = SignedWord(d, 3), highest = SignedWord(d, 5);
            SetAutoText(w.low, QStringLiteral("Lowest: ") + valueText(lowest));
            SetTextColor(w.low, lowest < s.normalMin ? Red : Grey);
            SetAutoText(w.high, QStringLiteral("Highest: ") + valueText(highest));
            MoveX(w.high, panelWidth - w.high->width() - 13);
            SetTextColor(w.high, highest > s.normalMax ? Red : Grey);
        }
        if ((s.recordedSupport & 0x01) && d.size() >= 9) {
            SetAutoText(w.recorded, QStringLiteral("Recorded: ") + valueText(SignedWord(d, 7)));
            MoveX(w.recorded, (panelWidth - w.recorded->width()) / 2);
        }

        if (LogEnabled) {
            if (r == 1) {
                SensorLogTime = QLocale::system().toString(QTime::currentTime(), QLocale::LongFormat);
                SensorLogValue1 = QString::number(present);
            } else if (r == 2) {
                SensorLogValue2 = QString::number(present);
                writeLogLine();
            }
        }
        ColorSensorRangeLed(static_cast<uint8_t>(r), present);
    }

    // Next sensor of the page, back to its first after the third or the last defined one.
    int next = SensorIndex + 1;
    if (next % 3 == 0) next -= 3;
    if (next > rec->sensorCount - 1) next -= next % 3;
    SensorIndex = static_cast<uint8_t>(next);
}

void TSensorPage::ColorSensorRangeLed(uint8_t r, int value) {
    auto* shape = frm->findChild<QFrame*>(QStringLiteral("sSens%1L").arg(r));
    tRdmDevice* rec = record();
    if (!shape || !rec || SensorIndex >= SensorSlots) return;
    SetBrush(shape, SensorRangeColor(rec->sensors[SensorIndex], value));
}

void TSensorPage::ShowSensorPage() {
    tRdmDevice* rec = record();
    const int count = rec ? rec->sensorCount : 0;
    for (int r = 1; r <= 3; ++r) {
        const Row w = row(r);
        const int i = (3 * SensorPage + r - 1) & 0xFF;
        const int L = w.back->x(), W = w.back->width();
        SetAutoText(w.curr, QStringLiteral("---"));
        if (i >= count || i >= SensorSlots) {
            SetAutoText(w.name, QStringLiteral("Sensor - not defined"));
            SetAutoText(w.min, QStringLiteral("Min"));
            SetAutoText(w.normMin, QStringLiteral("-"));
            SetAutoText(w.max, QStringLiteral("Max"));
            SetAutoText(w.normMax, QStringLiteral("-"));
            w.bar->resize(0, w.bar->height());
            MoveX(w.markNormMin, L);
            MoveX(w.markNormMax, L + W - 2);
            for (QWidget* c : {static_cast<QWidget*>(w.name), static_cast<QWidget*>(w.min),
                               static_cast<QWidget*>(w.curr), static_cast<QWidget*>(w.max)})
                c->setEnabled(false);
            for (QWidget* c : {static_cast<QWidget*>(w.markZero), static_cast<QWidget*>(w.zeroLabel),
                               static_cast<QWidget*>(w.low), static_cast<QWidget*>(w.high),
                               static_cast<QWidget*>(w.recorded), static_cast<QWidget*>(w.record),
                               static_cast<QWidget*>(w.reset), static_cast<QWidget*>(w.detected)})
                c->hide();
        } else {
            const tRdmSensor& s = rec->sensors[i];
            const QString unit = GetSensorUnitText(s.unit);
            auto text = [&](int x) { return FormatPrefixedValue(x, s.prefix) + unit; };
            SetAutoText(w.name, QStringLiteral("Sensor %1 - %2").arg(i + 1).arg(s.description));
            SetAutoText(w.min, s.rangeMin == SensorUndefinedMin ? QStringLiteral("Min") : text(s.rangeMin));
            SetAutoText(w.max, s.rangeMax == SensorUndefinedMax ? QStringLiteral("Max") : text(s.rangeMax));
            SetAutoText(w.normMin, s.normalMin == SensorUndefinedMin ? QString() : text(s.normalMin));
            SetAutoText(w.normMax, s.normalMax == SensorUndefinedMax ? QString() : text(s.normalMax));

            const SensorMarks m = ComputeSensorMarks(s, L, W);
            MoveX(w.markNormMin, m.normalMinX);
            MoveX(w.markNormMax, m.normalMaxX);
            if (m.zeroShown) {
                MoveX(w.markZero, m.zeroX);
                MoveX(w.zeroLabel, m.zeroX - 4);
            }
            w.markZero->setVisible(m.zeroShown);
            w.zeroLabel->setVisible(m.zeroShown);

            for (QWidget* c : {static_cast<QWidget*>(w.name), static_cast<QWidget*>(w.min),
                               static_cast<QWidget*>(w.curr), static_cast<QWidget*>(w.max)})
                c->setEnabled(true);
            const bool lowHigh = s.recordedSupport & 0x02;
            const bool recorded = s.recordedSupport & 0x01;
            w.low->setVisible(lowHigh);
            w.high->setVisible(lowHigh);
            w.recorded->setVisible(recorded);
            w.record->setVisible(recorded);
            w.reset->setVisible(lowHigh || recorded);
            w.detected->setVisible(lowHigh);
        }
        MoveX(w.curr, w.panel->width() / 2 - w.curr->width() / 2);
        MoveX(w.normMin, w.markNormMin->x() + 5);
        // Beside its mark, but not cut off by the panel's edge when the mark
        // sits at the bar's right end (an open range maximum).
        MoveX(w.normMax, std::min(w.markNormMax->x() + 5, w.panel->width() - w.normMax->width()));
    }
    ui->lSensPagesNum->setText(count == 0
                                   ? QStringLiteral("1/1")
                                   : QStringLiteral("%1/%2").arg(SensorPage + 1).arg((count - 1) / 3 + 1));
    ui->btnRdmSensPrev->setEnabled(SensorPage > 0);
    ui->btnRdmSensNext->setEnabled(count != 0 && (count - 1) / 3 > SensorPage);
}

void TSensorPage::ShowNextSensorPage() {
    ++SensorPage;
    SensorIndex = static_cast<uint8_t>(3 * SensorPage);
    ShowSensorPage();
}

void TSensorPage::ShowPrevSensorPage() {
    --SensorPage;
    SensorIndex = static_cast<uint8_t>(3 * SensorPage);
    ShowSensorPage();
}

void TSensorPage::btnSensDatRes1Click() {
    queueSensorCommand(true);
}

void TSensorPage::btnRecSens1Click() {
    queueSensorCommand(false);
}

void TSensorPage::queueSensorCommand(bool reset) {
    if (isDemo()) return;
    const QString name = sender() ? sender()->objectName() : QString();
    const int r = name.isEmpty() ? 0 : name.back().digitValue();
    tRdmDevice* rec = record();
    if (r < 1 || r > 3 || !rec) return;
    // A run reads the devices one after another through the current node:
    // the device it reads now is none the user picked.
    if (frm->rdmView && frm->rdmView->RunInProgress()) {
        appendDeviceLog((reset ? QStringLiteral("Sensor data reset") : QStringLiteral("Record sensor")) +
                        QStringLiteral(" not sent: the devices on the DMX line are being read"));
        return;
    }
    const int index = 3 * SensorPage + r - 1;
    const uint8_t number =
        ui->cbAllSensor->isChecked() ? 0xFF : rec->sensors[std::min(index, SensorSlots - 1)].number;
    (reset ? SensorCommandNumber : SensorRecordNumber) = number;
    (reset ? SensorResetDevice : SensorRecordDevice) = {rec->uid, rec->subDevice};
    (reset ? SensorResetPending : SensorRecordPending) = 1;
    ui->cbAllSensor->setChecked(false);
    appendDeviceLog(
        (reset ? QStringLiteral("Send sensor data reset (") : QStringLiteral("Send record sensor (")) +
        row(r).name->text() + QStringLiteral(") to: ") + FormatRdmUid(rec->uid) + QStringLiteral(" - ") +
        QString::number(rec->subDevice));
}

void TSensorPage::dropCommandsOfOtherDevices(const tRdmDevice& selected) {
    // A group node's record carries the UID of one of its devices, but the
    // group is not that device.
    const auto drop = [&](uint8_t& pending, const SensorCommandDevice& device, bool reset) {
        if (selected.nodeKind != NodeKindGroup && selected.uid == device.uid &&
            selected.subDevice == device.subDevice)
            return;
        dropCommand(pending, device, reset, QStringLiteral("another device is selected"));
    };
    drop(SensorResetPending, SensorResetDevice, true);
    drop(SensorRecordPending, SensorRecordDevice, false);
}

void TSensorPage::DropSensorCommands(const QString& why) {
    dropCommand(SensorResetPending, SensorResetDevice, true, why);
    dropCommand(SensorRecordPending, SensorRecordDevice, false, why);
}

void TSensorPage::dropCommand(uint8_t& pending, const SensorCommandDevice& device, bool reset,
                              const QString& why) {
    if (!pending) return;
    pending = 0;
    appendDeviceLog((reset ? QStringLiteral("Sensor data reset") : QStringLiteral("Record sensor")) +
                    QStringLiteral(" not sent, ") + why + QStringLiteral(": ") + FormatRdmUid(device.uid) +
                    QStringLiteral(" - ") + QString::number(device.subDevice));
}

void TSensorPage::btnLogClick() {
    LogEnabled ^= 1;
    if (LogEnabled) {
        LogFile.setFileName(QStringLiteral("Log temp.txt"));
        if (!LogFile.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            LogEnabled = 0;
            appendDeviceLog(QStringLiteral("Sensor log can not be created: %1 (%2)")
                                .arg(QFileInfo(LogFile).absoluteFilePath(), LogFile.errorString()));
            return;
        }
        ui->btnLog->setText(QStringLiteral("STOP LOG"));
    } else {
        ui->btnLog->setText(QStringLiteral("START LOG"));
        LogFile.close();
    }
}

void TSensorPage::writeLogLine() {
    const QByteArray line =
        (SensorLogTime + ',' + SensorLogValue1 + ',' + SensorLogValue2 + QStringLiteral("\r\n"))
            .toLocal8Bit();
    if (LogFile.write(line) != line.size() || !LogFile.flush()) stopLogAfterError(LogFile.errorString());
}

void TSensorPage::stopLogAfterError(const QString& what) {
    appendDeviceLog(QStringLiteral("Sensor log can not be written, log stopped: %1 (%2)")
                        .arg(QFileInfo(LogFile).absoluteFilePath(), what));
    LogFile.close();
    LogEnabled = 0;
    ui->btnLog->setText(QStringLiteral("START LOG"));
}

// The body of the data module's sensor timer.
void TDM::tmrSensorTimer() {
    if (TSensorPage* page = TSensorPage::of(mainWindow())) page->SensorTimerTick();
}

// Every GET answer of SENSOR_VALUE, whatever operation is pending. Only an
// acknowledged answer carries a value: a NACK's or ACK_TIMER's bytes are no
// reading, whatever their count, and the poll just moves on.
void ShowSensorValue(TDM& DM, const tRdmMessage& msg) {
    // A value of a device no longer shown is not shown as the shown one's.
    if (!AnswerIsForSelection(DM.mainWindow())) return;
    const size_t n = msg.responseType == RdmAck ? std::min<size_t>(msg.pdl, msg.data.size()) : 0;
    if (TSensorPage* page = TSensorPage::of(DM.mainWindow()))
        page->ShowSensorValue(std::span<const uint8_t>(msg.data.data(), n));
}

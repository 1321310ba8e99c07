#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include "rdm/rdm_frame.h"
#include "rdm/rdm_handlers_later.h"
#include "support/log_access.h"
#include "support/program_fixture.h"
#include "views/DeviceTree.h"
#include "views/sensor_page.h"

namespace {

// Command class, PID, sensor number.
using Sent = std::tuple<int, int, int>;
const QString Deg = QString::fromUtf8("\u00B0C");

std::vector<uint8_t> Value(uint8_t number, int present, int lowest = 0, int highest = 0, int recorded = 0) {
    std::vector<uint8_t> d{number};
    for (int v : {present, lowest, highest, recorded})
        d.insert(d.end(), {uint8_t((v >> 8) & 0xFF), uint8_t(v & 0xFF)});
    return d;
}

// The sensor page of a whole program, with one device selected whose
// requests are caught instead of sent.
class SensorPageTest : public ProgramFixture {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        oldCwd = QDir::currentPath();
        QDir::setCurrent(dir.path());
        Build();
        page = TSensorPage::of(w);
        ASSERT_NE(page, nullptr);
        QTreeWidget* tree = w->findChild<QTreeWidget*>("tvDeviceList");
        AddDeviceNode(tree, nullptr, "7FF1");
        rec = &AddDeviceNode(tree, NodeAt(tree, 0), "7FF1:00000007")->record();
        rec->nodeKind = NodeKindDevice;
        rec->uid = 0x7FF100000007ull;
        page->links.currentRecord = [this] { return rec; };
        page->links.demoMode = [this] { return demo; };
        page->links.discoveredCount = [] { return 1; };
        page->links.send = [this](const tRdmDevice&, uint8_t cc, uint16_t pid, uint8_t n) {
            sent.emplace_back(cc, pid, n);
        };
        w->showMainPage("RDM");
        ShowTab("tsErzekelok");
    }
    void TearDown() override {
        ProgramFixture::TearDown();
        QDir::setCurrent(oldCwd);
    }

    // Sensors numbered from 10, all -40..85 °C with normal 0..60.
    void addSensors(int count) {
        for (int i = 0; i < count; ++i)
            rec->sensors[i] = {.number = uint8_t(10 + i),
                               .unit = 1,
                               .rangeMin = -40,
                               .rangeMax = 85,
                               .normalMin = 0,
                               .normalMax = 60,
                               .recordedSupport = 3,
                               .description = QString("T%1").arg(i + 1)};
        rec->sensors[count].number = 255;
        rec->sensorCount = uint8_t(count);
    }
    // One poll and its answer.
    void pollAnswer(int present, int lowest = 0, int highest = 0, int recorded = 0) {
        page->SensorTimerTick();
        ASSERT_FALSE(sent.empty());
        page->ShowSensorValue(Value(uint8_t(std::get<2>(sent.back())), present, lowest, highest, recorded));
    }
    void ShowTab(const char* tab) {
        w->findChild<QTabWidget*>("pcRdm")->setCurrentWidget(w->findChild<QWidget*>(tab));
    }
    QString text(const QString& label) { return Find<QLabel>(label)->text(); }
    // The page counter and which of the paging buttons work.
    QString nav() {
        return text("lSensPagesNum") + (Find("btnRdmSensPrev")->isEnabled() ? " <" : "") +
               (Find("btnRdmSensNext")->isEnabled() ? " >" : "");
    }
    QString lastLogLine() { return DeviceLogText(w).split('\n').last(); }

    QString oldCwd;
    TSensorPage* page = nullptr;
    tRdmDevice* rec = nullptr;
    bool demo = false;
    std::vector<Sent> sent;
};

} // namespace

TEST_F(SensorPageTest, FourSensorsOverTwoPagesAndNone) {
    page->StartSensorPolling(); // no sensors: nothing to poll
    EXPECT_FALSE(page->timer()->isActive());
    EXPECT_EQ(nav(), "1/1");
    EXPECT_EQ(text("lSensName1"), "Sensor - not defined");

    addSensors(4);
    page->StartSensorPolling();
    EXPECT_EQ(page->timer()->interval(), 500);
    EXPECT_TRUE(page->timer()->isActive());
    EXPECT_EQ(nav(), "1/2 >");
    EXPECT_EQ(text("lSensName3"), "Sensor 3 - T3");

    // The poll cycles over the page's three sensors, by their numbers.
    for (int i = 0; i < 4; ++i)
        pollAnswer(20);
    EXPECT_EQ(sent, (std::vector<Sent>{
                        {0x20, 0x0201, 10}, {0x20, 0x0201, 11}, {0x20, 0x0201, 12}, {0x20, 0x0201, 10}}));

    // An answer still in flight for the old page is ignored.
    page->SensorTimerTick();
    Find<QPushButton>("btnRdmSensNext")->click();
    page->ShowSensorValue(Value(11, 50));
    EXPECT_EQ(text("lSensCurr1"), "---");
    EXPECT_EQ(page->SensorIndex, 3);

    EXPECT_EQ(nav(), "2/2 <");
    EXPECT_EQ(text("lSensName1"), "Sensor 4 - T4");
    EXPECT_EQ(text("lSensName2"), "Sensor - not defined");
    EXPECT_FALSE(Find("lSensName2")->isEnabled());
    EXPECT_EQ(Find("sSens2L")->width(), 0);
    EXPECT_TRUE(Find("btnSensDatRes2")->isHidden());
    sent.clear();
    for (int i = 0; i < 3; ++i)
        pollAnswer(20);
    EXPECT_EQ(sent, std::vector<Sent>(3, {0x20, 0x0201, 13})); // sensor 4 again and again
    Find<QPushButton>("btnRdmSensPrev")->click();
    EXPECT_EQ(nav(), "1/2 >");
}

TEST_F(SensorPageTest, RowGeometryAndValues) {
    addSensors(1);
    page->StartSensorPolling();
    std::vector<int> xs;
    for (const char* mark :
         {"sSens1R", "lSensLinZero1", "lSensZero1", "sSensLinNormMin1", "sSensLinNormMax1", "lSensNormMin1"})
        xs.push_back(Find(mark)->x());
    EXPECT_EQ(xs, (std::vector<int>{72, 184, 180, 184, 354, 189}));
    EXPECT_EQ(Find("sSens1R")->width(), 353);
    EXPECT_FALSE(Find("lSensLinZero1")->isHidden());
    EXPECT_EQ(text("lSensMin1"), "-40" + Deg);

    // Above the range maximum: shown as the maximum, the bar full and red.
    pollAnswer(90, -3, 70, 22);
    EXPECT_EQ(text("lSensCurr1"), "85" + Deg);
    EXPECT_EQ(Find("sSens1L")->width(), 351);
    EXPECT_EQ(Find("sSens1L")->palette().color(QPalette::Window), QColor(255, 0, 0));
    EXPECT_EQ(text("lSensLow1"), "Lowest: -3" + Deg);
    EXPECT_EQ(Find("lSensLow1")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(Find("lSensHigh1")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(text("lRecorded1"), "Recorded: 22" + Deg);

    pollAnswer(60, 0, 60, 0);
    EXPECT_EQ(Find("sSens1L")->palette().color(QPalette::Window), QColor(0, 128, 0));
    EXPECT_EQ(Find("lSensLow1")->palette().color(QPalette::WindowText), QColor(128, 128, 128));
    EXPECT_EQ(Find("sSens1L")->width(), 100 * 351 / 125);
}

TEST_F(SensorPageTest, ShortAnswersAndBrokenDefinitionsAreSurvived) {
    addSensors(3);
    // Equal range ends, the normal range inverted and outside.
    rec->sensors[2] = {.number = 12,
                       .rangeMin = 7,
                       .rangeMax = 7,
                       .normalMin = 100,
                       .normalMax = -100,
                       .description = "flat"};
    page->StartSensorPolling();
    page->SensorTimerTick();
    // A NACK is no reading, even one that carries a value's worth of bytes.
    tRdmMessage nack;
    nack.responseType = RdmNackReason;
    nack.pdl = 9;
    const auto bytes = Value(10, 20);
    std::copy(bytes.begin(), bytes.end(), nack.data.begin());
    ShowSensorValue(*w->dataModule(), nack);
    EXPECT_EQ(text("lSensCurr1"), "---");
    EXPECT_EQ(page->SensorIndex, 1); // the poll moves on
    page->SensorTimerTick();
    page->ShowSensorValue(std::vector<uint8_t>{11, 0x00, 0x20}); // present value only
    EXPECT_EQ(text("lSensCurr2"), "32" + Deg);
    EXPECT_EQ(text("lSensLow2"), "Lowest: ");

    pollAnswer(-30000);
    EXPECT_TRUE(Find("sSens3L")->width() >= 0 && Find("sSens3L")->width() <= 351) << Find("sSens3L")->width();
    pollAnswer(5);
    EXPECT_EQ(sent.size(), 4u);
}

TEST_F(SensorPageTest, ResetAndRecordQueueForTheNextTick) {
    addSensors(6);
    page->StartSensorPolling();
    auto* reset1 = Find<QPushButton>("btnSensDatRes1");
    auto* all = Find<QCheckBox>("cbAllSensor");

    demo = true; // nothing is queued in demo mode
    const QString before = lastLogLine();
    reset1->click();
    EXPECT_EQ(page->SensorResetPending, 0);
    EXPECT_EQ(lastLogLine(), before);
    demo = false;

    all->setChecked(true);
    reset1->click();
    EXPECT_FALSE(all->isChecked());
    all->setChecked(true);
    reset1->click(); // a second reset before the tick is not sent twice
    Find<QPushButton>("btnRecSens2")->click();
    EXPECT_EQ(lastLogLine(), "Send record sensor (Sensor 2 - T2) to: 7FF1:00000007 - 0");
    for (int i = 0; i < 3; ++i)
        page->SensorTimerTick();
    // The reset keeps going to all sensors though a record of one was clicked after it.
    EXPECT_EQ(sent, (std::vector<Sent>{{0x30, 0x0201, 0xFF}, {0x30, 0x0202, 11}, {0x20, 0x0201, 10}}));

    sent.clear();
    Find<QPushButton>("btnRdmSensNext")->click();
    Find<QPushButton>("btnSensDatRes3")->click();
    EXPECT_EQ(lastLogLine(), "Send sensor data reset (Sensor 6 - T6) to: 7FF1:00000007 - 0");
    page->SensorTimerTick();
    EXPECT_EQ(sent, (std::vector<Sent>{{0x30, 0x0201, 15}}));
}

TEST_F(SensorPageTest, LeavingTheTabStopsTheTimerAtItsNextTick) {
    addSensors(2);
    page->StartSensorPolling();
    ShowTab("tsReszletek");
    EXPECT_TRUE(page->timer()->isActive());
    page->SensorTimerTick();
    EXPECT_FALSE(page->timer()->isActive());
    EXPECT_TRUE(sent.empty());

    ShowTab("tsErzekelok");
    page->StartSensorPolling();
    w->showMainPage("Logo");
    page->SensorTimerTick();
    EXPECT_FALSE(page->timer()->isActive());
}

TEST_F(SensorPageTest, LogWritesTwoSensorsPerCycleAndReportsFaults) {
    addSensors(3);
    page->StartSensorPolling();
    auto* log = Find<QPushButton>("btnLog");
    EXPECT_TRUE(log->isHidden());
    EXPECT_EQ(log->text(), "LOG START");
    log->click();
    EXPECT_EQ(log->text(), "STOP LOG");
    for (int present : {90, -7, 1, 2, 3}) // 90 is clamped to 85; the third sensor is not logged
        pollAnswer(present);
    log->click();
    EXPECT_EQ(log->text(), "START LOG");
    QFile f(dir.filePath("Log temp.txt"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = f.readAll().split('\n');
    ASSERT_EQ(lines.size(), 3); // two lines and the empty rest
    EXPECT_TRUE(lines[0].endsWith(",85,-7\r"));
    EXPECT_TRUE(lines[1].endsWith(",2,3\r"));

    // A log that cannot be created or written is reported and stays off; polling goes on.
    ASSERT_TRUE(f.remove());
    ASSERT_TRUE(QDir(dir.path()).mkdir("Log temp.txt")); // a folder stands in the way
    log->click();
    EXPECT_EQ(page->LogEnabled, 0);
    EXPECT_TRUE(lastLogLine().startsWith("Sensor log can not be created: ")) << lastLogLine().toStdString();
    for (int present : {4, 5, 6}) // sensors 3, 1 and 2
        pollAnswer(present);
    EXPECT_EQ(text("lSensCurr2"), "6" + Deg);

    if (!QFile::exists("/dev/full")) return;
    ASSERT_TRUE(QDir(dir.path()).rmdir("Log temp.txt"));
    ASSERT_TRUE(QFile::link("/dev/full", dir.filePath("Log temp.txt")));
    log->click();
    ASSERT_EQ(page->LogEnabled, 1);
    const size_t polls = sent.size();
    for (int present : {4, 5, 6}) // a line is due after sensor 2
        pollAnswer(present);
    EXPECT_EQ(page->LogEnabled, 0);
    EXPECT_EQ(log->text(), "START LOG");
    EXPECT_TRUE(lastLogLine().startsWith("Sensor log can not be written")) << lastLogLine().toStdString();
    pollAnswer(7);
    EXPECT_EQ(sent.size(), polls + 4);
}

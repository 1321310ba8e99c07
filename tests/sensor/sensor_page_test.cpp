#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

#include "app/Main.h"
#include "app/Program.h"
#include "link/DataModule.h"
#include "views/DeviceTree.h"
#include "views/sensor_page.h"

namespace {

struct Sent {
    uint8_t commandClass;
    uint16_t pid;
    uint8_t number;
};

tRdmSensor Def(uint8_t number, int rmin, int rmax, int nmin, int nmax, uint8_t support, const char* desc) {
    tRdmSensor s;
    s.number = number;
    s.unit = 1;
    s.rangeMin = int16_t(rmin);
    s.rangeMax = int16_t(rmax);
    s.normalMin = int16_t(nmin);
    s.normalMax = int16_t(nmax);
    s.recordedSupport = support;
    s.description = desc;
    return s;
}

std::vector<uint8_t> Value(uint8_t number, int present, int lowest = 0, int highest = 0, int recorded = 0) {
    std::vector<uint8_t> d{number};
    for (int v : {present, lowest, highest, recorded}) {
        d.push_back(uint8_t((v >> 8) & 0xFF));
        d.push_back(uint8_t(v & 0xFF));
    }
    return d;
}

class SensorPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        oldCwd = QDir::currentPath();
        QDir::setCurrent(dir.path());
        program = std::make_unique<Program>(ProgramOptions{dir.path(), {}});
        frm = program->frmMain.get();
        page = TSensorPage::of(frm);
        ASSERT_NE(page, nullptr);
        QTreeWidget* tree = frm->findChild<QTreeWidget*>("tvDeviceList");
        AddDeviceNode(tree, nullptr, "7FF1");
        node = AddDeviceNode(tree, NodeAt(tree, 0), "7FF1:00000007");
        rec = &node->record();
        rec->nodeKind = NodeKindDevice;
        rec->uid = 0x7FF100000007ull;
        rec->subDevice = 0;
        page->links.currentRecord = [this] { return rec; };
        page->links.demoMode = [this] { return demo; };
        page->links.discoveredCount = [] { return 1; };
        page->links.send = [this](const tRdmDevice&, uint8_t cc, uint16_t pid, uint8_t n) {
            sent.push_back({cc, pid, n});
        };
        frm->showMainPage("RDM");
        frm->findChild<QTabWidget*>("pcRdm")->setCurrentWidget(frm->findChild<QWidget*>("tsErzekelok"));
    }
    void TearDown() override {
        program.reset();
        QDir::setCurrent(oldCwd);
    }

    void addSensors(int count) {
        for (int i = 0; i < count; ++i)
            rec->sensors[i] = Def(uint8_t(10 + i), -40, 85, 0, 60, 3, qPrintable(QString("T%1").arg(i + 1)));
        rec->sensors[count].number = 255;
        rec->sensorCount = uint8_t(count);
    }
    // One poll and its answer.
    void pollAnswer(int present, int lowest = 0, int highest = 0, int recorded = 0) {
        page->SensorTimerTick();
        ASSERT_FALSE(sent.empty());
        page->ShowSensorValue(Value(sent.back().number, present, lowest, highest, recorded));
    }
    QLabel* label(const QString& name) { return frm->findChild<QLabel*>(name); }
    QFrame* shape(const QString& name) { return frm->findChild<QFrame*>(name); }
    QPushButton* button(const QString& name) { return frm->findChild<QPushButton*>(name); }
    QCheckBox* box(const QString& name) { return frm->findChild<QCheckBox*>(name); }
    QString lastLogLine() {
        const QStringList lines = frm->findChild<QPlainTextEdit*>("mDeviceList")->toPlainText().split('\n');
        return lines.last();
    }

    QTemporaryDir dir;
    QString oldCwd;
    std::unique_ptr<Program> program;
    TfrmMain* frm = nullptr;
    TSensorPage* page = nullptr;
    DeviceNode* node = nullptr;
    tRdmDevice* rec = nullptr;
    bool demo = false;
    std::vector<Sent> sent;
};

} // namespace

TEST_F(SensorPageTest, FourSensorsOverTwoPagesAndNone) {
    page->StartSensorPolling(); // no sensors: nothing to poll
    EXPECT_FALSE(page->timer()->isActive());
    EXPECT_EQ(label("lSensPagesNum")->text(), "1/1");
    for (int r = 1; r <= 3; ++r)
        EXPECT_EQ(label(QString("lSensName%1").arg(r))->text(), "Sensor - not defined");
    EXPECT_FALSE(button("btnRdmSensPrev")->isEnabled());
    EXPECT_FALSE(button("btnRdmSensNext")->isEnabled());

    addSensors(4);
    page->StartSensorPolling();
    EXPECT_EQ(page->timer(), program->DM->tmrSensor); // the data module's 500 ms timer
    EXPECT_EQ(page->timer()->interval(), 500);
    EXPECT_TRUE(page->timer()->isActive());
    EXPECT_EQ(label("lSensPagesNum")->text(), "1/2");
    EXPECT_FALSE(button("btnRdmSensPrev")->isEnabled());
    EXPECT_TRUE(button("btnRdmSensNext")->isEnabled());
    EXPECT_EQ(label("lSensName3")->text(), "Sensor 3 - T3");

    // The poll cycles over the page's three sensors, by their numbers.
    for (int i = 0; i < 4; ++i)
        pollAnswer(20);
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[0].commandClass, 0x20);
    EXPECT_EQ(sent[0].pid, 0x0201);
    std::vector<int> numbers;
    for (const Sent& s : sent)
        numbers.push_back(s.number);
    EXPECT_EQ(numbers, (std::vector<int>{10, 11, 12, 10}));

    // An answer still in flight for the old page is ignored.
    page->SensorTimerTick();
    button("btnRdmSensNext")->click();
    page->ShowSensorValue(Value(11, 50));
    EXPECT_EQ(label("lSensCurr1")->text(), "---");
    EXPECT_EQ(page->SensorIndex, 3);

    EXPECT_EQ(label("lSensPagesNum")->text(), "2/2");
    EXPECT_TRUE(button("btnRdmSensPrev")->isEnabled());
    EXPECT_FALSE(button("btnRdmSensNext")->isEnabled());
    EXPECT_EQ(label("lSensName1")->text(), "Sensor 4 - T4");
    EXPECT_EQ(label("lSensName2")->text(), "Sensor - not defined");
    EXPECT_FALSE(label("lSensName2")->isEnabled());
    EXPECT_EQ(shape("sSens2L")->width(), 0);
    EXPECT_TRUE(button("btnSensDatRes2")->isHidden());
    sent.clear();
    for (int i = 0; i < 3; ++i)
        pollAnswer(20);
    for (const Sent& s : sent)
        EXPECT_EQ(s.number, 13); // sensor 4 again and again
    button("btnRdmSensPrev")->click();
    EXPECT_EQ(label("lSensPagesNum")->text(), "1/2");
}

TEST_F(SensorPageTest, RowGeometryAndValues) {
    addSensors(1);
    page->StartSensorPolling();
    EXPECT_EQ(shape("sSens1R")->x(), 72);
    EXPECT_EQ(shape("sSens1R")->width(), 353);
    EXPECT_EQ(shape("lSensLinZero1")->x(), 184);
    EXPECT_FALSE(shape("lSensLinZero1")->isHidden());
    EXPECT_EQ(label("lSensZero1")->x(), 180);
    EXPECT_EQ(shape("sSensLinNormMin1")->x(), 184);
    EXPECT_EQ(shape("sSensLinNormMax1")->x(), 354);
    EXPECT_EQ(label("lSensNormMin1")->x(), 189);
    EXPECT_EQ(label("lSensMin1")->text(), QString::fromUtf8("-40\u00B0C"));
    EXPECT_EQ(label("lSensNormMax1")->text(), QString::fromUtf8("60\u00B0C"));
    EXPECT_FALSE(label("lSensLow1")->isHidden());
    EXPECT_FALSE(button("btnRecSens1")->isHidden());

    // Above the range maximum: shown as the maximum, the bar full and red.
    pollAnswer(90, -3, 70, 22);
    EXPECT_EQ(label("lSensCurr1")->text(), QString::fromUtf8("85\u00B0C"));
    EXPECT_EQ(shape("sSens1L")->width(), 351);
    EXPECT_EQ(shape("sSens1L")->palette().color(QPalette::Window), QColor(255, 0, 0));
    QLabel* curr = label("lSensCurr1");
    EXPECT_EQ(curr->x(), 497 / 2 - curr->width() / 2);
    EXPECT_EQ(label("lSensLow1")->text(), QString::fromUtf8("Lowest: -3\u00B0C"));
    EXPECT_EQ(label("lSensLow1")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(label("lSensHigh1")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    QLabel* high = label("lSensHigh1");
    EXPECT_EQ(high->x(), 497 - high->width() - 13);
    EXPECT_EQ(label("lRecorded1")->text(), QString::fromUtf8("Recorded: 22\u00B0C"));

    pollAnswer(60, 0, 60, 0);
    EXPECT_EQ(shape("sSens1L")->palette().color(QPalette::Window), QColor(0, 128, 0));
    EXPECT_EQ(label("lSensLow1")->palette().color(QPalette::WindowText), QColor(128, 128, 128));
    EXPECT_EQ(shape("sSens1L")->width(), 100 * 351 / 125);
}

TEST_F(SensorPageTest, ShortAnswersAndBrokenDefinitionsAreSurvived) {
    addSensors(3);
    rec->sensors[2] = Def(12, 7, 7, 100, -100, 2, "flat");
    page->StartSensorPolling();
    page->SensorTimerTick();
    page->ShowSensorValue(std::vector<uint8_t>{0x00, 0x05}); // a NACK's reason code only
    EXPECT_EQ(label("lSensCurr1")->text(), "---");
    EXPECT_EQ(page->SensorIndex, 1); // the poll moves on
    page->SensorTimerTick();
    page->ShowSensorValue(std::vector<uint8_t>{11, 0x00, 0x20}); // present value only
    EXPECT_EQ(label("lSensCurr2")->text(), QString::fromUtf8("32\u00B0C"));
    EXPECT_EQ(label("lSensLow2")->text(), "Lowest: ");

    pollAnswer(-30000); // a range whose ends are equal
    EXPECT_GE(shape("sSens3L")->width(), 0);
    EXPECT_LE(shape("sSens3L")->width(), 351);
    pollAnswer(5);
    EXPECT_EQ(sent.size(), 4u);
}

TEST_F(SensorPageTest, ResetAndRecordQueueForTheNextTick) {
    addSensors(6);
    page->StartSensorPolling();
    auto* reset1 = button("btnSensDatRes1");

    demo = true; // nothing is queued in demo mode
    const QString before = lastLogLine();
    reset1->click();
    EXPECT_EQ(page->SensorResetPending, 0);
    EXPECT_EQ(lastLogLine(), before);
    demo = false;

    box("cbAllSensor")->setChecked(true);
    reset1->click();
    EXPECT_FALSE(box("cbAllSensor")->isChecked());
    box("cbAllSensor")->setChecked(true);
    reset1->click(); // a second reset before the tick is not sent twice
    button("btnRecSens2")->click();
    EXPECT_EQ(lastLogLine(), "Send record sensor (Sensor 2 - T2) to: 7FF1:00000007 - 0");
    for (int i = 0; i < 3; ++i)
        page->SensorTimerTick();
    ASSERT_EQ(sent.size(), 3u);
    // The reset keeps going to all sensors though a record of one was clicked after it.
    EXPECT_EQ(sent[0].commandClass, 0x30);
    EXPECT_EQ(sent[0].pid, 0x0201);
    EXPECT_EQ(sent[0].number, 0xFF);
    EXPECT_EQ(sent[1].commandClass, 0x30);
    EXPECT_EQ(sent[1].pid, 0x0202);
    EXPECT_EQ(sent[1].number, 11);
    EXPECT_EQ(sent[2].commandClass, 0x20);

    sent.clear();
    button("btnRdmSensNext")->click();
    button("btnSensDatRes3")->click();
    EXPECT_EQ(lastLogLine(), "Send sensor data reset (Sensor 6 - T6) to: 7FF1:00000007 - 0");
    page->SensorTimerTick();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].number, 15); // sensor index 5
}

TEST_F(SensorPageTest, LeavingTheTabStopsTheTimerAtItsNextTick) {
    addSensors(2);
    page->StartSensorPolling();
    frm->findChild<QTabWidget*>("pcRdm")->setCurrentWidget(frm->findChild<QWidget*>("tsReszletek"));
    EXPECT_TRUE(page->timer()->isActive());
    page->SensorTimerTick();
    EXPECT_FALSE(page->timer()->isActive());
    EXPECT_TRUE(sent.empty());

    frm->findChild<QTabWidget*>("pcRdm")->setCurrentWidget(frm->findChild<QWidget*>("tsErzekelok"));
    page->StartSensorPolling();
    frm->showMainPage("Logo");
    page->SensorTimerTick();
    EXPECT_FALSE(page->timer()->isActive());
}

TEST_F(SensorPageTest, LogWritesTwoSensorsPerCycle) {
    addSensors(3);
    page->StartSensorPolling();
    EXPECT_TRUE(button("btnLog")->isHidden());
    EXPECT_EQ(button("btnLog")->text(), "LOG START");
    button("btnLog")->click();
    EXPECT_EQ(button("btnLog")->text(), "STOP LOG");
    pollAnswer(90); // clamped to 85
    pollAnswer(-7);
    pollAnswer(1); // the third sensor is not logged
    pollAnswer(2);
    pollAnswer(3);
    button("btnLog")->click();
    EXPECT_EQ(button("btnLog")->text(), "START LOG");
    QFile f(dir.filePath("Log temp.txt"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = f.readAll().split('\n');
    ASSERT_EQ(lines.size(), 3); // two lines and the empty rest
    EXPECT_TRUE(lines[0].endsWith(",85,-7\r"));
    EXPECT_TRUE(lines[1].endsWith(",2,3\r"));
}

TEST_F(SensorPageTest, LogFaultsAreReportedAndPollingGoesOn) {
    addSensors(2);
    page->StartSensorPolling();
    ASSERT_TRUE(QDir(dir.path()).mkdir("Log temp.txt")); // a folder stands in the way
    button("btnLog")->click();
    EXPECT_EQ(page->LogEnabled, 0);
    EXPECT_TRUE(lastLogLine().startsWith("Sensor log can not be created: ")) << lastLogLine().toStdString();
    pollAnswer(5);
    pollAnswer(6);
    EXPECT_EQ(label("lSensCurr2")->text(), QString::fromUtf8("6\u00B0C"));

    if (!QFile::exists("/dev/full")) return;
    ASSERT_TRUE(QDir(dir.path()).rmdir("Log temp.txt"));
    ASSERT_TRUE(QFile::link("/dev/full", dir.filePath("Log temp.txt")));
    button("btnLog")->click();
    ASSERT_EQ(page->LogEnabled, 1);
    pollAnswer(5);
    pollAnswer(6);
    EXPECT_EQ(page->LogEnabled, 0);
    EXPECT_EQ(button("btnLog")->text(), "START LOG");
    EXPECT_TRUE(lastLogLine().startsWith("Sensor log can not be written")) << lastLogLine().toStdString();
    pollAnswer(7);
    EXPECT_EQ(sent.size(), 5u);
}

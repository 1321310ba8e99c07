// While a discovery run or a device's reading again waits for the line's
// answers, nothing the user starts takes the link out of RDM: the run reads
// every device, the reading again ends with its read-back.
#include <QComboBox>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <functional>

#include "app/Info.h"
#include "app/Main.h"
#include "maker/ProgramEditor.h"
#include "maker/SendPage.h"
#include "maker/StreamUpload.h"
#include "rdm/discovery_scan_fixture.h"
#include "support/stream_files.h"
#include "ui_KonfigPage.h"
#include "ui_Main.h"
#include "ui_ProgramPage.h"

namespace {

constexpr int kDevices = 5;
// What the scan asks each device of the line below, in order.
const std::vector<uint16_t> kChain = {0x0060, 0x00C0, 0x00F0, 0x1000, 0x0050, 0x0080, 0x00E1, 0x00E1};

uint64_t DeviceUid(int i) {
    return Uid(0x7FF3, uint32_t(i + 1));
}

enum class Phase { Run, ReadingAgain };

void PrintTo(Phase p, std::ostream* os) {
    *os << (p == Phase::Run ? "during a run" : "during a reading again");
}

class BusyLine : public DiscoveryScanTest {
public:
    using DiscoveryScanTest::w; // for the table's actions
    void SetUp() override {
        DiscoveryScanTest::SetUp();
        if (HasFatalFailure()) return;
        program->frmInfo->setAnswerer([](TModalDialog& d) { d.reject(); });
        page = w->sendPage.get();
        page->reportFileError = [](const QString& m) { ADD_FAILURE() << m.toStdString(); };
        // Devices of two personalities at addresses 10, 20, ...
        for (int i = 0; i < kDevices; ++i) {
            SimRdmResponder& d = Device(DeviceUid(i));
            simdev::Basic(d, 1, "D", "M", {0x0080}, 2, 0, 0, uint16_t(10 * (i + 1)), 4);
            simdev::Personality(d, 1, 4, "4 channel");
            simdev::Personality(d, 2, 0, "stand alone");
            d.settable.insert(0x00E0);
        }
    }

    // File > Open, the user choosing a file of these bytes.
    void Open(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        page->OpenDialog1.answerer = [path](const tFileDialog&) { return std::optional<QString>(path); };
        w->ui->mFileOpen->trigger();
    }

    // A discovery, left running while the scan reads the third device.
    void StartRunToItsMiddle() {
        line->answerDelayMs = 3;
        QTest::mouseClick(ui->btnDiscovery, Qt::LeftButton);
        ASSERT_TRUE(QTest::qWaitFor([&] { return FirstGet(devices[2]) != 0; }, 20000));
        ASSERT_TRUE(view->RunInProgress());
    }

    // After a whole run, the first device's personality changed; left while
    // the device is read again.
    void StartReadingAgain() {
        ASSERT_NO_FATAL_FAILURE(Discover());
        Click(NodeOf(DeviceUid(0)));
        view->btnClrTortenetClick();
        devices[0].received.clear();
        line->answerDelayMs = 3;
        ui->cbPersonality->setCurrentIndex(1);
        ui->btnModDmxPers->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return view->ScanHoldsTheLine(); }, 5000));
    }

    tRdmDevice& Current() { return *view->RecordAt(St().RdmCurrentNode); }

    TSendPage* page = nullptr;
};

struct Action {
    const char* name;
    const char* refused; // how the refusal line names it
    std::function<void(BusyLine&)> prepare;
    std::function<void(BusyLine&)> press;
};

void PrintTo(const Action& a, std::ostream* os) {
    *os << a.name;
}

void Nothing(BusyLine&) {}

const Action kActions[] = {
    {"DmxOutput", "DMX output", Nothing, [](BusyLine& t) { t.w->prgUi->btnPrgDmx->click(); }},
    {"StreamSend", "Stream send", [](BusyLine& t) { t.Open("stream.dmx", FirmwareFile(0x13, 2)); },
     [](BusyLine& t) { t.w->ui->btnSendDmx->click(); }},
    {"LogoSend", "Stream send",
     [](BusyLine& t) { t.Open("logo.bmp", Bmp(240, 220, [](int x, int y) { return x == y; })); },
     [](BusyLine& t) { t.w->ui->btnSendDmx->click(); }},
    // The firmware file for interfaces of type 7 is taken to fit the one plugged in
    // (an interface of type 0 takes no firmware file).
    {"FirmwareSend", "Firmware update",
     [](BusyLine& t) {
         t.Open("firmware.dmx", FirmwareFile(0x13, 2));
         t.page->FirmwareMatches = 1;
     },
     [](BusyLine& t) { t.w->ui->btnSendDmx->click(); }},
    // The streams' own entry points: the upload button reaches them only for
    // devices of the maker that the scan reads as stream-loaded.
    {"ProgramsByStream", "Program upload", Nothing, [](BusyLine& t) { UploadProgramsByStream(*t.w); }},
    {"ConfigurationByStream", "Configuration upload", Nothing,
     [](BusyLine& t) { UploadConfigByStream(*t.w); }},
    // The node being read taken for a controller that is loaded by RDM.
    {"UploadButton", "Program upload", [](BusyLine& t) { t.w->showMainPage(QStringLiteral("Programok")); },
     [](BusyLine& t) {
         t.Current().DeviceKind = 2;
         t.w->prgUi->btnPrgEszkozbe->click();
     }},
    // The menu item is hidden while an interface of type 0 is in.
    {"Monitor", "Monitor", Nothing, [](BusyLine& t) { t.w->ui->mAblakRxDmx->trigger(); }},
};

class BusyLineTable : public BusyLine, public ::testing::WithParamInterface<std::tuple<Action, Phase>> {};

TEST_P(BusyLineTable, IsRefusedOnceAndTheDevicesAreReadToTheEnd) {
    const auto& [action, phase] = GetParam();
    ASSERT_NO_FATAL_FAILURE(action.prepare(*this));
    if (phase == Phase::Run)
        ASSERT_NO_FATAL_FAILURE(StartRunToItsMiddle());
    else
        ASSERT_NO_FATAL_FAILURE(StartReadingAgain());
    const QString pageBefore = w->mainPageCaption();

    action.press(*this);
    ASSERT_NO_FATAL_FAILURE(Settle());

    EXPECT_EQ(
        Log().filter(" not started: "),
        QStringList{QString(action.refused) + " not started: the devices on the DMX line are being read"});
    EXPECT_EQ(dm->LinkMode, LinkModeRdm);
    // The refused action left everything as it was.
    EXPECT_EQ(w->mainPageCaption(), pageBefore);
    EXPECT_EQ(w->LineState.TransmitFlag, 0);
    EXPECT_EQ(w->programEditor->PrgDmxFontColour(), ProgramEditor::kDmxOffColour);
    for (QWidget* b : std::initializer_list<QWidget*>{w->ui->btnSendDmx, w->prgUi->btnPrgDmx,
                                                      w->prgUi->btnPrgEszkozbe, w->konfUi->btnKonfEszkbe})
        EXPECT_TRUE(b->isEnabled()) << b->objectName().toStdString();

    EXPECT_EQ(Log().filter("Process ready").size(), 1);
    EXPECT_FALSE(view->RunInProgress());
    EXPECT_FALSE(view->ScanHoldsTheLine());
    EXPECT_TRUE(ui->btnDiscovery->isEnabled());
    if (phase == Phase::Run) {
        for (int i = 0; i < kDevices; ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(GetPids(devices[size_t(i)]), kChain);
            const int node = NodeOf(DeviceUid(i));
            ASSERT_GE(node, 0);
            EXPECT_EQ(view->RecordAt(node)->dmxStartAddress, 10 * (i + 1));
            EXPECT_EQ(view->RecordAt(node)->personalities[2].description, "stand alone");
        }
    } else {
        EXPECT_EQ(GetPids(devices[0]), kChain) << "the device is read again to its end";
        EXPECT_EQ(Log().filter("New dmx personality set").size(), 1);
        EXPECT_TRUE(Log().filter("can not be modified").isEmpty());
        EXPECT_EQ(Log().last(), "Process ready");
        EXPECT_EQ(view->RecordAt(NodeOf(DeviceUid(0)))->currentPersonality, 2);
        EXPECT_EQ(St().AwaitingAnswer, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(DuringARunOrAReadingAgain, BusyLineTable,
                         ::testing::Combine(::testing::ValuesIn(kActions),
                                            ::testing::Values(Phase::Run, Phase::ReadingAgain)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) == Phase::Run ? "_Run" : "_ReadingAgain");
                         });

// The file named on the command line is not refused: its send waits for the
// end of the run and then goes out.
using CommandLineFile = BusyLine;

TEST_F(CommandLineFile, WaitsForTheRunAndThenGoesOut) {
    ASSERT_NO_FATAL_FAILURE(Open("stream.dmx", FirmwareFile(0x13, 2)));
    ASSERT_NO_FATAL_FAILURE(StartRunToItsMiddle());
    // The timer started by the interface's arrival runs out now.
    page->tmrFileSendStartTimer();
    EXPECT_NE(dm->LinkMode, LinkModeBlockDownload);
    EXPECT_TRUE(w->tmrFileSendStart->isActive()) << "the send waits";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view->RunInProgress(); }, 20000));
    ASSERT_NO_FATAL_FAILURE(Settle());
    EXPECT_EQ(Log().filter("Process ready").size(), 1);
    for (int i = 0; i < kDevices; ++i)
        EXPECT_EQ(GetPids(devices[size_t(i)]), kChain) << i;
    EXPECT_TRUE(Log().filter(" not started: ").isEmpty());

    ASSERT_TRUE(QTest::qWaitFor([&] { return dm->LinkMode == LinkModeBlockDownload; }, 2000));
    EXPECT_EQ(w->LineState.TransmitFlag, 1);
    EXPECT_FALSE(w->ui->btnSendDmx->isEnabled());
}

} // namespace

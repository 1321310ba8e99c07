#include <QTimer>

#include "lvn_fixture.h"

namespace {

QStringList Progress(const char* prefix, int first, int last) {
    QStringList lines;
    for (int n = first; n <= last; ++n)
        lines << QStringLiteral("%1 - %2%").arg(prefix).arg(n * 100 / 31);
    return lines;
}

std::vector<uint16_t> Addresses(int blocks) {
    std::vector<uint16_t> a;
    for (int k = 0; k < blocks; ++k)
        a.push_back(uint16_t(0x8000 + 0x80 * k));
    return a;
}

} // namespace

TEST_F(LvnTest, ACompleteReadLogsItsProgressAndShowsTheIdentity) {
    WriteDeviceConfig(memory);
    DiscoverAndSelect();
    const int from = int(Log().size());
    Get();

    QStringList expected{"Get config data from: 7FF1:00000003 - 0"};
    expected << Progress("Reading", 1, 31) << "Ready";
    EXPECT_EQ(LogFrom(from), expected);
    EXPECT_EQ(expected.at(31), "Reading - 100%");
    EXPECT_EQ(memory.limitsRequests, 1);
    // One request at a time, each after the answer before: every block once, in order.
    EXPECT_EQ(memory.readAddresses, Addresses(32));
    EXPECT_TRUE(Cfg().LvnConfigImage == memory.memory) << "the blocks are stored in order";

    EXPECT_EQ(Tab<QLineEdit>("eDevModDesc")->text(), "LVN24");
    EXPECT_EQ(Tab<QLineEdit>("eManLabel")->text(), "Maker");
    EXPECT_EQ(Tab<QDoubleSpinBox>("seSoftVerID")->value(), double(0x00510203));
    EXPECT_EQ(Tab<QSpinBox>("seSubDevCnt")->value(), 1);
    EXPECT_EQ(Tab<QComboBox>("cbProdCat")->currentText(), "FIXTURE");
    EXPECT_EQ(Tab<QComboBox>("cbProdFineCat")->currentText(), "MOVING YOKE");
    EXPECT_EQ(Tab<QSpinBox>("seTotPers")->value(), 2);
    EXPECT_TRUE(Tab<QCheckBox>("cbSensTemp")->isChecked());
    EXPECT_TRUE(Tab<QCheckBox>("cbSensCont")->isChecked());
    EXPECT_TRUE(Tab<QCheckBox>("cbFactDef")->isChecked());
    EXPECT_TRUE(Tab<QPushButton>("btnPersSettings")->isEnabled());
    EXPECT_EQ(Header().productCategory, 0x0102) << "showing the identity does not change it";
}

// The pauses before each next request wait on a timer: the window keeps
// running meanwhile, and the transfer still ends complete and in order.
TEST_F(LvnTest, PausesBetweenBlocksLeaveTheWindowRunning) {
    WriteDeviceConfig(memory);
    DiscoverAndSelect();
    int ticksWhilePausing = 0;
    QTimer ticker;
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] { ticksWhilePausing += dm->Pausing() ? 1 : 0; });
    ticker.start();
    Get();
    ticker.stop();
    EXPECT_GT(ticksWhilePausing, 0);
    EXPECT_EQ(Log().back(), "Ready");
    EXPECT_TRUE(Cfg().LvnConfigImage == memory.memory);
}

TEST_F(LvnTest, ACompleteWriteSendsThirtyOneBlocksAndCloses) {
    WriteDeviceConfig(memory);
    DiscoverAndSelect();
    Get();
    memory.memory.fill(0x11);
    // Image content past byte 5951 is never sent.
    std::fill(Cfg().LvnConfigImage.begin() + 5952, Cfg().LvnConfigImage.end(), 0xEE);
    const int from = int(Log().size());
    Set();

    QStringList expected{"Sending - 0%", "Sending config data to: 7FF1:00000003 - 0"};
    expected << Progress("Sending", 1, 30) << "Ready";
    EXPECT_EQ(LogFrom(from), expected);
    EXPECT_EQ(expected.at(31), "Sending - 96%");
    EXPECT_EQ(memory.writeAddresses, Addresses(31));
    ASSERT_EQ(memory.writes.size(), 31u);
    for (size_t k = 0; k < 31; ++k) {
        const ByteList& wr = memory.writes[k];
        // Address and length low byte first.
        EXPECT_EQ(ByteList(wr.begin(), wr.begin() + 4),
                  (ByteList{uint8_t(0x80 * k), uint8_t(0x80 + k / 2), 0xC0, 0x00}))
            << k;
    }
    // The device checks every block's CRC over the address, length and data
    // bytes (low byte first) and stores only blocks that pass.
    EXPECT_EQ(memory.crcFailures, 0);
    EXPECT_TRUE(
        std::equal(memory.memory.begin(), memory.memory.begin() + 5952, Cfg().LvnConfigImage.begin()));
    EXPECT_TRUE(
        std::all_of(memory.memory.begin() + 5952, memory.memory.end(), [](uint8_t b) { return b == 0x11; }));
    EXPECT_EQ(memory.closings, 1);
    const ByteList& last = line->requests.back().bytes;
    EXPECT_EQ(ByteList(last.end() - 4, last.end() - 2), (ByteList{0xFF, 0xFF}))
        << "the closing request is the last";
    EXPECT_EQ(St().RdmPendingOp, 0);
}

// A device that refuses or stops answering ends the transfer where it is.
TEST_F(LvnTest, RefusalsAndSilenceStopTheTransfer) {
    struct Case {
        const char* what;
        bool write;
        std::function<void(SimDecoderBehaviour&)> misbehave;
        QString lastLine;
        size_t requests; // block requests the device received
        uint8_t pendingOp;
    };
    const Case cases[] = {
        {"write refused", true, [](SimDecoderBehaviour& d) { d.nackAtBlock = 5; },
         "Sending stopped: block 5 refused (NACK reason 0x0006)", 6, 0},
        // Unanswered, the write ends where it got to: a later answer carries it on no further.
        {"write unanswered", true, [](SimDecoderBehaviour& d) { d.silentAtBlock = 5; }, "Sending - 16%", 6,
         0},
        {"read refused", false, [](SimDecoderBehaviour& d) { d.nackAtBlock = 3; },
         "Reading stopped: block 3 refused (NACK reason 0x0006)", 4, 0},
        {"read unanswered", false, [](SimDecoderBehaviour& d) { d.silentAtBlock = 3; }, "Reading - 9%", 4, 0},
        // UNKNOWN_PID is reason 0: it must not pass for the limits answer.
        {"parameter unknown", false, [](SimDecoderBehaviour& d) { d.nackLimits = 0x0000; },
         "Reading stopped: config request refused (NACK reason 0x0000)", 0, 0},
    };
    DiscoverAndSelect();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        memory.Forget();
        c.misbehave(memory);
        St().RdmPendingOp = 0;
        c.write ? Set() : Get();
        EXPECT_EQ(Log().back(), c.lastLine);
        EXPECT_EQ(c.write ? memory.writes.size() : memory.readAddresses.size(), c.requests);
        EXPECT_EQ(memory.closings, 0);
        EXPECT_LE(memory.limitsRequests, 1);
        EXPECT_EQ(St().RdmPendingOp, c.pendingOp);
    }
}

// A short block answer fills its block as far as its data reach; one without
// even an address is no limits answer and does not start the read over.
TEST_F(LvnTest, AShortBlockAnswerIsStoredAsFarAsItsDataReach) {
    const struct {
        size_t length; // parameter data of the answer to block 2
        int stored;
    } cases[] = {{100, 96}, {0, 0}};
    WriteDeviceConfig(memory);
    DiscoverAndSelect();
    for (const auto& k : cases) {
        SCOPED_TRACE(k.length);
        memory.Forget();
        memory.shortAtBlock = 2;
        memory.shortLength = k.length;
        Cfg().LvnConfigImage.fill(0xCD);
        const int from = int(Log().size());
        Get();
        EXPECT_TRUE(
            LogFrom(from).contains(QStringLiteral("Block 2: only %1 of 192 bytes received").arg(k.stored)));
        EXPECT_TRUE(LogFrom(from).contains("Ready"));
        EXPECT_EQ(memory.limitsRequests, 1);
        EXPECT_EQ(memory.readAddresses.size(), 32u);
        const auto& image = Cfg().LvnConfigImage;
        const long end = 384 + k.stored;
        EXPECT_TRUE(std::equal(image.begin() + 384, image.begin() + end, memory.memory.begin() + 384));
        EXPECT_TRUE(
            std::all_of(image.begin() + end, image.begin() + 576, [](uint8_t b) { return b == 0xCD; }));
        EXPECT_TRUE(std::equal(image.begin() + 576, image.end(), memory.memory.begin() + 576));
    }
}

// Only an answer to the write's own operation moves the write on.
TEST_F(LvnTest, ASetAnswerWithNoWritePendingDoesNotAdvanceTheWrite) {
    DiscoverAndSelect();
    for (uint8_t pending : {uint8_t(0), uint8_t(16)}) {
        SCOPED_TRACE(int(pending));
        memory.Forget();
        memory.silentAtBlock = 3;
        Set();
        ASSERT_EQ(memory.writes.size(), 4u);
        memory.silentAtBlock.reset();
        St().RdmPendingOp = pending;
        // A SET of the same parameter from elsewhere, answered by the device.
        St().RdmParamData[0] = St().RdmParamData[1] = 0xFF;
        dm->SendRdmRequest(0, 0x30, DecoderUid, 0x8014, 2, St().RdmParamData, 0x40);
        Finish();
        // While the write is pending, the answer resumes it to the end.
        EXPECT_EQ(memory.writes.size(), pending == 16 ? 31u : 4u);
    }
}

TEST_F(LvnTest, OnlyTheDecoderIsReadOrWritten) {
    DiscoverAndSelect();
    w->rdmView->RecordAt(w->rdmView->RdmCurrentNode())->DeviceKind = 1;
    const size_t requests = line->requests.size();
    const int lines = int(Log().size());
    page->ui->btnGet->click();
    page->ui->btnSet->click();
    Finish();
    EXPECT_EQ(line->requests.size(), requests);
    EXPECT_EQ(Log().size(), lines);
}

// The device's maxima bound the editor, but never beyond what the records
// hold; more personalities than those are read as far as the records go.
TEST_F(LvnTest, TheDeviceLimitsBoundTheEditor) {
    const struct {
        uint8_t personalityMax, slotMax, stored;
        int personalities, slotLimit, outChannels, kept;
    } cases[] = {{12, 40, 9, 8, 32, 40, 8}, {3, 10, 2, 3, 10, 10, 2}};
    WriteDeviceConfig(memory);
    DiscoverAndSelect();
    dlg->setAnswerer([](TModalDialog&) {});
    for (const auto& k : cases) {
        memory.personalityMax = k.personalityMax;
        memory.slotMax = k.slotMax;
        memory.PutByte(6, k.stored);
        const int from = int(Log().size());
        Get();
        EXPECT_EQ(Header().personalityCount, k.kept);
        EXPECT_EQ(LogFrom(from).contains("Config data: 9 personalities, only 8 are kept"), k.stored > k.kept);
        EXPECT_EQ(Tab<QSpinBox>("seTotPers")->maximum(), k.personalities);
        page->ui->btnPersSettings->click();
        EXPECT_EQ(Dlg<QSpinBox>("seInChNr")->maximum(), k.slotLimit);
        EXPECT_EQ(Dlg<QSpinBox>("seOutChNr")->maximum(), k.outChannels);
    }
}

// Eight personalities leave room for 88 slot records in the 5952 bytes written.
TEST_F(LvnTest, AConfigurationTooLargeToSendIsRefused) {
    DiscoverAndSelect();
    Header().personalityCount = 8;
    for (auto& p : Cfg().LvnPersonalities)
        p.inChannelCount = 11;
    Set();
    EXPECT_EQ(Log().back(), "Ready") << "88 slots fit exactly";
    EXPECT_EQ(memory.writes.size(), 31u);

    memory.Forget();
    Cfg().LvnPersonalities[7].inChannelCount = 12;
    const auto imageBefore = Cfg().LvnConfigImage;
    St().RdmPendingOp = 4;
    Set();
    EXPECT_EQ(Log().back(), "Config data too large: 6000 bytes, at most 5952 can be sent");
    EXPECT_TRUE(memory.writes.empty());
    EXPECT_EQ(St().RdmPendingOp, 4) << "the operation pending stays";
    EXPECT_TRUE(Cfg().LvnConfigImage == imageBefore);
}

// The decoder is read, its identity edited on the tab and a personality and
// a slot in the dialog, and written back: the device then holds exactly the
// edited image, and a second read shows the edits.
TEST_F(LvnTest, RoundTripThroughTheTabAndTheDialog) {
    WriteDeviceConfig(memory);
    DiscoverAndSelect();
    Get();
    ASSERT_EQ(Log().back(), "Ready");

    Tab<QLineEdit>("eDevModDesc")->setText("LVN24 stage left");
    Tab<QLineEdit>("eManLabel")->setText("Maker Ltd");
    Tab<QComboBox>("cbProdCat")->setCurrentIndex(5);     // DIMMER
    Tab<QComboBox>("cbProdFineCat")->setCurrentIndex(8); // DC PWM
    Tab<QCheckBox>("cbSensCont")->setChecked(false);
    Tab<QDoubleSpinBox>("seSoftVerID")->setValue(0x00510300);
    dlg->setAnswerer([this](TModalDialog&) {
        Dlg<QComboBox>("cbSelPers")->setCurrentIndex(1);
        Dlg<QLineEdit>("ePersDesc")->setText("Dimmer 3ch");
        Dlg<QSpinBox>("seInChNr")->setValue(3);
        Dlg<QSpinBox>("seOutChNr")->setValue(3);
        Row<QComboBox>("cbSlotType", 3)->setCurrentIndex(1);  // SEC_FINE
        Row<QComboBox>("cbSlotLabID", 3)->setCurrentIndex(0); // of slot 1
        Row<QSpinBox>("seSlotDef", 3)->setValue(128);
        Row<QLineEdit>("eSlotDesc", 3)->setText("Fine 2");
        Row<QComboBox>("cbType", 3)->setCurrentIndex(2);    // STROBO
        Row<QComboBox>("cbOutChNr", 3)->setCurrentIndex(3); // output 3
        Row<QCheckBox>("cbSrob", 3)->setChecked(true);
        Dlg<QSpinBox>("seStrobMin")->setValue(10);
        Dlg<QSpinBox>("seStrobMax")->setValue(500);
        Dlg<QSpinBox>("seStrobOpen")->setValue(3);
        Dlg<QPushButton>("btnClose")->click();
    });
    page->ui->btnPersSettings->click();

    // What the device must hold afterwards, written at the layout's offsets.
    SimRdmResponder scratch{0};
    SimDecoderBehaviour expected{scratch};
    expected.memory = memory.memory;
    expected.PutWord(0, 0x0508);
    expected.PutLong(2, 0x00510300);
    expected.PutText(8, "LVN24 stage left");
    expected.PutText(41, "Maker Ltd");
    expected.PutWord(74, 0x0002);
    expected.PutByte(384, 3);
    expected.PutByte(385, 3);
    expected.PutByte(384 + 2 + 2, 2);  // out channel of slot 2
    expected.PutByte(384 + 34 + 2, 2); // output type
    expected.PutByte(384 + 66 + 2, 4); // output flags: strobed
    expected.PutWord(384 + 98, 10);
    expected.PutWord(384 + 100, 500);
    expected.PutByte(384 + 102, 3);
    expected.PutText(384 + 103, "Dimmer 3ch");
    expected.PutByte(816, 1);
    expected.PutWord(817, 0);
    expected.PutByte(819, 128);
    expected.PutText(820, "Fine 2");
    for (size_t i = 853; i < 864; ++i)
        expected.PutByte(i, 0);

    Set();
    ASSERT_EQ(Log().back(), "Ready");
    for (size_t i = 0; i < memory.memory.size(); ++i)
        ASSERT_EQ(int(memory.memory[i]), int(expected.memory[i])) << "byte " << i;

    Cfg().LvnHeader = {};
    Cfg().LvnPersonalities = {};
    Get();
    EXPECT_EQ(Tab<QLineEdit>("eDevModDesc")->text(), "LVN24 stage left");
    EXPECT_EQ(Tab<QLineEdit>("eManLabel")->text(), "Maker Ltd");
    EXPECT_EQ(Tab<QComboBox>("cbProdCat")->currentText(), "DIMMER");
    EXPECT_EQ(Tab<QComboBox>("cbProdFineCat")->currentText(), "DC PWM");
    EXPECT_FALSE(Tab<QCheckBox>("cbSensCont")->isChecked());
    EXPECT_TRUE(Tab<QCheckBox>("cbSensTemp")->isChecked());
    EXPECT_EQ(Tab<QDoubleSpinBox>("seSoftVerID")->value(), double(0x00510300));
    dlg->setAnswerer([this](TModalDialog&) {
        Dlg<QComboBox>("cbSelPers")->setCurrentIndex(1);
        EXPECT_EQ(Dlg<QLineEdit>("ePersDesc")->text(), "Dimmer 3ch");
        EXPECT_EQ(Dlg<QSpinBox>("seInChNr")->value(), 3);
        EXPECT_EQ(Row<QLabel>("lChSor", 3)->text(), "3.");
        EXPECT_EQ(Row<QComboBox>("cbSlotType", 3)->currentText(), "SEC_FINE");
        EXPECT_EQ(Row<QComboBox>("cbSlotLabID", 3)->currentText(), "1");
        EXPECT_EQ(Row<QSpinBox>("seSlotDef", 3)->value(), 128);
        EXPECT_EQ(Row<QLineEdit>("eSlotDesc", 3)->text(), "Fine 2");
        EXPECT_EQ(Row<QComboBox>("cbType", 3)->currentText(), "STROBO");
        EXPECT_EQ(Row<QComboBox>("cbOutChNr", 3)->currentText(), "3");
        EXPECT_TRUE(Row<QCheckBox>("cbSrob", 3)->isChecked());
        EXPECT_TRUE(Dlg<QWidget>("gbStrobe")->isEnabled());
        EXPECT_EQ(Dlg<QSpinBox>("seStrobMax")->value(), 500);
    });
    page->ui->btnPersSettings->click();
}

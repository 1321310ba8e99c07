// Block downloads and firmware uploads through the simulated interface and the
// real window.
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include "files_fixture.h"
#include "maker/StreamUpload.h"
#include "support/log_access.h"
#include "ui_KonfigPage.h"
#include "ui_ProgramPage.h"
#include "views/RdmPageView.h"

namespace {

// The record as sent: the frame's lead byte, then its N data bytes.
std::vector<uint8_t> Record(const QByteArray& stream, int k) {
    std::vector<uint8_t> r{uint8_t(stream[16 + k * 218 + 16])};
    const std::vector<uint8_t> data = FrameData(stream, k);
    r.insert(r.end(), data.begin(), data.end());
    return r;
}

QByteArray StreamBytes(const TSendPage& page) {
    const auto b = page.Stream.Bytes();
    return QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size()));
}

} // namespace

using TransferTest = FilesTest;

TEST_F(TransferTest, ProgramsUploadSendsEveryRecordOnItsAcknowledge) {
    Plug(0);
    P().SetRgb(3, 2, 1, 0x445566);
    receiver->silentFromRecord = 1; // hold after the first record to look at the gauge
    UploadProgramsByStream(*w);
    Settle();
    const QByteArray stream = StreamBytes(*page);
    ASSERT_EQ(stream.size(), 28792);
    EXPECT_EQ(receiver->blockStarts, (std::vector<std::pair<uint8_t, uint8_t>>{{66, 50}}));
    ASSERT_EQ(receiver->frames.size(), 1u);
    EXPECT_EQ(receiver->frames[0].length, 513);
    EXPECT_EQ(receiver->frames[0].parameter, 123);
    ASSERT_EQ(receiver->records.size(), 1u);
    EXPECT_EQ(w->prgUi->gPrg->value(), 1);
    EXPECT_FALSE(w->prgUi->gPrg->isHidden());
    EXPECT_FALSE(w->prgUi->btnPrgEszkozbe->isEnabled());
    EXPECT_FALSE(w->prgUi->btnPrgDmx->isEnabled());
    EXPECT_EQ(w->LineState.TransmitFlag, 1);

    // Reports of another type are no acknowledge.
    box->PushReport({InputData, 4, 1});
    Settle();
    EXPECT_EQ(receiver->records.size(), 1u);

    // Saving the programs while they go out leaves the records being sent alone.
    P().SetRgb(3, 2, 1, 0x010101);
    w->ui->mAblakProg->trigger();
    Save("meanwhile");
    EXPECT_EQ(ReadFile(Path("meanwhile.dmx")).size(), 28792);

    receiver->silent = false;
    receiver->silentFromRecord = -1;
    box->PushReport({InputBlockAck});
    Settle();
    ASSERT_EQ(receiver->records.size(), 132u);
    for (int k = 0; k < 132; ++k) {
        EXPECT_EQ(receiver->records[k].length, 199);
        EXPECT_EQ(receiver->records[k].parameter, 199);
        ASSERT_EQ(receiver->records[k].payload(), Record(stream, k)) << k;
    }
    // Done at the acknowledge of the last record.
    EXPECT_TRUE(w->prgUi->gPrg->isHidden());
    EXPECT_TRUE(w->prgUi->btnPrgEszkozbe->isEnabled());
    EXPECT_TRUE(w->prgUi->btnPrgDmx->isEnabled());
    EXPECT_EQ(w->LineState.TransmitFlag, 0);
    EXPECT_EQ(dm->LinkMode, LinkModeMonitor);
    EXPECT_FALSE(receiver->blockMode);
}

TEST_F(TransferTest, ConfigurationUploadStopsBeforeTheCurves) {
    Plug(0);
    w->ConfigDeviceCode = 3;
    w->ui->mAblakProg->trigger();
    Save("programs");
    receiver->silentFromRecord = 1;
    UploadConfigByStream(*w);
    EXPECT_FALSE(w->konfUi->btnKonfEszkbe->isEnabled());
    Settle();
    // A programs file opened meanwhile readies 132 records for the next send, not for this one.
    Open(Path("programs.dmx"));
    ASSERT_EQ(page->StreamFrameCount, 132u);
    receiver->silent = false;
    receiver->silentFromRecord = -1;
    box->PushReport({InputBlockAck});
    Settle();
    const QByteArray stream = StreamBytes(*page);
    ASSERT_EQ(receiver->records.size(), 108u);
    for (int k = 0; k < 108; ++k)
        ASSERT_EQ(receiver->records[k].payload(), Record(stream, k)) << k;
    const auto& last = receiver->records.back().payload();
    EXPECT_EQ(last[1] | last[2] << 8, 0x4380); // the last of the zero frames
    EXPECT_TRUE(w->konfUi->btnKonfEszkbe->isEnabled());
    EXPECT_TRUE(w->konfUi->gKonf->isHidden());
}

TEST_F(TransferTest, AConfigurationWithAStepTimeThatIsNotATimeIsNotStreamed) {
    Plug(0);
    for (const BadStepTime& c : kBadKelvarTimes) {
        SCOPED_TRACE(c.edit);
        QLineEdit* edit = ShowKelvarTime(c.edit, c.text);
        ASSERT_TRUE(edit);
        const QString typed = edit->displayText();
        w->rdmView->btnClrTortenetClick();
        const QByteArray stream = StreamBytes(*page);
        const tDeviceConfig before = C();
        UploadConfigByStream(*w);
        Settle();
        EXPECT_EQ(DeviceLogLines(w), QStringList{c.line});
        EXPECT_EQ(w->focusWidget(), edit);
        EXPECT_EQ(edit->displayText(), typed) << "what was typed stays to be corrected";
        EXPECT_TRUE(receiver->blockStarts.empty());
        EXPECT_TRUE(receiver->records.empty());
        EXPECT_EQ(w->LineState.TransmitFlag, 0);
        EXPECT_TRUE(w->konfUi->btnKonfEszkbe->isEnabled());
        EXPECT_TRUE(w->konfUi->gKonf->isHidden());
        EXPECT_EQ(StreamBytes(*page), stream);
        EXPECT_EQ(C().Speed, before.Speed);
        EXPECT_EQ(C().Wait, before.Wait);
        edit->setText("00:01.00");
    }
}

TEST_F(TransferTest, LogoIsSentFromTheSendPage) {
    Plug(0);
    auto diagonal = [](int x, int y) { return x == y; };
    Open(Write("logo.bmp", Bmp(240, 220, diagonal)));
    ASSERT_EQ(w->mainPageCaption(), QStringLiteral("Send"));
    QTest::mouseClick(w->ui->btnSendDmx, Qt::LeftButton);
    Settle();
    EXPECT_EQ(receiver->blockStarts, (std::vector<std::pair<uint8_t, uint8_t>>{{200, 200}}));
    ASSERT_EQ(receiver->records.size(), 206u);
    EXPECT_EQ(receiver->records[0].parameter, 1);
    EXPECT_TRUE(w->ui->btnSendDmx->isEnabled());
    EXPECT_TRUE(w->ui->gSend->isHidden());

    // A smaller logo after it, whose last band is partial, carries none of its bits.
    Open(Write("small.bmp", Bmp(16, 7, diagonal)));
    receiver->records.clear();
    QTest::mouseClick(w->ui->btnSendDmx, Qt::LeftButton);
    Settle();
    ASSERT_EQ(receiver->records.size(), 101u);
    // Lead byte, block address, length, then the bitmap's first 64 bytes.
    const std::vector<uint8_t> first = receiver->records[100].payload();
    EXPECT_EQ(first[1] | first[2] << 8, 0);
    EXPECT_EQ(first[5], 16);
    EXPECT_EQ(first[6], 7);
    for (int i = 2; i < 64; ++i)
        ASSERT_EQ(first[5 + i], i - 2 < 7 ? 1 << (i - 2) : 0) << i;
}

TEST_F(TransferTest, LiveOutputSendsTheCurrentStepUntilSwitchedOff) {
    Plug(0);
    P().CurrentProgram = 2;
    P().CurrentStep = 3;
    P().SetRgb(2, 3, 1, 0x030201);
    P().SetRgb(2, 3, 20, 0x0C0B0A);
    receiver->silent = true; // each acknowledge is the test's, one at a time
    QTest::mouseClick(w->prgUi->btnPrgDmx, Qt::LeftButton);
    box->PushReport({InputBlockAck});
    Settle();
    ASSERT_EQ(receiver->frames.size(), 2u);
    const std::vector<uint8_t> f = receiver->frames[1].payload();
    EXPECT_EQ(receiver->frames[1].parameter, 1);
    ASSERT_EQ(f.size(), 513u);
    EXPECT_EQ(std::vector<uint8_t>(f.begin(), f.begin() + 4), (std::vector<uint8_t>{0, 1, 2, 3}));
    EXPECT_EQ(std::vector<uint8_t>(f.begin() + 58, f.begin() + 61), (std::vector<uint8_t>{10, 11, 12}));

    QTest::mouseClick(w->prgUi->btnPrgDmx, Qt::LeftButton); // off
    box->PushReport({InputBlockAck});
    Settle();
    EXPECT_EQ(receiver->frames.size(), 2u);
    EXPECT_EQ(dm->LinkMode, LinkModeRdm);
}

TEST_F(TransferTest, FirmwareUploadReassemblesToTheFile) {
    Plug(1);
    const QByteArray file = FirmwareFile(0x0B, 5);
    page->OpenDialog1.answerer = [p = Write("fw.dmx", file)](const tFileDialog&) {
        return std::optional<QString>(p);
    };
    ASSERT_TRUE(UpdateFirmware(*w));
    QTest::mouseClick(w->ui->btnSendDmx, Qt::LeftButton);
    EXPECT_EQ(dm->LinkMode, LinkModeFirmwareUpload);
    EXPECT_EQ(dm->tmrFrmwr->interval(), 6000);
    Settle();
    EXPECT_EQ(receiver->polls, 1);
    ASSERT_EQ(receiver->firmwareRecords.size(), 105u);
    for (int k = 0; k < 105; ++k)
        ASSERT_EQ(receiver->firmwareRecords[k], FrameData(file, k)) << k;
    EXPECT_EQ(receiver->firmwareChunks.size(), 105u * 4);
    for (const auto& c : receiver->firmwareChunks)
        EXPECT_LE(c[2], 60);
    const auto& last = receiver->firmwareChunks.back();
    EXPECT_EQ(last[2], 18);
    EXPECT_EQ(last[3], 180);
    EXPECT_EQ(dm->LinkMode, LinkModeIdle);
    EXPECT_FALSE(dm->tmrFrmwr->isActive());
    EXPECT_EQ(w->LineState.TransmitFlag, 0);
    EXPECT_EQ(w->mainPageCaption(), QStringLiteral("Logo"));
    EXPECT_TRUE(w->ui->btnSendDmx->isEnabled());
}

TEST_F(TransferTest, FirmwareUploadGoesOnAfterTheInterfaceComesBack) {
    Plug(7);
    const QByteArray file = FirmwareFile(0x13, 20);
    page->OpenDialog1.answerer = [p = Write("fw.dmx", file)](const tFileDialog&) {
        return std::optional<QString>(p);
    };
    ASSERT_TRUE(UpdateFirmware(*w));
    receiver->silentFromRecord = 60;
    ASSERT_TRUE(page->StartFirmwareSend());
    Settle();
    ASSERT_TRUE(receiver->silent);
    platform->Unplug(box);
    Settle();
    EXPECT_EQ(w->LineState.TransmitFlag, 0);

    receiver->silent = false;
    receiver->silentFromRecord = -1;
    platform->Plug(box);
    Settle();
    EXPECT_EQ(w->mainPageCaption(), QStringLiteral("Send"));
    ASSERT_TRUE(dm->tmrFrmwr->isActive());
    EXPECT_EQ(dm->tmrFrmwr->interval(), 500);
    dm->tmrFrmwrTimer(); // the poll that the timer makes
    Settle();
    ASSERT_EQ(receiver->firmwareRecords.size(), 120u);
    for (int k = 0; k < 120; ++k)
        ASSERT_EQ(receiver->firmwareRecords[k], FrameData(file, k)) << k;
    EXPECT_EQ(dm->LinkMode, LinkModeIdle);
}

TEST_F(TransferTest, SendsStopAtTheEndOfTheStream) {
    Plug(7);
    // The header claims more frames than the file holds; played as a stream
    // (it does not fit interface type 7) and as firmware.
    const QByteArray file = FirmwareFile(0x13, 2, 150);
    Open(Write("fw.dmx", file));
    EXPECT_EQ(page->FirmwareMatches, 1);
    page->FirmwareMatches = 0;
    QTest::mouseClick(w->ui->btnSendDmx, Qt::LeftButton);
    Settle();
    EXPECT_EQ(receiver->records.size(), 102u);
    EXPECT_TRUE(DeviceLogText(w).contains(QStringLiteral("Stream ended after 102 of 150 records")));
    EXPECT_EQ(w->LineState.TransmitFlag, 0);
    EXPECT_TRUE(w->ui->btnSendDmx->isEnabled());

    ASSERT_TRUE(page->StartFirmwareSend());
    Settle();
    EXPECT_EQ(receiver->firmwareRecords.size(), 102u);
    EXPECT_EQ(dm->LinkMode, LinkModeIdle);
    EXPECT_EQ(w->LineState.TransmitFlag, 0);

    // A record too long for the DMX frame stops the send where it is.
    QByteArray bad = FirmwareFile(0x13, 3);
    PutU32(bad, 16 + 101 * 218 + 12, 513);
    Open(Write("bad.dmx", bad));
    page->FirmwareMatches = 0;
    receiver->records.clear();
    ASSERT_TRUE(page->StartStreamSend());
    Settle();
    EXPECT_EQ(receiver->records.size(), 101u);
    EXPECT_TRUE(DeviceLogText(w).contains(QStringLiteral("Record 102 does not fit a DMX frame")));
    EXPECT_EQ(w->LineState.TransmitFlag, 0);
}

// ---- a file named on the command line ---------------------------------------------

class CommandLineTest : public FilesTest {
protected:
    void BeforeStart() override {
        arguments = {Write("show.bmp", Bmp(16, 16, [](int x, int) { return x < 8; }))};
    }
};

TEST_F(CommandLineTest, FileIsShownThenSentOnArrivalAndTheProgramCloses) {
    EXPECT_EQ(w->mainPageCaption(), QStringLiteral("Send"));
    EXPECT_EQ(w->ui->lFajlTipus->text(), QStringLiteral("BMP file - two colours"));
    Plug(0);
    ASSERT_TRUE(w->tmrFileSendStart->isActive());
    w->tmrFileSendStart->setInterval(0); // its tick now, through its own connection
    w->tmrFileSendStart->start();
    QCoreApplication::processEvents();
    EXPECT_FALSE(w->tmrFileSendStart->isActive());
    Settle();
    EXPECT_EQ(receiver->records.size(), 101u);
    EXPECT_FALSE(w->isVisible());
}

class UnknownCommandLineTest : public FilesTest {
protected:
    void BeforeStart() override { arguments = {Write("notes.txt", "hello")}; }
};

TEST_F(UnknownCommandLineTest, NothingToSendEndsAtTheFirstAcknowledge) {
    Plug(0);
    page->tmrFileSendStartTimer();
    Settle();
    EXPECT_TRUE(receiver->records.empty());
    EXPECT_EQ(w->ui->gSend->value(), 0);
    EXPECT_FALSE(w->isVisible());
}

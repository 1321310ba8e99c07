#include <gtest/gtest.h>

#include "rdm/rdm_ops.h"
#include "rdm_test_support.h"

namespace {

constexpr uint64_t DevUid = 0x7FF300000001ull;

// A bench with one group node, one device node (index 1) and its responder.
struct AnswerPath : ::testing::Test {
    RdmBench b;
    SimRdmResponder dev{DevUid};

    void SetUp() override {
        b.link.AddNode(NodeKindGroup, DevUid, 0, "7FF3");
        b.link.AddNode(NodeKindDevice, DevUid, 0, "7FF3:00000001");
        b.ctl.state.RdmCurrentNode = 1;
        b.line.responders.push_back(&dev);
        dev.SetDeviceInfo(0x0062, 0x0101, 1, 2, 17, 0, 3);
        dev.SetText(PID_DEVICE_LABEL, "Front left");
        dev.settable = {PID_DEVICE_LABEL, PID_DMX_START_ADDRESS, PID_DMX_PERSONALITY, PID_LAMP_STATE, 0x8000};
        dev.values[0x8000] = {0, 0, 0, 1, 2, 3, 1, 4};
        dev.values[0x8002] = std::vector<uint8_t>(40, 0x55);
        dev.values[PID_SENSOR_VALUE] = {0, 0, 25, 0, 10, 0, 40, 0, 25};
        dev.values[PID_LAMP_STATE] = {1};
    }
    // Sends a request with the given pending operation and delivers its answer.
    void Ask(uint8_t op, uint8_t cc, uint16_t pid, uint8_t pdl = 0) {
        b.ctl.state.RdmPendingOp = op;
        b.ctl.state.RdmCurrentPid = pid;
        b.Request(0, cc, DevUid, pid, pdl);
        b.Pump();
    }
    std::vector<RdmAnswerHandler> Handlers() const {
        std::vector<RdmAnswerHandler> v;
        for (const auto& c : b.link.calls) v.push_back(c.first);
        return v;
    }
};

using H = RdmAnswerHandler;

}  // namespace

TEST_F(AnswerPath, AnswerSplitOverThreeReportsIsParsedOnceFromAllPieces) {
    b.line.splitSize = 20;  // 44 bytes: 20 + 20 + 4
    Ask(RdmOpScan, RdmGetCommand, PID_DEVICE_INFO);
    ASSERT_EQ(Handlers(), std::vector<H>{H::AskNextParameter});
    const tRdmMessage& m = b.link.calls[0].second;
    EXPECT_EQ(m.pid, PID_DEVICE_INFO);
    EXPECT_EQ(m.pdl, 19);
    EXPECT_EQ(GetWordBE(m.data, 2), 0x0062);
    EXPECT_EQ(m.data[18], 3);
    EXPECT_EQ(m.sourceUid, DevUid);
    EXPECT_EQ(m.transactionNumber, 0);
    EXPECT_EQ(b.ctl.state.RdmRetryCount, 0);

    // A stray last piece afterwards starts a new answer; the old one is not handled again.
    b.Feed(SimRdmLine::SplitAnswer(std::vector<uint8_t>(5, 0), 61)[0]);
    EXPECT_EQ(b.link.calls.size(), 1u);
}

TEST_F(AnswerPath, ShortAnswerIsIgnoredAndLeavesTheOperationPending) {
    b.ctl.state.RdmPendingOp = RdmOpDmxAddress;
    b.ctl.state.RdmRetryCount = 7;
    auto frame = BuildRdmAnswerFrame(0, DevUid, 0, 0, 0, RdmSetCommandResponse, PID_DMX_START_ADDRESS, {});
    frame.resize(24);
    for (const auto& r : SimRdmLine::SplitAnswer(frame, 10)) b.Feed(r);
    EXPECT_TRUE(b.link.calls.empty());
    EXPECT_TRUE(b.link.packets.empty());
    EXPECT_EQ(b.ctl.state.RdmPendingOp, RdmOpDmxAddress);
    EXPECT_EQ(b.ctl.state.RdmRetryCount, 7);
}

TEST_F(AnswerPath, GetAnswersOfSensorValueAndMakerPidsGoByPidWhateverIsPending) {
    for (uint8_t op : {0, 4, 3, 20}) {
        b.link.calls.clear();
        b.ctl.state.RdmRetryCount = 5;
        Ask(op, RdmGetCommand, 0x8002);
        b.ctl.state.RdmParamData[0] = 0;
        Ask(op, RdmGetCommand, PID_SENSOR_VALUE, 1);
        Ask(op, RdmGetCommand, 0x8000);
        EXPECT_EQ(Handlers(),
                  (std::vector<H>{H::ReceiveRemoteDisplayPage, H::ShowSensorValue, H::HandleOperatingModeAnswer}))
            << int(op);
        EXPECT_EQ(b.ctl.state.RdmRetryCount, 5);
        EXPECT_EQ(b.ctl.state.RdmPendingOp, op);
    }
    EXPECT_EQ(PidAnswerHandler(RdmGetCommandResponse, 0x8001), H::HandleConfigMemoryAnswer);
    EXPECT_EQ(PidAnswerHandler(RdmGetCommandResponse, 0x8004), H::HandleDmxModeAnswer);
    for (uint16_t pid : {0x8005, 0x8007, 0x8016})
        EXPECT_EQ(PidAnswerHandler(RdmGetCommandResponse, pid), H::HandleDeviceConfigAnswer);
    EXPECT_EQ(PidAnswerHandler(RdmGetCommandResponse, 0x8006), H::HandleProgramStepsAnswer);
    EXPECT_EQ(PidAnswerHandler(RdmGetCommandResponse, 0x8008), H::HandleProgramBlockAnswer);
    EXPECT_EQ(PidAnswerHandler(RdmGetCommandResponse, 0x8014), H::ReceiveLvnConfigBlock);
    EXPECT_EQ(PidAnswerHandler(RdmGetCommandResponse, 0x8003), H::None);
}

TEST_F(AnswerPath, SetAnswersAndNacksGoToThePendingOperation) {
    b.ctl.state.RdmRetryCount = 4;
    for (int k = 0; k < 8; ++k) b.ctl.state.RdmParamData[k] = uint8_t(k);
    Ask(RdmOpKelvarSetup, RdmSetCommand, 0x8000, 8);
    EXPECT_EQ(Handlers(), std::vector<H>{H::ContinueKelvarSetup});
    EXPECT_EQ(b.link.calls[0].second.commandClass, RdmSetCommandResponse);
    EXPECT_EQ(b.ctl.state.RdmRetryCount, 0);

    // A device that refuses the SET: the NACK reaches the verify handler like an ACK.
    b.link.calls.clear();
    dev.settable.erase(PID_LAMP_STATE);
    b.ctl.state.RdmParamData[0] = 2;
    Ask(RdmOpLampState, RdmSetCommand, PID_LAMP_STATE, 1);
    ASSERT_EQ(Handlers(), std::vector<H>{H::VerifyLampState});
    EXPECT_EQ(b.link.calls[0].second.responseType, RdmNackReason);

    // A code no sender uses, and identify: an answer only clears the retry count.
    for (uint8_t op : {17, 6, 27, 99}) {
        b.link.calls.clear();
        b.ctl.state.RdmRetryCount = 3;
        Ask(op, RdmGetCommand, PID_LAMP_STATE);
        EXPECT_TRUE(b.link.calls.empty());
        EXPECT_EQ(b.ctl.state.RdmRetryCount, 0);
    }
}

TEST(RdmOperationTable, EveryCodeReachesItsNamedHandler) {
    const std::vector<std::pair<int, H>> table{
        {1, H::ContinueKelvarSetup},    {2, H::AnswerPersonalitySet}, {3, H::VerifyDmxAddress},
        {4, H::AskNextParameter},       {5, H::VerifyDeviceLabel},    {8, H::HideUploadGauge},
        {9, H::HideUploadGauge},        {10, H::HideUploadGauge},     {11, H::ContinueQ7Setup},
        {12, H::ContinueQ9SubSetup},    {13, H::SendNextProgramSteps}, {14, H::VerifyDisplayInvert},
        {15, H::VerifyDisplayLevel},    {16, H::SendNextLvnConfigBlock}, {17, H::None},
        {18, H::VerifyLampHours},       {19, H::VerifyPowerCycles},   {20, H::VerifyLampState},
        {21, H::VerifyLampOnMode},      {22, H::VerifyPanInvert},     {23, H::VerifyTiltInvert},
        {24, H::VerifyPanTiltSwap},     {25, H::VerifyPowerState},    {26, H::VerifyIdentifyMode},
        {28, H::HideUploadGauge},       {29, H::SendNextProgramBlock}, {30, H::HideUploadGauge},
        {31, H::VerifyFactoryDefaults}, {0, H::None},                 {6, H::None},
        {7, H::None},                   {27, H::None},                {32, H::None}};
    for (const auto& [op, h] : table) {
        EXPECT_EQ(OperationAnswerHandler(uint8_t(op)), h) << op;
        if (h != H::None) {
            EXPECT_STRNE(RdmAnswerHandlerName(h), "") << op;
        }
    }
}

TEST_F(AnswerPath, NoAnswerResendsOnlyForOperationsOneThreeFourAndFive) {
    dev.silent = true;
    // Operation 1 repeats its last SET with the data, logged, until 20 tries.
    for (int k = 0; k < 8; ++k) b.ctl.state.RdmParamData[k] = uint8_t(0xA0 + k);
    Ask(RdmOpKelvarSetup, RdmSetCommand, 0x8000, 8);  // the answer is a no-answer report: resend 1
    for (int k = 1; k < 25; ++k) b.Pump();
    // 1 request + 20 resends; the 21st report sends nothing and logs nothing.
    EXPECT_EQ(b.link.packets.size(), 21u);
    EXPECT_EQ(b.link.deviceLines.size(), 20);
    for (const auto& l : b.link.deviceLines) EXPECT_EQ(l, "Waiting for answer...");
    for (const auto& p : b.link.packets) {
        ASSERT_EQ(p.size(), 37u);
        EXPECT_EQ(p[23], RdmSetCommand);
        EXPECT_EQ(p[27], 0xA0);
        EXPECT_EQ(p[34], 0xA7);
    }
    EXPECT_EQ(b.ctl.state.RdmRetryCount, 20);
    // Sending another request does not clear the count: no resend either.
    b.link.packets.clear();
    b.delivered = 0;
    Ask(RdmOpScan, RdmGetCommand, PID_DEVICE_INFO);
    EXPECT_EQ(b.link.packets.size(), 1u);
    // A report that is not a data report changes nothing; one of another subtype clears the count.
    b.Feed(SimInputReport{12, 5});
    EXPECT_EQ(b.ctl.state.RdmRetryCount, 20);
    b.Feed(SimInputReport{11, 5});
    EXPECT_EQ(b.ctl.state.RdmRetryCount, 0);
    b.ctl.state.RdmRetryCount = 3;
    b.Feed(SimInputReport{12, 2});  // not a data report: no resend, no count
    EXPECT_EQ(b.link.packets.size(), 1u);
    EXPECT_EQ(b.ctl.state.RdmRetryCount, 3);

    auto resendsFor = [&](uint8_t op, uint16_t pid) {
        b.link.packets.clear();
        b.link.deviceLines.clear();
        b.delivered = 0;
        b.ctl.state.RdmRetryCount = 0;
        b.ctl.state.RdmParamData.fill(0x11);
        Ask(op, uint8_t(pid == 0 ? RdmGetCommand : RdmSetCommand), uint16_t(pid == 0 ? int(PID_DEVICE_INFO) : pid), pid == 0 ? 0 : 2);
        b.ctl.state.RdmCurrentPid = pid;
        for (int k = 0; k < 30; ++k) b.Pump();
        return b.link.packets.size() - 1;
    };
    // Operation 3: GET DMX_START_ADDRESS, no log line, now bounded.
    EXPECT_EQ(resendsFor(RdmOpDmxAddress, PID_DMX_START_ADDRESS), 20u);
    EXPECT_TRUE(b.link.deviceLines.isEmpty());
    for (size_t k = 1; k < b.link.packets.size(); ++k) {
        EXPECT_EQ(b.link.packets[k][23], RdmGetCommand);
        EXPECT_EQ(b.link.packets[k][25], 0xF0);
        EXPECT_EQ(b.link.packets[k][26], 0);
    }
    // Operation 5: GET DEVICE_LABEL even once the verifying GET is out (current PID 0).
    EXPECT_EQ(resendsFor(RdmOpDeviceLabel, 0), 20u);
    EXPECT_TRUE(b.link.deviceLines.isEmpty());
    EXPECT_EQ(b.link.packets.back()[25], 0x82);
    EXPECT_EQ(b.link.packets.back()[23], RdmGetCommand);
    // Operation 4: only while DEVICE_INFO is in flight.
    EXPECT_EQ(resendsFor(RdmOpScan, PID_DEVICE_INFO), 20u);
    EXPECT_EQ(b.link.deviceLines.size(), 20);
    EXPECT_EQ(b.link.packets.back()[25], 0x60);
    EXPECT_EQ(resendsFor(RdmOpScan, PID_SOFTWARE_VERSION_LABEL), 0u);
    // Every other operation stays pending and sends nothing.
    for (uint8_t op : {0, 2, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 28, 29, 30, 31}) {
        EXPECT_EQ(resendsFor(op, PID_LAMP_STATE), 0u) << int(op);
        EXPECT_TRUE(b.link.deviceLines.isEmpty());
        EXPECT_EQ(b.ctl.state.RdmPendingOp, op);
    }
}

TEST_F(AnswerPath, ResendsGoToTheCurrentRecordAndSkipAMissingOne) {
    b.link.AddNode(NodeKindSubDevice, DevUid, 2, "2. - Sub-device");
    b.ctl.state.RdmCurrentNode = 2;
    b.ctl.state.RdmPendingOp = RdmOpScan;
    b.ctl.state.RdmCurrentPid = PID_DEVICE_INFO;
    b.Feed(SimRdmLine::NoAnswerReport());
    ASSERT_EQ(b.link.packets.size(), 1u);
    EXPECT_EQ(b.link.packets[0][22], 2);  // sub-device
    EXPECT_EQ(GetUid(b.link.packets[0], 6), DevUid);

    EXPECT_EQ(b.link.deviceLines.size(), 1);

    b.ctl.state.RdmCurrentNode = 40;  // no such node: nothing to resend to, and no resend logged
    b.Feed(SimRdmLine::NoAnswerReport());
    EXPECT_EQ(b.link.packets.size(), 1u);
    EXPECT_EQ(b.link.deviceLines.size(), 1);
}

TEST_F(AnswerPath, CorruptAnswerIsLoggedAndCountsAsNoAnswer) {
    dev.garbled = true;
    b.ctl.state.RdmPendingOp = RdmOpScan;
    b.ctl.state.RdmCurrentPid = PID_DEVICE_INFO;
    b.Request(0, RdmGetCommand, DevUid, PID_DEVICE_INFO);
    b.PumpOne();
    EXPECT_TRUE(b.link.calls.empty());
    ASSERT_GE(b.link.deviceLines.size(), 2);
    EXPECT_EQ(b.link.deviceLines[0], "Corrupt RDM answer dropped: 7FF3:00000001 - 0");
    EXPECT_EQ(b.link.deviceLines[1], "Waiting for answer...");
    EXPECT_EQ(b.link.packets.size(), 2u);  // the resend
    EXPECT_EQ(b.ctl.state.RdmRetryCount, 1);
    dev.garbled = false;
    b.PumpOne();
    EXPECT_EQ(Handlers(), std::vector<H>{H::AskNextParameter});
    EXPECT_EQ(b.ctl.state.RdmRetryCount, 0);
}

TEST_F(AnswerPath, OversizedReportsAndAnswersAreDroppedWithoutWritingPastTheBuffer) {
    b.ctl.state.RdmPendingOp = RdmOpLampState;
    // A data count above what a report holds is clamped to 61.
    SimInputReport r{};
    r[0] = 11;
    r[1] = 3;
    r[2] = 250;
    for (int k = 0; k < 4; ++k) b.Feed(r);
    EXPECT_EQ(b.ctl.state.RdmRxCount, 4 * 61);
    b.Feed(r);  // 305 bytes would pass the 300 of the buffer
    EXPECT_EQ(b.ctl.state.RdmRxCount, 4 * 61);
    r[1] = 4;
    b.Feed(r);
    EXPECT_TRUE(b.link.calls.empty());
    EXPECT_EQ(b.link.deviceLines.size(), 1);
    EXPECT_EQ(b.ctl.state.RdmRxCount, 0);
    // The next answer is collected afresh.
    Ask(RdmOpLampState, RdmGetCommand, PID_LAMP_STATE);
    EXPECT_EQ(Handlers(), std::vector<H>{H::VerifyLampState});

    // A PDL beyond the bytes received is not parsed.
    b.link.calls.clear();
    auto frame = BuildRdmAnswerFrame(0, DevUid, 0, 0, 0, RdmGetCommandResponse, PID_LAMP_STATE, {});
    frame[22] = 30;
    for (const auto& piece : SimRdmLine::SplitAnswer(frame, 61)) b.Feed(piece);
    EXPECT_TRUE(b.link.calls.empty());
}

TEST_F(AnswerPath, ShortNackAfterALongAnswerReadsZerosBeyondItsData) {
    Ask(RdmOpScan, RdmGetCommand, PID_DEVICE_INFO);
    dev.nackEverything = true;
    Ask(RdmOpScan, RdmGetCommand, PID_DEVICE_INFO);
    ASSERT_EQ(b.link.calls.size(), 2u);
    const tRdmMessage& nack = b.link.calls[1].second;
    EXPECT_EQ(nack.responseType, RdmNackReason);
    EXPECT_EQ(nack.pdl, 2);
    for (size_t k = 2; k < nack.data.size(); ++k) ASSERT_EQ(nack.data[k], 0) << k;
}

TEST_F(AnswerPath, LateAnswerArrivesAfterTheResend) {
    dev.late = true;
    Ask(RdmOpScan, RdmGetCommand, PID_DEVICE_INFO);
    // The first request goes unanswered and is resent; the held answer then arrives.
    EXPECT_EQ(b.link.deviceLines, QStringList{"Waiting for answer..."});
    ASSERT_EQ(Handlers(), std::vector<H>{H::AskNextParameter});
    EXPECT_EQ(b.link.calls[0].second.transactionNumber, 0);
    EXPECT_EQ(b.ctl.state.RdmRetryCount, 0);
}

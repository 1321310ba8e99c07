#include <gtest/gtest.h>

#include "rdm/rdm_ops.h"
#include "rdm_test_support.h"

namespace {

constexpr uint64_t DevUid = 0x7FF300000001ull;
using H = RdmAnswerHandler;

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
        dev.settable = {PID_DEVICE_LABEL, PID_DMX_START_ADDRESS, PID_LAMP_STATE, 0x8000};
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
    std::vector<H> Handlers() const {
        std::vector<H> v;
        for (const auto& c : b.link.calls)
            v.push_back(c.first);
        return v;
    }
    void Reset() {
        b.link.packets.clear();
        b.link.deviceLines.clear();
        b.link.calls.clear();
        b.delivered = 0;
        b.ctl.state.RdmRetryCount = 0;
        b.ctl.WriteOffReports();
    }
};

} // namespace

TEST_F(AnswerPath, AnswerSplitOverThreeReportsIsParsedOnceAndAShortOneIgnored) {
    b.line.splitSize = 20; // 44 bytes: 20 + 20 + 4
    Ask(RdmOpScan, RdmGetCommand, PID_DEVICE_INFO);
    ASSERT_EQ(Handlers(), std::vector<H>{H::AskNextParameter});
    const tRdmMessage& m = b.link.calls[0].second;
    EXPECT_EQ(m.pdl, 19);
    EXPECT_EQ(GetWordBE(m.data, 2), 0x0062);
    EXPECT_EQ(m.data[18], 3);
    EXPECT_EQ(m.sourceUid, DevUid);
    // A stray last piece afterwards starts a new answer; the old one is not handled again.
    b.Feed(SimRdmLine::SplitAnswer(std::vector<uint8_t>(5, 0), 61)[0]);
    EXPECT_EQ(b.link.calls.size(), 1u);

    // An answer whose last piece brings the total to 24 bytes is ignored and leaves the operation pending.
    Reset();
    b.ctl.state.RdmPendingOp = RdmOpDmxAddress;
    b.ctl.state.RdmRetryCount = 7;
    auto frame = BuildRdmAnswerFrame(0, DevUid, 0, 0, 0, RdmSetCommandResponse, PID_DMX_START_ADDRESS, {});
    frame.resize(24);
    for (const auto& r : SimRdmLine::SplitAnswer(frame, 10))
        b.Feed(r);
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
        EXPECT_EQ(Handlers(), (std::vector<H>{H::ReceiveRemoteDisplayPage, H::ShowSensorValue,
                                              H::HandleOperatingModeAnswer}))
            << int(op);
        EXPECT_EQ(b.ctl.state.RdmRetryCount, 5);
        EXPECT_EQ(b.ctl.state.RdmPendingOp, op);
    }
}

TEST_F(AnswerPath, SetAnswersAndNacksGoToThePendingOperation) {
    b.ctl.state.RdmRetryCount = 4;
    Ask(RdmOpKelvarSetup, RdmSetCommand, 0x8000, 8);
    EXPECT_EQ(Handlers(), std::vector<H>{H::ContinueKelvarSetup});
    EXPECT_EQ(b.link.calls[0].second.commandClass, RdmSetCommandResponse);
    EXPECT_EQ(b.ctl.state.RdmRetryCount, 0);

    // A device that refuses the SET: the NACK reaches the verify handler like an ACK.
    b.link.calls.clear();
    dev.settable.erase(PID_LAMP_STATE);
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
    const std::pair<int, H> byOp[] = {
        {3, H::VerifyDmxAddress}, {5, H::VerifyDeviceLabel}, {8, H::HideUploadGauge}, {7, H::None}};
    for (const auto& [op, h] : byOp)
        EXPECT_EQ(OperationAnswerHandler(uint8_t(op)), h) << op;
}

TEST_F(AnswerPath, NoAnswerResendsOnlyForOperationsOneThreeFourAndFive) {
    dev.silent = true;
    // Operation 1 repeats its last SET with its data, logged, 20 times at most.
    for (int k = 0; k < 8; ++k)
        b.ctl.state.RdmParamData[k] = uint8_t(0xA0 + k);
    Ask(RdmOpKelvarSetup, RdmSetCommand, 0x8000, 8);
    for (int k = 1; k < 25; ++k)
        b.Pump();
    EXPECT_EQ(b.link.packets.size(), 21u);
    EXPECT_EQ(b.link.deviceLines, QStringList(20, QString("Waiting for answer...")));
    for (const auto& p : b.link.packets) {
        ASSERT_EQ(p.size(), 37u);
        EXPECT_EQ(p[23], RdmSetCommand);
        EXPECT_EQ(p[27], 0xA0);
        EXPECT_EQ(p[34], 0xA7);
    }
    // A report that is not a data report changes nothing; one of another subtype clears the count.
    b.Feed(SimInputReport{12, 5});
    EXPECT_EQ(b.ctl.state.RdmRetryCount, 20);
    b.Feed(SimInputReport{11, 5});
    EXPECT_EQ(b.ctl.state.RdmRetryCount, 0);

    // Operation 3 resends GET DMX_START_ADDRESS unlogged, bounded like the others; operation 5 GET
    // DEVICE_LABEL even once the verifying GET is out (current PID 0); operation 4 only while
    // DEVICE_INFO is in flight; every other operation sends nothing. Unanswered to the end, an
    // operation ends (the scan's own silence is the scan's to count).
    struct Row {
        uint8_t op;
        uint16_t current, resent;
        size_t resends;
    };
    std::vector<Row> rows{{RdmOpDmxAddress, PID_DMX_START_ADDRESS, PID_DMX_START_ADDRESS, 20},
                          {RdmOpDeviceLabel, 0, PID_DEVICE_LABEL, 20},
                          {RdmOpScan, PID_DEVICE_INFO, PID_DEVICE_INFO, 20},
                          {RdmOpScan, PID_SOFTWARE_VERSION_LABEL, 0, 0}};
    for (uint8_t op :
         {0, 2, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 28, 29, 30, 31})
        rows.push_back({op, PID_LAMP_STATE, 0, 0});
    for (const Row& row : rows) {
        Reset();
        b.ctl.state.RdmParamData.fill(0x11);
        Ask(row.op, RdmSetCommand, row.current ? row.current : uint16_t(PID_DEVICE_INFO), 2);
        b.ctl.state.RdmCurrentPid = row.current;
        for (int k = 0; k < 30; ++k)
            b.Pump();
        ASSERT_EQ(b.link.packets.size() - 1, row.resends) << int(row.op);
        EXPECT_EQ(b.link.deviceLines.size(), row.op == RdmOpScan ? qsizetype(row.resends) : 0) << int(row.op);
        EXPECT_EQ(b.ctl.state.RdmPendingOp, row.op == RdmOpScan ? RdmOpScan : RdmOpNone) << int(row.op);
        for (size_t k = 1; k < b.link.packets.size(); ++k) {
            EXPECT_EQ(b.link.packets[k].size(), 29u);
            EXPECT_EQ(b.link.packets[k][23], RdmGetCommand);
            EXPECT_EQ(GetWordBE(b.link.packets[k], 24), row.resent);
        }
    }
}

// The device asked is asked again, whichever node is selected by then; a
// device gone from the tree is asked nothing.
TEST_F(AnswerPath, ResendsGoToTheDeviceAskedAndSkipOneGoneFromTheTree) {
    b.link.AddNode(NodeKindSubDevice, DevUid, 2, "2. - Sub-device");
    b.ctl.state.RdmPendingOp = RdmOpScan;
    b.ctl.state.RdmCurrentPid = PID_DEVICE_INFO;
    b.ctl.state.RdmCurrentNode = 2;
    b.Request(2, RdmGetCommand, DevUid, PID_DEVICE_INFO);
    b.ctl.state.ScanRequestOut = true;
    b.ctl.state.RdmCurrentNode = 1; // selected meanwhile
    b.Feed(SimRdmLine::NoAnswerReport());
    ASSERT_EQ(b.link.packets.size(), 2u);
    EXPECT_EQ(b.link.packets[1][22], 2); // sub-device
    EXPECT_EQ(GetUid(b.link.packets[1], 6), DevUid);
    b.link.records[2]->uid = 0x7FF300000099ull; // the node holds another device now
    b.Feed(SimRdmLine::NoAnswerReport());
    EXPECT_EQ(b.link.packets.size(), 2u);
    EXPECT_EQ(b.link.deviceLines.size(), 1);
}

TEST_F(AnswerPath, CorruptAnswerIsLoggedAndCountsAsNoAnswer) {
    dev.garbled = true;
    b.ctl.state.RdmPendingOp = RdmOpScan;
    b.ctl.state.RdmCurrentPid = PID_DEVICE_INFO;
    b.Request(0, RdmGetCommand, DevUid, PID_DEVICE_INFO);
    b.PumpOne();
    EXPECT_TRUE(b.link.calls.empty());
    EXPECT_EQ(b.link.deviceLines,
              (QStringList{"Corrupt RDM answer dropped: 7FF3:00000001 - 0", "Waiting for answer..."}));
    EXPECT_EQ(b.link.packets.size(), 2u); // the resend
    dev.garbled = false;
    b.PumpOne();
    EXPECT_EQ(Handlers(), std::vector<H>{H::AskNextParameter});
    EXPECT_EQ(b.ctl.state.RdmRetryCount, 0);
}

TEST_F(AnswerPath, OversizedReportsAndAnswersAreDroppedWithoutWritingPastTheBuffer) {
    b.ctl.state.RdmPendingOp = RdmOpLampState;
    b.ctl.state.LastSentTransaction = 7;
    b.ctl.RequestLeft(7); // a request left, and its report is owed
    SimInputReport r{};
    r[0] = 11;
    r[1] = 3;
    r[2] = 250; // clamped to the 61 bytes a report holds
    for (int k = 0; k < 4; ++k)
        b.Feed(r);
    EXPECT_EQ(b.ctl.state.RdmRxCount, 4 * 61);
    b.Feed(r); // 305 bytes would pass the 300 of the buffer
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
    for (const auto& piece : SimRdmLine::SplitAnswer(frame, 61))
        b.Feed(piece);
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
    for (size_t k = 2; k < nack.data.size(); ++k)
        ASSERT_EQ(nack.data[k], 0) << k;
}

// A device answers one GET late: its answer comes in the report of the
// resend, and nothing else ever comes for the resend. The late answer is not
// decoded and, as the resend's only report, counts as none: the GET is asked
// a third time, and that answer is taken.
TEST_F(AnswerPath, ALateAnswerInTheResendsReportCountsAsNoAnswerToTheResend) {
    dev.late = true;
    b.ctl.state.RdmPendingOp = RdmOpScan;
    b.ctl.state.RdmCurrentPid = PID_DEVICE_INFO;
    b.Request(0, RdmGetCommand, DevUid, PID_DEVICE_INFO);
    b.PumpOne(); // the interface reports no answer
    ASSERT_EQ(b.link.packets.size(), 2u);
    EXPECT_EQ(b.link.deviceLines, QStringList{"Waiting for answer..."});

    dev.late = false;
    b.PumpOne(); // the resend's report: the first request's answer
    EXPECT_TRUE(Handlers().empty());
    ASSERT_EQ(b.link.packets.size(), 3u);
    EXPECT_EQ(b.link.packets[2][23], RdmGetCommand);
    EXPECT_EQ(GetWordBE(b.link.packets[2], 24), PID_DEVICE_INFO);
    EXPECT_EQ(b.link.deviceLines, QStringList(2, QString("Waiting for answer...")));
    EXPECT_EQ(b.ctl.state.RdmRetryCount, 2);

    b.PumpOne();
    ASSERT_EQ(Handlers(), std::vector<H>{H::AskNextParameter});
    EXPECT_EQ(b.link.calls[0].second.transactionNumber, 2);
    EXPECT_EQ(b.ctl.state.RdmRetryCount, 0);
    EXPECT_EQ(b.link.packets.size(), 3u);
}

// However late a report comes, it is its own request's: a late answer or
// report of none never stands for the resend's report, an answer written off
// at a deadline is known by its transaction number when it comes after all,
// and a report lost outright costs the awaited request one deadline at
// most. An answer whose request had its report already still counts as no
// answer to the request whose report it came in.
TEST_F(AnswerPath, EveryReportKeepsItsPlaceWhateverDeadlinePassed) {
    enum What { Answer, NoneFor, Deadline };
    struct Step {
        What what;
        size_t packet = 0; // the request (in the order sent) whose report comes
    };
    struct Row {
        const char* name;
        std::vector<Step> steps;
        size_t requests; // sent in all, resends included
    };
    const Row rows[] = {
        {"a late answer", {{Deadline}, {Answer, 0}, {Answer, 1}}, 2},
        {"a late report of none", {{Deadline}, {NoneFor, 0}, {Answer, 1}}, 2},
        {"a report lost, the resend answered", {{Deadline}, {Answer, 1}}, 2},
        {"a report lost, the resend's report of none",
         {{Deadline}, {NoneFor, 1}, {Deadline}, {Answer, 2}},
         3},
        {"a report lost, then the resends' reports of none",
         {{Deadline}, {NoneFor, 1}, {Deadline}, {NoneFor, 2}, {Answer, 3}},
         4},
        {"a written-off answer after all",
         {{Deadline}, {NoneFor, 1}, {Deadline}, {Answer, 1}, {Answer, 2}},
         3},
        {"an earlier request's answer in a later report", {{NoneFor, 0}, {Answer, 0}, {Answer, 2}}, 3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Reset();
        b.ctl.state.RdmPendingOp = RdmOpScan;
        b.ctl.state.RdmCurrentPid = PID_DEVICE_INFO;
        b.ctl.state.ScanPid = PID_DEVICE_INFO;
        b.Request(0, RdmGetCommand, DevUid, PID_DEVICE_INFO);
        for (const Step& step : row.steps) {
            switch (step.what) {
            case Deadline:
                b.ctl.ReportsOverdue();
                b.ctl.ReportMissing();
                break;
            case NoneFor:
                b.Feed(SimInputReport{11, 2, 0});
                break;
            case Answer:
                ASSERT_LT(step.packet, b.link.packets.size());
                for (const auto& r : b.line.HandlePacket(b.link.packets[step.packet]))
                    b.Feed(r);
                break;
            }
        }
        EXPECT_EQ(Handlers(), std::vector<H>{H::AskNextParameter});
        EXPECT_EQ(b.link.packets.size(), row.requests);
        // Nothing is owed any more: the next request's answer is its own.
        b.delivered = b.link.packets.size();
        b.Request(0, RdmGetCommand, DevUid, PID_DEVICE_INFO);
        b.PumpOne();
        EXPECT_EQ(Handlers(), (std::vector<H>{H::AskNextParameter, H::AskNextParameter}));
    }
}

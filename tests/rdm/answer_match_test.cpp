#include <gtest/gtest.h>
#include <memory>

#include "rdm/rdm_ops.h"
#include "rdm_test_support.h"

// Answers that reach the controller while one request to a device is open:
// only the answer to that request is decoded; another device's, another
// parameter's or another command's answer counts as none. The interface
// brings one report per request, so an answer of an earlier request that
// comes while nothing else is due is the open request's report: it is never
// decoded, and the request counts as unanswered. A repeat of an answer
// already taken is dropped unseen.

namespace {

constexpr uint64_t DevUid = 0x7FF300000001ull;
constexpr uint64_t OtherUid = 0x7FF300000002ull;
constexpr uint64_t OurUid = 0x7FF100000000ull;
using H = RdmAnswerHandler;

// An answer as the line delivers it, described by how it differs from the
// one awaited.
struct Answer {
    int transactionDelta = 0;
    uint64_t source = DevUid;
    uint16_t subDevice = 0;
    uint8_t commandClass = RdmGetCommandResponse;
    uint16_t pid = 0; // 0: the PID asked
};

// The request left open, and what its answer and its silence lead to.
struct Pending {
    const char* name;
    uint8_t op;
    uint16_t pid;
    uint8_t transaction;
    H handler;
    bool resendsWhenUnanswered;
};

struct AnswerMatch : ::testing::Test {
    // A fresh bench per row: a request left open by one row (a resend never
    // answered) would still be due in the next.
    std::unique_ptr<RdmBench> b = std::make_unique<RdmBench>();

    void SetUp() override {
        b->link.AddNode(NodeKindGroup, DevUid, 0, "7FF3");
        b->link.AddNode(NodeKindDevice, DevUid, 0, "7FF3:00000001");
        b->link.AddNode(NodeKindDevice, OtherUid, 0, "7FF3:00000002");
        b->ctl.state.RdmCurrentNode = 1;
    }
    void Ask(const Pending& p) {
        b->ctl.state.RdmTransaction = p.transaction;
        b->ctl.state.RdmPendingOp = p.op;
        b->ctl.state.RdmCurrentPid = p.pid;
        b->Request(0, RdmGetCommand, DevUid, p.pid);
    }
    void Deliver(const Pending& p, const Answer& a) {
        const uint8_t data[] = {0, 0, 0, 42};
        const auto frame =
            BuildRdmAnswerFrame(OurUid, a.source, uint8_t(p.transaction + a.transactionDelta), RdmAck,
                                a.subDevice, a.commandClass, a.pid ? a.pid : p.pid, data);
        for (const auto& r : SimRdmLine::SplitAnswer(frame, 20))
            b->Feed(r);
    }
    std::vector<H> Handlers() const {
        std::vector<H> v;
        for (const auto& c : b->link.calls)
            v.push_back(c.first);
        return v;
    }
};

} // namespace

TEST_F(AnswerMatch, OnlyTheAnswerToTheOpenRequestIsTaken) {
    // AfterItsReportOfNone: the interface reported none, and the answer comes
    // after. A request asked again gets it as its resend's report, which
    // counts as none; without a resend it is taken for nothing.
    enum class Outcome { Taken, CountedAsNone, AfterItsReportOfNone };
    struct Row {
        const char* name;
        bool noAnswerFirst; // the interface reports silence before the answer comes
        std::vector<Answer> answers;
        Outcome outcome;
    };
    const Row rows[] = {
        {"the awaited answer", false, {{}}, Outcome::Taken},
        {"a second copy of it", false, {{}, {}}, Outcome::Taken},
        {"from a device not asked", false, {{.source = OtherUid}}, Outcome::CountedAsNone},
        {"of another parameter (one routed by its PID)",
         false,
         {{.pid = PID_SENSOR_VALUE}},
         Outcome::CountedAsNone},
        {"from another sub-device", false, {{.subDevice = 1}}, Outcome::CountedAsNone},
        {"a SET response to the GET",
         false,
         {{.commandClass = RdmSetCommandResponse}},
         Outcome::CountedAsNone},
        {"an earlier request's", false, {{.transactionDelta = -1}}, Outcome::CountedAsNone},
        {"after the interface reported none", true, {{}}, Outcome::AfterItsReportOfNone},
    };
    // Transaction 0 makes the earlier request's number 255.
    const Pending pendings[] = {
        {"scan", RdmOpScan, PID_DEVICE_INFO, 0, H::AskNextParameter, true},
        {"lamp hours read back", RdmOpLampHours, PID_LAMP_HOURS, 0x80, H::VerifyLampHours, false},
    };
    for (const Pending& p : pendings) {
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(p.name) + ": " + row.name);
            b = std::make_unique<RdmBench>();
            SetUp();
            b->ctl.state.RdmRetryCount = 3;
            Ask(p);
            ASSERT_EQ(b->link.packets.size(), 1u);
            b->ctl.state.RdmCurrentNode = 2; // the user's selection meanwhile
            uint8_t retries = 3;
            size_t packets = 1;
            if (row.noAnswerFirst) {
                b->Feed(SimRdmLine::NoAnswerReport());
                retries += 1;
                packets += p.resendsWhenUnanswered;
            }
            for (const Answer& a : row.answers)
                Deliver(p, a);

            switch (row.outcome) {
            case Outcome::Taken:
                EXPECT_EQ(Handlers(), std::vector<H>{p.handler});
                if (!b->link.calls.empty()) {
                    EXPECT_EQ(b->link.calls[0].second.transactionNumber, p.transaction);
                }
                EXPECT_EQ(b->ctl.state.RdmRetryCount, 0);
                EXPECT_EQ(b->link.packets.size(), 1u);
                EXPECT_TRUE(b->link.deviceLines.isEmpty());
                break;
            case Outcome::CountedAsNone:
                EXPECT_TRUE(Handlers().empty());
                EXPECT_EQ(b->ctl.state.RdmRetryCount, 4);
                if (p.resendsWhenUnanswered) {
                    // The same GET again, to the device asked, with the next number.
                    EXPECT_EQ(b->link.packets.size(), 2u);
                    if (b->link.packets.size() < 2) break;
                    const std::vector<uint8_t> resend = {
                        0x40, 0x68, 0x1A,                   // link header: RDM request, 26 bytes
                        0xCC, 0x01, 0x18,                   // START code, sub-START code, length
                        0x7F, 0xF3, 0x00, 0x00, 0x00, 0x01, // destination
                        0x7F, 0xF1, 0x00, 0x00, 0x00, 0x00, // source
                        0x01, 0x01, 0x00,                   // transaction, port, message count
                        0x00, 0x00, 0x20, 0x00, 0x60, 0x00, // sub-device, GET, DEVICE_INFO, PDL
                        0x04, 0x4A,                         // checksum
                    };
                    EXPECT_EQ(b->link.packets[1], resend);
                    EXPECT_EQ(b->link.deviceLines, QStringList{"Waiting for answer..."});
                } else {
                    EXPECT_EQ(b->link.packets.size(), 1u);
                    EXPECT_TRUE(b->link.deviceLines.isEmpty());
                }
                break;
            case Outcome::AfterItsReportOfNone:
                EXPECT_TRUE(Handlers().empty());
                if (p.resendsWhenUnanswered) {
                    EXPECT_EQ(b->ctl.state.RdmRetryCount, retries + 1);
                    EXPECT_EQ(b->link.packets.size(), packets + 1);
                    EXPECT_EQ(b->link.deviceLines, QStringList(2, QString("Waiting for answer...")));
                } else {
                    EXPECT_EQ(b->ctl.state.RdmRetryCount, retries);
                    EXPECT_EQ(b->link.packets.size(), packets);
                    EXPECT_TRUE(b->link.deviceLines.isEmpty());
                }
                break;
            }
        }
    }
}

// The handler works on the device asked: the node that holds it when the
// answer comes, whichever node is selected by then.
TEST_F(AnswerMatch, TheHandlerSeesTheNodeOfTheDeviceAsked) {
    struct Row {
        const char* name;
        std::function<void(FakeRdmLink&)> meanwhile;
        int answerNode;
    };
    const Row rows[] = {
        {"the device still at its node", [](FakeRdmLink&) {}, 1},
        {"the tree rebuilt with the device at node 2",
         [](FakeRdmLink& l) { std::swap(l.records[1], l.records[2]); }, 2},
        {"the device gone from the tree", [](FakeRdmLink& l) { l.records[1]->uid = 0x7FF300000099ull; }, -1},
    };
    const Pending lamp{"lamp hours", RdmOpLampHours, PID_LAMP_HOURS, 7, H::VerifyLampHours, false};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        b->link.records.clear();
        b->link.captions.clear();
        b->link.calls.clear();
        SetUp();
        Ask(lamp);
        // The user selects the other device while the answer is on its way.
        b->ctl.state.RdmCurrentNode = 2;
        row.meanwhile(b->link);
        int seen = -2;
        bool handling = false;
        b->link.onCall = [&](H, const tRdmMessage&) {
            seen = b->ctl.state.RdmAnswerNode;
            handling = b->ctl.state.HandlingAnswer;
        };
        Deliver(lamp, {});
        ASSERT_EQ(Handlers(), std::vector<H>{H::VerifyLampHours});
        EXPECT_EQ(seen, row.answerNode);
        EXPECT_TRUE(handling);
        // Outside a handler no answer is being handled.
        EXPECT_EQ(b->ctl.state.RdmAnswerNode, -1);
        EXPECT_FALSE(b->ctl.state.HandlingAnswer);
        EXPECT_EQ(b->ctl.state.RdmCurrentNode, 2);
    }
}

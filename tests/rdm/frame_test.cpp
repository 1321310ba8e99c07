#include <gtest/gtest.h>

#include "rdm/rdm_frame.h"
#include "rdm_test_support.h"

namespace {

std::vector<uint8_t> Bytes(std::initializer_list<int> v) {
    return std::vector<uint8_t>(v.begin(), v.end());
}

} // namespace

TEST(RdmRequestFrame, WorkedExampleGetDeviceInfoIsExactAndDumpedAsQueued) {
    FakeRdmLink link;
    RdmController ctl(link);
    ctl.SendRdmRequest(0, RdmGetCommand, 0x7FF300000001ull, PID_DEVICE_INFO, 0, ctl.state.RdmParamData, 0x40);
    ASSERT_EQ(link.packets.size(), 1u);
    const auto expected = Bytes({0x40, 0x68, 0x1A, // link header: type 0x40, parameter and length 26
                                 0xCC, 0x01, 0x18, // START, sub-start, message length 24
                                 0x7F, 0xF3, 0x00, 0x00, 0x00, 0x01, // destination
                                 0x7F, 0xF1, 0x00, 0x00, 0x00, 0x00, // source: own manufacturer id
                                 0x00, 0x01, 0x00,                   // transaction 0, port 1, message count 0
                                 0x00, 0x00, 0x20,                   // sub-device 0, GET_COMMAND
                                 0x00, 0x60, 0x00,                   // DEVICE_INFO, PDL 0
                                 0x04, 0x49});                       // checksum
    EXPECT_EQ(link.packets[0], expected);
    ASSERT_EQ(link.debugLines.size(), 1);
    EXPECT_EQ(link.debugLines[0],
              "40 68 1A CC 01 18 7F F3 00 00 00 01 7F F1 00 00 00 00 00 01 00 00 00 20 00 60 00 04 49 ");
}

TEST(RdmRequestFrame, LengthsChecksumAndDataForSmallestAndLargestRequest) {
    FakeRdmLink link;
    RdmController ctl(link);
    for (int k = 0; k < 198; ++k)
        ctl.state.RdmParamData[k] = uint8_t(k * 7);
    ctl.SendRdmRequest(3, RdmSetCommand, 0x123456789ABCull, 0x8006, 198, ctl.state.RdmParamData, 0x40);
    ctl.SendRdmRequest(0, RdmGetCommand, 0x123456789ABCull, PID_DEVICE_INFO, 0, ctl.state.RdmParamData, 0x40);
    const auto& big = link.packets[0];
    ASSERT_EQ(big.size(), 227u);
    ASSERT_EQ(link.packets[1].size(), 29u);
    // Header parameter and length both PDL + 26; message length PDL + 24; sub-device 3.
    EXPECT_EQ((std::vector<uint8_t>(big.begin(), big.begin() + 6)),
              Bytes({0x43, 0x80, 0xE0, 0xCC, 0x01, 222}));
    EXPECT_EQ((std::vector<uint8_t>(big.begin() + 21, big.begin() + 27)),
              Bytes({0x00, 0x03, 0x30, 0x80, 0x06, 198}));
    for (int k = 0; k < 198; ++k)
        ASSERT_EQ(big[27 + k], uint8_t(k * 7)) << k;
    for (const auto& p : link.packets) {
        uint32_t sum = 0;
        for (size_t k = 3; k < p.size() - 2; ++k)
            sum += p[k];
        EXPECT_EQ(GetWordBE(p, p.size() - 2), uint16_t(sum));
    }
    // A PDL past the request buffer is cut to it rather than read beyond.
    ctl.SendRdmRequest(0, RdmSetCommand, 1, 0x8006, 255, ctl.state.RdmParamData, 0x40);
    EXPECT_EQ(link.packets[2].size(), 229u);
}

TEST(RdmRequestFrame, TransactionsRunOnAndWrapAndEveryRequestClearsTheAnswer) {
    FakeRdmLink link;
    RdmController ctl(link);
    ctl.state.RdmTransaction = 254;
    for (int k = 0; k < 3; ++k) {
        ctl.state.RdmRxCount = 17;
        ctl.SendRdmRequest(0, k == 2 ? RdmDiscoveryCommand : RdmGetCommand, 1, 2, 0, ctl.state.RdmParamData,
                           k == 2 ? 0x60 : 0x40);
        EXPECT_EQ(ctl.state.RdmRxCount, 0);
        EXPECT_EQ(link.packets[k][18], uint8_t(254 + k));
    }
    EXPECT_EQ(link.packets[2][0], 0x60);
}

TEST(RdmReaders, ReadBigAndLittleEndianAndNeverPastTheArray) {
    const auto b = Bytes({0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0x00, 0x41});
    EXPECT_EQ(GetWordBE(b, 0), 0x1234);
    EXPECT_EQ(GetWordLE(b, 0), 0x3412);
    EXPECT_EQ(GetLongBE(b, 1), 0x3456789Au);
    EXPECT_EQ(GetUid(b, 0), 0x123456789ABCull);
    EXPECT_EQ(GetWordBE(b, 7), 0x4100); // the byte past the end reads 0
    EXPECT_EQ(GetLongBE(b, 100), 0u);
    EXPECT_EQ(BytesToString(b, 2, 6), QString(QChar(0)) + 'A'); // a zero byte is kept as a character
    EXPECT_EQ(BytesToString(b, 50, 6).size(), 2);

    std::array<uint8_t, 4> dst{};
    CopyBytes(b, 6, dst, 10); // only the two bytes the source still has
    EXPECT_EQ(dst, (std::array<uint8_t, 4>{0x00, 0x41, 0, 0}));

    std::array<uint8_t, 8> buf{};
    PutUid(buf, 1, 0x7FF10000002Aull);
    EXPECT_EQ(buf, (std::array<uint8_t, 8>{0, 0x7F, 0xF1, 0, 0, 0, 0x2A, 0}));
    PutUid(buf, 3, 0xFFFFFFFFFFFFull); // would pass the end: nothing is written
    EXPECT_EQ(buf[3], 0);
}

TEST(RdmParse, FieldsOfAValidAnswerAndEveryWayAnAnswerIsRefused) {
    const std::vector<uint8_t> data{1, 2, 3};
    auto frame = BuildRdmAnswerFrame(0x7FF100000000ull, 0x7FF300000001ull, 9, RdmAckOverflow, 0x0102,
                                     RdmGetCommandResponse, 0x00F0, data);
    tRdmMessage msg;
    msg.data.fill(0xEE);
    ASSERT_EQ(ParseRdmMessage(frame, msg), RdmParseResult::Ok);
    EXPECT_EQ(msg.messageLength, 27);
    EXPECT_EQ(msg.destinationUid, 0x7FF100000000ull);
    EXPECT_EQ(msg.transactionNumber, 9);
    EXPECT_EQ(msg.responseType, RdmAckOverflow);
    EXPECT_EQ(msg.subDevice, 0x0102);
    EXPECT_EQ(msg.pid, 0x00F0);
    EXPECT_EQ(msg.data[2], 3);
    EXPECT_EQ(msg.data[3], 0); // zero-filled past the PDL

    auto bad = frame;
    bad[24] ^= 1;
    EXPECT_EQ(ParseRdmMessage(bad, msg), RdmParseResult::BadChecksum);
    EXPECT_EQ(ParseRdmMessage(std::span(frame).first(24), msg), RdmParseResult::TooShort);
    EXPECT_EQ(ParseRdmMessage(std::span(frame).first(26), msg), RdmParseResult::Truncated);

    auto longest = BuildRdmAnswerFrame(1, 2, 0, 0, 0, RdmGetCommandResponse, 0x8002,
                                       std::vector<uint8_t>(RdmMessageDataSize, 7));
    EXPECT_EQ(ParseRdmMessage(longest, msg), RdmParseResult::Ok);
    std::vector<uint8_t> huge(240, 0);
    auto big = BuildRdmAnswerFrame(1, 2, 0, 0, 0, RdmGetCommandResponse, 0x8002, huge);
    EXPECT_EQ(ParseRdmMessage(big, msg), RdmParseResult::PdlTooLarge);
    EXPECT_EQ(msg.pdl, 0);
}

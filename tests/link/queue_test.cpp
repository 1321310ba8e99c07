// The link packet header, the packet queue and its credit-driven chunks,
// checked on the reports that reach the interface.
#include <QPlainTextEdit>
#include <vector>

#include "LinkFixture.h"
#include "link/LinkTypes.h"
#include "ui_RdmPage.h"

namespace {

std::vector<uint8_t> Packet(size_t n, uint8_t seed) {
    std::vector<uint8_t> p(n);
    for (size_t i = 0; i < n; ++i)
        p[i] = uint8_t(seed + i);
    return p;
}

} // namespace

TEST(LinkHeader, PacksTypeParameterAndLength) {
    uint8_t h[3];
    PutLinkHeader(h, 0x40, 26, 26);
    EXPECT_EQ(h[0], 0x40);
    EXPECT_EQ(h[1], 0x68);
    EXPECT_EQ(h[2], 0x1A);
    PutLinkHeader(h, 0x20, 123, 513);
    EXPECT_EQ(h[0], 0x21);
    EXPECT_EQ(h[1], 0xEE);
    EXPECT_EQ(h[2], 0x01);
    // Largest values stay inside their fields.
    PutLinkHeader(h, 0x60, 255, 1023);
    EXPECT_EQ(h[0], 0x63);
    EXPECT_EQ(h[1], 0xFF);
    EXPECT_EQ(h[2], 0xFF);
}

class QueueTest : public LinkFixture {
protected:
    void SetUp() override {
        LinkFixture::SetUp();
        box = platform->PlugInterface(0);
        box->autoCredit = false;
        Start();
        ASSERT_EQ(dm->HidDev, dm->JvHidDC->Devices().front());
        box->written.clear();
    }

    // A credit request from the interface, handled by the program.
    void Credit(int bytes) {
        box->SendCredit(bytes);
        Settle();
    }

    std::shared_ptr<sim::SimInterface> box;
};

TEST_F(QueueTest, PacketIntoEmptyQueueIsAnnouncedThenSentByCredit) {
    // An RDM request: 26 bytes behind its header, 29 in all.
    auto payload = Packet(26, 0xCC);
    dm->EnqueuePacket(LinkTypeRdm, 26, payload.data(), 26);
    ASSERT_EQ(box->written.size(), 1u);
    EXPECT_EQ(box->written[0][0], 0); // report id
    EXPECT_EQ(box->written[0][1], 10);
    EXPECT_EQ(box->written[0][2], 0);
    EXPECT_EQ(box->written[0][3], 1);
    EXPECT_EQ(box->written[0].size(), 65u);

    Credit(64);
    ASSERT_EQ(box->packets.size(), 1u);
    EXPECT_EQ(box->packets[0].type, 0x40);
    EXPECT_EQ(box->packets[0].parameter, 26);
    EXPECT_EQ(box->packets[0].payload(), payload);
    EXPECT_EQ(box->written.back()[2], 29);

    // The next request moves the queue on and sends nothing.
    const size_t before = box->written.size();
    Credit(64);
    EXPECT_EQ(box->written.size(), before);
    EXPECT_EQ(dm->TxQueue.Count, 0);
}

TEST_F(QueueTest, CreditDecidesChunkSizeUpToSixty) {
    auto payload = Packet(200, 1);
    dm->EnqueuePacket(LinkTypeRdm, 200, payload.data(), 200); // 203 bytes
    Credit(100);
    EXPECT_EQ(box->written.back()[2], 60);
    Credit(7);
    EXPECT_EQ(box->written.back()[2], 7);
    Credit(0); // an empty chunk
    EXPECT_EQ(box->written.back()[2], 0);
    EXPECT_EQ(dm->TxQueue.Offset, 67);
    Credit(0x0140); // high byte counts too
    EXPECT_EQ(box->written.back()[2], 60);
    Credit(60);
    Credit(60);
    EXPECT_EQ(box->written.back()[2], 16);
    ASSERT_EQ(box->packets.size(), 1u);
    EXPECT_EQ(box->packets[0].payload(), payload);
}

TEST_F(QueueTest, SecondPacketIsNotAnnouncedAndFollowsTheFirst) {
    auto a = Packet(26, 0x10);
    auto b = Packet(30, 0x80);
    dm->EnqueuePacket(LinkTypeRdm, 26, a.data(), 26);
    dm->EnqueuePacket(LinkTypeDiscUniqueBranch, 30, b.data(), 30);
    EXPECT_EQ(box->written.size(), 1u); // one announce only
    EXPECT_EQ(dm->TxQueue.Count, 2);
    Credit(64); // all of a
    Credit(64); // moves on: already the whole of b
    ASSERT_EQ(box->packets.size(), 2u);
    EXPECT_EQ(box->packets[1].type, 0x60);
    EXPECT_EQ(box->packets[1].payload(), b);
    Credit(64);
    EXPECT_EQ(dm->TxQueue.Count, 0);
}

TEST_F(QueueTest, CreditWhileEmptySendsNothing) {
    Credit(64);
    EXPECT_TRUE(box->written.empty());
    EXPECT_EQ(dm->TxQueue.Count, 0);
    EXPECT_EQ(dm->TxQueue.ReadIndex, 0);
}

TEST_F(QueueTest, BytesBeyondTheChunkKeepTheInputReport) {
    auto payload = Packet(2, 0xA0);
    dm->EnqueuePacket(LinkTypeRdm, 2, payload.data(), 2);
    // The credit request carries bytes after its credit; the 5-byte chunk
    // overwrites 4..8 only.
    std::vector<uint8_t> body(64, 0x5A);
    body[0] = 10;
    body[1] = 64;
    body[2] = 0;
    box->PushReport(body);
    Settle();
    const auto& r = box->written.back();
    EXPECT_EQ(r[2], 5);
    EXPECT_EQ(r[4 + 5], 0x5A);
    EXPECT_EQ(r[63], 0x5A);
}

TEST_F(QueueTest, FullQueueRefusesAndLogsInsteadOfOverwriting) {
    std::vector<std::vector<uint8_t>> sent;
    for (int i = 0; i < 20; ++i) {
        sent.push_back(Packet(10, uint8_t(i * 11)));
        EXPECT_TRUE(dm->EnqueuePacket(LinkTypeRdm, 10, sent.back().data(), 10));
    }
    auto extra = Packet(10, 0xEE);
    EXPECT_FALSE(dm->EnqueuePacket(LinkTypeRdm, 10, extra.data(), 10));
    EXPECT_EQ(dm->TxQueue.Count, 20);
    EXPECT_TRUE(w->rdmUi->mDeviceList->toPlainText().contains(QStringLiteral("Packet queue full")));
    // All 20 leave intact and in order.
    box->autoCredit = true;
    box->credit = 64;
    Credit(64);
    ASSERT_EQ(box->packets.size(), 20u);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(box->packets[size_t(i)].payload(), sent[size_t(i)]) << i;
}

TEST_F(QueueTest, OversizedPacketIsRefused) {
    std::vector<uint8_t> big(600, 1);
    EXPECT_FALSE(dm->EnqueuePacket(big.data(), 519));
    EXPECT_FALSE(dm->EnqueuePacket(LinkTypeDmx, 123, big.data(), 516));
    EXPECT_EQ(dm->TxQueue.Count, 0);
    EXPECT_TRUE(box->written.empty());
}

TEST_F(QueueTest, DmxFrameTravelsInChunksAtCreditSixtyFour) {
    for (int i = 0; i < 513; ++i)
        dm->Line().DmxFrame[size_t(i)] = uint8_t(i * 7);
    box->autoCredit = true;
    dm->StartBlockDownload(66, 50);
    Settle();
    EXPECT_EQ(dm->LinkMode, LinkModeBlockDownload);
    ASSERT_GE(box->written.size(), 2u);
    EXPECT_EQ(box->written[0][1], 1);
    EXPECT_EQ(box->written[0][2], 66);
    EXPECT_EQ(box->written[0][3], 50);
    ASSERT_EQ(box->packets.size(), 1u);
    EXPECT_EQ(box->packets[0].bytes[0], 0x21);
    EXPECT_EQ(box->packets[0].bytes[1], 0xEE);
    EXPECT_EQ(box->packets[0].bytes[2], 0x01);
    EXPECT_EQ(box->packets[0].payload(),
              std::vector<uint8_t>(dm->Line().DmxFrame.begin(), dm->Line().DmxFrame.begin() + 513));
    // 516 bytes: eight chunks of 60 and one of 36.
    EXPECT_EQ(box->chunks.size(), 1u + 9u);
}

// The link packet header, the packet queue and its credit-driven chunks,
// checked on the reports that reach the interface.
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <vector>

#include "LinkFixture.h"
#include "link/LinkTypes.h"
#include "support/log_access.h"
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
    struct Row {
        uint8_t type;
        uint16_t parameter, length;
        std::vector<uint8_t> bytes;
    };
    const Row rows[] = {
        {0x40, 26, 26, {0x40, 0x68, 0x1A}},
        {0x20, 123, 513, {0x21, 0xEE, 0x01}},
        {0x60, 255, 1023, {0x63, 0xFF, 0xFF}}, // largest values stay inside their fields
    };
    for (const Row& r : rows) {
        uint8_t h[3];
        PutLinkHeader(h, r.type, r.parameter, r.length);
        EXPECT_EQ(std::vector<uint8_t>(h, h + 3), r.bytes) << r.length;
    }
}

class QueueTest : public LinkFixture {
protected:
    void SetUp() override {
        LinkFixture::SetUp();
        box = Connect(0);
    }

    // A credit request from the interface, handled by the program.
    void Credit(int bytes) {
        box->SendCredit(bytes);
        Settle();
    }
};

TEST_F(QueueTest, OnlyTheFirstPacketIsAnnouncedAndEachFollowsByCredit) {
    // An RDM request: 26 bytes behind its header, 29 in all; then a discovery.
    auto a = Packet(26, 0xCC);
    auto b = Packet(30, 0x80);
    dm->EnqueuePacket(LinkTypeRdm, 26, a.data(), 26);
    dm->EnqueuePacket(LinkTypeDiscUniqueBranch, 30, b.data(), 30);
    ASSERT_EQ(box->written.size(), 1u);
    EXPECT_EQ(box->written[0].size(), 65u);
    EXPECT_EQ(Bytes(box->written[0], 0, 4), (std::vector<uint8_t>{0, 10, 0, 1}));

    Credit(64); // all of a
    ASSERT_EQ(box->packets.size(), 1u);
    EXPECT_EQ(box->packets[0].type, 0x40);
    EXPECT_EQ(box->packets[0].parameter, 26);
    EXPECT_EQ(box->packets[0].payload(), a);
    EXPECT_EQ(box->written.back()[2], 29);
    Credit(64); // moves on: already the whole of b
    ASSERT_EQ(box->packets.size(), 2u);
    EXPECT_EQ(box->packets[1].type, 0x60);
    EXPECT_EQ(box->packets[1].payload(), b);

    // The next request moves the queue on and sends nothing; so does one
    // while the queue is empty.
    const size_t before = box->written.size();
    Credit(64);
    Credit(64);
    EXPECT_EQ(box->written.size(), before);
    EXPECT_EQ(dm->TxQueue.Count, 0);
}

TEST_F(QueueTest, CreditDecidesChunkSizeUpToSixty) {
    auto payload = Packet(200, 1);
    dm->EnqueuePacket(LinkTypeRdm, 200, payload.data(), 200); // 203 bytes
    const std::pair<int, int> creditAndChunk[] = {{100, 60},    {7, 7},   {0, 0},
                                                  {0x0140, 60}, {60, 60}, {60, 16}}; // high byte counts too
    for (const auto& [credit, chunk] : creditAndChunk) {
        Credit(credit);
        EXPECT_EQ(box->written.back()[2], chunk) << credit;
    }
    ASSERT_EQ(box->packets.size(), 1u);
    EXPECT_EQ(box->packets[0].payload(), payload);
}

TEST_F(QueueTest, FullOrOversizedPacketsAreRefusedInsteadOfOverwriting) {
    std::vector<uint8_t> big(600, 1);
    EXPECT_FALSE(dm->EnqueuePacket(big.data(), 519));
    EXPECT_FALSE(dm->EnqueuePacket(LinkTypeDmx, 123, big.data(), 516));
    EXPECT_EQ(dm->TxQueue.Count, 0);
    EXPECT_TRUE(box->written.empty());

    std::vector<std::vector<uint8_t>> sent;
    for (int i = 0; i < 20; ++i) {
        sent.push_back(Packet(10, uint8_t(i * 11)));
        EXPECT_TRUE(dm->EnqueuePacket(LinkTypeRdm, 10, sent.back().data(), 10));
    }
    auto extra = Packet(10, 0xEE);
    EXPECT_FALSE(dm->EnqueuePacket(LinkTypeRdm, 10, extra.data(), 10));
    EXPECT_EQ(dm->TxQueue.Count, 20);
    EXPECT_TRUE(DeviceLogText(w).contains(QStringLiteral("Packet queue full")));
    // All 20 leave intact and in order.
    box->autoCredit = true;
    box->credit = 64;
    Credit(64);
    ASSERT_EQ(box->packets.size(), 20u);
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(box->packets[size_t(i)].payload(), sent[size_t(i)]) << i;
    // Empty packets are refused; one byte and a whole slot fit.
    const std::pair<uint16_t, bool> fits[] = {{0, false}, {1, true}, {TTxQueue::SlotSize, true}};
    for (const auto& [length, accepted] : fits)
        EXPECT_EQ(dm->EnqueuePacket(big.data(), length), accepted) << length;
}

TEST_F(QueueTest, DmxFrameTravelsInChunksAtCreditSixtyFour) {
    for (int i = 0; i < 513; ++i)
        dm->Line().DmxFrame[size_t(i)] = uint8_t(i * 7);
    box->autoCredit = true;
    dm->StartBlockDownload(66, 50);
    Settle();
    ASSERT_FALSE(box->written.empty());
    EXPECT_EQ(Bytes(box->written[0], 1, 3), (std::vector<uint8_t>{1, 66, 50}));
    ASSERT_EQ(box->packets.size(), 1u);
    EXPECT_EQ(Bytes(box->packets[0].bytes, 0, 3), (std::vector<uint8_t>{0x21, 0xEE, 0x01}));
    EXPECT_EQ(box->packets[0].payload(),
              std::vector<uint8_t>(dm->Line().DmxFrame.begin(), dm->Line().DmxFrame.begin() + 513));
    // 516 bytes: eight chunks of 60 and one of 36.
    EXPECT_EQ(box->chunks.size(), 1u + 9u);
}

// The interface asks for a chunk with an input report; when that report is
// lost, the queue must not wait for ever: a packet that waits while the
// interface has asked for nothing for 500 ms is announced again, by the same
// empty chunk as at first.
TEST_F(QueueTest, AWaitingPacketIsAnnouncedAgainWhenTheInterfaceHasNotAskedFor500Ms) {
    struct Row {
        const char* name;
        bool secondPacket; // a packet waits behind one whose last chunk went out
        int askEveryMs;    // the interface asks for 7 bytes this often; 0: never
        bool announcedAgain;
    };
    const Row rows[] = {
        {"a packet never asked for", false, 0, true},
        {"a packet behind one whose last chunk went out", true, 0, true},
        {"a long packet the interface keeps asking for", false, 200, false},
    };
    const auto announces = [this] {
        int n = 0;
        for (const auto& r : box->written)
            n += Bytes(r, 0, 4) == std::vector<uint8_t>{0, 10, 0, 1};
        return n;
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        dm->DropQueuedPackets();
        box->written.clear();
        box->packets.clear();
        box->assembling.clear();
        const auto first = Packet(row.askEveryMs ? 200 : 26, 0x10);
        const auto second = Packet(30, 0x80);
        dm->EnqueuePacket(LinkTypeRdm, 26, first.data(), uint16_t(first.size()));
        if (row.secondPacket) {
            Credit(64); // all of the first packet; the ask that would move on is lost
            ASSERT_EQ(box->packets.size(), 1u);
            dm->EnqueuePacket(LinkTypeDiscUniqueBranch, 30, second.data(), 30);
        }
        QTimer ask;
        ask.setInterval(row.askEveryMs);
        QObject::connect(&ask, &QTimer::timeout, [this] { box->SendCredit(7); });
        if (row.askEveryMs) ask.start();
        QTest::qWait(700);
        ask.stop();
        Settle();

        const int again = announces() - 1;
        if (row.announcedAgain) {
            EXPECT_GE(again, 1);
            EXPECT_LE(again, 2) << "not more often than the interface is given time to ask";
        } else {
            EXPECT_EQ(again, 0);
        }
        // Once the interface asks, everything waiting leaves intact.
        for (int k = 0; k < 6 && dm->TxQueue.Count > 0; ++k)
            Credit(64);
        ASSERT_EQ(box->packets.size(), row.secondPacket ? 2u : 1u);
        EXPECT_EQ(box->packets[0].payload(), first);
        if (row.secondPacket) {
            EXPECT_EQ(box->packets[1].payload(), second);
        }
    }
}

#include <QTimer>

#include "link/LinkFixture.h"

// Pauses of the data module wait on a timer: the event loop keeps running,
// and reports that arrive meanwhile are handled after the pause, in order.
TEST_F(LinkFixture, PauseKeepsTheEventLoopRunningAndHoldsReportsInOrder) {
    auto box = Connect(0);
    std::vector<int> order;
    bool timerFired = false;
    QTimer::singleShot(10, [&] { timerFired = true; });

    dm->PauseThen(100, [&] {
        order.push_back(0);
        dm->PauseThen(20, [&] { order.push_back(1); });
    });
    EXPECT_TRUE(dm->Pausing());
    // A credit request during the pause is held: the packet waiting for it
    // goes out only after the pause.
    const uint8_t packet[4] = {0x20, 0, 1, 0};
    ASSERT_TRUE(dm->EnqueuePacket(packet, 4));
    const size_t writtenBefore = box->written.size();
    uint8_t credit[64] = {InputCreditRequest, 60, 0};
    dm->HidDataReceived(dm->HidDev, 0, credit, 64);
    EXPECT_EQ(box->written.size(), writtenBefore);

    Settle();
    EXPECT_TRUE(timerFired);
    EXPECT_EQ(order, (std::vector<int>{0, 1}));
    EXPECT_FALSE(dm->Pausing());
    EXPECT_GT(box->written.size(), writtenBefore);
}

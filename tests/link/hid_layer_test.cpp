// The HID device layer on its own, over the simulator: the device list and its
// counters, check-out, the read thread and its hand-over to the main thread.
#include <QCoreApplication>
#include <cerrno>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

#include "link/hid/JvHidControllerClass.h"
#include "support/sim/SimHidPlatform.h"

namespace {

struct Received {
    uint8_t reportId;
    std::vector<uint8_t> data;
};

class HidLayerTest : public ::testing::Test {
protected:
    HidLayerTest() {
        dc->OnArrival = [this](TJvHidDevice* d) { arrivals.push_back(d); };
        dc->OnRemoval = [this](TJvHidDevice* d) { removals.push_back(d); };
        dc->OnDeviceChange = [this] { ++changes; };
        dc->Loaded();
    }
    ~HidLayerTest() override {
        for (TJvHidDevice* d : claimed)
            delete d;
    }

    // Claims the device at idx and reads from it into `received`.
    TJvHidDevice* Claim(int idx) {
        TJvHidDevice* dev = nullptr;
        EXPECT_TRUE(dc->ClaimDeviceByIndex(dev, idx));
        if (dev) {
            claimed.push_back(dev);
            dev->AssignDataHandler([this](TJvHidDevice*, uint8_t id, const uint8_t* data, uint16_t size) {
                received.push_back({id, std::vector<uint8_t>(data, data + size)});
            });
        }
        return dev;
    }

    std::shared_ptr<sim::SimHidPlatform> platform = std::make_shared<sim::SimHidPlatform>();
    std::unique_ptr<TJvHidDeviceController> dc = std::make_unique<TJvHidDeviceController>(platform);
    std::vector<TJvHidDevice*> arrivals, removals, claimed;
    std::vector<Received> received;
    int changes = 0;
};

} // namespace

TEST_F(HidLayerTest, ListFollowsPlugAndUnplugWithCounters) {
    auto a = platform->PlugForeign(0x1111, 1, true);
    auto b = platform->PlugForeign(0x2222, 2, false);
    ASSERT_TRUE(platform->WaitIdle());
    ASSERT_EQ(dc->Devices().size(), 2u);
    EXPECT_EQ(arrivals.size(), 2u);
    EXPECT_EQ(dc->Devices()[0]->Attributes.vendorId, 0x1111);
    EXPECT_EQ(dc->CheckedInCount, 2);
    EXPECT_EQ(changes, 1); // both in one scan

    TJvHidDevice* held = Claim(0);
    EXPECT_TRUE(held->HasReadThread());
    // Without read/write access: no read thread, and writes fail.
    TJvHidDevice* keyboard = Claim(1);
    EXPECT_FALSE(keyboard->HasReadThread());
    uint32_t written = 99;
    const uint8_t report[65] = {};
    EXPECT_FALSE(keyboard->WriteReport(report, 65, written));
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(dc->CheckedOutCount, 2);
    EXPECT_EQ(dc->CheckedInCount, 0);
    // A bad index or a checked-out device is refused.
    for (int idx : {2, -1, 0}) {
        TJvHidDevice* dev = reinterpret_cast<TJvHidDevice*>(1);
        EXPECT_FALSE(dc->ClaimDeviceByIndex(dev, idx)) << idx;
        EXPECT_EQ(dev, nullptr) << idx;
    }

    EXPECT_TRUE(held->WriteReport(report, 65, written));
    EXPECT_EQ(written, 65u);
    platform->Unplug(a);
    EXPECT_FALSE(held->WriteReport(report, 65, written)); // gone before the scan noticed
    EXPECT_EQ(written, 0u);
    ASSERT_TRUE(platform->WaitIdle());
    ASSERT_EQ(removals, std::vector<TJvHidDevice*>{held});
    EXPECT_FALSE(held->PluggedIn);
    // Checked out: it stays listed until its holder frees it.
    EXPECT_EQ(dc->Devices().size(), 2u);
    EXPECT_EQ(dc->UnpluggedCount, 1);
    EXPECT_EQ(dc->CheckedOutCount, 1);
    std::erase(claimed, held);
    delete held;
    EXPECT_EQ(dc->Devices().size(), 1u);
    EXPECT_EQ(dc->UnpluggedCount, 0);

    // A device that cannot be identified is skipped; the scan goes on.
    auto broken = std::make_shared<sim::SimDevice>("broken", HidAttributes{1, 2, 3});
    broken->unidentifiable = true;
    platform->Plug(broken);
    auto c = platform->PlugForeign(0x3333, 3, true);
    ASSERT_TRUE(platform->WaitIdle());
    ASSERT_EQ(dc->Devices().size(), 2u);
    EXPECT_EQ(dc->Devices()[1]->Attributes.vendorId, 0x3333);
}

TEST_F(HidLayerTest, ReportsArriveInOrderWithoutTheirIdAndEmptyReadsDeliverNothing) {
    auto box = platform->Plug(std::make_shared<sim::SimInterface>("box", 0));
    ASSERT_TRUE(platform->WaitIdle());
    TJvHidDevice* dev = Claim(0);
    ASSERT_TRUE(dev->HasReadThread());
    box->PushRaw({});              // 0 bytes
    box->PushRaw({7, 10, 20, 30}); // 4 bytes, report id 7
    box->PushRaw({0});             // the report id alone
    ASSERT_TRUE(platform->WaitIdle());
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].reportId, 7);
    EXPECT_EQ(received[0].data, (std::vector<uint8_t>{10, 20, 30}));
    EXPECT_EQ(received[1].data.size(), 0u);

    // A report longer than the device's input length is cut to it.
    box->PushRaw(std::vector<uint8_t>(100, 1));
    ASSERT_TRUE(platform->WaitIdle());
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[2].data.size(), 64u);

    // Many at once: one at a time, in order.
    received.clear();
    for (int i = 0; i < 200; ++i)
        box->PushReport({uint8_t(i)});
    ASSERT_TRUE(platform->WaitIdle());
    ASSERT_EQ(received.size(), 200u);
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(received[size_t(i)].data[0], uint8_t(i));
}

TEST_F(HidLayerTest, StoppingDuringAHandOverNeverDeadlocks) {
    auto box = platform->Plug(std::make_shared<sim::SimInterface>("box", 0));
    ASSERT_TRUE(platform->WaitIdle());
    TJvHidDevice* dev = Claim(0);
    auto state = box->state();
    for (int round = 0; round < 100; ++round) {
        box->PushReport({uint8_t(round)});
        // Wait (without running the event loop) until the read thread has
        // taken the report and is waiting for the main thread to handle it.
        while (true) {
            std::lock_guard<std::mutex> lock(state->mutex);
            if (state->ready.empty() && state->readersBlocked == 0) break;
        }
        dev->StopReadThread(); // the main thread never ran the hand-over
        EXPECT_FALSE(dev->HasReadThread());
        // The stale hand-over runs now and delivers nothing.
        const size_t before = received.size();
        QCoreApplication::processEvents();
        EXPECT_EQ(received.size(), before);
        dev->StartReadThread();
        ASSERT_TRUE(dev->HasReadThread());
    }
    // And from inside the handler itself.
    dev->AssignDataHandler([&](TJvHidDevice* d, uint8_t, const uint8_t*, uint16_t) { d->StopReadThread(); });
    box->PushReport({1});
    ASSERT_TRUE(platform->WaitIdle());
    EXPECT_FALSE(dev->HasReadThread());
}

TEST_F(HidLayerTest, FreeingAPluggedInDeviceKeepsTheInterfaceKnown) {
    auto box = platform->Plug(std::make_shared<sim::SimInterface>("box", 0));
    ASSERT_TRUE(platform->WaitIdle());
    TJvHidDevice* dev = Claim(0);
    EXPECT_EQ(dev->ThreadSleepTime(), 100);
    dev->SetThreadSleepTime(9); // out of bounds: ignored
    dev->SetThreadSleepTime(10001);
    dc->SetDevThreadSleepTime(250); // passed on to devices still at the old value
    EXPECT_EQ(dev->ThreadSleepTime(), 250);
    claimed.clear();
    delete dev;
    ASSERT_EQ(dc->Devices().size(), 1u);
    TJvHidDevice* fresh = dc->Devices()[0];
    EXPECT_FALSE(fresh->CheckedOut);
    EXPECT_EQ(fresh->ThreadSleepTime(), 250);
    EXPECT_EQ(dc->CheckedOutCount, 0);
    EXPECT_EQ(dc->CheckedInCount, 1);
    dc->DeviceChange();
    EXPECT_EQ(changes, 1); // a rescan sees no change

    // Checked out again and freed by its own handler, which stops the very
    // thread that is waiting for the call.
    ASSERT_TRUE(dc->ClaimDeviceByIndex(dev, 0));
    int calls = 0;
    dev->AssignDataHandler([&](TJvHidDevice* d, uint8_t, const uint8_t*, uint16_t) {
        ++calls;
        delete d;
    });
    box->PushReport({1});
    box->PushReport({2}); // never delivered: the device is gone
    ASSERT_TRUE(platform->WaitIdle());
    EXPECT_EQ(calls, 1);
    ASSERT_EQ(dc->Devices().size(), 1u);
    EXPECT_NE(dc->Devices()[0], dev);
    EXPECT_FALSE(dc->Devices()[0]->CheckedOut);
}

TEST_F(HidLayerTest, SecondControllerStaysInert) {
    TJvHidDeviceController second(platform);
    EXPECT_FALSE(second.IsValid());
    platform->PlugForeign(0x1111, 1, true);
    ASSERT_TRUE(platform->WaitIdle());
    second.DeviceChange();
    EXPECT_TRUE(second.Devices().empty());
    EXPECT_EQ(dc->Devices().size(), 1u);
    EXPECT_TRUE(platform->HasChangeNotice());
}

TEST_F(HidLayerTest, FailingReadsBackOffAndStillStop) {
    auto box = platform->Plug(std::make_shared<sim::SimInterface>("box", 0));
    ASSERT_TRUE(platform->WaitIdle());
    std::vector<uint32_t> errors;
    TJvHidDevice* dev = nullptr;
    ASSERT_TRUE(dc->ClaimDeviceByIndex(dev, 0));
    claimed.push_back(dev);
    dev->SetOnDataError([&](TJvHidDevice*, uint32_t code) { errors.push_back(code); });
    dev->SetThreadSleepTime(10000);
    {
        std::lock_guard<std::mutex> lock(box->state()->mutex);
        box->state()->failReads = true;
    }
    dev->AssignDataHandler([](TJvHidDevice*, uint8_t, const uint8_t*, uint16_t) {});
    for (int i = 0; i < 100000 && errors.empty(); ++i)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    ASSERT_EQ(errors, std::vector<uint32_t>{uint32_t(EIO)});
    // The thread now rests before trying again: running the event loop brings
    // no second error.
    for (int i = 0; i < 200; ++i)
        QCoreApplication::processEvents();
    EXPECT_EQ(errors.size(), 1u);
    // Its rest does not hold up a stop.
    dev->StopReadThread();
    EXPECT_FALSE(dev->HasReadThread());
}

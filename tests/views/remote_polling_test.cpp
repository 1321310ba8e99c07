#include <QImage>
#include <QTimer>

#include "remacc_fixture.h"
#include "support/log_access.h"
#include "tree_change.h"

namespace {

using Pages = std::vector<uint8_t>;

} // namespace

TEST_F(RemoteAccessTab, ShownOnlyForTheMakersDevicesWithADisplay) {
    struct Case {
        const char* name;
        uint16_t manufacturer;
        bool listsDisplay;
        int node;
        uint16_t discovered;
        bool shown;
    };
    const Case cases[] = {
        {"distributor's device with a display", 0x7FF3, true, 1, 2, true},
        {"maker's device with a display", 0x7FF1, true, 1, 2, true},
        {"maker's device without a display", 0x7FF3, false, 1, 2, false},
        {"another maker's device", 0x1234, true, 1, 2, false},
        {"the manufacturer group", 0x7FF3, true, 0, 2, false},
        {"nothing discovered", 0x7FF3, true, 1, 0, false},
    };
    // Node 2 has a display too: each case starts polling on it.
    Rec(2).supportedPids = Rec(1).supportedPids;
    Rec(2).supportedPidCount = Rec(1).supportedPidCount;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        view->Discovery.DiscoveredCount = 2;
        ClickNode(2);
        pc->setCurrentWidget(tab);
        ASSERT_TRUE(dm->tmrRemAcc->isActive());

        tRdmDevice& r = Rec(1);
        r.uid = uint64_t(c.manufacturer) << 32 | 1;
        r.supportedPidCount = uint8_t(basePidCount + (c.listsDisplay ? 2 : 0));
        Rec(0).uid = r.uid;
        view->Discovery.DiscoveredCount = c.discovered;
        ClickNode(c.node);
        EXPECT_EQ(TabShown(), c.shown);
        // A hidden tab is left for the first one, and the polling with it.
        EXPECT_EQ(pc->currentWidget() == tab, c.shown);
        EXPECT_EQ(dm->tmrRemAcc->isActive(), c.shown && c.discovered > 0);
    }
}

TEST_F(RemoteAccessTab, AFrameShowsTheDevicesDisplay) {
    DrawPattern();
    Tick();
    // Four GETs, each asked when the page before it arrived; no operation is
    // left pending for them.
    EXPECT_EQ(RemoteSent(),
              (std::vector<Req>{
                  {0x20, 0x8002, {0}}, {0x20, 0x8002, {1}}, {0x20, 0x8002, {2}}, {0x20, 0x8002, {3}}}));
    EXPECT_EQ(dm->RdmGlobals().RdmPendingOp, 0);
    EXPECT_EQ(remote->RemoteDisplayShown, display.pages);
    const QImage& img = remote->displayImage();
    ASSERT_EQ(img.size(), QSize(244, 64));
    int wrong = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 244; ++x)
            wrong += img.pixel(x, y) != (display.Pixel(x / 2, y / 2) ? White : Blue);
    EXPECT_EQ(wrong, 0);
}

TEST_F(RemoteAccessTab, PollingFollowsTheTabNotTheMainPage) {
    w->showMainPage("Logo");
    Tick();
    EXPECT_EQ(display.pagesAsked, (Pages{0, 1, 2, 3}));
    EXPECT_TRUE(dm->tmrRemAcc->isActive());

    w->showMainPage("RDM");
    pc->setCurrentIndex(0);
    Tick();
    EXPECT_EQ(display.pagesAsked, (Pages{0, 1, 2, 3}));
    EXPECT_FALSE(dm->tmrRemAcc->isActive());
}

namespace {

struct RestartCase {
    std::set<uint8_t> skip, late;
    Pages askedFirst, askedAfterRestart;
    int pageZeroHoldsPage; // what the restarted frame stored as page 0
};

} // namespace

class RemoteAccessRestart : public RemoteAccessTab {
protected:
    void Run(const RestartCase& c) {
        for (int x = 0; x < 122; ++x)
            for (int y = 0; y < 32; ++y)
                display.SetPixel(x, y, (x + y / 8) % 3 == 0);
        display.skipPages = c.skip;
        display.latePages = c.late;
        Tick();
        EXPECT_EQ(display.pagesAsked, c.askedFirst);
        Tick(6);
        EXPECT_EQ(display.pagesAsked, c.askedFirst);
        Tick();
        EXPECT_EQ(display.pagesAsked, c.askedAfterRestart);
        EXPECT_EQ(remote->RemoteDisplayPages[0], display.pages[size_t(c.pageZeroHoldsPage)]);
    }
};

TEST_F(RemoteAccessRestart, APageNeverAnswered) {
    Run({{2}, {}, {0, 1, 2}, {0, 1, 2, 0, 1, 2}, 0});
}

// The late answer arrives with the next request: it is not taken for the page
// awaited then, which the line does not answer, and the frame starts over.
TEST_F(RemoteAccessRestart, APageAnsweredLate) {
    Run({{}, {1}, {0, 1}, {0, 1, 0}, 0});
}

TEST_F(RemoteAccessTab, AnswersCountOnlyWhileAPageIsAwaited) {
    DrawPattern();
    Tick();
    const tRemoteDisplay before = remote->RemoteDisplayPages;
    std::array<uint8_t, 122> stray;
    stray.fill(0x5A);

    // After a complete frame nothing is awaited: a stray answer changes nothing.
    ClearLog();
    PushPageAnswer(stray);
    EXPECT_EQ(remote->RemoteDisplayPages, before);
    EXPECT_TRUE(RemoteSent().empty());

    // Page 1 goes unanswered: its answer, coming after the interface said
    // so, is no page, and asks nothing; nor is a refusal.
    display.skipPages = {1};
    Tick();
    ClearLog();
    display.skipPages.clear();
    const tRemoteDisplay waiting = remote->RemoteDisplayPages;
    const uint8_t reason[] = {0x00, 0x05};
    PushPageAnswer(reason, 2);
    PushPageAnswer(stray);
    EXPECT_EQ(remote->RemoteDisplayPages, waiting);
    EXPECT_TRUE(RemoteSent().empty());
}

TEST_F(RemoteAccessTab, AShortAnswerFillsOnlyWhatItBrings) {
    for (auto& page : display.pages)
        page.fill(0xFF);
    Tick();
    display.answerLength = 50;
    Tick();
    for (const auto& page : remote->RemoteDisplayShown) {
        EXPECT_EQ(std::count(page.begin(), page.begin() + 50, 0xFF), 50);
        EXPECT_EQ(std::count(page.begin() + 50, page.end(), 0), 72);
    }
    EXPECT_EQ(remote->displayImage().pixel(2 * 49, 0), White);
    EXPECT_EQ(remote->displayImage().pixel(2 * 50, 0), Blue);
}

class RemoteAccessTreeChange : public RemoteAccessTab, public ::testing::WithParamInterface<TreeChange> {};

TEST_P(RemoteAccessTreeChange, NothingIsSentForANodeThatIsGone) {
    DrawPattern();
    display.skipPages = {1};
    Tick(); // page 1 awaited
    ChangeTree(*view, GetParam());
    const tRemoteDisplay before = remote->RemoteDisplayPages;
    ClearLog();
    std::array<uint8_t, 122> stray;
    stray.fill(0x5A);
    PushPageAnswer(stray);
    Tick(8);
    EXPECT_TRUE(RemoteSent().empty());
    EXPECT_EQ(remote->RemoteDisplayPages, before);
}

INSTANTIATE_TREE_CHANGES(RemoteAccessTreeChange);

// The tab shows the selected device's display or nothing: another device
// selected clears device 1's picture at once, and that device's own frame is
// drawn once it has come whole.
TEST_F(RemoteAccessTab, AnotherDeviceSelectedClearsTheDisplay) {
    SimDisplayDevice display2{dev2};
    for (int x = 10; x < 20; ++x)
        display2.SetPixel(x, 12, true);
    Rec(2).supportedPids = Rec(1).supportedPids;
    Rec(2).supportedPidCount = Rec(1).supportedPidCount;
    const tRemoteDisplay blank{};
    struct Row {
        const char* name;
        bool silent; // device 2 never answers
        const tRemoteDisplay& shown;
    };
    const Row rows[] = {
        {"a silent device", true, blank},
        {"a device that shows its own display", false, display2.pages},
    };
    DrawPattern();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ClickNode(1);
        pc->setCurrentWidget(tab);
        Tick();
        ASSERT_EQ(remote->RemoteDisplayShown, display.pages);
        dev2.silent = row.silent;
        ClickNode(2);
        ASSERT_EQ(pc->currentWidget(), tab);
        Tick(8);
        EXPECT_EQ(remote->RemoteDisplayShown, row.shown);
        int wrong = 0;
        const QImage& img = remote->displayImage();
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 244; ++x) {
                const bool lit = (row.shown[size_t(y / 16)][size_t(x / 2)] >> (y / 2 % 8)) & 1;
                wrong += img.pixel(x, y) != (lit ? White : Blue);
            }
        EXPECT_EQ(wrong, 0);
    }
}

// A page of device 1 on its way when device 2, which has no display, is
// clicked: it is no page of the display shown, and no further page is asked
// of device 2.
TEST_F(RemoteAccessTab, APageOfTheDeviceLeftAsksNothingOfTheNext) {
    DrawPattern();
    auto hold = std::make_shared<bool>(true);
    dev1.extension = [this, hold, inner = dev1.extension](SimRdmResponder& r, uint8_t cc, uint16_t pid,
                                                          std::span<const uint8_t> data) {
        if (cc == 0x20 && pid == 0x8002 && data.size() == 1 && data[0] == 1 && std::exchange(*hold, false))
            box->HoldInput(true);
        return inner(r, cc, pid, data);
    };
    Tick();
    ASSERT_EQ(remote->RemotePageIndex, 1);
    ASSERT_GE(box->HeldCount(), 1) << "page 1's answer is on its way";
    ClickNode(2);
    ASSERT_FALSE(TabShown());
    const tRemoteDisplay pages = remote->RemoteDisplayPages;
    ClearLog();
    dev2.received.clear();
    box->HoldInput(false);
    box->ReleaseInput();
    Settle();
    Tick(3);
    EXPECT_TRUE(RemoteSent().empty());
    EXPECT_TRUE(dev2.received.empty());
    EXPECT_EQ(remote->RemoteDisplayPages, pages);
}

#include <optional>
#include <string>

#include "channel_grid_fixture.h"
#include "tree_change.h"

namespace {

// Runs of channels, first..last, in one colour; every other channel is free.
struct Run {
    int first, last;
    char colour;
};
std::string Expected(std::initializer_list<Run> runs) {
    std::string s(512, 'W');
    for (const Run& r : runs)
        for (int ch = r.first; ch <= r.last; ++ch)
            s[size_t(ch - 1)] = r.colour;
    return s;
}

struct Placement {
    int address;
    uint16_t footprint;
    uint8_t personality = 1;
};

} // namespace

TEST_F(ChannelGrid, ColoursOfDevicesNeighboursAndCollisions) {
    struct Case {
        const char* name;
        Placement first, second;
        int selected; // 0: the group node, no device selected
        std::string expected;
    };
    const Case cases[] = {
        {"neighbours alternate", {1, 3}, {4, 3}, 0, Expected({{1, 3, 'G'}, {4, 6, 'S'}})},
        {"a lone device after free channels is silver", {10, 3}, {0, 3}, 0, Expected({{10, 12, 'S'}})},
        {"a lone device at channel 1 is grey", {1, 3}, {0xFFFF, 3}, 0, Expected({{1, 3, 'G'}})},
        {"a free channel after channel 1", {1, 1}, {3, 2}, 0, Expected({{1, 1, 'G'}, {3, 4, 'S'}})},
        {"shared channels are red", {1, 4}, {3, 4}, 0, Expected({{1, 2, 'G'}, {3, 4, 'R'}, {5, 6, 'S'}})},
        {"a device past 512 is not drawn", {510, 4}, {509, 4}, 0, Expected({{509, 512, 'S'}})},
        {"no footprint occupies nothing", {5, 3, 0}, {20, 0}, 0, Expected({})},
        {"the selected device is yellow", {1, 3}, {4, 3}, 1, Expected({{1, 3, 'Y'}, {4, 6, 'S'}})},
        {"a border after yellow", {4, 3}, {7, 3}, 1, Expected({{4, 6, 'Y'}, {7, 9, 'G'}})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Place(1, c.first.address, c.first.footprint, c.first.personality);
        Place(2, c.second.address, c.second.footprint, c.second.personality);
        view->RdmCurrentNode() = uint16_t(c.selected);
        Rebuild();
        EXPECT_EQ(MapLetters(), c.expected);
        EXPECT_EQ(DrawnLetters(), c.expected);
    }
}

TEST_F(ChannelGrid, DraggingMovesTheDevice) {
    struct Case {
        const char* name;
        Placement device;
        QPoint grab;
        std::vector<QPoint> path;
        QPoint release;
        std::vector<int> sent;
        int address; // afterwards, in the record and in the device
    };
    const Case cases[] = {
        {"third channel of 10 let go over 20", {10, 3}, At(12), {At(13), At(17), At(20)}, At(20), {18}, 18},
        {"press and release without moving", {10, 3}, At(11), {}, At(11), {}, 10},
        {"back where it began", {10, 3}, At(10), {At(30), At(10)}, At(10), {}, 10},
        {"past 512 is refused", {500, 4}, At(500), {At(505), At(510), At(512)}, At(512), {505}, 505},
        {"down to channel 1", {10, 3}, At(10), {At(1)}, At(1), {1}, 1},
        {"below 1 is refused", {3, 4}, At(6), {At(2), At(4), At(1)}, At(1), {1}, 1},
        {"a free channel grabs nothing", {10, 3}, At(30), {At(40)}, At(40), {}, 10},
        {"a device past 512 cannot be grabbed", {510, 4}, At(511), {At(400)}, At(400), {}, 510},
        {"beside the cells is no channel", {10, 3}, At(10), {RightOfRow1, BelowGrid}, BelowGrid, {}, 10},
        {"outside the cells the last fit holds",
         {10, 3},
         At(10),
         {At(15), RightOfRow1},
         RightOfRow1,
         {15},
         15},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Place(1, c.device.address, c.device.footprint);
        Place(2, 0, 4);
        Select(0);
        Rebuild();
        ClearLog();
        Press(c.grab);
        for (QPoint p : c.path)
            Move(p);
        Release(c.release);
        EXPECT_EQ(AddressesSent(), c.sent);
        EXPECT_EQ(Rec(1).dmxStartAddress, c.address);
        EXPECT_EQ(dev1.values[0x00F0], (Data{uint8_t(c.address >> 8), uint8_t(c.address)}));
        EXPECT_EQ(TDmxChannelMap::of(w)->DragActive, 0);
    }
}

TEST_F(ChannelGrid, GrabbingSelectsTheDeviceWithoutAsking) {
    Place(1, 1, 4);
    Place(2, 10, 4);
    Select(1);
    Rebuild();
    ClearLog();
    Press(At(12));
    // The grabbed device is the selected node, shown in yellow, and nothing
    // is asked of it.
    EXPECT_EQ(view->RdmCurrentNode(), 2);
    EXPECT_EQ(view->tree()->currentItem(), NodeAt(view->tree(), 2));
    EXPECT_EQ(MapLetters(), Expected({{1, 4, 'G'}, {10, 13, 'Y'}}));
    EXPECT_TRUE(Sent().empty());
    Move(At(21));
    Release(At(21));
    // The device took the address: the verifying GET read it back.
    EXPECT_EQ(Sent(), (std::vector<Req>{{0x30, 0x00F0, {0, 19}}, {0x20, 0x00F0, {}}}));
    EXPECT_TRUE(DeviceLogLines(w).contains("Dmx address modified"));
    EXPECT_EQ(MapLetters(), Expected({{1, 4, 'G'}, {19, 22, 'Y'}}));
}

class TreeReplacedUnderDrag : public ChannelGrid, public ::testing::WithParamInterface<TreeChange> {};

TEST_P(TreeReplacedUnderDrag, EndsTheDrag) {
    Place(1, 10, 3);
    Place(2, 20, 3);
    Rebuild();
    Press(At(21));
    ASSERT_EQ(view->RdmCurrentNode(), 2);
    ChangeTree(*view, GetParam());
    std::vector<uint16_t> before;
    for (int i = 0; i < view->NodeCountInTree(); ++i)
        before.push_back(view->RecordAt(i)->dmxStartAddress);
    ClearLog();
    Move(At(100));
    Release(At(100));
    EXPECT_TRUE(AddressesSent().empty());
    for (int i = 0; i < view->NodeCountInTree(); ++i)
        EXPECT_EQ(view->RecordAt(i)->dmxStartAddress, before[size_t(i)]) << "node " << i;
    // A current node past the end of the tree draws nothing selected.
    view->RdmCurrentNode() = 500;
    Rebuild();
    EXPECT_EQ(MapLetters().find('Y'), std::string::npos);
}

INSTANTIATE_TREE_CHANGES(TreeReplacedUnderDrag);

TEST_F(ChannelGrid, FollowsTheTreeAndTheTabs) {
    Place(1, 1, 4);
    Place(2, 10, 4);
    // A click on a node shows it in yellow.
    ClickItem(tree, NodeAt(tree, 2));
    Settle();
    EXPECT_EQ(MapLetters(), Expected({{1, 4, 'G'}, {10, 13, 'Y'}}));
    // A device moved elsewhere shows where it is when the tab is opened again.
    Rec(1).dmxStartAddress = 30;
    auto* pc = Find<QTabWidget>("pcRdm");
    pc->setCurrentIndex(0);
    pc->setCurrentWidget(Find<QWidget>("tsDmxKiosztas"));
    EXPECT_EQ(MapLetters(), Expected({{10, 13, 'Y'}, {30, 33, 'G'}}));
}

// A pick on the map selects as a click in the tree does. Device 1, a maker's
// device with a display, takes its Special and Remote access tabs with it,
// and device 2 is asked for no display page. While an answer is on its way
// the pick waits as a click does, and is taken once the answer has come.
TEST_F(ChannelGrid, APickSelectsAsAClickDoes) {
    Place(1, 1, 4);
    Place(2, 10, 4);
    tRdmDevice& r = Rec(1);
    r.DeviceKind = 2;
    r.supportedPids[r.supportedPidCount++] = 0x8002;
    view->Discovery.DiscoveredCount = 2;
    dm->tmrRemAcc->setInterval(24 * 3600 * 1000);
    auto* pc = Find<QTabWidget>("pcRdm");
    QWidget* dmx = Find<QWidget>("tsDmxKiosztas");
    QWidget* special = Find<QWidget>("tsSpecial");
    QWidget* remote = Find<QWidget>("tsRemoteAccess");
    auto shown = [&](QWidget* tab) { return pc->isTabVisible(pc->indexOf(tab)); };
    // Holds the interface's input from when device 1 receives the lamp hours' read-back.
    auto hold = std::make_shared<bool>(false);
    dev1.extension = [this, hold, inner = dev1.extension](SimRdmResponder& d, uint8_t cc, uint16_t pid,
                                                          std::span<const uint8_t> data) {
        if (cc == 0x20 && pid == 0x0401 && std::exchange(*hold, false)) box->HoldInput(true);
        return inner(d, cc, pid, data);
    };
    tree->expandAll();
    for (bool answerOnItsWay : {false, true}) {
        SCOPED_TRACE(answerOnItsWay ? "an answer on its way" : "the line free");
        ClickItem(tree, NodeAt(tree, 1));
        Settle();
        ASSERT_TRUE(shown(special) && shown(remote));
        pc->setCurrentWidget(dmx);
        Rebuild();
        if (answerOnItsWay) {
            *hold = true;
            Set("seLampHours", 777);
            Find<QPushButton>("btnModLampHours")->click();
            Settle();
            ASSERT_GE(box->HeldCount(), 1);
        }
        ClearLog();
        Press(At(12));
        Release(At(12));
        EXPECT_EQ(tree->currentItem(), NodeAt(tree, 2));
        if (answerOnItsWay) {
            EXPECT_EQ(view->RdmCurrentNode(), 1) << "held while the answer is on its way";
            EXPECT_TRUE(shown(special));
            box->HoldInput(false);
            box->ReleaseInput();
            Settle();
            EXPECT_EQ(DeviceLogLines(w).last(), "Lamp hours modified");
        }
        EXPECT_EQ(view->RdmCurrentNode(), 2);
        EXPECT_EQ(MapLetters(), Expected({{1, 4, 'G'}, {10, 13, 'Y'}}));
        EXPECT_FALSE(shown(special));
        EXPECT_FALSE(shown(remote));
        EXPECT_EQ(pc->currentWidget(), dmx);
        // Wherever the user can go, device 2 is asked for no display page.
        if (shown(remote)) pc->setCurrentWidget(remote);
        for (int i = 0; i < 3; ++i) {
            dm->tmrRemAccTimer();
            Settle();
        }
        std::vector<uint64_t> to;
        const auto sent = Sent(&to);
        for (size_t i = 0; i < sent.size(); ++i)
            EXPECT_FALSE(to[i] == Uid2 && std::get<1>(sent[i]) == 0x8002);
        EXPECT_TRUE(AddressesSent().empty()) << "a pick without moving sends no address";
    }
}

#include <QTreeWidget>
#include <functional>
#include <gtest/gtest.h>

#include "views/DeviceTree.h"

namespace {

// The nodes in depth-first order, found the slow way.
void Walk(QTreeWidgetItem* item, std::vector<QTreeWidgetItem*>& out) {
    out.push_back(item);
    for (int i = 0; i < item->childCount(); ++i)
        Walk(item->child(i), out);
}

std::vector<QTreeWidgetItem*> DepthFirst(QTreeWidget& tree) {
    std::vector<QTreeWidgetItem*> out;
    for (int i = 0; i < tree.topLevelItemCount(); ++i)
        Walk(tree.topLevelItem(i), out);
    return out;
}

// Two groups with two devices each; the first device has three sub-devices.
void Build(QTreeWidget& tree) {
    for (int g = 0; g < 2; ++g) {
        DeviceNode* group = AddDeviceNode(&tree, nullptr, QString("G%1").arg(g));
        for (int d = 0; d < 2; ++d) {
            DeviceNode* device = AddDeviceNode(&tree, group, QString("D%1%2").arg(g).arg(d));
            if (g == 0 && d == 0)
                for (int s = 1; s <= 3; ++s)
                    AddDeviceNode(&tree, device, QString("S%1").arg(s));
        }
    }
}

} // namespace

// After every kind of change to the tree, a node's index, the node at an
// index and the count are those of the tree as it is now; an index past the
// end gives nothing.
TEST(NodeIndexTest, FollowsEveryChangeOfTheTree) {
    struct Change {
        const char* name;
        std::function<void(QTreeWidget&)> apply;
    };
    const Change changes[] = {
        {"built", [](QTreeWidget&) {}},
        {"sub-devices added under a device already shown",
         [](QTreeWidget& t) {
             QTreeWidgetItem* device = t.topLevelItem(1)->child(0);
             for (int s = 1; s <= 4; ++s)
                 AddDeviceNode(&t, device, QString("T%1").arg(s));
         }},
        {"a group added", [](QTreeWidget& t) { AddDeviceNode(&t, nullptr, "G2"); }},
        {"a device inserted before others",
         [](QTreeWidget& t) { t.topLevelItem(0)->insertChild(0, new DeviceNode("first")); }},
        {"a device with its sub-devices deleted", [](QTreeWidget& t) { delete t.topLevelItem(0)->child(0); }},
        {"a node taken out", [](QTreeWidget& t) { delete t.topLevelItem(1)->takeChild(1); }},
        {"a group taken out", [](QTreeWidget& t) { delete t.takeTopLevelItem(0); }},
        {"sorted", [](QTreeWidget& t) { t.sortItems(0, Qt::DescendingOrder); }},
        {"cleared", [](QTreeWidget& t) { ClearDeviceTree(&t); }},
        {"rebuilt", [](QTreeWidget& t) { Build(t); }},
    };
    QTreeWidget tree;
    Build(tree);
    for (const Change& change : changes) {
        SCOPED_TRACE(change.name);
        // A look-up before the change, so that the index has something to go stale.
        NodeAt(&tree, 0);
        const quint64 changesBefore = TreeChanges(&tree);
        change.apply(tree);
        // Work that waited can tell that the tree changed under it.
        EXPECT_EQ(TreeChanges(&tree) != changesBefore, std::string(change.name) != "built");
        const auto nodes = DepthFirst(tree);
        ASSERT_EQ(NodeCount(&tree), int(nodes.size()));
        for (int i = 0; i < int(nodes.size()); ++i) {
            EXPECT_EQ(NodeAt(&tree, i), nodes[size_t(i)]) << i;
            EXPECT_EQ(NodeIndex(&tree, nodes[size_t(i)]), i);
            EXPECT_EQ(DeviceRecordAt(&tree, i), DeviceRecord(nodes[size_t(i)]));
        }
        EXPECT_EQ(NodeAt(&tree, int(nodes.size())), nullptr);
        EXPECT_EQ(DeviceRecordAt(&tree, int(nodes.size()) + 5), nullptr);
        EXPECT_EQ(NodeAt(&tree, -1), nullptr);
    }
    // A node of another tree is not in this one.
    QTreeWidget other;
    Build(other);
    EXPECT_EQ(NodeIndex(&tree, other.topLevelItem(0)), -1);
}

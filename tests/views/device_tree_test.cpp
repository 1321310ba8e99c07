#include <QTreeWidget>
#include <gtest/gtest.h>

#include "views/DeviceTree.h"

TEST(DeviceTree, IndexesNodesDepthFirstAndFreesRecordsWithTheTree) {
    QTreeWidget tree;
    DeviceNode* groupA = AddDeviceNode(&tree, nullptr, "A");           // 0
    DeviceNode* dev1 = AddDeviceNode(&tree, groupA, "A dev 1");        // 1
    AddDeviceNode(&tree, dev1, "sub 1");                               // 2
    DeviceNode* dev2 = AddDeviceNode(&tree, groupA, "A dev 2");        // 3
    AddDeviceNode(&tree, AddDeviceNode(&tree, nullptr, "B"), "B dev"); // 4, 5

    EXPECT_EQ(NodeCount(&tree), 6);
    EXPECT_EQ(NodeAt(&tree, 3), dev2);
    EXPECT_EQ(NodeAt(&tree, 6), nullptr);
    EXPECT_EQ(NodeAt(&tree, -1), nullptr);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(NodeIndex(&tree, NodeAt(&tree, i)), i);

    tRdmDevice* rec = DeviceRecordAt(&tree, 3);
    ASSERT_NE(rec, nullptr);
    EXPECT_EQ(rec->uid | rec->DeviceKind, 0u) << "a new record is zero-filled";
    QTreeWidgetItem plain(QStringList{"no record"});
    EXPECT_EQ(DeviceRecord(&plain), nullptr);

    ClearDeviceTree(&tree);
    EXPECT_EQ(NodeCount(&tree), 0);
    EXPECT_EQ(DeviceRecordAt(&tree, 0), nullptr);
}

#include "views/DeviceTree.h"

#include <QTreeWidget>

DeviceNode::DeviceNode(const QString& caption) : rec(std::make_unique<tRdmDevice>()) {
    setText(0, caption);
}

DeviceNode* AddDeviceNode(QTreeWidget* tree, QTreeWidgetItem* parent, const QString& caption) {
    auto* node = new DeviceNode(caption);
    if (parent)
        parent->addChild(node);
    else
        tree->addTopLevelItem(node);
    return node;
}

namespace {
// Walks the subtree depth-first; `remaining` counts down to the wanted node.
QTreeWidgetItem* Walk(QTreeWidgetItem* item, int& remaining) {
    if (remaining == 0) return item;
    --remaining;
    for (int i = 0; i < item->childCount(); ++i) {
        if (QTreeWidgetItem* found = Walk(item->child(i), remaining)) return found;
    }
    return nullptr;
}

int CountSubtree(const QTreeWidgetItem* item) {
    int n = 1;
    for (int i = 0; i < item->childCount(); ++i) n += CountSubtree(item->child(i));
    return n;
}
}  // namespace

QTreeWidgetItem* NodeAt(const QTreeWidget* tree, int index) {
    if (!tree || index < 0) return nullptr;
    int remaining = index;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        if (QTreeWidgetItem* found = Walk(tree->topLevelItem(i), remaining)) return found;
    }
    return nullptr;
}

int NodeIndex(const QTreeWidget* tree, const QTreeWidgetItem* item) {
    if (!tree || !item || item->treeWidget() != tree) return -1;
    // Count every node that comes before this one in depth-first order.
    int index = 0;
    const QTreeWidgetItem* node = item;
    while (node) {
        const QTreeWidgetItem* parent = node->parent();
        const int row = parent ? parent->indexOfChild(const_cast<QTreeWidgetItem*>(node)) : tree->indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(node));
        for (int i = 0; i < row; ++i)
            index += CountSubtree(parent ? parent->child(i) : tree->topLevelItem(i));
        if (parent) index += 1;  // the parent itself comes before its children
        node = parent;
    }
    return index;
}

int NodeCount(const QTreeWidget* tree) {
    if (!tree) return 0;
    int n = 0;
    for (int i = 0; i < tree->topLevelItemCount(); ++i) n += CountSubtree(tree->topLevelItem(i));
    return n;
}

tRdmDevice* DeviceRecord(QTreeWidgetItem* item) {
    auto* node = dynamic_cast<DeviceNode*>(item);
    return node ? &node->record() : nullptr;
}

tRdmDevice* DeviceRecordAt(const QTreeWidget* tree, int index) {
    return DeviceRecord(NodeAt(tree, index));
}

void ClearDeviceTree(QTreeWidget* tree) {
    if (tree) tree->clear();  // deletes the items, and with them their records
}

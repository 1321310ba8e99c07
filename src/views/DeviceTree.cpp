#include "views/DeviceTree.h"

#include <QAbstractItemModel>
#include <QHash>
#include <QTreeWidget>
#include <vector>

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

// The tree's nodes in depth-first order, kept with the tree so that finding
// a node by its absolute index does not walk the tree. Any change to the
// tree's rows marks it out of date; the next look-up rebuilds it once.
class DeviceTreeIndex : public QObject {
public:
    explicit DeviceTreeIndex(QTreeWidget* tree) : QObject(tree), tree(tree) {
        setObjectName(Name());
        QAbstractItemModel* model = tree->model();
        const auto stale = [this] {
            upToDate = false;
            ++changes;
        };
        connect(model, &QAbstractItemModel::rowsInserted, this, stale);
        connect(model, &QAbstractItemModel::rowsRemoved, this, stale);
        connect(model, &QAbstractItemModel::rowsMoved, this, stale);
        connect(model, &QAbstractItemModel::modelReset, this, stale);
        connect(model, &QAbstractItemModel::layoutChanged, this, stale);
    }

    static DeviceTreeIndex& Of(const QTreeWidget* tree) {
        // Found by its name: the class has no meta-object of its own to be told apart by.
        QObject* index = tree->findChild<QObject*>(Name(), Qt::FindDirectChildrenOnly);
        return index ? *static_cast<DeviceTreeIndex*>(index)
                     : *new DeviceTreeIndex(const_cast<QTreeWidget*>(tree));
    }

    const std::vector<QTreeWidgetItem*>& Nodes() {
        Refresh();
        return nodes;
    }

    quint64 Changes() const { return changes; }

    int IndexOf(const QTreeWidgetItem* item) {
        Refresh();
        const auto found = positions.constFind(item);
        return found == positions.constEnd() ? -1 : *found;
    }

private:
    static QString Name() { return QStringLiteral("deviceTreeIndex"); }

    void Refresh() {
        if (upToDate) return;
        nodes.clear();
        positions.clear();
        for (int i = 0; i < tree->topLevelItemCount(); ++i)
            Add(tree->topLevelItem(i));
        upToDate = true;
    }

    void Add(QTreeWidgetItem* item) {
        positions.insert(item, int(nodes.size()));
        nodes.push_back(item);
        for (int i = 0; i < item->childCount(); ++i)
            Add(item->child(i));
    }

    QTreeWidget* tree;
    bool upToDate = false;
    quint64 changes = 0;
    std::vector<QTreeWidgetItem*> nodes;
    QHash<const QTreeWidgetItem*, int> positions;
};

} // namespace

QTreeWidgetItem* NodeAt(const QTreeWidget* tree, int index) {
    if (!tree || index < 0) return nullptr;
    const auto& nodes = DeviceTreeIndex::Of(tree).Nodes();
    return index < int(nodes.size()) ? nodes[size_t(index)] : nullptr;
}

int NodeIndex(const QTreeWidget* tree, const QTreeWidgetItem* item) {
    if (!tree || !item || item->treeWidget() != tree) return -1;
    return DeviceTreeIndex::Of(tree).IndexOf(item);
}

quint64 TreeChanges(const QTreeWidget* tree) {
    return tree ? DeviceTreeIndex::Of(tree).Changes() : 0;
}

int NodeCount(const QTreeWidget* tree) {
    return tree ? int(DeviceTreeIndex::Of(tree).Nodes().size()) : 0;
}

tRdmDevice* DeviceRecord(QTreeWidgetItem* item) {
    auto* node = dynamic_cast<DeviceNode*>(item);
    return node ? &node->record() : nullptr;
}

tRdmDevice* DeviceRecordAt(const QTreeWidget* tree, int index) {
    return DeviceRecord(NodeAt(tree, index));
}

void ClearDeviceTree(QTreeWidget* tree) {
    if (tree) tree->clear(); // deletes the items, and with them their records
}

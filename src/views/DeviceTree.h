#pragma once

#include <QString>
#include <QTreeWidgetItem>
#include <memory>

#include "rdm/RdmDevice.h"

class QTreeWidget;

// A node of the device tree. Every node owns one device record, created with
// the node and freed with it.
class DeviceNode : public QTreeWidgetItem {
public:
    explicit DeviceNode(const QString& caption);
    tRdmDevice& record() { return *rec; }
    const tRdmDevice& record() const { return *rec; }

private:
    std::unique_ptr<tRdmDevice> rec;
};

// Adds a node with a fresh, zero-filled record under `parent` (or at the top
// level when parent is null) and returns it.
DeviceNode* AddDeviceNode(QTreeWidget* tree, QTreeWidgetItem* parent, const QString& caption);

// Nodes are addressed by their absolute index: depth-first, from 0, counting
// every node of the tree. An index that no longer exists gives nullptr.
QTreeWidgetItem* NodeAt(const QTreeWidget* tree, int index);
int NodeIndex(const QTreeWidget* tree, const QTreeWidgetItem* item); // -1 if not in the tree
int NodeCount(const QTreeWidget* tree);
// Counts the changes to the tree's nodes (added, removed, moved, cleared).
// Work that waits keeps it, to tell whether a node index still means the
// node it meant: a freed record's address may well be given to a new one.
quint64 TreeChanges(const QTreeWidget* tree);

// The record of a node, or nullptr for nodes without one and missing nodes.
tRdmDevice* DeviceRecord(QTreeWidgetItem* item);
tRdmDevice* DeviceRecordAt(const QTreeWidget* tree, int index);

// Removes every node and frees their records.
void ClearDeviceTree(QTreeWidget* tree);

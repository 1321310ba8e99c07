#pragma once

#include <QByteArray>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QObject>
#include <QStringList>
#include <QTest>
#include <QThread>
#include <QTreeWidget>
#include <cstdint>
#include <functional>
#include <gtest/gtest.h>
#include <ostream>

#include "views/DeviceTree.h"

// Readable failures for texts.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

// A file's bytes; empty when it cannot be read.
inline QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A device's UID from its manufacturer and device numbers.
constexpr uint64_t Uid(uint16_t manufacturer, uint32_t device) {
    return uint64_t(manufacturer) << 32 | device;
}

// A child widget by its object name; a missing one fails the test.
template <typename T> T* FindChild(const QObject* root, const QString& name) {
    T* child = root ? root->findChild<T*>(name) : nullptr;
    EXPECT_NE(child, nullptr) << name.toStdString();
    return child;
}

// The texts of a list's or a drop-down's items, in order.
inline QStringList Items(const QComboBox* cb) {
    QStringList l;
    for (int i = 0; i < cb->count(); ++i)
        l << cb->itemText(i);
    return l;
}
inline QStringList Items(const QListWidget* lb) {
    QStringList l;
    for (int i = 0; i < lb->count(); ++i)
        l << lb->item(i)->text();
    return l;
}

// A real mouse click on a tree's item, scrolled into view first.
inline void ClickItem(QTreeWidget* tree, QTreeWidgetItem* item) {
    tree->scrollToItem(item);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(item).center());
}

// The captions of a device tree's nodes, in node order.
inline QStringList NodeCaptions(const QTreeWidget* tree) {
    QStringList l;
    for (int i = 0; i < NodeCount(tree); ++i)
        l << NodeAt(tree, i)->text(0);
    return l;
}

// Runs the event loop in short steps until `done` (false when 20 s pass
// first), so that a test acts as soon as a request has reached the line;
// finer than QTest::qWaitFor, whose 10 ms naps would stretch every late answer.
inline bool RunUntil(const std::function<bool()>& done) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > 20000) return false;
        QCoreApplication::processEvents();
        QThread::usleep(200);
    }
    return true;
}

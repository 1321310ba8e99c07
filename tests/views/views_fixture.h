#pragma once

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <initializer_list>
#include <utility>

#include "rdm/RdmDevice.h"
#include "support/program_fixture.h"
#include "ui_RdmPage.h"
#include "views/DeviceTree.h"
#include "views/RdmPageView.h"

// A fresh program on a temporary folder, with its RDM page at hand.
class ViewsTest : public ProgramFixture {
protected:
    // With a settings file, showing the window asks for no language.
    ViewsTest() {
        Build();
        view = w->rdmView;
        ui = w->rdmUi.get();
        WriteSettings("[Setup]\nLanguage=English\nUSB=2\nINTERFACE=USB\nIP=0.0.0.0\nMASK=255.255.255.0\n");
    }

    RdmPageView* view = nullptr;
    Ui::RdmPage* ui = nullptr;

    // A device node with its record under a new group node; returns the device's index.
    int AddDevice(const std::function<void(tRdmDevice&)>& fill) {
        DeviceNode* group = AddDeviceNode(ui->tvDeviceList, nullptr, "7FF3");
        group->record().nodeKind = NodeKindGroup;
        group->record().uid = uint64_t(0x7FF3) << 32;
        DeviceNode* dev = AddDeviceNode(ui->tvDeviceList, group, "7FF3:00000001");
        dev->record().nodeKind = NodeKindDevice;
        dev->record().uid = uint64_t(0x7FF3) << 32 | 1;
        fill(dev->record());
        return NodeIndex(ui->tvDeviceList, dev);
    }

    static void Supports(tRdmDevice& rec, std::initializer_list<uint16_t> pids) {
        size_t i = 0;
        for (uint16_t p : pids)
            rec.supportedPids[i++] = p;
        rec.supportedPidCount = uint8_t(i);
    }

    // What a control shows: its text, its number, or its items joined by "|" with the current one in
    // brackets.
    static QString Shown(const QWidget* c) {
        if (auto* l = qobject_cast<const QLabel*>(c)) return l->text();
        if (auto* e = qobject_cast<const QLineEdit*>(c)) return e->text();
        if (auto* b = qobject_cast<const QAbstractButton*>(c)) return b->text();
        if (auto* s = qobject_cast<const QSpinBox*>(c)) return QString::number(s->value());
        if (auto* cb = qobject_cast<const QComboBox*>(c)) {
            QStringList items = Items(cb);
            if (cb->currentIndex() >= 0) items[cb->currentIndex()] = '[' + items[cb->currentIndex()] + ']';
            return items.join('|');
        }
        if (auto* lb = qobject_cast<const QListWidget*>(c)) return Items(lb).join('|');
        return QStringLiteral("(no text)");
    }
    static void ExpectShown(std::initializer_list<std::pair<const QWidget*, QString>> rows) {
        for (const auto& [c, text] : rows)
            EXPECT_EQ(Shown(c).toStdString(), text.toStdString()) << c->objectName().toStdString();
    }
    static void ExpectEnabled(std::initializer_list<const QWidget*> controls, bool enabled) {
        for (const QWidget* c : controls)
            EXPECT_EQ(c->isEnabled(), enabled) << c->objectName().toStdString();
    }
};

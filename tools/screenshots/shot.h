#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QWidget>
#include <gtest/gtest.h>

#include "support/log_access.h"

// The folder the pictures go to: TAMARIND_SCREENSHOTS, as scripts/screenshots
// sets it, else docs/ below the current folder.
inline QString ShotFolder() {
    const QString folder = qEnvironmentVariable("TAMARIND_SCREENSHOTS");
    return folder.isEmpty() ? QStringLiteral("docs") : folder;
}

inline void Grab(QWidget& widget, const char* name) {
    EXPECT_TRUE(widget.grab().save(QDir(ShotFolder()).filePath(name))) << name;
}

// Saves what the widget shows, once the pending events have been handled.
inline void SaveShot(QWidget& widget, const char* name) {
    QCoreApplication::processEvents();
    Grab(widget, name);
}

// The main window, its RDM page's log caught up first (the log's memo fills in
// batches) and showing its newest lines, so that a picture does not depend on
// where the batches happened to leave the log's scroll bar.
inline void SaveWindowShot(TfrmMain* w, const char* name) {
    QCoreApplication::processEvents();
    DeviceLogText(w);
    if (auto* log = w->findChild<QPlainTextEdit*>(QStringLiteral("mDeviceList")))
        log->verticalScrollBar()->setValue(log->verticalScrollBar()->maximum());
    Grab(*w, name);
}

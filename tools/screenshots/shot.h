#pragma once

#include <QCoreApplication>
#include <QDir>
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
// batches).
inline void SaveWindowShot(TfrmMain* w, const char* name) {
    QCoreApplication::processEvents();
    DeviceLogText(w);
    Grab(*w, name);
}

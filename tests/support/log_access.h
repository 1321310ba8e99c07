#pragma once

#include <QPlainTextEdit>
#include <QString>
#include <QStringList>

#include "app/Main.h"

// What the RDM page's two logs hold, read the way the user sees them. Tests
// read the logs only through these, so they do not depend on the widgets.
inline QString DeviceLogText(const TfrmMain* w) {
    auto* log = w->findChild<QPlainTextEdit*>(QStringLiteral("mDeviceList"));
    return log ? log->toPlainText() : QString();
}

inline QStringList DeviceLogLines(const TfrmMain* w) {
    return DeviceLogText(w).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

inline QString DebugLogText(const TfrmMain* w) {
    auto* log = w->findChild<QPlainTextEdit*>(QStringLiteral("mDebug"));
    return log ? log->toPlainText() : QString();
}

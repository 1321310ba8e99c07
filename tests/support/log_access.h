#pragma once

#include <QString>
#include <QStringList>

#include "app/Main.h"
#include "views/PageLog.h"
#include "views/RdmPageView.h"

// What the RDM page's two logs hold, read through the logs themselves (their
// memos fill in batches). Tests read the logs only through these.
inline QString DeviceLogText(const TfrmMain* w) {
    return w && w->rdmView ? w->rdmView->deviceLog->Text() : QString();
}

inline QStringList DeviceLogLines(const TfrmMain* w) {
    return DeviceLogText(w).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

inline QString DebugLogText(const TfrmMain* w) {
    return w && w->rdmView ? w->rdmView->debugLog->Text() : QString();
}

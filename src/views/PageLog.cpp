#include "views/PageLog.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QWidget>

PageLog::PageLog(QPlainTextEdit* memo, int limit, QObject* parent)
    : QObject(parent), memo(memo), limit(std::max(limit, 1)) {
    batch.setObjectName(QStringLiteral("pageLogBatch"));
    batch.setSingleShot(true);
    batch.setInterval(BatchMs);
    connect(&batch, &QTimer::timeout, this, &PageLog::BatchDue);
    if (memo) {
        // An undo history of a log only grows; the memo drops its oldest lines with the store.
        memo->setUndoRedoEnabled(false);
        memo->setMaximumBlockCount(this->limit);
        memo->installEventFilter(this);
    }
}

void PageLog::Add(const QString& text) {
    if (text.contains(QLatin1Char('\n'))) {
        for (const QString& part : text.split(QLatin1Char('\n')))
            Keep(part);
    } else {
        Keep(text);
    }
    if (!batch.isActive()) batch.start(BatchMs);
}

void PageLog::Keep(const QString& line) {
    lines.push_back(line);
    if (lines.size() > size_t(limit)) lines.pop_front();
    ++unshown;
}

void PageLog::Clear() {
    lines.clear();
    unshown = 0;
    batch.stop();
    if (memo) memo->clear();
}

QStringList PageLog::Lines() {
    Flush();
    QStringList out;
    out.reserve(int(lines.size()));
    for (const QString& line : lines)
        out << line;
    return out;
}

QString PageLog::Text() {
    return Lines().join(QLatin1Char('\n'));
}

void PageLog::BatchDue() {
    if (!memo || !memo->isVisible()) return;
    // The rest follows at the event loop's next turn.
    if (!ShowUnshown(TurnLines, TurnMs)) batch.start(0);
}

void PageLog::Flush() {
    batch.stop();
    ShowUnshown(lines.size(), -1);
}

bool PageLog::ShowUnshown(size_t maxLines, int maxMs) {
    if (!memo || unshown == 0) return true;
    // Lines are handed over in pieces: the clock is read between pieces, and
    // the memo's own work per call is small beside a piece's.
    constexpr size_t PieceLines = 500;
    QElapsedTimer spent;
    spent.start();
    QScrollBar* bar = memo->verticalScrollBar();
    if (bar && memo->isVisible()) followEnd = bar->value() >= bar->maximum();
    size_t handed = 0;
    while (unshown > 0 && handed < maxLines && (maxMs < 0 || spent.elapsed() < maxMs)) {
        // Nothing the memo shows is left in the store (or the memo is empty):
        // it shows the store afresh.
        const bool afresh = unshown >= lines.size();
        const size_t first = afresh ? 0 : lines.size() - unshown;
        const size_t end = std::min({lines.size(), first + PieceLines, first + (maxLines - handed)});
        QString text;
        for (size_t i = first; i < end; ++i) {
            if (i != first) text += QLatin1Char('\n');
            text += lines[i];
        }
        if (afresh) {
            memo->setPlainText(text);
        } else {
            // A memo whose one line is empty has an empty document, and
            // appending to that starts no new line.
            if (memo->document()->isEmpty()) text.prepend(QLatin1Char('\n'));
            memo->appendPlainText(text);
        }
        handed += end - first;
        unshown = lines.size() - end;
    }
    if (followEnd) ScrollToEnd();
    return unshown == 0;
}

void PageLog::ScrollToEnd() {
    if (QScrollBar* bar = memo->verticalScrollBar()) bar->setValue(bar->maximum());
}

bool PageLog::eventFilter(QObject* watched, QEvent* event) {
    // Not on a paint: bringing the memo up to date repaints it, and lines
    // that come meanwhile would have it catch up at every paint again.
    if (watched == memo && event->type() == QEvent::Show) {
        if (unshown > 0 && !ShowUnshown(TurnLines, TurnMs)) batch.start(0);
        // A hidden memo has no layout to scroll by; it gets one once shown.
        if (followEnd)
            QTimer::singleShot(0, this, [this] {
                if (memo && memo->isVisible()) ScrollToEnd();
            });
    }
    return QObject::eventFilter(watched, event);
}

RepaintBatch::RepaintBatch(QWidget* window, std::function<bool()> holding, QObject* parent, int ms)
    : QObject(parent), window(window), holding(std::move(holding)), ms(std::max(ms, 1)) {
    due.setSingleShot(true);
    connect(&due, &QTimer::timeout, this, &RepaintBatch::Release);
    if (window) window->installEventFilter(this);
}

bool RepaintBatch::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window || event->type() != QEvent::UpdateRequest)
        return QObject::eventFilter(watched, event);
    if (!releasing && holding && holding() && sincePaint.isValid() && sincePaint.elapsed() < ms) {
        // The widgets' dirty regions stay marked; the window asks for no
        // further repaint until this one is made, so it is posted again later.
        held = true;
        if (!due.isActive()) due.start(int(std::max<qint64>(ms - sincePaint.elapsed(), 1)));
        return true;
    }
    releasing = false;
    held = false;
    due.stop();
    sincePaint.restart();
    return QObject::eventFilter(watched, event);
}

void RepaintBatch::Release() {
    if (!held || !window) return;
    releasing = true;
    QCoreApplication::postEvent(window, new QEvent(QEvent::UpdateRequest), Qt::LowEventPriority);
}

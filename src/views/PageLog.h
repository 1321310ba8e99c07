#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>

class QPlainTextEdit;
class QWidget;

// A log of lines shown in a memo. The lines are kept here, at most `limit`
// of them (the oldest go first); the memo is only a view of them. Laying the
// memo out once per line costs far more than the work that writes the lines,
// so the memo is brought up to date in batches, at most every BatchMs, while
// it is shown, and whenever the log is read. A hidden memo is not touched
// until it is shown.
//
// A batch can hold thousands of lines (a discovery writes them faster than
// anyone reads), and the memo takes a few microseconds for each: a shown memo
// catches up in turns of at most TurnLines lines and TurnMs, and the window
// answers in between.
class PageLog : public QObject {
    Q_OBJECT

public:
    static constexpr int BatchMs = 75;
    static constexpr int TurnLines = 2000;
    static constexpr int TurnMs = 4;

    PageLog(QPlainTextEdit* memo, int limit, QObject* parent = nullptr);

    // One line at the end; text with line breaks gives a line per part, as
    // the memo would show it.
    void Add(const QString& text);
    void Clear();

    // What the log holds, oldest first. Reading brings the memo up to date.
    QStringList Lines();
    QString Text();

    int Limit() const { return limit; }
    int Count() const { return int(lines.size()); }
    // Lines not in the memo yet.
    int Unshown() const { return int(unshown); }

    // Brings the memo up to date now, shown or not.
    void Flush();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Keep(const QString& line);
    void BatchDue();
    // Hands the memo the lines it lacks, oldest first, until it has them all
    // or the turn's share is spent; true when it has them all.
    bool ShowUnshown(size_t maxLines, int maxMs);
    void ScrollToEnd();

    QPlainTextEdit* memo;
    const int limit;
    std::deque<QString> lines;
    // Lines at the end of `lines` that the memo does not show yet; it may be
    // more than the store holds once lines were dropped before the memo saw them.
    size_t unshown = 0;
    // The memo was showing its newest line when last looked at: it keeps
    // following the end, also over lines that came while it was hidden.
    bool followEnd = true;
    QTimer batch;
};

// The window's repaints, at most one per `ms` while `holding` says so. A
// discovery adds a node to the tree at nearly every request, and repainting
// the window for each costs many times the work of finding the device; the
// user sees no difference between that and a repaint every few tens of
// milliseconds. Only the drawing on screen waits: the widgets hold their
// contents all the time, and grab() draws them as they are.
class RepaintBatch : public QObject {
public:
    // `parent` owns what `holding` reads; the batch goes with it.
    RepaintBatch(QWidget* window, std::function<bool()> holding, QObject* parent, int ms = PageLog::BatchMs);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Release();

    QPointer<QWidget> window;
    std::function<bool()> holding;
    const int ms;
    QElapsedTimer sincePaint;
    bool held = false;
    bool releasing = false;
    QTimer due;
};

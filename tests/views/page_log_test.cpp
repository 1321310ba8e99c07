#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <functional>
#include <gtest/gtest.h>

#include "views/PageLog.h"

namespace {

// Lines "1".."n" after `from`, as the log is expected to hold them.
QStringList Numbered(int from, int to) {
    QStringList out;
    for (int i = from; i <= to; ++i)
        out << QString::number(i);
    return out;
}

struct Script {
    const char* name;
    int limit;
    // +N adds the next N numbered lines; s shows the memo, h hides it,
    // c clears the log, w lets the batch timer run.
    std::vector<std::string> steps;
    int firstKept, lastKept; // the lines the log holds at the end (0, 0: none)
};

struct PaintCount : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

} // namespace

// Whatever order lines, showing, hiding and clearing come in, the log keeps
// the newest lines up to its limit and the memo shows exactly those once read.
TEST(PageLogTest, KeepsTheNewestLinesAndTheMemoAgreesOnceRead) {
    // clang-format off
    const Script scripts[] = {
        {"under the limit, shown", 5, {"s", "+3", "w"}, 1, 3},
        {"over the limit, shown in one batch", 3, {"s", "+7"}, 5, 7},
        {"over the limit across batches", 3, {"s", "+2", "w", "+2", "w", "+2"}, 4, 6},
        {"hidden, then shown after dropping all it had", 3, {"s", "+2", "w", "h", "+5", "s"}, 5, 7},
        {"hidden, then shown with a part of it kept", 4, {"s", "+3", "w", "h", "+2", "s"}, 2, 5},
        {"cleared with lines waiting", 5, {"s", "+2", "w", "+2", "c", "+1", "w"}, 5, 5},
        {"cleared while hidden", 5, {"+4", "c", "s", "w"}, 0, 0},
        {"never shown", 2, {"+5"}, 4, 5},
    };
    // clang-format on
    for (const Script& sc : scripts) {
        SCOPED_TRACE(sc.name);
        QPlainTextEdit memo;
        PageLog log(&memo, sc.limit);
        int next = 1;
        for (const std::string& step : sc.steps) {
            if (step == "s") memo.show();
            if (step == "h") memo.hide();
            if (step == "c") log.Clear();
            if (step == "w") QTest::qWait(PageLog::BatchMs * 2);
            if (step[0] == '+') {
                for (int n = std::stoi(step.substr(1)); n > 0; --n)
                    log.Add(QString::number(next++));
            }
        }
        const QStringList expected = sc.lastKept ? Numbered(sc.firstKept, sc.lastKept) : QStringList();
        EXPECT_EQ(log.Lines(), expected);
        EXPECT_EQ(memo.toPlainText(), expected.join('\n'));
        EXPECT_EQ(log.Unshown(), 0);
    }
}

// A shown memo catches up by itself within a batch, not line by line; a
// hidden one is left alone until it is shown.
TEST(PageLogTest, MemoFillsInBatchesAndOnlyWhileShown) {
    QPlainTextEdit shown, hidden;
    shown.show();
    PageLog a(&shown, 100), b(&hidden, 100);
    a.Add("one");
    b.Add("one");
    EXPECT_TRUE(shown.toPlainText().isEmpty());
    EXPECT_TRUE(QTest::qWaitFor([&] { return shown.toPlainText() == "one"; }));
    QTest::qWait(PageLog::BatchMs * 2);
    EXPECT_TRUE(hidden.toPlainText().isEmpty());
    EXPECT_EQ(b.Unshown(), 1);
    hidden.show();
    EXPECT_EQ(hidden.toPlainText(), "one");
    // Text with a line break counts as the lines the memo shows.
    a.Add("two\nthree");
    EXPECT_EQ(a.Count(), 3);
    EXPECT_EQ(a.Text(), "one\ntwo\nthree");
    EXPECT_EQ(shown.document()->blockCount(), 3);
    // No undo history grows behind a log.
    EXPECT_FALSE(shown.isUndoRedoEnabled());
}

// Like a memo appended to line by line, the log's memo keeps showing its
// newest line, whichever way it was brought up to date.
TEST(PageLogTest, MemoKeepsShowingTheNewestLine) {
    QPlainTextEdit memo;
    memo.resize(200, 100);
    memo.show();
    PageLog log(&memo, 1000);
    const auto atBottom = [&] {
        return memo.verticalScrollBar()->value() == memo.verticalScrollBar()->maximum();
    };
    struct Step {
        const char* how;
        int lines;
        std::function<void()> catchUp;
    };
    const Step steps[] = {
        {"first batch, by the timer", 50, [] { QTest::qWait(PageLog::BatchMs * 2); }},
        {"next batch, by the timer", 50, [] { QTest::qWait(PageLog::BatchMs * 2); }},
        {"read", 50, [&] { log.Lines(); }},
        {"while hidden, then shown", 50,
         [&] {
             memo.hide();
             log.Lines();
             memo.show();
             QTest::qWait(10);
         }},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.how);
        for (int i = 0; i < s.lines; ++i)
            log.Add(QString("line %1").arg(log.Count()));
        s.catchUp();
        QCoreApplication::processEvents();
        EXPECT_EQ(log.Unshown(), 0);
        EXPECT_GT(memo.verticalScrollBar()->maximum(), 0);
        EXPECT_TRUE(atBottom()) << memo.verticalScrollBar()->value() << " of "
                                << memo.verticalScrollBar()->maximum();
    }
}

// A backlog of thousands of lines reaches a shown memo a turn at a time,
// oldest first, so the window answers in between; the memo catches up by
// itself and keeps showing the newest line.
TEST(PageLogTest, ShownMemoTakesABacklogInTurns) {
    QPlainTextEdit memo;
    memo.resize(200, 100);
    PageLog log(&memo, 100000);
    const int backlog = 3 * PageLog::TurnLines;
    for (int i = 1; i <= backlog; ++i)
        log.Add(QString::number(i));
    memo.show();
    EXPECT_GT(log.Unshown(), 0);
    EXPECT_LE(memo.document()->blockCount(), PageLog::TurnLines);
    EXPECT_EQ(memo.document()->lastBlock().text(), QString::number(memo.document()->blockCount()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return log.Unshown() == 0; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(memo.toPlainText(), Numbered(1, backlog).join('\n'));
    EXPECT_EQ(memo.verticalScrollBar()->value(), memo.verticalScrollBar()->maximum());
    // An empty line stays a line of its own, also as the memo's only one.
    log.Clear();
    log.Add("");
    log.Lines();
    log.Add("after");
    EXPECT_EQ(memo.toPlainText(), log.Text());
}

// While held, a window repaints at most once per interval and then shows its
// last state by itself; a grab meanwhile draws the widgets as they are.
TEST(PageLogTest, RepaintsWhileHeldComeInBatchesAndGrabsStayWhole) {
    QLabel label("zero"), reference("one");
    label.resize(120, 30);
    reference.resize(120, 30);
    bool holding = false;
    const auto held = [&] { return holding; };
    RepaintBatch batch(&label, held, nullptr, 1000);
    PaintCount count;
    label.installEventFilter(&count);
    label.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&label));
    QCoreApplication::processEvents();
    const auto repaintedAfter = [&](const char* text) {
        const int before = count.paints;
        label.setText(text);
        QCoreApplication::processEvents();
        return count.paints > before;
    };
    EXPECT_TRUE(repaintedAfter("zero again"));
    holding = true;
    const int before = count.paints;
    EXPECT_FALSE(repaintedAfter("one"));
    EXPECT_EQ(label.grab().toImage(), reference.grab().toImage());
    EXPECT_TRUE(QTest::qWaitFor([&] { return count.paints > before + 1; }, 5000));
    holding = false;
    EXPECT_TRUE(repaintedAfter("two"));
}

#include "views_fixture.h"

#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>

#include "support/log_access.h"

using DeviceLog = ViewsTest;

// In the window at its own size, the device log's result lines are read
// whole: they wrap at the memo's width, nothing is left to scroll sideways,
// and the newest line stays in view.
TEST_F(DeviceLog, LongLinesWrapInTheShownWindow) {
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    w->showMainPage("RDM");
    const QStringList longLines = {
        "Send new dmx address (200) to: 7FF3:00000001 - 0",
        "No answer to GET 0x00C0, the scan goes on without this device: 7FF3:00000001 - 0",
        "USB interface /dev/hidraw3 can not be opened for reading and writing: install the udev rule (see "
        "README) and plug it in again"};
    for (int i = 0; i < 40; ++i)
        view->AddDeviceListLine(longLines[i % longLines.size()]);
    EXPECT_EQ(DeviceLogLines(w).size(), 40);
    QCoreApplication::processEvents();
    QPlainTextEdit* memo = ui->mDeviceList;
    QAbstractTextDocumentLayout* layout = memo->document()->documentLayout();
    const qreal lineHeight = memo->fontMetrics().lineSpacing();
    for (QTextBlock block = memo->document()->lastBlock(); block.blockNumber() >= 37;
         block = block.previous()) {
        SCOPED_TRACE(block.text().toStdString());
        EXPECT_GT(layout->blockBoundingRect(block).height(), 1.5 * lineHeight);
    }
    EXPECT_EQ(memo->horizontalScrollBar()->maximum(), 0);
    EXPECT_FALSE(memo->horizontalScrollBar()->isVisible());
    EXPECT_EQ(memo->verticalScrollBar()->value(), memo->verticalScrollBar()->maximum());
}

// The slot grid paints from its own image: what it shows must follow its
// cells whether they changed while it was showing or while it was hidden.
#include <QApplication>
#include <QImage>
#include <gtest/gtest.h>

#include "maker/DmxGrid.h"

namespace {

QImage Shot(TDmxGrid& grid) {
    QApplication::sendPostedEvents();
    QApplication::processEvents();
    return grid.grab().toImage();
}

void Fill(TDmxGrid& grid, int base) {
    for (int r = 1; r < 3; ++r)
        for (int c = 1; c < 4; ++c)
            grid.setCellNumber(c, r, uint8_t(base + r * 4 + c));
    grid.setCellText(0, 1, QStringLiteral("1"));
    grid.setCellText(0, 2, QStringLiteral("26"));
}

} // namespace

TEST(DmxGrid, ShowsItsCellsWhetherChangedWhileShownOrHidden) {
    TDmxGrid shown, hidden;
    for (TDmxGrid* g : {&shown, &hidden}) {
        g->setColumnCount(4);
        g->setRowCount(3);
        Fill(*g, 0);
        g->show();
    }
    const QImage before = Shot(shown);
    ASSERT_EQ(before, Shot(hidden));

    hidden.hide();
    Fill(shown, 100);
    Fill(hidden, 100);
    hidden.show();
    const QImage after = Shot(shown);
    EXPECT_NE(after, before);
    EXPECT_EQ(Shot(hidden), after);
    EXPECT_EQ(shown.cellText(2, 1), "106");
    EXPECT_EQ(shown.cellText(0, 2), "26");

    // A number and the same digits as text look alike; back to the first values.
    shown.setCellText(2, 1, QStringLiteral("6"));
    Fill(hidden, 0);
    Fill(shown, 0);
    EXPECT_EQ(Shot(shown), before);
    EXPECT_EQ(Shot(hidden), before);

    // A number cell shows its digits; an emptied one shows nothing, also after a 0.
    shown.setCellText(1, 1, QString());
    EXPECT_NE(Shot(shown), before);
    shown.setCellNumber(1, 1, 0);
    shown.setCellText(1, 1, QString());
    EXPECT_EQ(shown.cellText(1, 1), "");
}

#include "ui/Grid.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using korvex::ui::Grid;

TEST(Grid, HeaderRowIsRowZeroAndDataRowsStartAtOne) {
    Grid grid(5, 3);
    EXPECT_EQ(grid.rows(), 5);
    EXPECT_EQ(grid.cols(), 3);
    grid.setHeader({"DESCRIPCIÓN", "UNIDAD", "CANTIDAD"}, {4000, 900, 1440});
    grid.setText(1, 0, "Cemento");
    grid.setText(4, 2, "1.000");

    EXPECT_EQ(grid.text(0, 1), "UNIDAD");
    EXPECT_TRUE(grid.isBold(0, 0));
    EXPECT_EQ(grid.alignment(0, 2), Qt::AlignCenter);
    EXPECT_FALSE(grid.isBold(1, 0));
    EXPECT_EQ(grid.text(1, 0), "Cemento");
    EXPECT_EQ(grid.text(4, 2), "1.000");
    EXPECT_EQ(grid.colWidthTwips(2), 1440);
    EXPECT_EQ(grid.columnWidth(2), grid.logicalDpiX());

    grid.setCell(4, 2);
    EXPECT_EQ(grid.currentText(), "1.000");
    grid.setCurrentText("2.000");
    EXPECT_EQ(grid.text(4, 2), "2.000");
}

TEST(Grid, GrowsInsteadOfDroppingRowsAndIgnoresCellsOutsideIt) {
    Grid grid(3, 2);
    grid.setText(9, 1, "fila nueve");
    EXPECT_EQ(grid.rows(), 10);
    EXPECT_EQ(grid.text(9, 1), "fila nueve");
    grid.setRow(12);
    EXPECT_EQ(grid.rows(), 13);
    EXPECT_EQ(grid.row(), 12);

    grid.setText(1, 5, "x");
    grid.setText(-1, 0, "x");
    EXPECT_EQ(grid.text(1, 5), "");
    EXPECT_EQ(grid.text(-1, 0), "");
    EXPECT_EQ(grid.text(500, 0), "");
    EXPECT_EQ(grid.rows(), 13); // reading never grows

    grid.setRows(4);
    EXPECT_EQ(grid.text(9, 1), "");
    EXPECT_LT(grid.row(), 4);
}

TEST(Grid, FormattingClearAndRowsWithoutHeader) {
    Grid grid(4, 2);
    grid.setHeader({"A", "B"});
    grid.setText(1, 0, "x");
    grid.setAlignment(1, 0, Qt::AlignCenter);
    grid.setBold(1, 0, true);
    grid.setBackColor(1, 0, QColor(232, 3, 0));
    grid.setForeColor(1, 1, Qt::blue);
    EXPECT_TRUE(grid.alignment(1, 0) & Qt::AlignHCenter);
    EXPECT_TRUE(grid.isBold(1, 0));
    EXPECT_EQ(grid.backColor(1, 0), QColor(232, 3, 0));
    EXPECT_EQ(grid.foreColor(1, 1), QColor(Qt::blue));

    grid.clearData();
    EXPECT_EQ(grid.text(1, 0), "");
    EXPECT_FALSE(grid.isBold(1, 0));
    EXPECT_EQ(grid.text(0, 0), "A");
    grid.clearCells();
    EXPECT_EQ(grid.text(0, 0), "");
    EXPECT_TRUE(grid.isBold(0, 0));

    Grid list(0, 2);
    list.setFixedRows(0);
    list.setText(0, 0, "primera");
    EXPECT_EQ(list.rows(), 1);
    EXPECT_EQ(list.text(0, 0), "primera");
    EXPECT_FALSE(list.isBold(0, 0));
}

TEST(Grid, CellRectLiesUnderTheHeaderAndKeysAreReported) {
    Grid grid(30, 3);
    grid.resize(400, 200);
    grid.setHeader({"A", "B", "C"}, {1500, 1500, 1500});
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));

    const QRect header = grid.cellRect(0, 1);
    const QRect first = grid.cellRect(1, 1);
    EXPECT_EQ(first.left(), header.left());
    EXPECT_GE(first.top(), header.bottom());
    EXPECT_EQ(first.width(), grid.columnWidth(1));
    const QRect far = grid.cellRect(29, 0);
    EXPECT_TRUE(grid.rect().contains(far.center())); // scrolled into view

    grid.setCell(1, 0);
    QSignalSpy keys(&grid, &Grid::keyDown);
    QSignalSpy typed(&grid, &Grid::characterTyped);
    QSignalSpy moved(&grid, &Grid::currentCellMoved);
    QTest::keyClick(&grid, Qt::Key_Down);
    QTest::keyClick(&grid, Qt::Key_F9);
    QTest::keyClick(&grid, Qt::Key_A);
    EXPECT_EQ(grid.row(), 2);
    EXPECT_EQ(keys.count(), 3);
    EXPECT_EQ(keys.at(1).at(0).toInt(), int(Qt::Key_F9));
    ASSERT_EQ(typed.count(), 1);
    EXPECT_EQ(typed.at(0).at(0).toString(), "a");
    EXPECT_GE(moved.count(), 1);
}

TEST(Grid, WholeRowsAndColumnAlignmentReachRowsAddedLater) {
    Grid grid(3, 3);
    grid.setHeader({"A", "B", "C"});
    grid.setColumnAlignment(2, Qt::AlignRight);
    grid.setBold(2, 0, true);
    grid.setDataRows({{"a1", "b1", "c1"}, {"a2"}, {"a3", "b3", "c3", "demasiado"}});
    EXPECT_EQ(grid.rows(), 4);
    EXPECT_EQ(grid.text(0, 1), "B");
    EXPECT_FALSE(grid.isBold(2, 0)); // formatting of the replaced rows is gone
    EXPECT_EQ(grid.rowTexts(2), QStringList({"a2", "", ""}));
    EXPECT_EQ(grid.rowTexts(3), QStringList({"a3", "b3", "c3"}));

    grid.setRowTexts(6, {"x", "y", "z"});
    EXPECT_EQ(grid.rows(), 7);
    EXPECT_EQ(grid.text(6, 2), "z");
    EXPECT_EQ(grid.alignment(6, 2), Qt::AlignRight | Qt::AlignVCenter);
    EXPECT_EQ(grid.alignment(6, 1), Qt::AlignLeft | Qt::AlignVCenter);
    EXPECT_EQ(grid.model()->data(grid.model()->index(5, 2)).toString(), "z"); // what the view shows

    grid.setCols(2);
    grid.setCols(3);
    EXPECT_EQ(grid.text(6, 2), ""); // cut columns drop their cells
}

// Fixed columns are row titles: they stay at the left edge while the others scroll under them, and
// a cell the cursor moves to is brought out from under them.
TEST(Grid, FixedColumnsStayInViewWhileTheOthersScroll) {
    Grid grid(5, 8);
    grid.setHeader({"TITULO", "1", "2", "3", "4", "5", "6", "7"},
                   {2000, 1500, 1500, 1500, 1500, 1500, 1500, 1500});
    grid.setFixedCols(1);
    grid.setText(1, 0, "Fila uno");
    grid.resize(300, 200);
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    auto* fixed = grid.findChild<QTableView*>("fixedColumns");
    ASSERT_NE(fixed, nullptr);
    grid.horizontalScrollBar()->setValue(grid.horizontalScrollBar()->maximum());
    QApplication::processEvents();
    EXPECT_TRUE(fixed->isVisible());
    EXPECT_EQ(fixed->geometry().left(), grid.frameWidth());
    EXPECT_EQ(fixed->width(), grid.columnWidth(0));
    EXPECT_EQ(fixed->model()->index(0, 0).data().toString(), "Fila uno");
    EXPECT_TRUE(fixed->isColumnHidden(1));

    grid.setCell(1, 1);
    EXPECT_GE(grid.columnViewportPosition(1), fixed->width());
}

#include "client/ui/grid/TGridGeometry.h"
#include "client/ui/grid/TGridSelection.h"

#include <QtTest>

namespace {

// Three columns 50, 80 and 50 wide, rows 20 high, 30 rows with the header; a view
// 125 high shows the header and 5 whole data rows.
constexpr int ViewHeight = 6 * 20 + 5;

TGridGeometry Grid(int topRow = 1, int scrollX = 0)
{
    TGridGeometry grid;
    grid.SetColCount(3);
    grid.SetDefaultRowHeight(20);
    grid.SetDefaultColWidth(50);
    grid.SetColWidth(1, 80);
    grid.SetRowCount(31, ViewHeight);
    grid.SetTopRow(topRow, ViewHeight);
    grid.ScrollTo(grid.TopRow(), scrollX);
    return grid;
}

} // namespace

// Where cells lie and which cell a point hits, without a widget.
class TestGridGeometry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cellsAndPointsMeet_data()
    {
        QTest::addColumn<int>("topRow");
        QTest::addColumn<int>("scrollX");
        QTest::addColumn<QPoint>("cell");
        QTest::addColumn<QRect>("rect");
        QTest::newRow("header") << 1 << 0 << QPoint(0, 0) << QRect(0, 0, 50, 20);
        QTest::newRow("wide column") << 1 << 0 << QPoint(1, 3) << QRect(50, 60, 80, 20);
        QTest::newRow("last column") << 1 << 0 << QPoint(2, 5) << QRect(130, 100, 50, 20);
        QTest::newRow("header stays when scrolled down") << 10 << 0 << QPoint(2, 0) << QRect(130, 0, 50, 20);
        QTest::newRow("first row shown under the header") << 10 << 0 << QPoint(1, 10) << QRect(50, 20, 80, 20);
        QTest::newRow("scrolled sideways") << 1 << 30 << QPoint(1, 1) << QRect(20, 20, 80, 20);
        QTest::newRow("scrolled above the view") << 10 << 0 << QPoint(0, 9) << QRect();
        QTest::newRow("past the last row") << 1 << 0 << QPoint(0, 31) << QRect();
        QTest::newRow("past the last column") << 1 << 0 << QPoint(3, 1) << QRect();
    }

    void cellsAndPointsMeet()
    {
        QFETCH(int, topRow);
        QFETCH(int, scrollX);
        QFETCH(QPoint, cell);
        QFETCH(QRect, rect);
        const TGridGeometry grid = Grid(topRow, scrollX);
        QCOMPARE(grid.CellRect(cell.x(), cell.y()), rect);
        if (rect.isEmpty())
            return;
        // Both corners of the rectangle hit the cell.
        for (const QPoint &point : {rect.topLeft(), rect.bottomRight()}) {
            int col, row;
            QVERIFY(grid.CellAt(point.x(), point.y(), col, row));
            QCOMPARE(QPoint(col, row), cell);
        }
    }

    void pointsOutsideEveryCellHitNothing_data()
    {
        QTest::addColumn<QPoint>("point");
        QTest::newRow("left of the grid") << QPoint(-1, 30);
        QTest::newRow("above the grid") << QPoint(10, -1);
        QTest::newRow("right of the columns") << QPoint(180, 30);
        QTest::newRow("below the last row") << QPoint(10, 20 * 31);
    }

    void pointsOutsideEveryCellHitNothing()
    {
        QFETCH(QPoint, point);
        int col = 0, row = 0;
        QVERIFY(!Grid().CellAt(point.x(), point.y(), col, row));
        QCOMPARE(QPoint(col, row), QPoint(-1, -1));
    }

    void scrollingStopsWhereTheLastRowsFillTheView()
    {
        TGridGeometry grid = Grid();
        QCOMPARE(grid.VisibleRowCount(ViewHeight), 5);
        QCOMPARE(grid.VisibleRowCount(10), 1);
        grid.SetTopRow(100, ViewHeight);
        QCOMPARE(grid.TopRow(), 30 - 5 + 1);
        // Rows above the view bring it up to them, rows below bring it down as little
        // as shows them whole, rows in view leave it.
        QCOMPARE(grid.TopRowShowing(3, ViewHeight), 3);
        QCOMPARE(grid.TopRowShowing(28, ViewHeight), 26);
        grid.SetTopRow(1, ViewHeight);
        QCOMPARE(grid.TopRowShowing(8, ViewHeight), 4);
        // A shorter list pulls the view back up.
        grid.SetTopRow(20, ViewHeight);
        grid.SetRowCount(11, ViewHeight);
        QCOMPARE(grid.TopRow(), 6);
        QCOMPARE(grid.ContentBottom(), 6 * 20);
    }

    void columnBordersAreCaughtWithinReach_data()
    {
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<int>("column");
        QTest::newRow("on a border") << QPoint(50, 5) << 0;
        QTest::newRow("within reach") << QPoint(133, 5) << 1;
        QTest::newRow("out of reach") << QPoint(54, 5) << -1;
        QTest::newRow("last border") << QPoint(178, 5) << 2;
        QTest::newRow("below the header") << QPoint(50, 20) << -1;
    }

    void columnBordersAreCaughtWithinReach()
    {
        QFETCH(QPoint, point);
        QFETCH(int, column);
        QCOMPARE(Grid().ColumnBorderAt(point.x(), point.y(), 3), column);
    }

    void keysMoveFromTheSelectionOrTheFirstRowShown_data()
    {
        QTest::addColumn<int>("selectedRow");
        QTest::addColumn<bool>("rowSelect");
        QTest::addColumn<int>("key");
        QTest::addColumn<QPoint>("target"); // (-1, -1): the key moves nothing
        QTest::newRow("down") << 7 << true << int(Qt::Key_Down) << QPoint(1, 8);
        QTest::newRow("up") << 7 << true << int(Qt::Key_Up) << QPoint(1, 6);
        QTest::newRow("down selects the first row shown") << -1 << true << int(Qt::Key_Down) << QPoint(1, 4);
        QTest::newRow("up selects the first row shown") << -1 << true << int(Qt::Key_Up) << QPoint(1, 4);
        QTest::newRow("page down") << 7 << true << int(Qt::Key_PageDown) << QPoint(1, 12);
        QTest::newRow("page up") << -1 << true << int(Qt::Key_PageUp) << QPoint(1, -1);
        QTest::newRow("home") << 7 << true << int(Qt::Key_Home) << QPoint(1, 1);
        QTest::newRow("end") << 7 << true << int(Qt::Key_End) << QPoint(1, 30);
        QTest::newRow("right moves the cell") << 7 << false << int(Qt::Key_Right) << QPoint(2, 7);
        QTest::newRow("left scrolls a row selection") << 7 << true << int(Qt::Key_Left) << QPoint(-1, -1);
        QTest::newRow("other keys") << 7 << false << int(Qt::Key_A) << QPoint(-1, -1);
    }

    void keysMoveFromTheSelectionOrTheFirstRowShown()
    {
        QFETCH(int, selectedRow);
        QFETCH(bool, rowSelect);
        QFETCH(int, key);
        QFETCH(QPoint, target);
        TGridSelection selection;
        selection.SetRowSelect(rowSelect);
        selection.Place(1, selectedRow);
        int col = -1, row = -1;
        const bool moves = selection.KeyTarget(key, 4, 5, 31, col, row);
        QCOMPARE(moves ? QPoint(col, row) : QPoint(-1, -1), target);
    }
};

QTEST_GUILESS_MAIN(TestGridGeometry)
#include "tst_GridGeometry.moc"

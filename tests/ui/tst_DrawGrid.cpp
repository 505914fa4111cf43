#include "../shared/support/FakeClock.h"
#include "client/ui/grid/TDrawGrid.h"
#include "shared/TPaintLag.h"
#include "support/TGridOnScreen.h"
#include "support/TRecordingCanvas.h"

#include <QtTest>

#include <optional>

namespace {

struct TSelection
{
    int Col;
    int Row;
    bool operator==(const TSelection &other) const { return Col == other.Col && Row == other.Row; }
};

// Records what the grid asks of its owner-drawn subclass.
class TProbeGrid : public TDrawGrid
{
public:
    using TDrawGrid::TDrawGrid;

    QVector<TSelection> asked;
    bool allow = true;
    QVector<QPair<QPoint, TGridDrawState>> drawn;

protected:
    void DrawCell(TCanvas &canvas, int col, int row, const QRect &rect, TGridDrawState state) override
    {
        canvas.FillRect(rect, Color());
        drawn.append({QPoint(col, row), state});
    }
    bool SelectCell(int col, int row) override
    {
        asked.append({col, row});
        return allow;
    }
};

} // namespace

// The owner-drawn grid's own geometry, painting and selection.
class TestDrawGrid : public QObject
{
    Q_OBJECT

    std::optional<TGridOnScreen<TProbeGrid>> screen_;
    TProbeGrid *grid_ = nullptr;

private Q_SLOTS:
    void init()
    {
        grid_ = screen_.emplace().grid;
        grid_->SetColCount(3);
        grid_->SetDefaultRowHeight(20);
        grid_->SetDefaultColWidth(50);
        grid_->SetRowCount(31);
        // Room for the header and 5 data rows, without a frame.
        QVERIFY(screen_->Show(QSize(), QRect(0, 0, 300, 6 * 20 + 5)));
        grid_->asked.clear();
    }

    void cleanup() { screen_.reset(); }

    void geometryFollowsWidthsAndScrolling()
    {
        grid_->SetColWidths(1, 80);
        QCOMPARE(grid_->CellRect(2, 0), QRect(130, 0, 50, 20));
        QCOMPARE(grid_->VisibleRowCount(), 5);
        grid_->SetTopRow(10);
        QCOMPARE(grid_->TopRow(), 10);
        QCOMPARE(grid_->CellRect(1, 10), QRect(50, 20, 80, 20));
        QVERIFY(grid_->CellRect(0, 9).isEmpty());
        // The last rows cannot scroll further up than a full page.
        grid_->SetTopRow(100);
        QCOMPARE(grid_->TopRow(), 30 - 5 + 1);

        int col, row;
        QVERIFY(grid_->MouseToCell(129, 39, col, row));
        QCOMPARE(QPoint(col, row), QPoint(1, 26));
        QVERIFY(grid_->MouseToCell(0, 0, col, row));
        QCOMPARE(QPoint(col, row), QPoint(0, 0));
        QVERIFY(!grid_->MouseToCell(180, 30, col, row));
        QCOMPARE(QPoint(col, row), QPoint(-1, -1));
    }

    void paintsOnlyTheCellsInTheArea()
    {
        TRecordingCanvas canvas;
        grid_->drawn.clear();
        grid_->PaintTo(canvas, QRect(60, 25, 10, 10));
        QCOMPARE(grid_->drawn.size(), 1);
        QCOMPARE(grid_->drawn[0].first, QPoint(1, 1));
        QVERIFY(!grid_->drawn[0].second.Fixed);

        grid_->drawn.clear();
        grid_->PaintTo(canvas, QRect(0, 0, 300, 125));
        // Header and the 5 rows that fit, and the start of the sixth.
        QCOMPARE(grid_->drawn.size(), 3 * 7);
        QVERIFY(grid_->drawn[0].second.Fixed);
    }

    void clickSelectsTheRowAfterAsking()
    {
        grid_->SetRowSelect(true);
        QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {}, screen_->CentreOf(2, 3));
        QCOMPARE(grid_->asked, QVector<TSelection>({{2, 3}}));
        QCOMPARE(grid_->Row(), 3);
        // A whole selected row is drawn selected; other rows are not.
        grid_->drawn.clear();
        TRecordingCanvas canvas;
        grid_->PaintTo(canvas, QRect(0, 0, 150, 125));
        for (const auto &cell : grid_->drawn)
            QCOMPARE(cell.second.Selected, cell.first.y() == 3);

        grid_->allow = false;
        QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {}, screen_->CentreOf(0, 4));
        QCOMPARE(grid_->Row(), 3);
        // Neither the header nor the right button selects.
        QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {}, screen_->CentreOf(0, 0));
        QTest::mouseClick(grid_->viewport(), Qt::RightButton, {}, screen_->CentreOf(0, 5));
        QCOMPARE(grid_->asked.size(), 2);
    }

    void keysMoveTheSelectionIntoView()
    {
        grid_->SetRowSelect(true);
        grid_->setFocus();
        grid_->SetRow(5);
        QCOMPARE(grid_->TopRow(), 1);
        // Each key, and the selected and top rows it leaves; up from the first data
        // row stays there.
        const struct
        {
            Qt::Key Key;
            int Row;
            int TopRow;
        } steps[] = {{Qt::Key_Down, 6, 2}, {Qt::Key_End, 30, 26}, {Qt::Key_Home, 1, 1}, {Qt::Key_Up, 1, 1}};
        for (const auto &step : steps) {
            QTest::keyClick(grid_, step.Key);
            QCOMPARE(grid_->Row(), step.Row);
            QCOMPARE(grid_->TopRow(), step.TopRow);
        }
    }

    void repaintRecordsTheLagOfTheOldestChange()
    {
        FakeClock clock;
        TPaintLag lag;
        grid_->SetPaintLag(&lag);
        QTRY_VERIFY(grid_->RepaintPacer().Quiet());
        const auto changeList = [this] {
            grid_->Invalidate();
            grid_->ShownListChanged();
        };
        const auto paintWhole = [this] {
            grid_->drawn.clear();
            grid_->Invalidate();
            return QTest::qWaitFor([this] { return !grid_->drawn.isEmpty(); });
        };

        changeList();
        clock.Advance(10);
        changeList();
        clock.Advance(20);
        QTRY_VERIFY(lag.WorstOfLastMinute());
        QCOMPARE(*lag.WorstOfLastMinute(), 30);

        // Nothing waits for these paints, and a lag from a stale change would be the
        // longest: a change that asked for no repaint (a frozen list) and time spent
        // hidden are no lag.
        grid_->ShownListChanged();
        clock.Advance(1000);
        QVERIFY(paintWhole());
        changeList();
        screen_->owner->hide();
        changeList();
        clock.Advance(5000);
        QVERIFY(screen_->Show());
        QVERIFY(paintWhole());
        QCOMPARE(*lag.WorstOfLastMinute(), 30);
        QCOMPARE(*lag.Percentile(99), 30);
    }

    void shrinkingMovesTheSelectionToTheLastRow()
    {
        grid_->SetRow(20);
        grid_->asked.clear();
        grid_->SetRowCount(8);
        QCOMPARE(grid_->asked, QVector<TSelection>({{0, 7}}));
        QCOMPARE(grid_->Row(), 7);
        QCOMPARE(grid_->TopRow(), 3);

        grid_->ClearSelection();
        QCOMPARE(grid_->Row(), -1);
        grid_->SetRowCount(2);
        QCOMPARE(grid_->asked.size(), 1);
        QCOMPARE(grid_->Row(), -1);
    }
};

QTEST_MAIN(TestDrawGrid)
#include "tst_DrawGrid.moc"

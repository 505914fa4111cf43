#include "client/ui/grids/TSymbolOnlyGrid.h"
#include "support/TGridOnScreen.h"
#include "support/TRecordingCanvas.h"

#include <QScrollBar>
#include <QtTest>

#include <optional>

namespace {

// With 7-pixel characters cells are 58 x 17: a widget of 130 x 70 holds
// 2 columns and 4 rows, the header and 3 data rows.
constexpr int CellWidth = 58;
constexpr int RowHeight = 17;

QSize SizeFor(int cols, int dataRows)
{
    return QSize(cols * CellWidth + 14, (dataRows + 1) * RowHeight + 2);
}

} // namespace

class TestSymbolOnlyGrid : public QObject
{
    Q_OBJECT

    std::optional<TGridOnScreen<TSymbolOnlyGrid>> screen_;
    TSymbolOnlyGrid *grid_ = nullptr;
    TQuickStrikeEntries list_;
    QStringList sent_;

    void Push(const QString &symbol)
    {
        TQuickStrikeEntry entry;
        entry.Symbol = symbol.toUtf8();
        list_.prepend(entry);
        grid_->SetEntries(list_);
    }

    void PushMany(int count)
    {
        for (int n = 1; n <= count; ++n)
            Push(QStringLiteral("S%1").arg(n));
    }

    // Every data cell's text, slot by slot (down each column), with the
    // inverted cell marked by a "*".
    QStringList Matrix() const
    {
        QStringList cells;
        for (int col = 0; col < grid_->ColCount(); ++col)
            for (int row = 1; row < grid_->RowCount(); ++row) {
                const TPaintedCell cell = PaintOneCell(*grid_, col, row);
                const bool inverted = cell.Background == grid_->TextColor();
                cells << cell.Text() + (inverted ? QStringLiteral("*") : QString());
            }
        return cells;
    }

private Q_SLOTS:
    void init()
    {
        grid_ = screen_.emplace().grid;
        QVERIFY(screen_->Show(QSize(400, 300)));
        TRecordingCanvas canvas;
        grid_->Measure(canvas);
        grid_->resize(SizeFor(2, 3));
        list_.clear();
        sent_.clear();
        grid_->SetSymbolSender([this](const QString &symbol) { sent_ << symbol; });
    }

    void cleanup()
    {
        screen_.reset();
    }

    void fillsDownThenAcrossAndWraps()
    {
        QCOMPARE(grid_->ColCount(), 2);
        QCOMPARE(grid_->RowCount(), 4);
        QCOMPARE(grid_->Capacity(), 6);
        QCOMPARE(Matrix(), QStringList({"", "", "", "", "", ""}));
        Push(QStringLiteral("S1"));
        QCOMPARE(Matrix(), QStringList({"S1*", "", "", "", "", ""}));
        Push(QStringLiteral("S2"));
        QCOMPARE(Matrix(), QStringList({"S1", "S2*", "", "", "", ""}));
        for (int n = 3; n <= 6; ++n)
            Push(QStringLiteral("S%1").arg(n));
        QCOMPARE(Matrix(), QStringList({"S1", "S2", "S3", "S4", "S5", "S6*"}));
        Push(QStringLiteral("S7"));
        QCOMPARE(Matrix(), QStringList({"S7*", "S2", "S3", "S4", "S5", "S6"}));
        // Every column's header reads the same.
        QCOMPARE(CellText(*grid_, 0, 0), QStringLiteral("Symbol"));
        QCOMPARE(CellText(*grid_, 1, 0), QStringLiteral("Symbol"));
    }

    void resizeLaysTheNewestOutAfresh()
    {
        PushMany(7);
        grid_->resize(SizeFor(2, 4));
        QCOMPARE(grid_->Capacity(), 8);
        QCOMPARE(Matrix(), QStringList({"S1", "S2", "S3", "S4", "S5", "S6", "S7*", ""}));
        grid_->resize(SizeFor(2, 2));
        QCOMPARE(grid_->Capacity(), 4);
        QCOMPARE(Matrix(), QStringList({"S4", "S5", "S6", "S7*"}));
        // The ring carries on from there.
        Push(QStringLiteral("S8"));
        QCOMPARE(Matrix(), QStringList({"S8*", "S5", "S6", "S7"}));
    }

    void resizeKeepingTheCountsChangesNothing()
    {
        PushMany(7);
        grid_->resize(SizeFor(2, 3) + QSize(10, 10));
        QCOMPARE(Matrix(), QStringList({"S7*", "S2", "S3", "S4", "S5", "S6"}));
    }

    void onlyTheNewestFitWhenTheListIsLonger()
    {
        PushMany(10);
        grid_->resize(SizeFor(3, 3));
        QCOMPARE(grid_->Capacity(), 9);
        QCOMPARE(Matrix(), QStringList({"S2", "S3", "S4", "S5", "S6", "S7", "S8", "S9", "S10*"}));
    }

    void clearingBlanksAndRestartsTopLeft()
    {
        PushMany(4);
        grid_->SetEntries({});
        QCOMPARE(grid_->HeadSlot(), -1);
        QCOMPARE(Matrix(), QStringList({"", "", "", "", "", ""}));
        list_.clear();
        Push(QStringLiteral("NEW"));
        QCOMPARE(Matrix(), QStringList({"NEW*", "", "", "", "", ""}));
    }

    void tinyWindowKeepsOneCell()
    {
        grid_->resize(20, 10);
        QCOMPARE(grid_->ColCount(), 1);
        QCOMPARE(grid_->RowCount(), 2);
        PushMany(3);
        QCOMPARE(Matrix(), QStringList({"S3*"}));
    }

    void newestCellColours()
    {
        grid_->SetTextColor(RGB(255, 0, 0));
        PushMany(2);
        const TPaintedCell newest = PaintOneCell(*grid_, 0, 2);
        QCOMPARE(newest.Background, RGB(255, 0, 0));
        QCOMPARE(newest.TextColor(), clBlack);
        const TPaintedCell older = PaintOneCell(*grid_, 0, 1);
        QCOMPARE(older.Background, clBlack);
        QCOMPARE(older.TextColor(), RGB(255, 0, 0));
        QCOMPARE(PaintOneCell(*grid_, 1, 1).Background, clBlack);
    }

    void neverShowsAScrollBar()
    {
        PushMany(20);
        grid_->resize(SizeFor(1, 1));
        QVERIFY(!grid_->verticalScrollBar()->isVisible());
        QVERIFY(!grid_->horizontalScrollBar()->isVisible());
    }

    void leftClickOnAFilledCellSendsItsSymbol()
    {
        PushMany(7);
        QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {}, screen_->CentreOf(1, 2));
        QCOMPARE(sent_, QStringList{"S5"});
        QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {}, screen_->CentreOf(0, 1));
        QCOMPARE(sent_, QStringList({"S5", "S7"}));
    }

    void clicksThatSendNothing()
    {
        PushMany(2);
        QTest::mouseClick(grid_->viewport(), Qt::RightButton, {}, screen_->CentreOf(0, 1));
        QTest::mouseClick(grid_->viewport(), Qt::MiddleButton, {}, screen_->CentreOf(0, 1));
        QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {}, screen_->CentreOf(0, 0));
        QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {}, screen_->CentreOf(1, 1));
        // The strip right of the last whole column, and below the last row.
        QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {}, QPoint(2 * CellWidth + 5, RowHeight + 5));
        QTest::mouseClick(grid_->viewport(), Qt::LeftButton, {}, QPoint(5, 4 * RowHeight + 1));
        QVERIFY(sent_.isEmpty());
    }
};

QTEST_MAIN(TestSymbolOnlyGrid)
#include "tst_SymbolOnlyGrid.moc"

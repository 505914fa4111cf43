#include "client/ui/grids/TJFGrid.h"
#include "support/TRecordingCanvas.h"

#include <QtTest>

#include <memory>

namespace {

TJFEntry Entry(const QString &symbol, qint32 volume = 0, qint32 count = 0, double rank = 0)
{
    TJFEntry entry;
    entry.Time = "09:31";
    entry.Symbol = symbol.toUtf8();
    entry.Change = -1.93;
    entry.BB = 2.5;
    entry.RV = 1.25;
    entry.Volume = volume;
    entry.Count = count;
    entry.Rank = rank;
    return entry;
}

// Measured grids have columns 51, 58, 51, 93, 51, 58, 30 wide.
constexpr int VolumeColumn = 3;
constexpr int CountColumn = 6;

} // namespace

class TestJFGrid : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void headersAndCells()
    {
        auto grid = MeasuredGrid<TJFGrid>();
        const QStringList headers = {"Time", "Symbol", "%Chg", "Volume", "RV", "BB", "#"};
        QCOMPARE(RowTexts(*grid, 0), headers);
        QCOMPARE(grid->ColWidths(VolumeColumn), 7 * 11 + 16);
        QCOMPARE(grid->ColWidths(CountColumn), 7 * 2 + 16);

        grid->SetEntries({Entry(QStringLiteral("AMD"), 1234567, 3)});
        const QStringList cells = {"09:31", "AMD", "-1.9", "1,234,567", "1.25", "2.50", "3"};
        QCOMPARE(RowTexts(*grid, 1), cells);
    }

    void emptyCells()
    {
        auto grid = MeasuredGrid<TJFGrid>();
        TJFEntry entry = Entry(QStringLiteral("AMD"), 0, 0);
        entry.Change = entry.BB = entry.RV = MissingReal();
        TJFEntry negative = Entry(QStringLiteral("NEG"), -5, -1);
        grid->SetEntries({entry, negative});
        for (int col = 2; col < 7; ++col)
            QVERIFY2(PaintOneCell(*grid, col, 1).Texts.isEmpty(), qPrintable(QString::number(col)));
        QVERIFY(PaintOneCell(*grid, VolumeColumn, 2).Texts.isEmpty());
        QVERIFY(PaintOneCell(*grid, CountColumn, 2).Texts.isEmpty());
    }

    void volumesAbbreviateAsTheColumnNarrows_data()
    {
        QTest::addColumn<int>("volume");
        QTest::addColumn<int>("columnWidth");
        QTest::addColumn<QString>("expected");
        // Text rectangles are 6 pixels narrower than their columns.
        QTest::newRow("wide") << 1234567 << 69 << "1,234,567";
        QTest::newRow("narrowed") << 1234567 << 40 << "1.2M";
        QTest::newRow("999 narrow") << 999 << 26 << "...";
    }

    void volumesAbbreviateAsTheColumnNarrows()
    {
        QFETCH(int, volume);
        QFETCH(int, columnWidth);
        QFETCH(QString, expected);
        auto grid = MeasuredGrid<TJFGrid>();
        grid->SetEntries({Entry(QStringLiteral("X"), volume, volume)});
        grid->SetColWidths(VolumeColumn, columnWidth);
        grid->SetColWidths(CountColumn, columnWidth);
        QCOMPARE(CellText(*grid, VolumeColumn, 1), expected);
        QCOMPARE(CellText(*grid, CountColumn, 1), expected);
    }

    void countOfTenLightsUp()
    {
        auto grid = MeasuredGrid<TJFGrid>();
        grid->SetEntries({Entry(QStringLiteral("TEN"), 1, 10), Entry(QStringLiteral("NINE"), 1, 9)});
        const TPaintedCell ten = PaintOneCell(*grid, CountColumn, 1);
        QCOMPARE(ten.Background, clYellow);
        QCOMPARE(ten.TextColor(), clBlack);
        QCOMPARE(ten.Text(), QStringLiteral("10"));
        // Only the count cell.
        QCOMPARE(PaintOneCell(*grid, CountColumn - 1, 1).Background, clBlack);
        const TPaintedCell nine = PaintOneCell(*grid, CountColumn, 2);
        QCOMPARE(nine.Background, clBlack);
        QCOMPARE(nine.TextColor(), clWhite);
    }

    void rowsAreTintedByRank_data()
    {
        QTest::addColumn<double>("rank");
        QTest::addColumn<int>("background");
        QTest::addColumn<int>("text");
        QTest::newRow("half") << 0.5 << RGB(128, 128, 255) << clBlack;
        QTest::newRow("two") << 2.0 << RGB(0, 0, 255) << clBlack;
        QTest::newRow("negative") << -0.5 << clWhite << clBlack;
        QTest::newRow("zero") << 0.0 << clBlack << RGB(0, 0, 255);
    }

    void rowsAreTintedByRank()
    {
        QFETCH(double, rank);
        QFETCH(int, background);
        QFETCH(int, text);
        auto grid = MeasuredGrid<TJFGrid>();
        grid->SetTextColor(RGB(0, 0, 255));
        grid->SetEntries({Entry(QStringLiteral("R"), 5, 5, rank)});
        for (int col = 0; col < 7; ++col) {
            const TPaintedCell cell = PaintOneCell(*grid, col, 1);
            QCOMPARE(cell.Background, background);
            QCOMPARE(cell.TextColor(), text);
        }
    }

    void yellowCountWinsOverTheTint()
    {
        auto grid = MeasuredGrid<TJFGrid>();
        grid->SetEntries({Entry(QStringLiteral("R"), 5, 12, 0.5)});
        QCOMPARE(PaintOneCell(*grid, CountColumn, 1).Background, clYellow);
        QCOMPARE(PaintOneCell(*grid, 0, 1).Background, clWhite);
    }

    void timeIsRightAlignedAndCut()
    {
        auto grid = MeasuredGrid<TJFGrid>();
        TJFEntry entry = Entry(QStringLiteral("T"));
        entry.Time = "9:31";
        grid->SetEntries({entry});
        TPaintedCell time = PaintOneCell(*grid, 0, 1);
        QCOMPARE(time.Texts[0].X, time.Cell.left() + 51 - 3 - 28);
        entry.Time = "09:31:45";
        grid->SetEntries({entry});
        time = PaintOneCell(*grid, 0, 1);
        QCOMPARE(time.Text(), QStringLiteral("09:..."));
    }

    void newFontRemeasuresAtOnce()
    {
        QWidget owner;
        QFont small = owner.font();
        small.setPointSize(8);
        owner.setFont(small);
        TJFGrid grid(&owner);
        grid.SetColWidths(1, 500);

        QFont large = small;
        large.setPointSize(20);
        owner.setFont(large);

        const QFontMetrics metrics(large, grid.viewport());
        QCOMPARE(grid.CanvasFont().pointSize(), 20);
        QCOMPARE(grid.DefaultRowHeight(), metrics.height() + 4);
        QCOMPARE(grid.ColWidths(1), metrics.horizontalAdvance(QStringLiteral("Symbol")) + 16);
        QCOMPARE(grid.ColWidths(VolumeColumn), metrics.horizontalAdvance(QStringLiteral("100,000,000")) + 16);
        QVERIFY(grid.DefaultRowHeight() > QFontMetrics(small, grid.viewport()).height() + 4);
    }
};

QTEST_MAIN(TestJFGrid)
#include "tst_JFGrid.moc"

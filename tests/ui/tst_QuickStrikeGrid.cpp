#include "client/ui/grids/TQuickStrikeGrid.h"
#include "support/GridEntries.h"
#include "support/TRecordingCanvas.h"

#include <QtTest>

#include <memory>

namespace {

// Measured grids have columns 58, 58, 51, 58, 51, 72 wide.
const QStringList AllColumns = {QStringLiteral("Symbol"), QStringLiteral("Last"), QStringLiteral("Chg"),
                                QStringLiteral("%Chg"), QStringLiteral("Divrg"), QStringLiteral("Time")};

} // namespace

Q_DECLARE_METATYPE(TQuickStrikeEntry)

class TestQuickStrikeGrid : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void headersAndSampleWidths()
    {
        auto grid = MeasuredGrid<TQuickStrikeGrid>();
        QCOMPARE(grid->ColCount(), 6);
        QCOMPARE(RowTexts(*grid, 0), AllColumns);
        QCOMPARE(grid->ColWidths(3), 7 * 9 + 16); // "99,999.99"
        QCOMPARE(grid->ColWidths(5), 7 * 8 + 16);
    }

    void cellContents_data()
    {
        QTest::addColumn<TQuickStrikeEntry>("entry");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("a fall of 1.5 from 100")
            << QuickStrikeEntry(QStringLiteral("MSFT"), 98.5, 100, 0.12)
            << QStringList{"MSFT", "98.50", "-1.50", "-1.50%", "0.12", "10:15:00"};
        QTest::newRow("previous close 0 leaves only %Chg empty")
            << QuickStrikeEntry(QStringLiteral("X"), 5, 0, -0.5) << QStringList{"X", "5.00", "5.00", "", "-0.50", "10:15:00"};
        QTest::newRow("missing last leaves three cells empty")
            << QuickStrikeEntry(QStringLiteral("Y"), MissingReal(), 10, 0.25)
            << QStringList{"Y", "", "", "", "0.25", "10:15:00"};
        QTest::newRow("missing previous close")
            << QuickStrikeEntry(QStringLiteral("Z"), 7, MissingReal()) << QStringList{"Z", "7.00", "", "", "", "10:15:00"};
        QTest::newRow("numbers too wide show dots")
            << QuickStrikeEntry(QStringLiteral("BRK"), 12345678.5, 100000, 12345678.25)
            << QStringList{"BRK", "...", "...", "12245.68%", "...", "10:15:00"};
        QTest::newRow("long symbol is cut, long time is clipped")
            << QuickStrikeEntry(QStringLiteral("VERYLONGSYMBOL"), 1, 1, MissingReal(), QStringLiteral("10:15:00 PM EST"))
            << QStringList{"VERY...", "1.00", "0.00", "0.00%", "", "10:15:00 PM EST"};
    }

    void cellContents()
    {
        QFETCH(TQuickStrikeEntry, entry);
        QFETCH(QStringList, expected);
        auto grid = MeasuredGrid<TQuickStrikeGrid>();
        grid->SetEntries({entry});
        QCOMPARE(RowTexts(*grid, 1), expected);
    }

    void alignments()
    {
        auto grid = MeasuredGrid<TQuickStrikeGrid>();
        grid->SetEntries({QuickStrikeEntry(QStringLiteral("AB"), 1.5, 1, 0.1, QStringLiteral("1:00"))});
        // Text rectangles are the cells less 3 pixels on either side.
        const TPaintedCell symbol = PaintOneCell(*grid, 0, 1);
        QCOMPARE(symbol.Texts[0].X, symbol.Cell.left() + 3);
        const TPaintedCell last = PaintOneCell(*grid, 1, 1);
        QCOMPARE(last.Texts[0].X, last.Cell.right() + 1 - 3 - 7 * 4);
        const TPaintedCell time = PaintOneCell(*grid, 5, 1);
        QCOMPARE(time.Texts[0].X, time.Cell.left() + 3);
        QCOMPARE(time.Texts[0].Clip, time.Cell.adjusted(3, 0, -3, 0));
    }

    void newestRowIsInverted()
    {
        auto grid = MeasuredGrid<TQuickStrikeGrid>();
        grid->SetEntries({QuickStrikeEntry(QStringLiteral("NEW"), 1, 1, 0.5), QuickStrikeEntry(QStringLiteral("OLD"), 1, 1, 0.5)});
        for (int col = 0; col < 6; ++col) {
            const TPaintedCell newest = PaintOneCell(*grid, col, 1);
            QCOMPARE(newest.Background, clWhite);
            QCOMPARE(newest.TextColor(), clBlack);
            const TPaintedCell older = PaintOneCell(*grid, col, 2);
            QCOMPARE(older.Background, clBlack);
            QCOMPARE(older.TextColor(), clWhite);
        }
        const TPaintedCell header = PaintOneCell(*grid, 0, 0);
        QCOMPARE(header.Background, grid->FixedColor());
        QCOMPARE(header.TextColor(), clBlack);
    }

    void textColourRecoloursBothKindsOfRow()
    {
        auto grid = MeasuredGrid<TQuickStrikeGrid>();
        grid->SetEntries({QuickStrikeEntry(QStringLiteral("NEW"), 1, 1, 0.5), QuickStrikeEntry(QStringLiteral("OLD"), 1, 1, 0.5)});
        grid->SetTextColor(RGB(0, 255, 255));
        QCOMPARE(PaintOneCell(*grid, 0, 1).Background, RGB(0, 255, 255));
        QCOMPARE(PaintOneCell(*grid, 0, 2).TextColor(), RGB(0, 255, 255));
    }

    void emptyListShowsOnePlainRow()
    {
        auto grid = MeasuredGrid<TQuickStrikeGrid>();
        grid->SetEntries({});
        QCOMPARE(grid->RowCount(), 2);
        for (int col = 0; col < 6; ++col) {
            const TPaintedCell cell = PaintOneCell(*grid, col, 1);
            QCOMPARE(cell.Background, clBlack);
            QVERIFY(cell.Texts.isEmpty());
        }
    }
};

QTEST_MAIN(TestQuickStrikeGrid)
#include "tst_QuickStrikeGrid.moc"

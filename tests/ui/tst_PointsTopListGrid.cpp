#include "client/ui/grids/TPointsTopListGrid.h"
#include "support/GridEntries.h"
#include "support/TRecordingCanvas.h"

#include <QtTest>

Q_DECLARE_METATYPE(TPointsTopListEntry)

class TestPointsTopListGrid : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void cellContents_data()
    {
        QTest::addColumn<TPointsTopListEntry>("entry");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("full row") << PointsEntry(QStringLiteral("IBM"), 20, -1.5) << QStringList{"IBM", "20.00", "-1.50"};
        QTest::newRow("change needs a price") << PointsEntry(QStringLiteral("IBM"), MissingReal(), -1.5)
                                              << QStringList{"IBM", "", ""};
        QTest::newRow("missing change") << PointsEntry(QStringLiteral("IBM"), 20, MissingReal())
                                        << QStringList{"IBM", "20.00", ""};
        QTest::newRow("too wide") << PointsEntry(QStringLiteral("LONGSYMBOL"), 123456789, 123456789)
                                  << QStringList{"LONG...", "...", "..."};
    }

    void cellContents()
    {
        QFETCH(TPointsTopListEntry, entry);
        QFETCH(QStringList, expected);
        TPointsTopListGrid grid(nullptr);
        TRecordingCanvas canvas;
        grid.Measure(canvas);
        grid.SetEntries({entry});
        QCOMPARE(RowTexts(grid, 0), (QStringList{"Symbol", "Last", "Chg"}));
        QCOMPARE(RowTexts(grid, 1), expected);
    }

    void yellowSettingColoursTheDataText()
    {
        TPointsTopListGrid grid(nullptr);
        TRecordingCanvas canvas;
        grid.Measure(canvas);
        grid.SetTextColor(65535);
        grid.SetEntries({PointsEntry(QStringLiteral("A"), 1, 1), PointsEntry(QStringLiteral("B"), -1, -1)});
        for (int row = 1; row <= 2; ++row)
            for (int col = 0; col < 3; ++col) {
                const TPaintedCell cell = PaintOneCell(grid, col, row);
                QCOMPARE(cell.Background, clBlack);
                QCOMPARE(cell.TextColor(), RGB(255, 255, 0));
            }
        const TPaintedCell header = PaintOneCell(grid, 1, 0);
        QCOMPARE(header.Background, grid.FixedColor());
        QCOMPARE(header.TextColor(), clBlack);
    }
};

QTEST_MAIN(TestPointsTopListGrid)
#include "tst_PointsTopListGrid.moc"

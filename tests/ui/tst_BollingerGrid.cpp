#include "client/ui/grids/TBollingerGrid.h"
#include "support/TRecordingCanvas.h"

#include <QtTest>

#include <memory>

namespace {

constexpr TColor Green = RGB(100, 255, 100);
constexpr TColor Red = RGB(255, 75, 75);

TBollingerEntry Entry(const QString &symbol, double last, double prevClose, double distance)
{
    TBollingerEntry entry;
    entry.Symbol = symbol.toUtf8();
    entry.Last = last;
    entry.PrevClose = prevClose;
    entry.DistFromBB = distance;
    return entry;
}

struct TShown
{
    QString Text;
    TColor Color;
};

} // namespace

Q_DECLARE_METATYPE(TBollingerEntry)

class TestBollingerGrid : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void headersWithTheExtraCaption()
    {
        auto grid = MeasuredGrid<TBollingerGrid>();
        QCOMPARE(grid->ColCount(), 4);
        QCOMPARE(grid->ExtraCaption(), QStringLiteral("BBand"));
        QCOMPARE(RowTexts(*grid, 0), (QStringList{"Symbol", "Last", "Chg", "BBand"}));
        // "99,999.99" sizes the fourth column: 79 wide, 71 for the caption.
        QCOMPARE(grid->ColWidths(3), 79);
        grid->SetExtraCaption(QStringLiteral("Dist"));
        QCOMPARE(CellText(*grid, 3, 0), QStringLiteral("Dist"));
        grid->SetExtraCaption(QStringLiteral("Distance from band"));
        const TPaintedCell header = PaintOneCell(*grid, 3, 0);
        QCOMPARE(header.Text(), QStringLiteral("Distanc..."));
        QCOMPARE(header.Texts[0].X, header.Cell.left() + 4 + (71 - 70) / 2);
    }

    void numbersAreColouredBySign_data()
    {
        QTest::addColumn<TBollingerEntry>("entry");
        QTest::addColumn<QString>("last");
        QTest::addColumn<int>("lastColor");
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("changeColor");
        QTest::addColumn<QString>("distance");
        QTest::addColumn<int>("distanceColor");
        QTest::newRow("rising") << Entry(QStringLiteral("UP"), 10.5, 10, 0.75) << "10.50" << Green << "0.50"
                                << Green << "0.75" << Green;
        QTest::newRow("falling") << Entry(QStringLiteral("DN"), 9, 10, -1.25) << "9.00" << Green << "-1.00" << Red
                                 << "-1.25" << Red;
        QTest::newRow("unchanged") << Entry(QStringLiteral("EQ"), 10, 10, 0) << "10.00" << Green << "0.00"
                                   << clWhite << "0.00" << clWhite;
        QTest::newRow("missing distance") << Entry(QStringLiteral("ND"), 10, 9, MissingReal()) << "10.00" << Green
                                          << "1.00" << Green << "" << -1;
        QTest::newRow("missing previous close") << Entry(QStringLiteral("NP"), 10, MissingReal(), 1) << "10.00"
                                                << Green << "" << -1 << "1.00" << Green;
    }

    void numbersAreColouredBySign()
    {
        QFETCH(TBollingerEntry, entry);
        QFETCH(QString, last);
        QFETCH(int, lastColor);
        QFETCH(QString, change);
        QFETCH(int, changeColor);
        QFETCH(QString, distance);
        QFETCH(int, distanceColor);
        auto grid = MeasuredGrid<TBollingerGrid>();
        grid->SetEntries({entry});
        const TPaintedCell symbol = PaintOneCell(*grid, 0, 1);
        QCOMPARE(symbol.Text(), entry.Symbol);
        QCOMPARE(symbol.TextColor(), clWhite);
        const TShown shown[] = {{last, lastColor}, {change, changeColor}, {distance, distanceColor}};
        for (int col = 1; col <= 3; ++col) {
            const TPaintedCell cell = PaintOneCell(*grid, col, 1);
            QCOMPARE(cell.Background, clBlack);
            QCOMPARE(cell.Text(), shown[col - 1].Text);
            QCOMPARE(cell.TextColor(), shown[col - 1].Color);
        }
    }
};

QTEST_MAIN(TestBollingerGrid)
#include "tst_BollingerGrid.moc"

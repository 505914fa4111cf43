#include "client/core/TSortedSymbolList.h"
#include "client/core/TWindowList.h"
#include "client/core/kinds/NewestFirstKinds.h"
#include "../shared/support/FakeClock.h"

#include <QtTest>

namespace {

// The rows of a newest-first kind as "SYMBOL×COUNT last", newest first.
template <typename Kind>
QStringList RowsOf(const TAlertKind &kind)
{
    QStringList rows;
    for (const auto &entry : static_cast<const Kind &>(kind).Entries()) {
        double last = MissingReal();
        if constexpr (std::is_same_v<Kind, TJFListKind>)
            last = entry.Change;
        else
            last = entry.Last;
        rows << QStringLiteral("%1×%2 %3").arg(QString::fromUtf8(entry.Symbol)).arg(entry.Burst.Count).arg(last);
    }
    return rows;
}

QStringList Rows(const TWindowList &window)
{
    const TAlertKind &kind = window.Kind();
    if (dynamic_cast<const TQuickStrikeKind *>(&kind))
        return RowsOf<TQuickStrikeKind>(kind);
    if (dynamic_cast<const TSimpleListKind *>(&kind))
        return RowsOf<TSimpleListKind>(kind);
    return RowsOf<TJFListKind>(kind);
}

} // namespace

class TestFoldBursts : public QObject
{
    Q_OBJECT

    TSortedSymbolList exclude;

    std::unique_ptr<TWindowList> Window(const QString &display, int foldSeconds)
    {
        auto window = std::make_unique<TWindowList>(exclude);
        window->SetSubscription("QS");
        window->SetDisplay(display);
        window->Kind().SetFoldSeconds(foldSeconds);
        return window;
    }

    // An alert of symbol whose price (for JF: change) is value.
    static QByteArray Alert(const QByteArray &symbol, int value)
    {
        const QByteArray number = QByteArray::number(value);
        return "QS\r\nsymbol=" + symbol + "&last=" + number + "&change=" + number;
    }

private Q_SLOTS:
    // Alerts "SYMBOL@SECOND" with their price rising one by one, into a window that
    // folds within 10 seconds.
    void foldsBurstsIntoTheNewestRow_data()
    {
        QTest::addColumn<QString>("display");
        QTest::addColumn<int>("foldSeconds");
        QTest::addColumn<QStringList>("alerts");
        QTest::addColumn<QStringList>("rows");

        for (const QString &display : {QString(), QStringLiteral("simplelist"), QStringLiteral("jf-simplelist")}) {
            const QByteArray kind = display.isEmpty() ? "quickstrike" : display.toUtf8();
            QTest::addRow("%s: one burst, one row", kind.constData())
                << display << 10 << QStringList{"A@0", "A@3", "A@6"} << QStringList{"A×3 3"};
            QTest::addRow("%s: the folded row moves to the top", kind.constData())
                << display << 10 << QStringList{"A@0", "B@1", "A@2"} << QStringList{"A×2 3", "B×1 2"};
            QTest::addRow("%s: off", kind.constData())
                << display << 0 << QStringList{"A@0", "A@1"} << QStringList{"A×1 2", "A×1 1"};
        }
        QTest::newRow("past the window") << QString() << 10 << QStringList{"A@0", "A@11"}
                                         << QStringList{"A×1 2", "A×1 1"};
        QTest::newRow("the window runs from the last alert")
            << QString() << 10 << QStringList{"A@0", "A@8", "A@16", "B@17"} << QStringList{"B×1 4", "A×3 3"};
        QTest::newRow("an older row behind a newer one stays")
            << QString() << 10 << QStringList{"A@0", "B@20", "A@21"} << QStringList{"A×1 3", "B×1 2", "A×1 1"};
        QTest::newRow("alerts of one moment")
            << QStringLiteral("jf-simplelist") << 10 << QStringList{"A@5", "B@5", "C@5", "B@5", "A@5", "A@15"}
            << QStringList{"A×3 6", "B×2 4", "C×1 3"};
    }

    void foldsBurstsIntoTheNewestRow()
    {
        QFETCH(QString, display);
        QFETCH(int, foldSeconds);
        QFETCH(QStringList, alerts);
        QFETCH(QStringList, rows);

        FakeClock clock;
        const TSteadyMs start = clock.Steady();
        auto window = Window(display, foldSeconds);
        int price = 0;
        for (const QString &alert : alerts) {
            clock.Advance(start + alert.section(QLatin1Char('@'), 1).toInt() * 1000 - clock.Steady());
            QVERIFY(window->HandleAlert(Alert(alert.section(QLatin1Char('@'), 0, 0).toUtf8(), ++price)));
        }
        QCOMPARE(Rows(*window), rows);
    }

    // Folding turned on folds an alert into a row that came just before.
    void foldingTurnedOnFoldsTheRowsBefore()
    {
        FakeClock clock;
        auto window = Window(QStringLiteral("jf-simplelist"), 0);
        window->HandleAlert(Alert("A", 1));
        window->HandleAlert(Alert("B", 2));
        clock.Advance(3000);
        window->Kind().SetFoldSeconds(5);
        window->HandleAlert(Alert("A", 3));
        QCOMPARE(Rows(*window), QStringList({"A×2 3", "B×1 2"}));
    }

    void aFoldedRowCountsOnceTowardsTheLimit()
    {
        FakeClock clock;
        auto window = Window(QStringLiteral("simplelist"), 30);
        for (int i = 0; i < 1000; ++i)
            window->HandleAlert(Alert("S" + QByteArray::number(i), i));
        for (int i = 0; i < 5; ++i)
            window->HandleAlert(Alert("S500", 1));
        const QStringList rows = Rows(*window);
        QCOMPARE(rows.size(), 1000);
        QCOMPARE(rows.first(), QStringLiteral("S500×6 1"));
        QCOMPARE(rows.last(), QStringLiteral("S0×1 0"));
        QCOMPARE(rows.filter(QStringLiteral("S500×")).size(), 1);
    }

    void aGapMarkerNeitherFoldsNorStopsAFold()
    {
        FakeClock clock;
        auto window = Window(QString(), 10);
        window->HandleAlert(Alert("A", 1));
        window->Kind().AddGapMarker(TLinkGap{1, 2});
        window->HandleAlert(Alert("A", 2));
        QCOMPARE(Rows(*window), QStringList({"A×2 2", "×1 nan"}));
    }

    void theSymbolMatrixDoesNotFold()
    {
        auto window = Window(QStringLiteral("symbol"), 10);
        QVERIFY(!window->Kind().CanFoldBursts());
        QVERIFY(Window(QString(), 0)->Kind().CanFoldBursts());
    }
};

QTEST_GUILESS_MAIN(TestFoldBursts)
#include "tst_FoldBursts.moc"

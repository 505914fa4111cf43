#include "client/core/TTopListOrder.h"
#include "shared/Exception.h"

#include "support/SmbRows.h"

#include "../shared/support/FakeClock.h"

#include <QtTest>

Q_DECLARE_METATYPE(TSelectionAfterSort)

namespace {

// A list of rows with the given symbols whose Last values are base, base + 1, ...
TSmbTopListEntries Rows(const QStringList &symbols, double base = 1)
{
    TSmbTopListEntries rows = SmbRows(symbols);
    for (TSmbTopListEntry &row : rows)
        row.Last = base++;
    return rows;
}

QList<double> LastsOf(const TSmbTopListEntries &rows)
{
    QList<double> lasts;
    for (const TSmbTopListEntry &row : rows)
        lasts.append(row.Last);
    return lasts;
}

// What LastSort shows when the 30 seconds count as passed.
constexpr TSteadyMs NotSorted = -1;

TSteadyMs LastSort(const TTopListOrder &order)
{
    return order.LastSortTime().value_or(NotSorted);
}

} // namespace

class TestTopListOrder : public QObject
{
    Q_OBJECT

    std::optional<FakeClock> clock_;
    TSteadyMs start_ = 0;

    // Time runs on to this many seconds after the start.
    void SetSeconds(double secondsAfterStart) { clock_->Advance(At(secondsAfterStart) - clock_->Steady()); }
    TSteadyMs At(double secondsAfterStart) const { return start_ + qRound64(secondsAfterStart * 1000); }

    // An order whose rows A, B, C were sorted at Start.
    void SortedAtStart(TTopListOrder &order)
    {
        SetSeconds(0);
        QCOMPARE(order.SetEntries(Rows({"A", "B", "C"})), TTopListChange::tcNewOrder);
        QCOMPARE(LastSort(order), start_);
    }

private Q_SLOTS:
    void init()
    {
        clock_.emplace();
        start_ = clock_->Steady();
    }

    void cleanup() { clock_.reset(); }

    void startsEmptyAndShowsTheFirstListAtOnce()
    {
        TTopListOrder order;
        QVERIFY(order.Entries().isEmpty());
        QVERIFY(!order.UpdatePending());
        QVERIFY(!order.Frozen());
        QVERIFY(!order.IgnoreSortTimer());
        QCOMPARE(LastSort(order), NotSorted);

        QCOMPARE(order.SetEntries(Rows({"A", "B"})), TTopListChange::tcNewOrder);
        QCOMPARE(SymbolsOf(order.Entries()), QStringList({"A", "B"}));
        QVERIFY(!order.UpdatePending());
        QCOMPARE(LastSort(order), start_);
    }

    void sameSymbolsInSameOrderShowAtOnceWithoutRestartingTheTimer()
    {
        TTopListOrder order;
        SortedAtStart(order);
        QVERIFY(order.SetFrozen(true) != TTopListChange::tcNone);
        SetSeconds(10);
        QCOMPARE(order.SetEntries(Rows({"A", "B", "C"}, 50)), TTopListChange::tcNewOrder);
        QCOMPARE(LastsOf(order.Entries()), QList<double>({50, 51, 52}));
        QVERIFY(!order.UpdatePending());
        // Freezing reset the sort time; the value update did not touch it.
        QCOMPARE(LastSort(order), NotSorted);
    }

    void sameSymbolOrderIsCaseSensitiveAndNeedsEqualLength()
    {
        TTopListOrder order;
        SortedAtStart(order);
        SetSeconds(5);
        QCOMPARE(order.SetEntries(Rows({"A", "b", "C"})), TTopListChange::tcRepaint);
        QVERIFY(order.UpdatePending());
        // The in-place update found B without regard to case and took the new spelling.
        QCOMPARE(SymbolsOf(order.Entries()), QStringList({"A", "b", "C"}));
        QCOMPARE(order.SetEntries(Rows({"A", "b"})), TTopListChange::tcRepaint);
        QVERIFY(order.UpdatePending());
        QCOMPARE(order.SetEntries(Rows({"A", "b", "C"}, 9)), TTopListChange::tcNewOrder);
        QVERIFY(!order.UpdatePending());
        QCOMPARE(LastsOf(order.Entries()), QList<double>({9, 10, 11}));
        QCOMPARE(LastSort(order), start_);
    }

    void newOrderWaitsWhileValuesUpdateInPlace()
    {
        TTopListOrder order;
        SortedAtStart(order);

        SetSeconds(10);
        TSmbTopListEntries next = Rows({"c", "X", "A"}, 100);
        next[0].Volume = 777;
        QCOMPARE(order.SetEntries(next), TTopListChange::tcRepaint);

        // Rows keep their places; the pending values are copied over them, the
        // symbol's spelling included, and B keeps its old values.
        QCOMPARE(SymbolsOf(order.Entries()), QStringList({"A", "B", "c"}));
        QCOMPARE(LastsOf(order.Entries()), QList<double>({102, 2, 100}));
        QCOMPARE(order.Entries()[2].Volume, 777);
        QVERIFY(order.UpdatePending());
        QCOMPARE(order.MissingCount(), 1);
        QCOMPARE(order.MissingText(), QStringLiteral("X"));
        QCOMPARE(SymbolsOf(order.PendingEntries()), QStringList({"c", "X", "A"}));

        SetSeconds(29);
        QCOMPARE(order.CheckSortTimer(), TTopListChange::tcNone);
        SetSeconds(30);
        QVERIFY(!order.SortDue());
        QCOMPARE(order.CheckSortTimer(), TTopListChange::tcNone);

        SetSeconds(31);
        QVERIFY(order.SortDue());
        QCOMPARE(order.CheckSortTimer(), TTopListChange::tcNewOrder);
        QCOMPARE(SymbolsOf(order.Entries()), QStringList({"c", "X", "A"}));
        QVERIFY(!order.UpdatePending());
        QCOMPARE(order.MissingCount(), 0);
        QCOMPARE(order.MissingText(), QString());
        QCOMPARE(LastSort(order), At(31));

        // Nothing waits any more: the timer has nothing to do.
        SetSeconds(100);
        QCOMPARE(order.CheckSortTimer(), TTopListChange::tcNone);
        QCOMPARE(LastSort(order), At(31));
    }

    void valuesUpdateInPlaceInTheRowsOfTheLatestOrder()
    {
        TTopListOrder order;
        SortedAtStart(order);
        SetSeconds(10);
        order.SetEntries(Rows({"C", "A", "B"}, 10));
        QCOMPARE(LastsOf(order.Entries()), QList<double>({11, 12, 10}));

        // A new order is applied; later values must land in its rows, not the old ones.
        SetSeconds(31);
        QCOMPARE(order.CheckSortTimer(), TTopListChange::tcNewOrder);
        QCOMPARE(SymbolsOf(order.Entries()), QStringList({"C", "A", "B"}));
        SetSeconds(40);
        QCOMPARE(order.SetEntries(Rows({"B", "X", "C"}, 50)), TTopListChange::tcRepaint);
        QCOMPARE(SymbolsOf(order.Entries()), QStringList({"C", "A", "B"}));
        QCOMPARE(LastsOf(order.Entries()), QList<double>({52, 11, 50}));
        QCOMPARE(order.MissingText(), QStringLiteral("X"));
        QCOMPARE(order.SetEntries(Rows({"a", "C"}, 70)), TTopListChange::tcRepaint);
        QCOMPARE(SymbolsOf(order.Entries()), QStringList({"C", "a", "B"}));
        QCOMPARE(LastsOf(order.Entries()), QList<double>({71, 70, 50}));
        QCOMPARE(order.MissingCount(), 0);
    }

    void ignoreSortTimerAppliesEveryOrderUnlessFrozen()
    {
        TTopListOrder order;
        order.SetIgnoreSortTimer(true);
        SortedAtStart(order);
        SetSeconds(1);
        QCOMPARE(order.SetEntries(Rows({"B", "A"})), TTopListChange::tcNewOrder);
        QCOMPARE(SymbolsOf(order.Entries()), QStringList({"B", "A"}));
        QCOMPARE(LastSort(order), At(1));

        order.SetFrozen(true);
        SetSeconds(2);
        QCOMPARE(order.SetEntries(Rows({"A", "B"}, 9)), TTopListChange::tcRepaint);
        QCOMPARE(SymbolsOf(order.Entries()), QStringList({"B", "A"}));
        QCOMPARE(LastsOf(order.Entries()), QList<double>({10, 9}));
        QVERIFY(order.UpdatePending());
    }

    void frozenListWaitsAndUnfreezingAppliesAtOnce()
    {
        TTopListOrder order;
        SortedAtStart(order);
        SetSeconds(5);
        order.SetEntries(Rows({"C", "A"}));
        // Freezing applies nothing and counts the 30 seconds as passed.
        QCOMPARE(order.SetFrozen(true), TTopListChange::tcRepaint);
        QVERIFY(order.Frozen());
        QVERIFY(order.UpdatePending());
        QCOMPARE(LastSort(order), NotSorted);
        QCOMPARE(order.SetFrozen(true), TTopListChange::tcNone);

        SetSeconds(100);
        QCOMPARE(order.SetEntries(Rows({"C", "B", "A"}, 7)), TTopListChange::tcRepaint);
        QCOMPARE(SymbolsOf(order.Entries()), QStringList({"A", "B", "C"}));
        QCOMPARE(LastsOf(order.Entries()), QList<double>({9, 8, 7}));
        SetSeconds(200);
        QVERIFY(!order.SortDue());
        QCOMPARE(order.CheckSortTimer(), TTopListChange::tcNone);

        SetSeconds(201);
        QCOMPARE(order.SetFrozen(false), TTopListChange::tcNewOrder);
        QCOMPARE(SymbolsOf(order.Entries()), QStringList({"C", "B", "A"}));
        QCOMPARE(LastSort(order), At(201));
    }

    void aWallClockStepNeitherHoldsNorForcesASort_data()
    {
        QTest::addColumn<qint64>("wallStepMs");
        QTest::newRow("set back 2 h") << qint64(-2 * 3600 * 1000);
        QTest::newRow("set forward 2 h") << qint64(2 * 3600 * 1000);
    }

    void aWallClockStepNeitherHoldsNorForcesASort()
    {
        QFETCH(qint64, wallStepMs);
        TTopListOrder order;
        SortedAtStart(order);
        SetSeconds(10);
        order.SetEntries(Rows({"C", "A"}));
        clock_->StepWall(wallStepMs);
        SetSeconds(30);
        QCOMPARE(order.CheckSortTimer(), TTopListChange::tcNone);
        SetSeconds(31);
        QCOMPARE(order.CheckSortTimer(), TTopListChange::tcNewOrder);
        QCOMPARE(LastSort(order), At(31));
    }

    void sortNowAppliesAWaitingOrderOnly()
    {
        TTopListOrder order;
        SortedAtStart(order);
        SetSeconds(3);
        QCOMPARE(order.SortNow(), TTopListChange::tcNone);
        QCOMPARE(LastSort(order), start_);

        order.SetEntries(Rows({"B", "A"}));
        SetSeconds(4);
        QCOMPARE(order.SortNow(), TTopListChange::tcNewOrder);
        QCOMPARE(SymbolsOf(order.Entries()), QStringList({"B", "A"}));
        QCOMPARE(LastSort(order), At(4));

        // Sort Now overrides a freeze; the freeze only stops automatic sorting.
        order.SetFrozen(true);
        order.SetEntries(Rows({"A", "B"}));
        QCOMPARE(order.SortNow(), TTopListChange::tcNewOrder);
        QCOMPARE(SymbolsOf(order.Entries()), QStringList({"A", "B"}));
    }

    void applyPendingWithoutAWaitingListIsABrokenPrecondition()
    {
        TTopListOrder order;
        try {
            order.ApplyPending();
            QFAIL("no assertion error");
        } catch (const EAssertionFailed &e) {
            QVERIFY(e.Message().startsWith(QStringLiteral("Assertion failure (TTopListOrder.cpp, line ")));
        }
    }

    void missingText_data()
    {
        QTest::addColumn<QStringList>("missing");
        QTest::addColumn<QString>("text");
        QTest::newRow("none") << QStringList() << QString();
        QTest::newRow("one") << QStringList({"A"}) << QStringLiteral("A");
        QTest::newRow("five") << QStringList({"A", "B", "C", "D", "E"})
                              << QStringLiteral("A, B, C, D, E");
        QTest::newRow("six") << QStringList({"A", "B", "C", "D", "E", "F"})
                             << QStringLiteral("A, B, C, D, E and 1 more");
        QTest::newRow("seven") << QStringList({"A", "B", "C", "D", "E", "F", "G"})
                               << QStringLiteral("A, B, C, D, E and 2 more");
        QTest::newRow("eight") << QStringList({"A", "B", "C", "D", "E", "F", "G", "H"})
                               << QStringLiteral("A, B, C, D, E and 3 more");
    }

    void missingText()
    {
        QFETCH(QStringList, missing);
        QFETCH(QString, text);
        TTopListOrder order;
        order.SetEntries(Rows({"X", "Y", "Z"}));
        SetSeconds(1);
        // Known symbols interleaved with the missing ones do not count.
        QStringList pending({"Z"});
        for (const QString &symbol : missing)
            pending << symbol << QStringLiteral("x");
        order.SetEntries(Rows(pending));
        QCOMPARE(order.MissingCount(), qint32(missing.size()));
        QCOMPARE(order.MissingText(), text);

        // The next list recounts from zero.
        order.SetEntries(Rows({"Y", "X"}));
        QCOMPARE(order.MissingCount(), 0);
        QCOMPARE(order.MissingText(), QString());
    }

    void separatorRowsTakeTheFirstSeparatorsValues()
    {
        TTopListOrder order;
        SortedAtStart(order);
        SetSeconds(31);
        order.SetEntries(Rows({"A", "-", "B", "-"}));
        SetSeconds(32);
        order.SetEntries(Rows({"-", "B", "A"}, 20));
        QCOMPARE(SymbolsOf(order.Entries()), QStringList({"A", "-", "B", "-"}));
        QCOMPARE(LastsOf(order.Entries()), QList<double>({22, 20, 21, 4}));
        QCOMPARE(order.MissingCount(), 0);
    }

    void selectionAfterSort_data()
    {
        QTest::addColumn<int>("selectedIndex");
        QTest::addColumn<QString>("lastLinked");
        QTest::addColumn<TSelectionAfterSort>("result");
        QTest::newRow("same symbol still selected") << 1 << "B" << TSelectionAfterSort::saKeep;
        QTest::newRow("another symbol moved in") << 1 << "A" << TSelectionAfterSort::saClear;
        QTest::newRow("nothing linked yet") << 0 << "" << TSelectionAfterSort::saClear;
        QTest::newRow("past the last row") << 3 << "B" << TSelectionAfterSort::saForgetLink;
        QTest::newRow("no row selected") << -1 << "B" << TSelectionAfterSort::saClear;
    }

    void selectionAfterSort()
    {
        QFETCH(int, selectedIndex);
        QFETCH(QString, lastLinked);
        QFETCH(TSelectionAfterSort, result);
        QCOMPARE(SelectionAfterSort(Rows({"A", "B", "C"}), selectedIndex, lastLinked.toUtf8()), result);
    }

    void symbolToLink_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("lastLinked");
        QTest::addColumn<QString>("symbol");
        QTest::newRow("new symbol") << 0 << "" << "A";
        QTest::newRow("other than the last") << 2 << "A" << "C";
        QTest::newRow("same as the last") << 0 << "A" << "";
        QTest::newRow("separator row") << 1 << "" << "";
        QTest::newRow("empty symbol") << 3 << "" << "";
        QTest::newRow("past the rows") << 4 << "" << "";
        QTest::newRow("header row") << -1 << "" << "";
    }

    void symbolToLink()
    {
        QFETCH(int, index);
        QFETCH(QString, lastLinked);
        QFETCH(QString, symbol);
        QCOMPARE(SymbolToLink(Rows({"A", "-", "C", ""}), index, lastLinked.toUtf8()), symbol.toUtf8());
    }
};

QTEST_GUILESS_MAIN(TestTopListOrder)
#include "tst_TopListOrder.moc"

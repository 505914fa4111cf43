#include "client/core/TCellFlashes.h"
#include "../shared/support/FakeClock.h"

#include <QtTest>

namespace {

const QByteArray Ibm = "IBM";
const QByteArray Dell = "DELL";
constexpr int Last = 1;
constexpr int Change = 2;

} // namespace

class TestCellFlashes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // One list shown, then a second one a moment later: which cell of IBM flashes.
    void flashesOnTheCellThatChanged_data()
    {
        QTest::addColumn<QVector<TCellValue>>("before");
        QTest::addColumn<QVector<TCellValue>>("after");
        QTest::addColumn<bool>("quiet");
        QTest::addColumn<int>("flashingColumn"); // -1 for none
        QTest::addColumn<bool>("up");

        const QVector<TCellValue> ibm{{Ibm, Last, 20}, {Ibm, Change, 1}};
        QTest::newRow("up") << ibm << QVector<TCellValue>{{Ibm, Last, 21}, {Ibm, Change, 1}} << false << Last << true;
        QTest::newRow("down") << ibm << QVector<TCellValue>{{Ibm, Last, 20}, {Ibm, Change, -2}} << false << Change
                              << false;
        QTest::newRow("unchanged") << ibm << ibm << false << -1 << false;
        QTest::newRow("row entering the list") << QVector<TCellValue>{{Dell, Last, 20}}
                                               << QVector<TCellValue>{{Dell, Last, 20}, {Ibm, Last, 30}} << false << -1
                                               << false;
        QTest::newRow("number in another column") << QVector<TCellValue>{{Ibm, Change, 20}}
                                                  << QVector<TCellValue>{{Ibm, Last, 30}} << false << -1 << false;
        QTest::newRow("frozen") << ibm << QVector<TCellValue>{{Ibm, Last, 25}, {Ibm, Change, 1}} << true << -1 << false;
        QTest::newRow("missing value appears") << QVector<TCellValue>{{Ibm, Last, qQNaN()}}
                                               << QVector<TCellValue>{{Ibm, Last, 20}} << false << -1 << false;
        QTest::newRow("symbol shown twice: its first row counts")
            << ibm << QVector<TCellValue>{{Ibm, Last, 20}, {Ibm, Last, 99}, {Ibm, Change, 1}} << false << -1 << false;
        QTest::newRow("symbol new and shown twice: its first row counts")
            << QVector<TCellValue>{{Ibm, Last, 20}, {Ibm, Last, 99}} << QVector<TCellValue>{{Ibm, Last, 20}} << false
            << -1 << false;
    }

    void flashesOnTheCellThatChanged()
    {
        QFETCH(QVector<TCellValue>, before);
        QFETCH(QVector<TCellValue>, after);
        QFETCH(bool, quiet);
        QFETCH(int, flashingColumn);
        QFETCH(bool, up);

        FakeClock clock;
        TCellFlashes flashes;
        flashes.Take(before, clock.Steady());
        clock.Advance(1000);
        flashes.Take(after, clock.Steady(), quiet);
        QCOMPARE(flashes.Expire(clock.Steady()), flashingColumn >= 0);
        for (const int column : {Last, Change}) {
            const TCellFlash flash = flashes.At(Ibm, column, clock.Steady());
            QCOMPARE(flash.Strength, column == flashingColumn ? 1.0 : 0.0);
            if (column == flashingColumn)
                QCOMPARE(flash.Up, up);
        }
        QCOMPARE(flashes.At(Dell, Last, clock.Steady()).Strength, 0.0);
    }

    void aFlashFadesAndEnds()
    {
        FakeClock clock;
        TCellFlashes flashes;
        flashes.Take({{Ibm, Last, 20}}, clock.Steady());
        flashes.Take({{Ibm, Last, 19}}, clock.Steady());
        clock.Advance(TCellFlashes::DurationMs / 2);
        QCOMPARE(flashes.At(Ibm, Last, clock.Steady()).Strength, 0.5);
        QVERIFY(flashes.Expire(clock.Steady()));
        clock.Advance(TCellFlashes::DurationMs / 2);
        QCOMPARE(flashes.At(Ibm, Last, clock.Steady()).Strength, 0.0);
        QVERIFY(!flashes.Expire(clock.Steady()));
    }

    void aNewChangeRestartsTheFlashAndLeavingEndsIt()
    {
        FakeClock clock;
        TCellFlashes flashes;
        flashes.Take({{Ibm, Last, 20}}, clock.Steady());
        flashes.Take({{Ibm, Last, 21}}, clock.Steady());
        clock.Advance(500);
        flashes.Take({{Ibm, Last, 20}}, clock.Steady());
        clock.Advance(500);
        const TCellFlash flash = flashes.At(Ibm, Last, clock.Steady());
        QVERIFY(!flash.Up);
        QVERIFY(flash.Strength > 0);
        // Gone from the list, and back with another number: it enters anew.
        flashes.Take({}, clock.Steady());
        QCOMPARE(flashes.At(Ibm, Last, clock.Steady()).Strength, 0.0);
        flashes.Take({{Ibm, Last, 50}}, clock.Steady());
        QVERIFY(!flashes.Expire(clock.Steady()));
    }
};

QTEST_GUILESS_MAIN(TestCellFlashes)
#include "tst_CellFlashes.moc"

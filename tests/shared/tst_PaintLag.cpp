#include "shared/TPaintLag.h"

#include "support/FakeClock.h"

#include <QtTest>

// One lag: the steady clock moves on by AdvanceMs, then a repaint ends that took LagMs.
struct TLagStep
{
    qint64 AdvanceMs;
    qint64 LagMs;
};
Q_DECLARE_METATYPE(QVector<TLagStep>)

class TestPaintLag : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // -1 expects no answer.
    void answers_data()
    {
        QTest::addColumn<QVector<TLagStep>>("steps");
        QTest::addColumn<qint64>("thenMs");
        QTest::addColumn<qint64>("worst");
        QTest::addColumn<qint64>("p50");
        QTest::addColumn<qint64>("p99");

        QVector<TLagStep> oneToHundred;
        for (qint64 lag = 100; lag >= 1; --lag)
            oneToHundred.append({0, lag});

        QTest::newRow("nothing measured") << QVector<TLagStep>{} << qint64(0) << qint64(-1) << qint64(-1) << qint64(-1);
        QTest::newRow("one lag") << QVector<TLagStep>{{0, 12}} << qint64(0) << qint64(12) << qint64(12) << qint64(12);
        QTest::newRow("a hundred lags, by the millisecond")
            << oneToHundred << qint64(0) << qint64(100) << qint64(50) << qint64(99);
        QTest::newRow("long lags to ten milliseconds, the longest together")
            << QVector<TLagStep>{{0, 707}, {0, 25000}} << qint64(0) << qint64(25000) << qint64(700) << qint64(10000);
        QTest::newRow("a lag 59 s ago is still in the minute")
            << QVector<TLagStep>{{0, 80}, {59000, 20}} << qint64(0) << qint64(80) << qint64(20) << qint64(80);
        QTest::newRow("a lag 60 s ago has left the minute")
            << QVector<TLagStep>{{0, 80}, {30000, 20}, {30000, 5}} << qint64(0) << qint64(20) << qint64(20)
            << qint64(80);
        QTest::newRow("the same second a minute later starts afresh")
            << QVector<TLagStep>{{0, 90}, {60000, 10}} << qint64(0) << qint64(10) << qint64(10) << qint64(90);
        QTest::newRow("a quiet minute shows nothing, the run keeps it")
            << QVector<TLagStep>{{0, 40}} << qint64(60000) << qint64(-1) << qint64(40) << qint64(40);
        QTest::newRow("a quiet hour leaves no stale second behind")
            << QVector<TLagStep>{{0, 70}} << qint64(3600000) << qint64(-1) << qint64(70) << qint64(70);
    }
    void answers()
    {
        QFETCH(QVector<TLagStep>, steps);
        QFETCH(qint64, thenMs);
        QFETCH(qint64, worst);
        QFETCH(qint64, p50);
        QFETCH(qint64, p99);

        FakeClock clock;
        TPaintLag lag;
        for (const TLagStep &step : steps) {
            clock.Advance(step.AdvanceMs);
            lag.Record(step.LagMs);
        }
        clock.Advance(thenMs);
        QCOMPARE(lag.WorstOfLastMinute().value_or(-1), worst);
        QCOMPARE(lag.Percentile(50).value_or(-1), p50);
        QCOMPARE(lag.Percentile(99).value_or(-1), p99);
    }
};

QTEST_GUILESS_MAIN(TestPaintLag)
#include "tst_PaintLag.moc"

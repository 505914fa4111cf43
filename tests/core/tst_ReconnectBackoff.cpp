#include "client/core/TReconnectBackoff.h"

#include <QtTest>

class TestReconnectBackoff : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void waitsDoubleUpToHalfAMinuteWithAFifthOfJitter_data()
    {
        QTest::addColumn<int>("failures");
        QTest::addColumn<double>("fraction");
        QTest::addColumn<double>("seconds");
        QTest::newRow("first, middle") << 1 << 0.5 << 1.0;
        QTest::newRow("first, shortest") << 1 << 0.0 << 0.8;
        QTest::newRow("first, longest") << 1 << 1.0 << 1.2;
        QTest::newRow("none counts as first") << 0 << 0.5 << 1.0;
        QTest::newRow("second") << 2 << 0.5 << 2.0;
        QTest::newRow("fourth, shortest") << 4 << 0.0 << 6.4;
        QTest::newRow("fifth, longest") << 5 << 1.0 << 19.2;
        QTest::newRow("sixth, middle") << 6 << 0.5 << 30.0;
        QTest::newRow("sixth, shortest") << 6 << 0.0 << 24.0;
        QTest::newRow("sixth, longest is cut") << 6 << 1.0 << 30.0;
        QTest::newRow("very many") << 1000000 << 0.25 << 27.0;
    }

    void waitsDoubleUpToHalfAMinuteWithAFifthOfJitter()
    {
        QFETCH(int, failures);
        QFETCH(double, fraction);
        QFETCH(double, seconds);
        QVERIFY2(qAbs(TReconnectBackoff::DelaySeconds(failures, fraction) - seconds) < 1e-9,
                 qPrintable(QString::number(TReconnectBackoff::DelaySeconds(failures, fraction))));
    }

    void failuresDelayTheNextAttemptUntilReset()
    {
        TReconnectBackoff backoff([] { return 0.5; });
        const TSteadyMs start = 3888000000;
        QVERIFY(!backoff.Waiting(start));
        QCOMPARE(backoff.SecondsLeft(start), 0);

        for (int i = 0; i < 4; ++i)
            backoff.Failed(start);
        QCOMPARE(backoff.Failures(), 4);
        QVERIFY(backoff.Waiting(start + 7900));
        QCOMPARE(backoff.SecondsLeft(start), 8);
        QCOMPARE(backoff.SecondsLeft(start + 7500), 1);
        QVERIFY(!backoff.Waiting(start + 8000));

        // However many failures follow, the wait stops growing at its cap.
        for (int i = 0; i < 100; ++i)
            backoff.Failed(start);
        QCOMPARE(backoff.SecondsLeft(start), 30);

        backoff.Reset();
        QCOMPARE(backoff.Failures(), 0);
        QVERIFY(!backoff.Waiting(start));
        backoff.Failed(start);
        QCOMPARE(backoff.SecondsLeft(start), 1);
    }
};

QTEST_GUILESS_MAIN(TestReconnectBackoff)
#include "tst_ReconnectBackoff.moc"

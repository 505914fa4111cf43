#include "client/core/TAlertRate.h"

#include <QtTest>

namespace {

// Half a second into a whole second, so that no time sits on a second's edge.
TSteadyMs At(double seconds)
{
    const TSteadyMs start = 7200000;
    return start + qRound64((seconds + 0.5) * 1000);
}

// Thirty buckets, all empty but the ones given as {index, count}.
QVector<int> Buckets(std::initializer_list<std::pair<int, int>> filled)
{
    QVector<int> buckets(TAlertRate::BucketCount);
    for (const auto &[index, count] : filled)
        buckets[index] = count;
    return buckets;
}

} // namespace

class TestAlertRate : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void countsTheLastMinuteAndFiveMinutesOfBuckets_data()
    {
        QTest::addColumn<QVector<double>>("alerts"); // seconds from the start
        QTest::addColumn<double>("readAt");
        QTest::addColumn<int>("lastMinute");
        QTest::addColumn<QVector<int>>("buckets");

        QTest::newRow("none") << QVector<double>{} << 0.0 << 0 << Buckets({});
        QTest::newRow("one now") << QVector<double>{0} << 0.0 << 1 << Buckets({{29, 1}});
        QTest::newRow("59 s ago counts, 60 s ago not")
            << QVector<double>{0, 1} << 60.0 << 1 << Buckets({{23, 1}, {24, 1}});
        QTest::newRow("alerts of one second add up") << QVector<double>{0, 0.4, 0.4} << 0.0 << 3 << Buckets({{29, 3}});
        QTest::newRow("ten seconds make a bucket")
            << QVector<double>{0, 9, 10} << 19.0 << 3 << Buckets({{28, 2}, {29, 1}});
        QTest::newRow("the oldest bucket, just kept") << QVector<double>{0} << 299.0 << 0 << Buckets({{0, 1}});
        QTest::newRow("older than five minutes is forgotten") << QVector<double>{0} << 300.0 << 0 << Buckets({});
        QTest::newRow("an hour of silence clears the ring")
            << QVector<double>{0, 3600} << 3600.0 << 1 << Buckets({{29, 1}});
        QTest::newRow("an earlier reading counts into the newest second")
            << QVector<double>{10, 5} << 10.0 << 2 << Buckets({{29, 2}});
        QTest::newRow("read before the newest alert") << QVector<double>{0, 30} << 5.0 << 1 << Buckets({{29, 1}});
    }

    void countsTheLastMinuteAndFiveMinutesOfBuckets()
    {
        QFETCH(QVector<double>, alerts);
        QFETCH(double, readAt);
        QFETCH(int, lastMinute);
        QFETCH(QVector<int>, buckets);
        TAlertRate rate;
        for (double second : alerts)
            rate.Add(At(second));
        QCOMPARE(rate.InLastMinute(At(readAt)), lastMinute);
        QCOMPARE(rate.Buckets(At(readAt)), buckets);
    }
};

QTEST_GUILESS_MAIN(TestAlertRate)
#include "tst_AlertRate.moc"

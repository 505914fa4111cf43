#include "../shared/support/FakeClock.h"

#include "client/core/AlertRecordFormat.h"
#include "client/core/TAlertRecorder.h"
#include "client/core/TAlertReplay.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

// A recording of alerts "A0", "A1"... at the given milliseconds.
QByteArray Recording(const QVector<qint64> &times)
{
    QByteArray text;
    for (int i = 0; i < times.size(); ++i)
        text += RecordLine(times[i], QByteArray("Q\r\nA" + QByteArray::number(i)));
    return text;
}

// A replay driven by the test's clock, counting what it hands out.
struct TDrivenReplay
{
    FakeClock Clock;
    TAlertReplay Replay{TAlertReplay::TTickSource::Caller};
    QVector<QByteArray> Played;
    TSubscription Listening = Replay.SubscribeAlerts([this](QByteArrayView body) { Played << body.toByteArray(); });

    int AfterMs(qint64 ms)
    {
        Clock.Advance(ms);
        Replay.Tick();
        return int(Played.size());
    }
};

} // namespace

class TestAlertReplay : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void aLineReadsBackAsWritten_data()
    {
        QTest::addColumn<qint64>("atMs");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("plain") << qint64(0) << QByteArray("QuickStrike\r\nsymbol=ABC&last=12.5");
        QTest::newRow("line breaks and tabs") << qint64(999) << QByteArray("\n\r\n\t\r\rx\n");
        QTest::newRow("backslashes and written escapes") << qint64(1000) << QByteArray("a\\\\r\\n\\");
        QTest::newRow("odd bytes") << qint64(3723456) << QByteArray("\0\x1b[2J\xff\xfe\x7f", 8);
    }
    void aLineReadsBackAsWritten()
    {
        QFETCH(qint64, atMs);
        QFETCH(QByteArray, body);
        const QByteArray line = RecordLine(atMs, body);
        // One line whatever the body holds.
        QCOMPARE(line.count('\n'), 1);
        QVERIFY(line.endsWith('\n'));
        QVERIFY(!line.contains('\r'));
        TRecordedAlert alert;
        QVERIFY(ParseRecordLine(line.chopped(1), 0, alert));
        QCOMPARE(alert.AtMs, atMs);
        QCOMPARE(alert.Body, body);
    }

    void badLinesAreSkippedAndCounted()
    {
        TDrivenReplay driven;
        driven.Replay.Start("1.000\tQ\\r\\nA\r\n"
                            "\n"
                            "soon\tQ\\r\\nbad time\n"
                            "-1\tQ\\r\\nnegative\n"
                            "2.5\t\n"
                            "3\tunknown \\q escape\n"
                            "4\tends in \\\r\n"
                            "no time: with the line before\n"
                            "0.5\tearlier: with the line before\n");
        QCOMPARE(driven.Replay.Malformed(), 5);
        QCOMPARE(driven.Replay.Count(), 3);
        // The first alert plays at once; the others were at its time.
        QCOMPARE(driven.AfterMs(0), 3);
        QCOMPARE(driven.Played.last(), QByteArray("earlier: with the line before"));
    }

    void theRecordedPaceIsKeptTimesTheSpeed_data()
    {
        QTest::addColumn<int>("speed");
        QTest::addColumn<QVector<qint64>>("steps");
        QTest::addColumn<QVector<int>>("played");
        // Alerts 1 s, 2 s and 10 s after the first; the silence before it is skipped.
        QTest::newRow("1x") << 1 << QVector<qint64>{0, 999, 1, 1000, 7999, 1} << QVector<int>{1, 1, 2, 3, 3, 4};
        QTest::newRow("5x") << 5 << QVector<qint64>{0, 199, 1, 200, 1599, 1} << QVector<int>{1, 1, 2, 3, 3, 4};
        QTest::newRow("20x") << 20 << QVector<qint64>{0, 49, 1, 50, 399, 1} << QVector<int>{1, 1, 2, 3, 3, 4};
        QTest::newRow("fastest") << int(TAlertReplay::Fastest) << QVector<qint64>{0} << QVector<int>{4};
    }
    void theRecordedPaceIsKeptTimesTheSpeed()
    {
        QFETCH(int, speed);
        QFETCH(QVector<qint64>, steps);
        QFETCH(QVector<int>, played);
        TDrivenReplay driven;
        driven.Replay.SetSpeed(speed);
        driven.Replay.Start(Recording({60000, 61000, 62000, 70000}));
        for (int i = 0; i < steps.size(); ++i)
            QCOMPARE(driven.AfterMs(steps[i]), played[i]);
        QVERIFY(driven.Replay.Finished());
        QVERIFY(driven.Replay.Active());
    }

    void aBurstIsPlayedInSlices()
    {
        TDrivenReplay driven;
        driven.Replay.Start(Recording(QVector<qint64>(1000, 0)));
        QCOMPARE(driven.AfterMs(0), TAlertReplay::SliceSize);
        QCOMPARE(driven.AfterMs(0), 2 * TAlertReplay::SliceSize);
        driven.Replay.SetSpeed(TAlertReplay::Fastest);
        QCOMPARE(driven.AfterMs(0), 3 * TAlertReplay::SliceSize);
        QCOMPARE(driven.AfterMs(0), 1000);
        QVERIFY(driven.Replay.Finished());
    }

    void pauseHoldsStepPlaysOneAndResumeGoesOnFromThere()
    {
        TDrivenReplay driven;
        driven.Replay.Start(Recording({0, 1000, 2000, 3000, 4000}));
        QCOMPARE(driven.AfterMs(500), 1);
        driven.Replay.Pause();
        QVERIFY(driven.Replay.Paused());
        QCOMPARE(driven.AfterMs(60000), 1);
        driven.Replay.Step();
        QCOMPARE(driven.Played.size(), 2);
        QVERIFY(driven.Replay.Paused());
        // Resumed at the stepped alert's time: the next is a second away.
        driven.Replay.Resume();
        QCOMPARE(driven.AfterMs(999), 2);
        QCOMPARE(driven.AfterMs(1), 3);
        // A new speed goes on from the position reached.
        driven.Replay.SetSpeed(20);
        QCOMPARE(driven.AfterMs(49), 3);
        QCOMPARE(driven.AfterMs(1), 4);
        driven.Replay.Step();
        driven.Replay.Step();
        QCOMPARE(driven.Played.size(), 5);
        QVERIFY(driven.Replay.Finished());

        driven.Replay.Stop();
        QVERIFY(!driven.Replay.Active());
        QCOMPARE(driven.Replay.Count(), 0);
    }

    void aListenerStoppingTheReplayEndsTheSlice()
    {
        TDrivenReplay driven;
        const TSubscription stopper = driven.Replay.SubscribeAlerts([&driven](QByteArrayView) {
            if (driven.Played.size() == 3)
                driven.Replay.Stop();
        });
        driven.Replay.Start(Recording(QVector<qint64>(10, 0)));
        QCOMPARE(driven.AfterMs(0), 3);
        QVERIFY(!driven.Replay.Active());
    }

    void theRecorderWritesWhatTheReplayReads()
    {
        QTemporaryDir dir;
        const QDateTime started(QDate(2026, 12, 8), QTime(9, 30, 5));
        const QString path = dir.filePath(QStringLiteral("a/") + TAlertRecorder::FileNameFor(started));
        QVERIFY(path.endsWith(QLatin1String("/a/alerts-2026-12-08-093005.txt")));
        TDrivenReplay driven;
        {
            TAlertRecorder recorder;
            QCOMPARE(recorder.Open(path), QString());
            recorder.Record("Q\r\nfirst\n");
            recorder.Record(QByteArray());
            driven.Clock.Advance(1500);
            recorder.Record("Q\r\nsecond");
            QCOMPARE(recorder.Count(), 2);
        }
        QVERIFY(!(QFile::permissions(path) & (QFileDevice::ReadOther | QFileDevice::ReadGroup)));
        QCOMPARE(driven.Replay.Open(path), QString());
        QCOMPARE(driven.Replay.Malformed(), 0);
        QCOMPARE(driven.AfterMs(1499), 1);
        QCOMPARE(driven.AfterMs(1), 2);
        QCOMPARE(driven.Played, (QVector<QByteArray>{"Q\r\nfirst\n", "Q\r\nsecond"}));
        QVERIFY(!driven.Replay.Open(dir.filePath(QStringLiteral("missing.txt"))).isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestAlertReplay)
#include "tst_AlertReplay.moc"

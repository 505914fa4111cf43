#include "shared/TStallReporter.h"

#include "shared/TPaintLag.h"

#include <QtTest>

#include <cstdio>

namespace {

constexpr int WaitMs = 10000;

// The report lines written so far, each split into its words.
QList<QList<QByteArray>> ReportLines(const QString &path)
{
    QFile file(path);
    QList<QList<QByteArray>> lines;
    if (!file.open(QIODevice::ReadOnly))
        return lines;
    for (const QByteArray &line : file.readAll().split('\n'))
        if (!line.isEmpty())
            lines.append(line.split(' '));
    return lines;
}

} // namespace

class tst_StallReporter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reportsAlertsAndTheLoopsLongestWait_data()
    {
        QTest::addColumn<bool>("requested");
        QTest::addColumn<int>("alerts");
        QTest::addColumn<int>("blockMs");
        QTest::addColumn<bool>("paints");
        QTest::newRow("not requested: silent") << false << 2 << 0 << false;
        QTest::newRow("idle loop") << true << 0 << 0 << false;
        QTest::newRow("three alerts, loop blocked 300 ms") << true << 3 << 300 << false;
        QTest::newRow("a program that paints") << true << 1 << 0 << true;
    }

    void reportsAlertsAndTheLoopsLongestWait()
    {
        QFETCH(bool, requested);
        QFETCH(int, alerts);
        QFETCH(int, blockMs);
        QFETCH(bool, paints);
        if (requested)
            qputenv("AZUREV_STALL_REPORT", "1");
        else
            qunsetenv("AZUREV_STALL_REPORT");
        QTemporaryDir folder;
        const QString path = folder.filePath(QStringLiteral("report.txt"));
        const QString witnessPath = folder.filePath(QStringLiteral("witness.txt"));
        std::FILE *out = std::fopen(QFile::encodeName(path).constData(), "w");
        std::FILE *witnessOut = std::fopen(QFile::encodeName(witnessPath).constData(), "w");
        QVERIFY(out && witnessOut);
        {
            // Lags of 2, 4, ..., 200 ms: the median 100, the 99th percentile 198.
            TPaintLag paintLag;
            for (int lagMs = 2; lagMs <= 200; lagMs += 2)
                paintLag.Record(lagMs);
            TStallReporter reporter(out, paints ? &paintLag : nullptr);
            reporter.StartIfRequested();
            // Started later, and always requested: once it has written its lines, the
            // reporter under test has had its turn to write as well.
            qputenv("AZUREV_STALL_REPORT", "1");
            TStallReporter witness(witnessOut);
            witness.StartIfRequested();
            for (int i = 0; i < alerts; ++i)
                reporter.CountAlert();
            if (blockMs > 0)
                QTimer::singleShot(100, [blockMs] { QThread::msleep(blockMs); });
            QTRY_VERIFY_WITH_TIMEOUT(ReportLines(witnessPath).size() >= 2, WaitMs);
            if (requested)
                QTRY_VERIFY_WITH_TIMEOUT(ReportLines(path).size() >= 2, WaitMs);
        }
        std::fclose(out);
        std::fclose(witnessOut);

        const QList<QList<QByteArray>> lines = ReportLines(path);
        if (!requested) {
            QVERIFY(lines.isEmpty());
            return;
        }
        qint64 longestStallMs = 0;
        for (const QList<QByteArray> &words : lines) {
            if (paints) {
                QCOMPARE(words.size(), 13);
                QCOMPARE(words.mid(9), (QList<QByteArray>{"paint-lag-p50-ms", "100", "paint-lag-p99-ms", "198"}));
            } else {
                QCOMPARE(words.size(), 9);
            }
            QCOMPARE(words[0], QByteArray("stall-report"));
            QCOMPARE(words[8].toInt(), alerts);
            longestStallMs = std::max(longestStallMs, words[4].toLongLong());
        }
        // A loop blocked that long waited at least that long; nothing more is certain.
        QVERIFY2(longestStallMs >= blockMs - 10, lines.constFirst().join(' ').constData());
    }
};

QTEST_GUILESS_MAIN(tst_StallReporter)
#include "tst_StallReporter.moc"

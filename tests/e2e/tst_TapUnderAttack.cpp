// azurev-tap against alert-feed's attacks: a zlib bomb, a flood of empty frames and a
// flood of the longest frames. The tap's memory stays bounded and its event loop keeps
// turning, so a SIGTERM sent in the middle of an attack still ends it cleanly.

#include "support/TFeedProcess.h"

#include <QFile>
#include <QProcess>
#include <QtTest>

#include <csignal>
#include <sys/types.h>

namespace {

constexpr int WaitMs = 30000;
// Generous: without a bounded receive path these attacks take gigabytes. Under
// AddressSanitizer much of the tap's resident memory is the sanitizer's own (shadow
// memory and its quarantine of freed blocks), so that build gets more room.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define AZUREV_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(AZUREV_ADDRESS_SANITIZER)
constexpr qint64 MemoryCapKiB = 1024 * 1024;
#else
constexpr qint64 MemoryCapKiB = 300 * 1024;
#endif

#ifdef AZUREV_TAP_BIN
const QString TapBinary = QStringLiteral(AZUREV_TAP_BIN);
#else
const QString TapBinary;
#endif

// The most memory the process has held so far, from /proc; -1 when it cannot be read.
qint64 PeakResidentKiB(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

} // namespace

class TestTapUnderAttack : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (TapBinary.isEmpty())
            QSKIP("azurev-tap was not built");
    }

    void endsCleanlyWithBoundedMemoryDuringAnAttack_data()
    {
        QTest::addColumn<QStringList>("attack");
        // Large enough that the tap is still inflating it when it is told to stop.
        QTest::newRow("zlib bomb of 64 GiB") << QStringList{"--bomb-after", "1", "--bomb-mib", "65536"};
        QTest::newRow("empty-frame flood") << QStringList{"--empty-flood-after", "1", "--flood-seconds", "60"};
        QTest::newRow("16 MiB-frame flood") << QStringList{"--big-flood-after", "1"};
    }

    void endsCleanlyWithBoundedMemoryDuringAnAttack()
    {
        QFETCH(QStringList, attack);
        TFeedProcess feed;
        QVERIFY(feed.Start(QStringList{"--category", "QuickStrike=default", "--rate", "50"} + attack));

        QProcess tap;
        QTemporaryDir folder;
        tap.setWorkingDirectory(folder.path());
        tap.setStandardOutputFile(QProcess::nullDevice());
        tap.setStandardErrorFile(folder.filePath(QStringLiteral("stderr.txt")));
        tap.start(TapBinary, {"--server", QStringLiteral("127.0.0.1:%1").arg(feed.Port()),
                              "--category", "QuickStrike", "--user", "ann", "--password-stdin"});
        QVERIFY(tap.waitForStarted(WaitMs));
        tap.write("secret\n");
        tap.closeWriteChannel();

        QTRY_VERIFY_WITH_TIMEOUT(feed.ErrorOutput().contains("starting"), WaitMs);
        // Let the attack go on for a while before looking.
        QTest::qWait(3000);
        QCOMPARE(tap.state(), QProcess::Running);
        const qint64 peakKiB = PeakResidentKiB(tap.processId());
        QVERIFY2(peakKiB > 0 && peakKiB < MemoryCapKiB, qPrintable(QString::number(peakKiB)));

        ::kill(static_cast<pid_t>(tap.processId()), SIGTERM);
        QVERIFY(tap.waitForFinished(WaitMs));
        QCOMPARE(tap.exitStatus(), QProcess::NormalExit);
        QCOMPARE(tap.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestTapUnderAttack)
#include "tst_TapUnderAttack.moc"

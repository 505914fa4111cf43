// azurev-tap and the client with its windows (azurev-soak: offscreen, every alert
// window kind shown) against alert-feed's attacks: a zlib bomb, a flood of empty frames
// and a flood of the longest frames. Their memory stays bounded and their event loops
// keep turning, so a SIGTERM sent in the middle of an attack still ends them cleanly.

#include "support/TapProcess.h"
#include "support/TFeedProcess.h"

#include <QFile>
#include <QProcess>
#include <QtTest>

namespace {

constexpr int WaitMs = 30000;
// Without a bounded receive path these attacks take gigabytes. Under
// AddressSanitizer much of a program's resident memory is the sanitizer's own (shadow
// memory and its quarantine of freed blocks), so that build gets more room.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define AZUREV_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(AZUREV_ADDRESS_SANITIZER)
constexpr qint64 MemoryCapKiB = 1024 * 1024;
#else
constexpr qint64 MemoryCapKiB = 150 * 1024;
#endif

#ifdef AZUREV_SOAK_BIN
const QString ClientBinary = QStringLiteral(AZUREV_SOAK_BIN);
#else
const QString ClientBinary;
#endif
#ifdef AZUREV_DEMO_INI
const QString DemoIni = QStringLiteral(AZUREV_DEMO_INI);
#else
const QString DemoIni;
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

// The once-a-second lines of the program's stall report written so far.
int StallReports(const QString &errorFile)
{
    QFile file(errorFile);
    return file.open(QIODevice::ReadOnly) ? int(file.readAll().count("stall-report second ")) : 0;
}

} // namespace

class TestProgramsUnderAttack : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        if (TapBinary.isEmpty() || ClientBinary.isEmpty() || DemoIni.isEmpty())
            QSKIP("azurev-tap or azurev-soak was not built");
    }

    void endsCleanlyWithBoundedMemoryDuringAnAttack_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("attack");
        // Large enough that the program is still inflating it when it is told to stop.
        const QStringList bomb{"--bomb-after", "1", "--bomb-mib", "65536"};
        const QStringList emptyFlood{"--empty-flood-after", "1", "--flood-seconds", "60"};
        const QStringList bigFlood{"--big-flood-after", "1"};
        for (const QString &program : {TapBinary, ClientBinary}) {
            const QString name = QFileInfo(program).fileName();
            QTest::addRow("%s, zlib bomb of 64 GiB", qPrintable(name)) << program << bomb;
            QTest::addRow("%s, empty-frame flood", qPrintable(name)) << program << emptyFlood;
            QTest::addRow("%s, 16 MiB-frame flood", qPrintable(name)) << program << bigFlood;
        }
    }

    void endsCleanlyWithBoundedMemoryDuringAnAttack()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, attack);
        TFeedProcess feed;
        QVERIFY(feed.Start(QStringList{"--ini", DemoIni, "--rate", "50"} + attack));
        const QString address = QStringLiteral("127.0.0.1:%1").arg(feed.Port());

        QProcess client;
        QTemporaryDir folder;
        client.setStandardOutputFile(QProcess::nullDevice());
        const QString errorFile = folder.filePath(QStringLiteral("stderr.txt"));
        client.setStandardErrorFile(errorFile);
        // Its own report once a second tells how long the attack has gone on.
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("AZUREV_STALL_REPORT"), QStringLiteral("1"));
        if (program == TapBinary) {
            client.setProcessEnvironment(environment);
            QVERIFY(StartTap(client, folder.path(), {"--server", address, "--category", "QuickStrike", "--user",
                                                     "ann", "--password-stdin"}));
        } else {
            // Every window of the demo, pointed at this feed.
            QFile demo(DemoIni);
            QVERIFY(demo.open(QIODevice::ReadOnly));
            QByteArray ini = demo.readAll();
            ini.replace("address=127.0.0.1:9339", QByteArray("address=" + address.toLatin1()));
            QFile local(folder.filePath(QStringLiteral("KVX.ini")));
            QVERIFY(local.open(QIODevice::WriteOnly) && local.write(ini) == ini.size());
            local.close();
            environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder.filePath(QStringLiteral("config")));
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
            client.setProcessEnvironment(environment);
            client.setWorkingDirectory(folder.path());
            client.start(program, {"--user", "ann", "--password", "secret", "--minutes", "5"});
            QVERIFY(client.waitForStarted(WaitMs));
        }

        QTRY_VERIFY_WITH_TIMEOUT(feed.ErrorOutput().contains("starting"), WaitMs);
        // Let the attack go on for a while before looking: three more seconds of the
        // program's loop turning.
        const int reportsAtStart = StallReports(errorFile);
        QTRY_VERIFY_WITH_TIMEOUT(StallReports(errorFile) >= reportsAtStart + 3, WaitMs);
        QCOMPARE(client.state(), QProcess::Running);
        const qint64 peakKiB = PeakResidentKiB(client.processId());
        QVERIFY2(peakKiB > 0 && peakKiB < MemoryCapKiB, qPrintable(QString::number(peakKiB)));

        QVERIFY(EndsCleanlyOn(client, SIGTERM, WaitMs));
    }
};

QTEST_GUILESS_MAIN(TestProgramsUnderAttack)
#include "tst_ProgramsUnderAttack.moc"

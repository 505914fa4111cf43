#include "AzurevVersion.h"

#include <QProcess>
#include <QtTest>

// Every installed program answers --help and --version, the client too, before it
// needs a display.
class TestProgramOptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void helpAndVersion_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("option");
        QTest::addColumn<QByteArray>("answer");
        const QPair<const char *, QString> programs[] = {
#ifdef VADEVOR_AZUREV_BIN
            {"vadevor-azurev", QStringLiteral(VADEVOR_AZUREV_BIN)},
#endif
#ifdef ALERT_FEED_BIN
            {"alert-feed", QStringLiteral(ALERT_FEED_BIN)},
#endif
#ifdef AZUREV_TAP_BIN
            {"azurev-tap", QStringLiteral(AZUREV_TAP_BIN)},
#endif
        };
        for (const auto &[name, path] : programs) {
            QTest::addRow("%s --version", name) << path << "--version" << QByteArray(name) + " " AZUREV_VERSION "\n";
            QTest::addRow("%s --help", name) << path << "--help" << QByteArray("sage: ");
        }
    }

    void helpAndVersion()
    {
        QFETCH(QString, program);
        QFETCH(QString, option);
        QFETCH(QByteArray, answer);
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const char *display : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QLatin1String(display));
        process.setProcessEnvironment(environment);
        process.start(program, {option});
        QVERIFY(process.waitForFinished(15000));
        QCOMPARE(process.exitCode(), 0);
        const QByteArray output = process.readAllStandardOutput();
        QVERIFY2(option == QLatin1String("--version") ? output == answer : output.contains(answer), output.constData());
    }
};

QTEST_GUILESS_MAIN(TestProgramOptions)
#include "tst_ProgramOptions.moc"

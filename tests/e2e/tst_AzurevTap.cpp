#include "shared/WireFormat.h"

#include "../shared/support/FakeAlertServer.h"
#include "support/TapProcess.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

constexpr int WaitMs = 15000;

// Plays the alert server: logs the tap in, and once its subscriptions are in (the
// login ping comes last), sends the given alerts on its alert stream.
void ServeAlerts(FakeAlertServer &server, const QByteArrayList &alerts)
{
    server.OnRequest = [alerts](FakeAlertClient &client, const TMessageToServer &request) {
        AnswerLoginsAndPings(client, request);
        if (request.Value("command") == "ping" && client.RequestsFor("ping").size() == 1)
            for (const QByteArray &alert : alerts)
                client.SendFrame(client.IdOf("listen_for_alerts"), alert);
    };
}

} // namespace

class TestAzurevTap : public QObject
{
    Q_OBJECT

    QByteArrayList Lines(QProcess &tap, QByteArray &buffer)
    {
        buffer += tap.readAllStandardOutput();
        QByteArrayList lines = buffer.split('\n');
        lines.removeLast(); // the unfinished line, or the empty one behind the last break
        return lines;
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (TapBinary.isEmpty())
            QSKIP("azurev-tap was not built");
    }

    void printsTheAlertsAsJsonLinesInOrder()
    {
        FakeAlertServer server;
        QVERIFY(server.Listening());
        ServeAlerts(server, {"Q1\r\nsymbol=AAPL&last=12.5&time=09%3A31%3A02",
                             "Q2\r\nsymbol=B%26Q&note=say+%22hi%22%3D&junk&last=1\r\nignored",
                             "Q1",
                             // Not UTF-8, so one character per byte; then UTF-8; then controls.
                             "Q1\r\nsymbol=%E9t%C3%A9&name=%C3%A9&note=a%09b%01"});
        QTemporaryDir folder;
        QProcess tap;
        QVERIFY(StartTap(tap, folder.path(), {"--server", server.Address(), "--category", "Q2", "--category",
                                              "Q1", "--user", "ann", "--password-stdin"}));

        QByteArray out;
        QTRY_COMPARE_WITH_TIMEOUT(Lines(tap, out).size(), 4, WaitMs);
        const QByteArrayList lines = Lines(tap, out);
        QCOMPARE(lines[0], QByteArray("{\"category\":\"Q1\",\"symbol\":\"AAPL\",\"last\":\"12.5\",\"time\":\"09:31:02\"}"));
        QCOMPARE(lines[1], QByteArray("{\"category\":\"Q2\",\"symbol\":\"B&Q\",\"note\":\"say+\\\"hi\\\"=\",\"last\":\"1\"}"));
        QCOMPARE(lines[2], QByteArray("{\"category\":\"Q1\"}"));
        QCOMPARE(lines[3], QByteArray("{\"category\":\"Q1\",\"symbol\":\"\xC3\xA9t\xC3\x83\xC2\xA9\","
                                      "\"name\":\"\xC3\xA9\",\"note\":\"a\\tb\\u0001\"}"));
        for (const QByteArray &line : lines) {
            QJsonParseError error;
            QVERIFY(QJsonDocument::fromJson(line, &error).isObject());
        }

        const FakeAlertClient &client = server.Client(0);
        const TMessageToServer login = client.RequestsFor("login").value(0);
        QCOMPARE(login.Value("username"), QByteArray("ann"));
        QCOMPARE(login.Value("password"), QByteArray("secret"));
        const QVector<TMessageToServer> subscriptions = client.RequestsFor("add_alert_category");
        QCOMPARE(subscriptions.size(), 2);
        QCOMPARE(subscriptions[0].Value("category"), QByteArray("Q1"));
        QCOMPARE(subscriptions[1].Value("category"), QByteArray("Q2"));

        QByteArray err;
        QTRY_VERIFY_WITH_TIMEOUT((err += tap.readAllStandardError()).contains("status: Connected!"), WaitMs);
        QVERIFY(!tap.arguments().join(' ').contains(QLatin1String("secret")));

        QVERIFY(EndsCleanlyOn(tap, SIGTERM, WaitMs));
    }

    void takesServerAndCategoriesFromTheIniFile_data()
    {
        QTest::addColumn<QByteArray>("windowCount");
        QTest::addColumn<QByteArrayList>("subscribed");
        QTest::newRow("three windows") << QByteArray("3") << QByteArrayList{"alpha", "Zeta"};
        // A hostile count is cut to the most windows there can be, and the tap still starts.
        QTest::newRow("hostile count") << QByteArray("2147483647") << QByteArrayList{"alpha", "beyond", "Zeta"};
    }

    void takesServerAndCategoriesFromTheIniFile()
    {
        QFETCH(QByteArray, windowCount);
        QFETCH(QByteArrayList, subscribed);
        FakeAlertServer server;
        ServeAlerts(server, {"alpha\r\nsymbol=X"});
        QTemporaryDir folder;
        QFile ini(folder.filePath(QStringLiteral("KVX.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[General]\r\nwindow count=" + windowCount + "\r\n[Connection]\r\naddress=" + server.Address().toUtf8()
                  + "\r\n[Alert Window 0]\r\nsubscription=Zeta\r\n[Alert Window 1]\r\nsubscription=alpha\r\n"
                    "[Alert Window 2]\r\nsubscription=ZETA\r\n[Alert Window 3]\r\nsubscription=beyond\r\n");
        ini.close();
        QProcess tap;
        QVERIFY(StartTap(tap, folder.path(), {"--user", "ann", "--password-stdin"}));

        QByteArray out;
        QTRY_COMPARE_WITH_TIMEOUT(Lines(tap, out).value(0), QByteArray("{\"category\":\"alpha\",\"symbol\":\"X\"}"),
                                  WaitMs);
        QByteArrayList categories;
        for (const TMessageToServer &request : server.Client(0).RequestsFor("add_alert_category"))
            categories.append(request.Value("category"));
        QCOMPARE(categories, subscribed);

        QVERIFY(EndsCleanlyOn(tap, SIGINT, WaitMs));
    }

    void serverTextReachesTheTerminalEscaped()
    {
        FakeAlertServer server;
        QVERIFY(server.Listening());
        // A stop reason that would recolour the terminal, retitle its window and, as C1
        // CSI, clear it.
        server.OnRequest = [](FakeAlertClient &client, const TMessageToServer &request) {
            if (request.Value("command") == "login")
                client.SendFrame(request.Value("message_id").toInt(),
                                 "STOP\r\n\x1b[31mRED\x1b]0;owned\x07 \xc2\x9b" "2J\x7f");
        };
        QTemporaryDir folder;
        QProcess tap;
        QVERIFY(StartTap(tap, folder.path(), {"--server", server.Address(), "--user", "ann", "--password-stdin"}));
        QByteArray err;
        QTRY_VERIFY_WITH_TIMEOUT((err += tap.readAllStandardError()).contains("status: \\x1b[31mRED"), WaitMs);
        tap.terminate();
        QVERIFY(tap.waitForFinished(WaitMs));
        err += tap.readAllStandardError();
        QVERIFY2(err.contains("status: \\x1b[31mRED\\x1b]0;owned\\x07 \\x9b2J\\x7f"), err.constData());
        for (const char control : {'\x1b', '\x07', '\x7f'})
            QVERIFY(!err.contains(control));
        QVERIFY(!err.contains("\xc2\x9b"));
    }

    void refusesToRunWithoutCredentials_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("input");
        QTest::newRow("no user") << QStringList{"--password-stdin"} << QByteArray("secret\n");
        QTest::newRow("no password option") << QStringList{"--user", "ann"} << QByteArray("secret\n");
        QTest::newRow("empty input") << QStringList{"--user", "ann", "--password-stdin"} << QByteArray();
        QTest::newRow("unknown option") << QStringList{"--user", "ann", "--password", "secret"}
                                        << QByteArray("secret\n");
    }

    void refusesToRunWithoutCredentials()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, input);
        QTemporaryDir folder;
        QProcess tap;
        QVERIFY(StartTap(tap, folder.path(), arguments, input));
        QVERIFY(tap.waitForFinished(WaitMs));
        QCOMPARE(tap.exitCode(), 2);
        QVERIFY(tap.readAllStandardOutput().isEmpty());
        QVERIFY(!tap.readAllStandardError().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestAzurevTap)
#include "tst_AzurevTap.moc"

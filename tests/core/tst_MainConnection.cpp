#include "client/core/TMainConnection.h"

#include "shared/LocalClock.h"
#include "shared/WireFormat.h"

#include "../shared/support/FakeAlertServer.h"

#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

#include <stdexcept>

namespace {

constexpr int WaitMs = 10000;

} // namespace

class TestMainConnection : public QObject
{
    Q_OBJECT

    // A connection whose ticks and clock the test drives, talking to the fake server.
    std::unique_ptr<TMainConnection> MakeConnection(FakeAlertServer &server)
    {
        auto connection = std::make_unique<TMainConnection>(
            QStringLiteral("no-such-folder/KVX.ini"), TMainConnection::TTickSource::Caller);
        connection->SetServerAddress(server.Address());
        connection->OnStatusChange = [this, c = connection.get()] { statuses_.append(c->Status()); };
        connection->AddAlertCallback([this](const QByteArray &body) {
            if (body == "marker")
                ++markers_;
        });
        return connection;
    }

    // Logs in as ann and waits until the first session's login, alert stream and first
    // ping have arrived.
    bool LogIn(TMainConnection &connection, FakeAlertServer &server)
    {
        connection.SetUsername("ann");
        connection.SetPassword("secret");
        return QTest::qWaitFor(
            [&] { return server.ClientCount() == 1 && server.Client(0).Requests().size() == 3; }, WaitMs);
    }

    // One tick, half a second after the last one (and a little more, as real timers
    // come late, so that nine ticks are always more than the 4.5 seconds between pings).
    void Tick(TMainConnection &connection)
    {
        now_ += 0.501 / SecondsPerDay;
        connection.TimerTick();
    }

    // Sends the frames, then an alert behind them, and waits for that alert: by then
    // the frames have been handled too.
    bool SendThenAlert(FakeAlertClient &client, const QByteArray &frames)
    {
        const int before = markers_;
        client.SendInflated(frames + EncodeFrame(client.IdOf("listen_for_alerts"), "marker"));
        return QTest::qWaitFor([&] { return markers_ > before; }, WaitMs);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        SetNowFunction([this] { return now_; });
    }
    void cleanupTestCase() { SetNowFunction({}); }

    void init()
    {
        now_ = DateTimeFromQDateTime(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)));
        statuses_.clear();
        markers_ = 0;
    }

    void serverAddressComesFromTheIniFile()
    {
        const TMainConnection unconfigured(QStringLiteral("no-such-folder/KVX.ini"),
                                           TMainConnection::TTickSource::Caller);
        QVERIFY(unconfigured.ServerAddress().endsWith(QLatin1String(":9339")));
        QVERIFY(unconfigured.ServerAddress().size() > 5);

        QTemporaryDir dir;
        QFile ini(dir.filePath(QStringLiteral("KVX.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[General]\r\nwindow count=1\r\n[connection]\r\n ADDRESS = feed.example:7000 \r\n");
        ini.close();
        const TMainConnection configured(ini.fileName(), TMainConnection::TTickSource::Caller);
        QCOMPARE(configured.ServerAddress(), QStringLiteral("feed.example:7000"));
    }

    void categoriesAreSortedIgnoringCaseWithoutDuplicates()
    {
        TMainConnection connection(QStringLiteral("no-such-folder/KVX.ini"),
                                   TMainConnection::TTickSource::Caller);
        for (const char *category : {"beta", "ABC", "", "abc", "Alpha", "gamma", "Beta", "alpha2"})
            connection.AddCategory(category);
        QCOMPARE(connection.Categories(),
                 (QVector<QByteArray>{"ABC", "Alpha", "alpha2", "beta", "gamma"}));
    }

    void loginGoesOutOnOneSessionInItsOrder()
    {
        FakeAlertServer server;
        QVERIFY(server.Listening());
        auto connection = MakeConnection(server);
        QByteArrayList received;
        connection->AddAlertCallback([&](const QByteArray &body) { received.append("first " + body); });
        connection->AddAlertCallback([](const QByteArray &) { throw std::runtime_error("window failed"); });
        connection->AddAlertCallback([&](const QByteArray &body) { received.append("third " + body); });
        for (const char *category : {"beta", "ABC", "abc", "Alpha"})
            connection->AddCategory(category);
        // As the Login button does it: both resets fall into one turn of the loop.
        connection->SetUsername("ann");
        connection->SetPassword("secret");

        QTRY_VERIFY_WITH_TIMEOUT(server.ClientCount() == 1 && server.Client(0).Requests().size() == 6, WaitMs);
        const QVector<TMessageToServer> &requests = server.Client(0).Requests();
        QCOMPARE(RequestText(requests[0]),
                 QByteArray("message_id=1&command=login&username=ann&password=secret&session_id="));
        QCOMPARE(RequestText(requests[1]), QByteArray("message_id=8&command=listen_for_alerts"));
        QCOMPARE(RequestText(requests[2]), QByteArray("command=add_alert_category&category=ABC"));
        QCOMPARE(RequestText(requests[3]), QByteArray("command=add_alert_category&category=Alpha"));
        QCOMPARE(RequestText(requests[4]), QByteArray("command=add_alert_category&category=beta"));
        QCOMPARE(RequestText(requests[5]), QByteArray("message_id=7&command=ping&response=1"));

        // Categories added now wait for the next login.
        connection->AddCategory("late");
        server.Client(0).SendFrame(1, "SESSION ID\r\nS-42");
        server.Client(0).SendFrame(7, "");
        QTRY_COMPARE_WITH_TIMEOUT(connection->Status(), QStringLiteral("Connected!"), WaitMs);
        QCOMPARE(connection->SessionId(), QByteArray("S-42"));
        QCOMPARE(server.ClientCount(), 1);
        QCOMPARE(server.Client(0).RequestsFor("add_alert_category").size(), 3);

        // Every alert goes to every receiver in turn, past one that fails.
        server.Client(0).SendFrame(8, "Q\r\nsymbol=A");
        server.Client(0).SendFrame(8, "Q\r\nsymbol=B");
        QTRY_COMPARE_WITH_TIMEOUT(received.size(), 4, WaitMs);
        QCOMPARE(received, (QByteArrayList{"first Q\r\nsymbol=A", "third Q\r\nsymbol=A",
                                           "first Q\r\nsymbol=B", "third Q\r\nsymbol=B"}));
        connection->DispatchAlert(false, "ignored", TMessageToServer());
        QCOMPARE(received.size(), 4);
    }

    void withoutAPasswordNothingIsSentOrCounted()
    {
        FakeAlertServer server;
        auto connection = MakeConnection(server);
        connection->SetUsername("ann");
        // The session is made and connected, but carries only the opening lines.
        QTRY_COMPARE_WITH_TIMEOUT(server.ClientCount(), 1, WaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(server.Client(0).Raw(), OpeningLines(), WaitMs);
        for (int i = 0; i < 40; ++i)
            Tick(*connection);
        QCoreApplication::processEvents();
        QCOMPARE(server.ClientCount(), 1);
        QCOMPARE(server.Client(0).Requests().size(), 0);
        QVERIFY(!statuses_.contains(QStringLiteral("Disconnected.")));
    }

    void unchangedCredentialsKeepTheSession()
    {
        FakeAlertServer server;
        auto connection = MakeConnection(server);
        QVERIFY(LogIn(*connection, server));
        connection->SetUsername("ann");
        connection->SetPassword("secret");
        // A name differing only in case is a different name.
        connection->SetUsername("Ann");
        QTRY_COMPARE_WITH_TIMEOUT(server.ClientCount(), 2, WaitMs);
        QCOMPARE(server.Client(1).RequestsFor("login").value(0).Value("username"), QByteArray("Ann"));
        QCOMPARE(statuses_, (QStringList{QStringLiteral("Disconnected."), QString()}));
    }

    void pingsKeepTheSessionAndTellTheTime()
    {
        FakeAlertServer server;
        auto connection = MakeConnection(server);
        QVERIFY(LogIn(*connection, server));
        FakeAlertClient &client = server.Client(0);

        // The first timer ping is due 4.5 seconds after the session was made.
        for (int i = 0; i < 8; ++i)
            Tick(*connection);
        QTest::qWait(200);
        QCOMPARE(client.RequestsFor("ping").size(), 1);
        Tick(*connection);
        QTRY_COMPARE_WITH_TIMEOUT(client.RequestsFor("ping").size(), 2, WaitMs);
        const qint32 firstPing = client.IdOf("ping");

        // The next ping cancels the previous one: its late answer changes nothing.
        for (int i = 0; i < 9; ++i)
            Tick(*connection);
        QTRY_COMPARE_WITH_TIMEOUT(client.RequestsFor("ping").size(), 3, WaitMs);
        const qint32 secondPing = client.IdOf("ping");
        QVERIFY(SendThenAlert(client, EncodeFrame(firstPing, "")));
        QCOMPARE(connection->Status(), QString());

        client.SendFrame(secondPing, "");
        QTRY_VERIFY_WITH_TIMEOUT(connection->Status().startsWith(QLatin1String("Working:  2:07:")), WaitMs);
        QVERIFY2(connection->Status().contains(QLatin1String(" PM")), qPrintable(connection->Status()));
    }

    void aSilentServerIsReplacedAfter24Ticks()
    {
        FakeAlertServer server;
        auto connection = MakeConnection(server);
        QVERIFY(LogIn(*connection, server));
        server.Client(0).SendFrame(1, "SESSION ID\r\nS-7");
        QTRY_COMPARE_WITH_TIMEOUT(connection->SessionId(), QByteArray("S-7"), WaitMs);

        // Pings go out but are never answered, except the first one, too late.
        for (int i = 0; i < 24; ++i) {
            Tick(*connection);
            if (i == 20) {
                QTRY_COMPARE_WITH_TIMEOUT(server.Client(0).RequestsFor("ping").size(), 3, WaitMs);
                const qint32 firstTimerPing =
                    server.Client(0).RequestsFor("ping")[1].Value("message_id").toInt();
                QVERIFY(SendThenAlert(server.Client(0), EncodeFrame(firstTimerPing, "")));
            }
        }
        QCOMPARE(server.ClientCount(), 1);
        QVERIFY(!statuses_.contains(QStringLiteral("Disconnected.")));
        Tick(*connection);
        QCOMPARE(connection->Status(), QStringLiteral("Disconnected."));
        QTRY_VERIFY_WITH_TIMEOUT(server.ClientCount() == 2 && server.Client(1).Requests().size() == 3, WaitMs);
        // A restart is no reset: the new login carries the session identifier.
        QCOMPARE(server.Client(1).Requests()[0].Value("session_id"), QByteArray("S-7"));
    }

    void aClosedSessionIsReplacedOnTheNextTick()
    {
        FakeAlertServer server;
        auto connection = MakeConnection(server);
        QVERIFY(LogIn(*connection, server));
        server.Client(0).SendFrame(1, "SESSION ID\r\nS-9");
        server.Client(0).SendFrame(1, "SESSION ID");
        server.Client(0).Close();
        // Tick until the replacement logs in: well before the silence limit would.
        int ticks = 0;
        QTRY_VERIFY_WITH_TIMEOUT((Tick(*connection), ++ticks,
                                  server.ClientCount() == 2 && server.Client(1).Requests().size() == 3),
                                 WaitMs);
        QVERIFY2(ticks < 25, qPrintable(QString::number(ticks)));
        QCOMPARE(server.Client(1).Requests()[0].Value("session_id"), QByteArray("S-9"));
        // A session that ends on its own leaves the status alone.
        QVERIFY(!statuses_.contains(QStringLiteral("Disconnected.")));
    }

    void stopHoldsEverythingUntilReset()
    {
        FakeAlertServer server;
        auto connection = MakeConnection(server);
        QVERIFY(LogIn(*connection, server));
        server.Client(0).SendFrame(1, "STOP\nAccount suspended.\r\nmore");
        QTRY_VERIFY_WITH_TIMEOUT(connection->Stopped(), WaitMs);
        QCOMPARE(connection->Status(), QStringLiteral("Account suspended."));

        for (int i = 0; i < 40; ++i)
            Tick(*connection);
        // Nor is a session that ends replaced while stopped.
        server.Client(0).Close();
        for (int i = 0; i < 10; ++i) {
            QTest::qWait(20);
            Tick(*connection);
        }
        QTest::qWait(100);
        QCOMPARE(server.ClientCount(), 1);
        QCOMPARE(server.Client(0).RequestsFor("ping").size(), 1);
        QCOMPARE(connection->Status(), QStringLiteral("Account suspended."));

        // The same credentials again: while stopped, that is a fresh start.
        connection->SetUsername("ann");
        QVERIFY(!connection->Stopped());
        QCOMPARE(connection->Status(), QString());
        QTRY_VERIFY_WITH_TIMEOUT(server.ClientCount() == 2 && server.Client(1).Requests().size() == 3, WaitMs);
    }

    // Pings answered after the server said STOP must not cover its reason with a
    // "Connected!" or "Working:" that suggests all is well.
    void pingAnswersAfterAStopLeaveTheReasonShown()
    {
        FakeAlertServer server;
        auto connection = MakeConnection(server);
        QVERIFY(LogIn(*connection, server));
        FakeAlertClient &client = server.Client(0);
        for (int i = 0; i < 9; ++i)
            Tick(*connection);
        QTRY_COMPARE_WITH_TIMEOUT(client.RequestsFor("ping").size(), 2, WaitMs);
        const qint32 loginPing = client.RequestsFor("ping")[0].Value("message_id").toInt();
        const qint32 timerPing = client.RequestsFor("ping")[1].Value("message_id").toInt();

        QVERIFY(SendThenAlert(client, EncodeFrame(1, "STOP\r\nAccount suspended.") + EncodeFrame(loginPing, "")
                                          + EncodeFrame(timerPing, "")));
        QVERIFY(connection->Stopped());
        QCOMPARE(connection->Status(), QStringLiteral("Account suspended."));
        QCOMPARE(statuses_, QStringList{QStringLiteral("Account suspended.")});
    }

private:
    TDateTime now_ = 0;
    QStringList statuses_;
    int markers_ = 0;
};

QTEST_GUILESS_MAIN(TestMainConnection)
#include "tst_MainConnection.moc"

#include "client/core/TMainConnection.h"

#include "shared/DebugSink.h"
#include "shared/TIniFile.h"
#include "shared/WireFormat.h"

#include "../shared/support/FakeAlertServer.h"
#include "../shared/support/FakeClock.h"
#include "../shared/support/LoopbackHttpServer.h"
#include "../shared/support/LoopbackTcpServer.h"
#include "../shared/support/DebugCapture.h"
#include "../shared/support/EventLoopSentinel.h"
#include "../shared/support/PostedEvents.h"
#include "../shared/support/WriteWholeFile.h"

#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <stdexcept>

namespace {

constexpr int WaitMs = 10000;

// What a server does with every connection in the back-off rows.
enum class TServerFault { Refuses, SendsBadData, ClosesBeforeTheLoginAnswer };

} // namespace

class TestMainConnection : public QObject
{
    Q_OBJECT

    static TIniFile NoIni() { return TIniFile(QStringLiteral("no-such-folder/KVX.ini")); }

    // A connection whose ticks and clock the test drives, talking to the fake server.
    std::unique_ptr<TMainConnection> MakeConnection(FakeAlertServer &server)
    {
        auto connection = std::make_unique<TMainConnection>(NoIni(), TMainConnection::TTickSource::Caller);
        connection->SetServerAddress(server.Address());
        watches_.push_back(connection->SubscribeStatus([this, c = connection.get()] { statuses_.append(c->Status()); }));
        watches_.push_back(connection->SubscribeAlerts([this](QByteArrayView body) {
            if (body == "marker")
                ++markers_;
        }));
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
        clock_->Advance(501);
        connection.TimerTick();
    }

    // Ticks through the 4.5 seconds between pings and waits until the server has the
    // session's ping number `count`.
    bool TickToPing(TMainConnection &connection, const FakeAlertClient &client, int count)
    {
        for (int i = 0; i < 9; ++i)
            Tick(connection);
        return QTest::qWaitFor([&] { return client.RequestsFor("ping").size() == count; }, WaitMs);
    }

    static QString Connecting(const QString &address)
    {
        return QStringLiteral("Connecting to ") + address + QChar(0x2026);
    }
    static QString Connecting(const FakeAlertServer &server) { return Connecting(server.Address()); }

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
        FakeClock::UseTimeZone("America/New_York");
    }

    void init()
    {
        clock_.emplace();
        watches_.clear();
        statuses_.clear();
        markers_ = 0;
    }

    void serverAddressComesFromTheIniFile()
    {
        const TMainConnection unconfigured(NoIni(), TMainConnection::TTickSource::Caller);
        QVERIFY(unconfigured.ServerAddress().endsWith(QLatin1String(":9339")));
        QVERIFY(unconfigured.ServerAddress().size() > 5);

        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("KVX.ini"));
        QVERIFY(WriteWholeFile(ini, "[General]\r\nwindow count=1\r\n"
                                    "[connection]\r\n ADDRESS = feed.example:7000 \r\n"));
        const TMainConnection configured(TIniFile(ini), TMainConnection::TTickSource::Caller);
        QCOMPARE(configured.ServerAddress(), QStringLiteral("feed.example:7000"));
    }

    void categoriesAreSortedIgnoringCaseWithoutDuplicates()
    {
        TMainConnection connection(NoIni(), TMainConnection::TTickSource::Caller);
        for (const char *category : {"beta", "ABC", "", "abc", "Alpha", "gamma", "Beta", "alpha2"})
            connection.AddCategory(category);
        QCOMPARE(connection.Categories(),
                 (QVector<QByteArray>{"ABC", "Alpha", "alpha2", "beta", "gamma"}));
    }

    void listenersGoWithTheirHandles()
    {
        QByteArrayList received;
        auto captured = std::make_shared<int>(0);
        const std::weak_ptr<int> watch = captured;
        TSubscription outliving;
        {
            TMainConnection connection(NoIni(), TMainConnection::TTickSource::Caller);
            auto &alerts = received;
            std::vector<TSubscription> owned;
            owned.push_back(connection.SubscribeAlerts(
                [&alerts, captured](QByteArrayView body) { alerts << "owned " + body.toByteArray(); }));
            owned.push_back(connection.SubscribeLinkGaps([captured](const TLinkGap &) {}));
            owned.push_back(connection.SubscribeStale([captured] {}));
            const TSubscription unowned =
                connection.SubscribeAlerts([&alerts](QByteArrayView body) { alerts << "unowned " + body.toByteArray(); });
            captured.reset();

            connection.DispatchAlert(true, "a", TMessageToServer());
            owned.clear();
            // All three listeners went, and what they held with them.
            QVERIFY(watch.expired());
            connection.DispatchAlert(true, "b", TMessageToServer());

            // A handle that outlives the connection is no trouble to either.
            outliving = connection.SubscribeStale([] {});
        }
        outliving.Cancel();
        QCOMPARE(received, (QByteArrayList{"owned a", "unowned a", "unowned b"}));
    }

    void loginGoesOutOnOneSessionInItsOrder()
    {
        FakeAlertServer server;
        QVERIFY(server.Listening());
        auto connection = MakeConnection(server);
        QByteArrayList received;
        watches_.push_back(connection->SubscribeAlerts([&](QByteArrayView body) { received.append("first " + body.toByteArray()); }));
        watches_.push_back(connection->SubscribeAlerts([](QByteArrayView) { throw std::runtime_error("window failed"); }));
        watches_.push_back(connection->SubscribeAlerts([&](QByteArrayView body) { received.append("third " + body.toByteArray()); }));
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

    void withoutAPasswordNoConnectionOpens()
    {
        FakeAlertServer server;
        auto connection = MakeConnection(server);
        connection->SetUsername("ann");
        for (int i = 0; i < 40; ++i)
            Tick(*connection);
        // An attempt would begin with a wake-up those ticks posted.
        QVERIFY(HandleEventsPostedSoFar());
        QVERIFY(!connection->Connected());
        QCOMPARE(connection->Status(), QString());
        // The first connection the server sees is the one the password completed.
        connection->SetPassword("secret");
        QTRY_COMPARE_WITH_TIMEOUT(server.ClientCount(), 1, WaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(!server.Client(0).RequestsFor("login").isEmpty(), WaitMs);
        QCOMPARE(server.Client(0).Requests().first().Value("command"), QByteArray("login"));
        QCOMPARE(statuses_, QStringList{Connecting(server)});
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
        // The new session's bytes may come in after its connection was taken.
        QTRY_VERIFY_WITH_TIMEOUT(!server.Client(1).RequestsFor("login").isEmpty(), WaitMs);
        QCOMPARE(server.Client(1).RequestsFor("login").value(0).Value("username"), QByteArray("Ann"));
        QCOMPARE(statuses_, (QStringList{Connecting(server), QStringLiteral("Disconnected."), QString(),
                                         Connecting(server)}));
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
        // A ping those ticks sent would have reached the server before the sentinel.
        QVERIFY(HandleEventsPostedSoFar());
        QVERIFY(EventLoopSentinel::PassThrough());
        QCOMPARE(client.RequestsFor("ping").size(), 1);
        Tick(*connection);
        QTRY_COMPARE_WITH_TIMEOUT(client.RequestsFor("ping").size(), 2, WaitMs);
        const qint32 firstPing = client.IdOf("ping");

        // The next ping cancels the previous one: its late answer changes nothing.
        QVERIFY(TickToPing(*connection, client, 3));
        const qint32 secondPing = client.IdOf("ping");
        QVERIFY(SendThenAlert(client, EncodeFrame(firstPing, "")));
        QCOMPARE(connection->Status(), Connecting(server));

        client.SendFrame(secondPing, "");
        QTRY_VERIFY_WITH_TIMEOUT(connection->Status().startsWith(QLatin1String("Working:  2:07:")), WaitMs);
        QVERIFY2(connection->Status().contains(QLatin1String(" PM")), qPrintable(connection->Status()));
    }

    void theLinkReadoutTimesTheLastPingAndAlert()
    {
        FakeAlertServer server;
        auto connection = MakeConnection(server);
        QVERIFY(!connection->Connected());
        QVERIFY(LogIn(*connection, server));
        QVERIFY(connection->Connected());
        FakeAlertClient &client = server.Client(0);
        // The login's own ping waits for the connection to open: it is not timed.
        client.SendFrame(client.IdOf("ping"), "");
        QTRY_COMPARE_WITH_TIMEOUT(connection->Status(), QStringLiteral("Connected!"), WaitMs);
        QCOMPARE(connection->LinkReadout(), QStringLiteral("ping ") + QChar(0x2013) + QStringLiteral(", no alerts yet"));

        QVERIFY(TickToPing(*connection, client, 2));
        clock_->Advance(1234);
        QVERIFY(SendThenAlert(client, EncodeFrame(client.IdOf("ping"), "")));
        QCOMPARE(connection->PingRoundTripMs(), 1234);

        const std::pair<double, const char *> ages[] = {{0.4, "0 s"}, {59.6, "59 s"}, {61.0, "1 min"}, {7300.0, "2 h"}};
        for (const auto &[seconds, ago] : ages) {
            clock_->Advance(*connection->LastAlertTime() + qRound64(seconds * 1000) - clock_->Steady());
            QCOMPARE(connection->LinkReadout(), QStringLiteral("ping 1,234 ms, last alert %1 ago").arg(QLatin1String(ago)));
        }
    }

    void aSilentServerIsReplacedAfter24Ticks()
    {
        FakeAlertServer server;
        auto connection = MakeConnection(server);
        QVERIFY(LogIn(*connection, server));
        server.Client(0).SendFrame(1, "SESSION ID\r\nS-7");
        QTRY_COMPARE_WITH_TIMEOUT(connection->SessionId(), QByteArray("S-7"), WaitMs);

        // Pings go out but are never answered, except the first one, too late. A new
        // session identifier behind that answer tells when it has been handled (an alert
        // would not do: alerts show the session alive).
        for (int i = 0; i < 24; ++i) {
            Tick(*connection);
            if (i == 20) {
                QTRY_COMPARE_WITH_TIMEOUT(server.Client(0).RequestsFor("ping").size(), 3, WaitMs);
                const qint32 firstTimerPing =
                    server.Client(0).RequestsFor("ping")[1].Value("message_id").toInt();
                server.Client(0).SendInflated(EncodeFrame(firstTimerPing, "") + EncodeFrame(1, "SESSION ID\r\nS-8"));
                QTRY_COMPARE_WITH_TIMEOUT(connection->SessionId(), QByteArray("S-8"), WaitMs);
            }
        }
        QCOMPARE(server.ClientCount(), 1);
        QVERIFY(!statuses_.contains(QStringLiteral("Disconnected.")));
        Tick(*connection);
        QCOMPARE(connection->Status(), QStringLiteral("Disconnected."));
        QTRY_VERIFY_WITH_TIMEOUT(server.ClientCount() == 2 && server.Client(1).Requests().size() == 3, WaitMs);
        // A restart is no reset: the new login carries the session identifier.
        QCOMPARE(server.Client(1).Requests()[0].Value("session_id"), QByteArray("S-8"));
    }

    void aWallClockChangeNeitherStopsPingsNorReplacesTheSession_data()
    {
        QTest::addColumn<QDateTime>("start");
        QTest::addColumn<qint64>("wallStepMs"); // made before the 20th tick
        QTest::addColumn<bool>("alertsFlow");
        QTest::addColumn<QString>("shownAtTheEnd");
        // New York: 2026-03-08 02:00 EST becomes 03:00 EDT, 2026-11-01 02:00 EDT 01:00 EST.
        const QDateTime springChange(QDate(2026, 3, 8), QTime(6, 59, 50), Qt::UTC);
        const QDateTime autumnChange(QDate(2026, 11, 1), QTime(5, 59, 50), Qt::UTC);
        const QDateTime plainDay(QDate(2024, 3, 5), QTime(19, 7, 9), Qt::UTC);
        constexpr qint64 TwoHoursMs = 2 * 3600 * 1000;
        QTest::newRow("spring change") << springChange << qint64(0) << false << "3:00:12 AM";
        QTest::newRow("autumn change") << autumnChange << qint64(0) << false << "1:00:12 AM";
        QTest::newRow("autumn change, alerts flowing") << autumnChange << qint64(0) << true << "1:00:12 AM";
        QTest::newRow("set back 2 h") << plainDay << -TwoHoursMs << false << "12:07:31 PM";
        QTest::newRow("set back 2 h, alerts flowing") << plainDay << -TwoHoursMs << true << "12:07:31 PM";
        QTest::newRow("set forward 2 h") << plainDay << TwoHoursMs << false << "4:07:31 PM";
    }

    void aWallClockChangeNeitherStopsPingsNorReplacesTheSession()
    {
        QFETCH(QDateTime, start);
        QFETCH(qint64, wallStepMs);
        QFETCH(bool, alertsFlow);
        QFETCH(QString, shownAtTheEnd);
        clock_.emplace(start);
        FakeAlertServer server;
        // Every ping answer is followed by a new session identifier, which tells the
        // test when the answer has been handled.
        int answers = 0;
        server.OnRequest = [&answers](FakeAlertClient &client, const TMessageToServer &request) {
            AnswerLoginsAndPings(client, request);
            if (request.Value("command") == "ping")
                client.SendFrame(client.IdOf("login"), "SESSION ID\r\nS-" + QByteArray::number(++answers));
        };
        auto connection = MakeConnection(server);
        QVERIFY(LogIn(*connection, server));
        QTRY_COMPARE_WITH_TIMEOUT(connection->SessionId(), QByteArray("S-1"), WaitMs);

        // A ping every nine ticks, each answered before the next tick.
        for (int tick = 1; tick <= 45; ++tick) {
            if (tick == 20)
                clock_->StepWall(wallStepMs);
            Tick(*connection);
            if (alertsFlow && tick % 5 == 0)
                QVERIFY(SendThenAlert(server.Client(0), {}));
            if (tick % 9 == 0)
                QTRY_COMPARE_WITH_TIMEOUT(connection->SessionId(), "S-" + QByteArray::number(1 + tick / 9), WaitMs);
        }
        QCOMPARE(server.ClientCount(), 1);
        QVERIFY(!statuses_.contains(QStringLiteral("Disconnected.")));
        QVERIFY2(connection->Status().startsWith(QStringLiteral("Working:  ") + shownAtTheEnd),
                 qPrintable(connection->Status()));
    }

    void aWallClockSetBackDoesNotStretchTheReconnectWait()
    {
        FakeAlertServer server;
        const QString address = server.Address();
        server.StopListening();
        auto connection = MakeConnection(server);
        connection->SetServerAddress(address);
        connection->SetUsername("ann");
        connection->SetPassword("secret");
        QTRY_VERIFY_WITH_TIMEOUT((Tick(*connection), connection->Status().contains(QLatin1String("Reconnecting in"))),
                                 WaitMs);
        const int attempts = int(statuses_.count(Connecting(address)));

        clock_->StepWall(-2 * 3600 * 1000);
        Tick(*connection);
        // The first wait is about a second: three ticks see the next attempt.
        QVERIFY2(connection->Status().endsWith(QLatin1String("Reconnecting in 1 s")), qPrintable(connection->Status()));
        for (int i = 0; i < 3; ++i)
            Tick(*connection);
        QTRY_COMPARE_WITH_TIMEOUT(int(statuses_.count(Connecting(address))), attempts + 1, WaitMs);
    }

    void alertsKeepASessionAliveWhileItsPingAnswersAreWithheld()
    {
        FakeAlertServer server;
        auto connection = MakeConnection(server);
        QVERIFY(LogIn(*connection, server));
        // Far more than 24 ticks, no ping answered, an alert every 20 ticks.
        for (int i = 1; i <= 60; ++i) {
            Tick(*connection);
            if (i % 20 == 0)
                QVERIFY(SendThenAlert(server.Client(0), {}));
        }
        QTRY_VERIFY_WITH_TIMEOUT(server.Client(0).RequestsFor("ping").size() > 3, WaitMs);
        // Silence counts from the last alert.
        for (int i = 0; i < 24; ++i)
            Tick(*connection);
        QCOMPARE(server.ClientCount(), 1);
        QVERIFY(!statuses_.contains(QStringLiteral("Disconnected.")));
        Tick(*connection);
        QCOMPARE(connection->Status(), QStringLiteral("Disconnected."));
    }

    void emptyAlertFramesShowNoLife()
    {
        FakeAlertServer server;
        auto connection = MakeConnection(server);
        QVERIFY(LogIn(*connection, server));
        const qint32 alerts = server.Client(0).IdOf("listen_for_alerts");
        // Empty frames every 8 ticks, no ping answered; a new session identifier behind
        // them tells when they have been handled.
        for (int i = 1; i <= 24; ++i) {
            Tick(*connection);
            if (i % 8 == 0) {
                const QByteArray id = "S-" + QByteArray::number(i);
                server.Client(0).SendInflated(EncodeFrame(alerts, "") + EncodeFrame(alerts, "")
                                              + EncodeFrame(1, "SESSION ID\r\n" + id));
                QTRY_COMPARE_WITH_TIMEOUT(connection->SessionId(), id, WaitMs);
            }
        }
        QCOMPARE(server.ClientCount(), 1);
        Tick(*connection);
        QCOMPARE(connection->Status(), QStringLiteral("Disconnected."));
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
        // The user is told the link went down, and that it is being made again.
        QCOMPARE(statuses_, (QStringList{Connecting(server), QStringLiteral("Disconnected."), Connecting(server)}));
    }

    void aLostLinkIsStaleUntilAlertsFlowAndItsGapIsToldOnce_data()
    {
        QTest::addColumn<bool>("alertsBefore");
        QTest::addColumn<bool>("userResets");
        QTest::addColumn<bool>("gapTold");
        QTest::newRow("alerts, then the server closes") << true << false << true;
        QTest::newRow("no alerts, then the server closes") << false << false << false;
        QTest::newRow("alerts, then the user resets") << true << true << false;
    }

    void aLostLinkIsStaleUntilAlertsFlowAndItsGapIsToldOnce()
    {
        QFETCH(bool, alertsBefore);
        QFETCH(bool, userResets);
        QFETCH(bool, gapTold);
        FakeAlertServer server;
        auto connection = MakeConnection(server);
        QVector<TLinkGap> gaps;
        const TSubscription gapWatch = connection->SubscribeLinkGaps([&gaps](const TLinkGap &gap) { gaps << gap; });
        QVERIFY(LogIn(*connection, server));
        FakeAlertClient &first = server.Client(0);
        first.SendFrame(first.IdOf("login"), "SESSION ID\r\nS-1");
        QTRY_COMPARE_WITH_TIMEOUT(connection->SessionId(), QByteArray("S-1"), WaitMs);
        if (alertsBefore)
            QVERIFY(SendThenAlert(first, {}));
        QVERIFY(!connection->Stale());

        TDateTime lost = 0;
        if (userResets) {
            connection->ResetConnection();
        } else {
            first.Close();
            // Ticks until the one that reaps the closed session.
            QVERIFY(QTest::qWaitFor([&] { return Tick(*connection), connection->Stale(); }, WaitMs));
            lost = clock_->Wall();
        }
        QTRY_VERIFY_WITH_TIMEOUT((Tick(*connection), server.ClientCount() == 2 && server.Client(1).Requests().size() == 3),
                                 WaitMs);
        FakeAlertClient &second = server.Client(1);
        clock_->Advance(2000);
        const TDateTime back = clock_->Wall();
        second.SendFrame(second.IdOf("login"), "SESSION ID\r\nS-2");
        QTRY_COMPARE_WITH_TIMEOUT(connection->SessionId(), QByteArray("S-2"), WaitMs);
        // Logged in again, but nothing has come yet: what the windows show is still old.
        QCOMPARE(connection->Stale(), !userResets);
        QVERIFY(gaps.isEmpty());

        clock_->Advance(1000);
        QVERIFY(SendThenAlert(second, {}));
        QVERIFY(SendThenAlert(second, {}));
        QVERIFY(!connection->Stale());
        QCOMPARE(gaps.size(), gapTold ? 1 : 0);
        if (gapTold) {
            QCOMPARE(gaps[0].Lost, lost);
            QCOMPARE(gaps[0].Back, back);
        }
    }

    void failedAttemptsBackOffAndSayWhy_data()
    {
        QTest::addColumn<TServerFault>("fault");
        QTest::addColumn<QString>("reason");
        QTest::newRow("refused") << TServerFault::Refuses << QStringLiteral("Connection refused.");
        QTest::newRow("bad data") << TServerFault::SendsBadData
                                  << QStringLiteral("Invalid data from server: ");
        QTest::newRow("closed before the login answer")
            << TServerFault::ClosesBeforeTheLoginAnswer << QStringLiteral("Unexpected disconnect from server.");
    }

    void failedAttemptsBackOffAndSayWhy()
    {
        QFETCH(TServerFault, fault);
        QFETCH(QString, reason);
        FakeAlertServer server;
        server.OnRequest = [fault](FakeAlertClient &client, const TMessageToServer &request) {
            if (request.Value("command") != "login")
                return;
            if (fault == TServerFault::SendsBadData)
                client.SendRaw(QByteArray(16, char(0xFF)));
            else
                client.Close();
        };
        const QString address = server.Address();
        if (fault == TServerFault::Refuses)
            server.StopListening();
        auto connection = MakeConnection(server);
        connection->SetServerAddress(address);
        const TDebugCapture debug;
        connection->SetUsername("ann");
        connection->SetPassword("secret");

        // A minute of ticks. An attempt a tick starts has played out before the next
        // tick: the server has seen its connection end (a refusal has nothing to see),
        // and the sentinel comes back after the client has seen it too.
        for (int tick = 0; tick < 120; ++tick) {
            const int attemptsBefore = int(statuses_.count(Connecting(address)));
            Tick(*connection);
            QVERIFY(HandleEventsPostedSoFar());
            if (statuses_.count(Connecting(address)) == attemptsBefore)
                continue;
            if (fault != TServerFault::Refuses)
                QTRY_VERIFY_WITH_TIMEOUT(server.ClientCount() > attemptsBefore && server.LastClient().Closed(), WaitMs);
            QVERIFY(EventLoopSentinel::PassThrough());
        }
        const int attempts = int(statuses_.count(Connecting(address)));
        QVERIFY2(attempts >= 5 && attempts <= 10, qPrintable(QString::number(attempts)));
        if (fault != TServerFault::Refuses)
            QCOMPARE(server.ClientCount(), attempts);
        // Bad data is reported once per session that received it.
        QCOMPARE(int(debug.Lines().size()), fault == TServerFault::SendsBadData ? attempts : 0);

        // Every wait names its reason and its length, and the waits grow.
        const QString cannotReach = QStringLiteral("Cannot reach ") + address + QStringLiteral(": ") + reason;
        int longestWait = 0;
        for (const QString &status : std::as_const(statuses_)) {
            if (status == Connecting(address))
                continue;
            QVERIFY2(status.startsWith(cannotReach), qPrintable(status));
            const int wait = status.section(QStringLiteral("Reconnecting in "), 1).section(u' ', 0, 0).toInt();
            QVERIFY2(status.endsWith(QStringLiteral(". Reconnecting in %1 s").arg(wait)) && wait > 0,
                     qPrintable(status));
            longestWait = std::max(longestWait, wait);
        }
        QVERIFY2(longestWait >= 13 && longestWait <= 30, qPrintable(QString::number(longestWait)));
        QVERIFY(!statuses_.contains(QStringLiteral("Disconnected.")));
        if (fault == TServerFault::Refuses)
            return;

        // A server that answers the login ends the waiting: when that session drops,
        // the next one starts on the next tick.
        server.AnswerAsTheRealServer();
        QTRY_VERIFY_WITH_TIMEOUT((Tick(*connection), connection->Status() == QStringLiteral("Connected!")), WaitMs);
        const int clients = server.ClientCount();
        server.LastClient().Close();
        QTRY_VERIFY_WITH_TIMEOUT(!connection->Connected(), WaitMs);
        Tick(*connection);
        QCOMPARE(connection->Status(), QStringLiteral("Disconnected."));
        QTRY_COMPARE_WITH_TIMEOUT(server.ClientCount(), clients + 1, WaitMs);
    }

    void anUnansweredLoginCountsAsAFailedAttempt()
    {
        // Takes every connection and never answers.
        FakeAlertServer server;
        auto connection = MakeConnection(server);
        QVERIFY(LogIn(*connection, server));

        // Each silent attempt is given up after 25 ticks and the next one waits,
        // longer each time, as after a refusal.
        QVector<int> waits;
        for (int attempt = 1; attempt <= 2; ++attempt) {
            for (int i = 0; i < 25; ++i)
                Tick(*connection);
            QVERIFY2(connection->Status().startsWith(QStringLiteral("Cannot reach ") + server.Address()
                                                     + QStringLiteral(": the server did not answer. Reconnecting in ")),
                     qPrintable(connection->Status()));
            int ticks = 0;
            while (statuses_.last() != Connecting(server) && ticks < 100) {
                Tick(*connection);
                QCoreApplication::processEvents();
                ++ticks;
            }
            waits.append(ticks);
            QTRY_COMPARE_WITH_TIMEOUT(server.ClientCount(), attempt + 1, WaitMs);
        }
        QVERIFY2(waits[0] >= 2 && waits[1] > waits[0], qPrintable(QStringLiteral("%1 %2").arg(waits[0]).arg(waits[1])));
        QVERIFY(!statuses_.contains(QStringLiteral("Disconnected.")));
    }

    void aTunnelThatFailsSaysWhyAsTcpDoes_data()
    {
        QTest::addColumn<bool>("listening");
        QTest::addColumn<QString>("reason");
        QTest::newRow("refused") << false << QStringLiteral("Connection refused.");
        QTest::newRow("upload address on another port")
            << true << QStringLiteral("the server named an upload address on another host.");
    }

    void aTunnelThatFailsSaysWhyAsTcpDoes()
    {
        QFETCH(bool, listening);
        QFETCH(QString, reason);
        LoopbackHttpServer server;
        LoopbackHttpServer elsewhere;
        const QString port = listening ? QString::number(server.Port()) : LoopbackTcpServer::UnusedPortText();
        const QString tunnel = QStringLiteral("http://127.0.0.1:%1/tunnel").arg(port);
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("KVX.ini"));
        QVERIFY(WriteWholeFile(ini, "[Connection]\r\ntunnel=" + tunnel.toLatin1() + "\r\n"));
        TMainConnection connection(TIniFile(ini), TMainConnection::TTickSource::Caller);
        connection.SetUsername("ann");
        connection.SetPassword("secret");
        if (listening) {
            QVERIFY(server.WaitForCount(1));
            server.StartStream(0);
            server.StreamPiece(0, "AZUREV TUNNEL\r\n" + elsewhere.Url("/up") + "\r\n");
        }

        const QString cannotReach = QStringLiteral("Cannot reach ") + tunnel + QStringLiteral(": ") + reason
                                    + QStringLiteral(" Reconnecting in ");
        QTRY_VERIFY2_WITH_TIMEOUT((Tick(connection), connection.Status().startsWith(cannotReach)),
                                  qPrintable(connection.Status()), WaitMs);
        QCOMPARE(elsewhere.Connections(), 0);
    }

    void stopHoldsEverythingUntilReset()
    {
        FakeAlertServer server;
        auto connection = MakeConnection(server);
        QVERIFY(LogIn(*connection, server));
        // The reason in Latin-1, as an older server sends it.
        server.Client(0).SendFrame(1, "STOP\nCompte ferm\xE9.\r\nmore");
        QTRY_VERIFY_WITH_TIMEOUT(connection->Stopped(), WaitMs);
        QCOMPARE(connection->Status(), QStringLiteral("Compte ferm\u00e9."));

        for (int i = 0; i < 40; ++i)
            Tick(*connection);
        // Nor is a session that ends replaced while stopped.
        server.Client(0).Close();
        QTRY_VERIFY_WITH_TIMEOUT(!connection->Connected(), WaitMs);
        for (int i = 0; i < 10; ++i)
            Tick(*connection);
        // A new attempt would start from a wake-up these ticks posted, and say so first.
        QVERIFY(HandleEventsPostedSoFar());
        QCOMPARE(server.ClientCount(), 1);
        QCOMPARE(server.Client(0).RequestsFor("ping").size(), 1);
        QCOMPARE(connection->Status(), QStringLiteral("Compte ferm\u00e9."));

        // The same credentials again: while stopped, that is a fresh start.
        connection->SetUsername("ann");
        QVERIFY(!connection->Stopped());
        QCOMPARE(connection->Status(), QString());
        QTRY_VERIFY_WITH_TIMEOUT(server.ClientCount() == 2 && server.Client(1).Requests().size() == 3, WaitMs);
    }

    void aStopWithoutAReasonStillSaysSo_data()
    {
        QTest::addColumn<QByteArray>("answer");
        QTest::newRow("one line") << QByteArray("STOP");
        QTest::newRow("empty reason") << QByteArray("STOP\r\n\r\nmore");
    }

    void aStopWithoutAReasonStillSaysSo()
    {
        QFETCH(QByteArray, answer);
        FakeAlertServer server;
        auto connection = MakeConnection(server);
        QVERIFY(LogIn(*connection, server));
        server.Client(0).SendFrame(1, answer);
        QTRY_VERIFY_WITH_TIMEOUT(connection->Stopped(), WaitMs);
        QCOMPARE(connection->Status(), QStringLiteral("The server refused the login."));
    }

    // Pings answered after the server said STOP must not cover its reason with a
    // "Connected!" or "Working:" that suggests all is well.
    void pingAnswersAfterAStopLeaveTheReasonShown()
    {
        FakeAlertServer server;
        auto connection = MakeConnection(server);
        QVERIFY(LogIn(*connection, server));
        FakeAlertClient &client = server.Client(0);
        QVERIFY(TickToPing(*connection, client, 2));
        const qint32 loginPing = client.RequestsFor("ping")[0].Value("message_id").toInt();
        const qint32 timerPing = client.RequestsFor("ping")[1].Value("message_id").toInt();

        QVERIFY(SendThenAlert(client, EncodeFrame(1, "STOP\r\nAccount suspended.") + EncodeFrame(loginPing, "")
                                          + EncodeFrame(timerPing, "")));
        QVERIFY(connection->Stopped());
        QCOMPARE(connection->Status(), QStringLiteral("Account suspended."));
        QCOMPARE(statuses_, (QStringList{Connecting(server), QStringLiteral("Account suspended.")}));
    }

private:
    std::optional<FakeClock> clock_;
    QStringList statuses_;
    int markers_ = 0;
    // The fixture's own listeners, dropped before the next test.
    std::vector<TSubscription> watches_;
};

QTEST_GUILESS_MAIN(TestMainConnection)
#include "tst_MainConnection.moc"

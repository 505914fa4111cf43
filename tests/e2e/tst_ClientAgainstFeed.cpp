#include "support/AlertFieldChecks.h"
#include "support/TapProcess.h"
#include "support/TFeedProcess.h"
#include "support/TRawAlertClient.h"

#include "../shared/support/DebugCapture.h"
#include "../shared/support/EventLoopSentinel.h"
#include "../shared/support/FakeClock.h"
#include "../shared/support/TransportTo.h"

#include "client/core/TWindowList.h"
#include "client/core/kinds/NewestFirstKinds.h"
#include "client/core/kinds/TBandSetKind.h"
#include "client/core/kinds/TopListKinds.h"
#include "client/core/TMainConnection.h"
#include "client/core/TSortedSymbolList.h"
#include "shared/DebugSink.h"
#include "shared/TIniFile.h"
#include "shared/TTalkWithServer.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int WaitMs = 15000;
// A session is replaced after 25 silent ticks; a replacement in fewer was the reaper's.
constexpr int SilenceLimitTicks = 25;
// Ticks come a little over half a second apart: any nine in a row hold exactly one ping.
constexpr int TicksPerPing = 9;

const QString CorruptStreamReport = QStringLiteral(
    "Class=EZDecompressionError, Message=data error, "
    "Location=TalkWithServer, TTalkWithServer.ServerConnectionDataAvailable");

// One alert window of every kind, as the feed is told to serve them and as a window's
// "display" setting names them.
struct TWindowKind
{
    QByteArray Category;
    QString Display;
};

const QVector<TWindowKind> EveryKind = {
    {"QuickStrike", QStringLiteral("default")},  {"Bollinger", QStringLiteral("set")},
    {"SymbolMatrix", QStringLiteral("symbol")},  {"PointsLeaders", QStringLiteral("pointslist")},
    {"SimpleList", QStringLiteral("simplelist")}, {"JF", QStringLiteral("jf-simplelist")},
    {"TopList", QStringLiteral("smb")},
};

QStringList CategoryArguments(const QVector<TWindowKind> &kinds)
{
    QStringList arguments;
    for (const TWindowKind &kind : kinds)
        arguments << QStringLiteral("--category") << QString::fromUtf8(kind.Category) + u'=' + kind.Display;
    return arguments;
}

// One request as the feed's --record file has it.
struct TRecordedRequest
{
    int Connection = 0;
    QJsonObject Request;

    QString Value(const char *key) const { return Request[QLatin1String(key)].toString(); }
};

// The complete lines of the record so far; connection 0 matches every connection.
QVector<TRecordedRequest> Recorded(const QString &path, const char *command, int connection = 0)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QVector<TRecordedRequest> requests;
    const QByteArray content = file.readAll();
    // The feed may be writing a line right now; only finished ones count.
    for (const QByteArray &line : content.left(content.lastIndexOf('\n') + 1).split('\n')) {
        const QJsonObject object = QJsonDocument::fromJson(line).object();
        TRecordedRequest request{object[QLatin1String("connection")].toInt(),
                                 object[QLatin1String("request")].toObject()};
        if (request.Value("command") == QLatin1String(command)
            && (connection == 0 || request.Connection == connection))
            requests.append(request);
    }
    return requests;
}

bool AllFinite(std::initializer_list<double> values)
{
    for (const double value : values)
        if (!std::isfinite(value))
            return false;
    return true;
}

QString FieldString(const QHash<QByteArray, QByteArray> &fields, const QByteArray &key)
{
    return QString::fromUtf8(fields.value(key));
}

int ListedCount(const QHash<QByteArray, QByteArray> &fields)
{
    int count = 0;
    while (count < 1000 && !fields.value(Indexed("symbol", count)).isEmpty())
        ++count;
    return count;
}

// The alert windows' lists, one window of every kind, fed as the windows are fed, with
// every body kept per category so the lists can be checked against what arrived.
class TWindowLists
{
public:
    explicit TWindowLists(const QVector<TWindowKind> &kinds)
    {
        for (const TWindowKind &kind : kinds) {
            auto lists = std::make_unique<TWindowList>(exclude_);
            lists->SetSubscription(kind.Category);
            lists->SetDisplay(kind.Display);
            windows_.push_back(std::move(lists));
        }
    }

    void HandleAlert(const QByteArray &body)
    {
        bodies_[AlertCategory(body)].append(body);
        for (const std::unique_ptr<TWindowList> &window : windows_)
            window->HandleAlert(body);
    }

    // The list of the category's window, read as the kind it must have.
    template <typename Kind>
    const auto &Entries(const QByteArray &category) const
    {
        for (const std::unique_ptr<TWindowList> &window : windows_)
            if (window->Subscription() == category)
                return dynamic_cast<const Kind &>(window->Kind()).Entries();
        Q_UNREACHABLE();
    }
    QVector<QByteArray> Categories() const
    {
        QVector<QByteArray> categories;
        for (const std::unique_ptr<TWindowList> &window : windows_)
            categories.append(window->Subscription());
        return categories;
    }
    QVector<QByteArray> Bodies(const QByteArray &category) const { return bodies_.value(category); }
    int CategoryCount() const { return int(bodies_.size()); }
    int Total() const
    {
        int total = 0;
        for (const QVector<QByteArray> &bodies : bodies_)
            total += int(bodies.size());
        return total;
    }

private:
    TSortedSymbolList exclude_;
    std::vector<std::unique_ptr<TWindowList>> windows_;
    QHash<QByteArray, QVector<QByteArray>> bodies_;
};

} // namespace

class TestClientAgainstFeed : public QObject
{
    Q_OBJECT

    // A connection whose ticks and clock the test drives, logging in as anna. Its
    // address comes from the ini file, or from port when that is given; the windows,
    // when given, subscribe and get the alerts.
    std::unique_ptr<TMainConnection> LogIn(quint16 port, TWindowLists *windows = nullptr,
                                           const QString &iniFileName = QStringLiteral("no-such-folder/KVX.ini"))
    {
        auto connection =
            std::make_unique<TMainConnection>(TIniFile(iniFileName), TMainConnection::TTickSource::Caller);
        if (port != 0)
            connection->SetServerAddress(QStringLiteral("127.0.0.1:%1").arg(port));
        subscriptions_.push_back(connection->SubscribeStatus([this, c = connection.get()] { statuses_.append(c->Status()); }));
        if (windows) {
            subscriptions_.push_back(
                connection->SubscribeAlerts([windows](QByteArrayView body) { windows->HandleAlert(body.toByteArray()); }));
            for (const QByteArray &category : windows->Categories())
                connection->AddCategory(category);
        }
        connection->SetUsername("anna");
        connection->SetPassword("secret");
        return connection;
    }

    // One tick, a little over half a second after the last one, so that nine ticks are
    // always past the 4.5 seconds between pings.
    void Tick(TMainConnection &connection)
    {
        clock_->Advance(501);
        connection.TimerTick();
    }

    // Nine ticks, so one of them pings, then the event loop until the ping's answer
    // shows in the status. False when it did not come.
    bool TicksThroughAnAnsweredPing(TMainConnection &connection)
    {
        const qsizetype before = statuses_.size();
        for (int tick = 0; tick < TicksPerPing; ++tick)
            Tick(connection);
        return QTest::qWaitFor([this, before] {
            return statuses_.size() > before && statuses_.last().startsWith(QLatin1String("Working:  "));
        }, WaitMs);
    }

    // Ticks until done holds, giving the event loop up to a second after each tick.
    // The number of ticks it took, or -1 when maxTicks were not enough.
    int TickUntil(TMainConnection &connection, const std::function<bool()> &done, int maxTicks)
    {
        for (int ticks = 1; ticks <= maxTicks; ++ticks) {
            Tick(connection);
            if (QTest::qWaitFor(done, 1000))
                return ticks;
        }
        return -1;
    }

    void CheckNewestFirstQuickStrikeList(const TQuickStrikeEntries &entries,
                                         const QVector<QByteArray> &bodies)
    {
        QCOMPARE(entries.size(), bodies.size());
        for (int i = 0; i < entries.size(); ++i) {
            const QHash<QByteArray, QByteArray> fields = AlertFields(bodies[bodies.size() - 1 - i]);
            const TQuickStrikeEntry &entry = entries[i];
            QVERIFY(!entry.Symbol.isEmpty());
            QCOMPARE(entry.Symbol.Bytes(), FieldString(fields, "symbol"));
            QVERIFY(AllFinite({entry.Last, entry.PrevClose, entry.Divergence}));
            QVERIFY(entry.Last > 0 && entry.PrevClose > 0);
            QCOMPARE(entry.Last, fields.value("last").toDouble());
            // Decoded, whether or not its colons came percent-encoded.
            QVERIFY2(IsTime(entry.Time, true), qPrintable(entry.Time.Bytes()));
        }
    }

    void CheckSimpleList(const TPointsTopListEntries &entries, const QVector<QByteArray> &bodies)
    {
        QCOMPARE(entries.size(), bodies.size());
        for (int i = 0; i < entries.size(); ++i) {
            const QHash<QByteArray, QByteArray> fields = AlertFields(bodies[bodies.size() - 1 - i]);
            QVERIFY(!entries[i].Symbol.isEmpty());
            QCOMPARE(entries[i].Symbol.Bytes(), FieldString(fields, "symbol"));
            QVERIFY(AllFinite({entries[i].Last, entries[i].Change}));
            QCOMPARE(entries[i].Change, fields.value("change").toDouble());
        }
    }

    void CheckJFList(const TJFEntries &entries, const QVector<QByteArray> &bodies)
    {
        QCOMPARE(entries.size(), bodies.size());
        for (int i = 0; i < entries.size(); ++i) {
            const QHash<QByteArray, QByteArray> fields = AlertFields(bodies[bodies.size() - 1 - i]);
            const TJFEntry &entry = entries[i];
            QCOMPARE(entry.Symbol.Bytes(), FieldString(fields, "symbol"));
            QVERIFY(!entry.Symbol.isEmpty());
            QVERIFY2(IsTime(entry.Time, false), qPrintable(entry.Time.Bytes()));
            QVERIFY(AllFinite({entry.Change, entry.BB, entry.Rank, entry.RV}));
            QVERIFY(entry.Rank >= 0 && entry.Rank <= 1);
            QVERIFY(entry.Count >= 1);
            QVERIFY(entry.Volume > 0);
            QCOMPARE(entry.Volume, fields.value("volume").toInt());
        }
    }

    // Replaced by every alert: the list is the last alert's rows, biggest gain first.
    void CheckPointsList(const TPointsTopListEntries &entries, const QByteArray &lastBody)
    {
        const QHash<QByteArray, QByteArray> fields = AlertFields(lastBody);
        QVERIFY(entries.size() >= 5);
        QCOMPARE(entries.size(), ListedCount(fields));
        for (int i = 0; i < entries.size(); ++i) {
            QCOMPARE(entries[i].Symbol.Bytes(), FieldString(fields, Indexed("symbol", i)));
            QVERIFY(AllFinite({entries[i].Last, entries[i].Change}));
            if (i > 0)
                QVERIFY(entries[i].Change <= entries[i - 1].Change);
        }
    }

    void CheckFullTopList(const TSmbTopListEntries &entries, const QByteArray &lastBody)
    {
        const QHash<QByteArray, QByteArray> fields = AlertFields(lastBody);
        QVERIFY(entries.size() >= 20);
        QCOMPARE(entries.size(), ListedCount(fields));
        for (int i = 0; i < entries.size(); ++i) {
            const TSmbTopListEntry &entry = entries[i];
            QCOMPARE(entry.Symbol, FieldString(fields, Indexed("symbol", i)));
            if (entry.Symbol == "-")
                continue; // the separator row carries no numbers
            QVERIFY2(AllFinite({entry.PriceSpike, entry.VolRate, entry.TodaysRange, entry.OpeningRange,
                                entry.Strength, entry.UpTrend, entry.NearHigh, entry.NearLow,
                                entry.NewHigh, entry.NewLow, entry.Last, entry.Change}),
                     qPrintable(entry.Symbol));
            QCOMPARE(entry.Strength, fields.value(Indexed("strength", i)).toDouble());
            QCOMPARE(entry.Count, fields.value(Indexed("count", i)).toInt());
        }
    }

    // One row per symbol that was added and not deleted since, with the values of its
    // latest "add", largest distance from the band first.
    void CheckBandSet(const TBollingerEntries &entries, const QVector<QByteArray> &bodies)
    {
        QHash<QString, QHash<QByteArray, QByteArray>> expected;
        for (const QByteArray &body : bodies) {
            const QHash<QByteArray, QByteArray> fields = AlertFields(body);
            if (fields.value("action") == "add")
                expected.insert(FieldString(fields, "symbol"), fields);
            else
                expected.remove(FieldString(fields, "symbol"));
        }
        QCOMPARE(entries.size(), expected.size());
        for (int i = 0; i < entries.size(); ++i) {
            const TBollingerEntry &entry = entries[i];
            QVERIFY2(expected.contains(entry.Symbol), qPrintable(entry.Symbol));
            const QHash<QByteArray, QByteArray> &fields = expected[entry.Symbol];
            QVERIFY(AllFinite({entry.Last, entry.PrevClose, entry.DistFromBB}));
            QCOMPARE(entry.Last, fields.value("last").toDouble());
            QCOMPARE(entry.DistFromBB, fields.value("dist_from_bb").toDouble());
            if (i > 0)
                QVERIFY(std::fabs(entry.DistFromBB) <= std::fabs(entries[i - 1].DistFromBB));
        }
    }

    static int BandSetDeletes(const QVector<QByteArray> &bodies)
    {
        int deletes = 0;
        for (const QByteArray &body : bodies)
            deletes += AlertFields(body).value("action") == "delete" ? 1 : 0;
        return deletes;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }

    void init()
    {
        clock_.emplace();
        statuses_.clear();
    }

    void alertsOfEveryKindFillTheirWindowsAndPingsAreAnswered()
    {
        TFeedProcess feed;
        const QString record = feed.TempPath(QStringLiteral("requests.jsonl"));
        QVERIFY(feed.Start(QStringList{"--seed", "7", "--rate", "350", "--record", record}
                           + CategoryArguments(EveryKind)));
        // The address comes from the ini file, as in the program.
        const QString ini = feed.WriteClientIni();
        QVERIFY(!ini.isEmpty());
        TWindowLists windows(EveryKind);
        auto connection = LogIn(0, &windows, ini);

        const auto enoughOfEveryKind = [&windows] {
            for (const TWindowKind &kind : EveryKind)
                if (windows.Bodies(kind.Category).size() < 12)
                    return false;
            return BandSetDeletes(windows.Bodies("Bollinger")) > 0;
        };
        QTRY_VERIFY_WITH_TIMEOUT(enoughOfEveryKind(), WaitMs);
        // Only the subscribed categories came.
        QCOMPARE(windows.CategoryCount(), EveryKind.size());
        QVERIFY(!connection->SessionId().isEmpty());

        CheckNewestFirstQuickStrikeList(windows.Entries<TQuickStrikeKind>("QuickStrike"),
                                        windows.Bodies("QuickStrike"));
        CheckNewestFirstQuickStrikeList(windows.Entries<TSymbolOnlyKind>("SymbolMatrix"),
                                        windows.Bodies("SymbolMatrix"));
        CheckSimpleList(windows.Entries<TSimpleListKind>("SimpleList"), windows.Bodies("SimpleList"));
        CheckJFList(windows.Entries<TJFListKind>("JF"), windows.Bodies("JF"));
        CheckPointsList(windows.Entries<TPointsListKind>("PointsLeaders"),
                        windows.Bodies("PointsLeaders").constLast());
        CheckFullTopList(windows.Entries<TFullTopListKind>("TopList"), windows.Bodies("TopList").constLast());
        CheckBandSet(windows.Entries<TBandSetKind>("Bollinger"), windows.Bodies("Bollinger"));

        // One login with every category subscribed, in case-insensitive order.
        const QVector<TRecordedRequest> logins = Recorded(record, "login");
        QCOMPARE(logins.size(), 1);
        QCOMPARE(logins[0].Value("username"), QStringLiteral("anna"));
        QVERIFY(logins[0].Request.contains(QLatin1String("session_id")));
        QStringList subscribed;
        for (const TRecordedRequest &request : Recorded(record, "add_alert_category"))
            subscribed.append(request.Value("category"));
        QCOMPARE(subscribed, (QStringList{"Bollinger", "JF", "PointsLeaders", "QuickStrike", "SimpleList",
                                          "SymbolMatrix", "TopList"}));

        // The login's ping was answered; the first timer ping is answered with the time.
        QTRY_COMPARE_WITH_TIMEOUT(connection->Status(), QStringLiteral("Connected!"), WaitMs);
        clock_->Advance(5000);
        connection->TimerTick();
        const QTime pingTime = clock_->WallDateTime().time();
        const QString expected =
            QStringLiteral("Working:  ") + QLocale().toString(pingTime, QLocale::LongFormat);
        QTRY_COMPARE_WITH_TIMEOUT(connection->Status(), expected, WaitMs);
        QCOMPARE(Recorded(record, "ping").size(), 2);
        QCOMPARE(Recorded(record, "login").size(), 1);
    }

    void aBrokenSessionIsReplacedWithTheSameSessionId_data()
    {
        // The feed's fault, one second into the session.
        QTest::addColumn<QString>("fault");
        QTest::newRow("dropped connection") << QStringLiteral("--drop-after");
        QTest::newRow("corrupt stream") << QStringLiteral("--corrupt-after");
    }

    void aBrokenSessionIsReplacedWithTheSameSessionId()
    {
        QFETCH(QString, fault);
        const bool corrupt = fault == QLatin1String("--corrupt-after");
        TDebugCapture debug;
        TFeedProcess feed;
        const QString record = feed.TempPath(QStringLiteral("requests.jsonl"));
        QVERIFY(feed.Start({fault, "1", "--rate", "100", "--record", record}));
        TWindowLists windows({{"QuickStrike", QStringLiteral("default")}});
        auto connection = LogIn(feed.Port(), &windows);
        QTRY_VERIFY_WITH_TIMEOUT(!connection->SessionId().isEmpty() && windows.Total() > 0, WaitMs);
        const QByteArray sessionId = connection->SessionId();

        if (corrupt) {
            QTRY_VERIFY_WITH_TIMEOUT(!debug.Lines().isEmpty(), WaitMs);
            QCOMPARE(debug.Lines(), QStringList{CorruptStreamReport});
            // Everything that arrived before the bad bytes was read intact.
            CheckNewestFirstQuickStrikeList(windows.Entries<TQuickStrikeKind>("QuickStrike"),
                                            windows.Bodies("QuickStrike"));
            if (QTest::currentTestFailed())
                return;
        } else {
            QTRY_VERIFY_WITH_TIMEOUT(feed.ErrorOutput().contains("dropping the connection"), WaitMs);
            // Without a tick nothing replaces the dropped session.
            QTRY_VERIFY_WITH_TIMEOUT(!connection->Connected(), WaitMs);
            QVERIFY(EventLoopSentinel::PassThrough());
            QCOMPARE(Recorded(record, "login").size(), 1);
        }

        const int ticks = TickUntil(
            *connection, [&record] { return !Recorded(record, "login", 2).isEmpty(); },
            SilenceLimitTicks - 1);
        QVERIFY2(ticks > 0, "no new login before the silence limit");
        QCOMPARE(Recorded(record, "login", 2).constFirst().Value("session_id"), QString::fromUtf8(sessionId));
        QCOMPARE(connection->SessionId(), sessionId);
        QCOMPARE(Recorded(record, "listen_for_alerts", 2).size(), 1);
        QCOMPARE(Recorded(record, "add_alert_category", 2).size(), 1);
        // The new session gets alerts again.
        const int before = windows.Total();
        QTRY_VERIFY_WITH_TIMEOUT(windows.Total() > before, WaitMs);
        if (corrupt) {
            // A stream that cannot be read is a failure, not the end of a working session.
            QVERIFY(!statuses_.contains(QStringLiteral("Disconnected.")));
            const QString failed = QStringLiteral("Cannot reach 127.0.0.1:%1: Invalid data from server: data error. "
                                                  "Reconnecting in 1 s")
                                       .arg(feed.Port());
            QVERIFY2(statuses_.contains(failed), qPrintable(statuses_.join(u'|')));
        } else {
            // The user was told of the drop.
            QVERIFY(statuses_.contains(QStringLiteral("Disconnected.")));
        }
    }

    // The status follows the server through an outage longer than the silence limit,
    // and its return costs exactly one login.
    void statusTellsOfAnOutageAndTheReturn()
    {
        auto feed = std::make_unique<TFeedProcess>();
        QVERIFY(feed->Start({"--rate", "20"}));
        const quint16 port = feed->Port();
        const QString address = QStringLiteral("127.0.0.1:%1").arg(port);
        auto connection = LogIn(port);
        QTRY_COMPARE_WITH_TIMEOUT(connection->Status(), QStringLiteral("Connected!"), WaitMs);
        QCOMPARE(statuses_.first(), QStringLiteral("Connecting to ") + address + QChar(0x2026));

        // The server goes away; ticks come half a second apart, as in the program.
        feed.reset();
        QTRY_VERIFY_WITH_TIMEOUT(!connection->Connected(), WaitMs);
        Tick(*connection);
        QCOMPARE(connection->Status(), QStringLiteral("Disconnected."));
        // The refusal of the attempt that tick made.
        QVERIFY(EventLoopSentinel::PassThrough());
        Tick(*connection);
        const QString cannotReach = QStringLiteral("Cannot reach ") + address + QStringLiteral(": Connection refused.");
        QVERIFY2(connection->Status().startsWith(cannotReach), qPrintable(connection->Status()));
        for (int tick = 0; tick < 2 * SilenceLimitTicks; ++tick) {
            Tick(*connection);
            QVERIFY(EventLoopSentinel::PassThrough());
            QVERIFY2(connection->Status().startsWith(cannotReach)
                         || connection->Status().startsWith(QStringLiteral("Connecting to ")),
                     qPrintable(connection->Status()));
        }

        // Back on the same port: one login, and it is kept.
        TFeedProcess returned;
        const QString record = returned.TempPath(QStringLiteral("requests.jsonl"));
        QVERIFY(returned.Start({"--listen", address, "--record", record}));
        QVERIFY(TickUntil(*connection, [&] { return connection->Status() == QStringLiteral("Connected!"); }, 80) > 0);
        // Past twice the silence limit, every ping answered.
        for (int round = 0; round * TicksPerPing < 2 * SilenceLimitTicks; ++round)
            QVERIFY(TicksThroughAnAnsweredPing(*connection));
        QTRY_VERIFY_WITH_TIMEOUT(connection->Status().startsWith(QStringLiteral("Working:  ")), WaitMs);
        QCOMPARE(Recorded(record, "login").size(), 1);
    }

    // A server that answers the login and then always sends a frame length no client
    // can take: each session fails, and the attempts thin out instead of hammering it.
    void aServerSendingBadDataIsRetriedAtMostTenTimesAMinute()
    {
        TDebugCapture debug;
        TFeedProcess feed;
        const QString record = feed.TempPath(QStringLiteral("requests.jsonl"));
        QVERIFY(feed.Start({"--bad-length-after", "0", "--record", record}));
        auto connection = LogIn(feed.Port());
        QTRY_VERIFY_WITH_TIMEOUT(!debug.Lines().isEmpty(), WaitMs);

        // A minute of ticks; an attempt a tick starts (from the event loop) plays out
        // before the next tick, until the server's bad length ends it with a report.
        for (int tick = 0; tick < 120; ++tick) {
            const qsizetype reports = debug.Lines().size();
            Tick(*connection);
            QVERIFY(EventLoopSentinel::PassThrough());
            if (connection->Status().startsWith(QLatin1String("Connecting to "))) {
                QVERIFY(QTest::qWaitFor([&] { return debug.Lines().size() > reports; }, WaitMs));
                // The connection's end follows the report through the loop.
                QVERIFY(EventLoopSentinel::PassThrough());
            }
        }
        const int logins = int(Recorded(record, "login").size());
        QVERIFY2(logins >= 4 && logins <= 10, qPrintable(QString::number(logins)));
        const QString status = connection->Status();
        QVERIFY2(status.contains(QLatin1String(". Reconnecting in ")) || status.startsWith(QLatin1String("Connecting to ")),
                 qPrintable(status));
    }

    void unansweredPingsStartAFreshSession()
    {
        TFeedProcess feed;
        const QString record = feed.TempPath(QStringLiteral("requests.jsonl"));
        QVERIFY(feed.Start({"--ignore-pings-after", "0", "--record", record}));
        auto connection = LogIn(feed.Port());
        QTRY_VERIFY_WITH_TIMEOUT(!connection->SessionId().isEmpty(), WaitMs);
        const QByteArray sessionId = connection->SessionId();
        // The login's ping went unanswered with the login's answer: the link is not up yet.
        const QString connecting = QStringLiteral("Connecting to 127.0.0.1:%1").arg(feed.Port()) + QChar(0x2026);
        QCOMPARE(connection->Status(), connecting);

        // Ticks 9 and 18 ping; nobody answers.
        for (int tick = 1; tick < SilenceLimitTicks; ++tick) {
            Tick(*connection);
            if (tick == 9 || tick == 18)
                QTRY_COMPARE_WITH_TIMEOUT(Recorded(record, "ping", 1).size(), tick == 9 ? 2 : 3, WaitMs);
        }
        QCOMPARE(connection->Status(), connecting);
        QCOMPARE(Recorded(record, "login").size(), 1);

        Tick(*connection);
        QCOMPARE(connection->Status(), QStringLiteral("Disconnected."));
        QTRY_COMPARE_WITH_TIMEOUT(Recorded(record, "login", 2).size(), 1, WaitMs);
        // A restart is no reset: the session identifier goes with the new login.
        QCOMPARE(Recorded(record, "login", 2).constFirst().Value("session_id"), QString::fromUtf8(sessionId));
    }

    void stoppedLoginMakesNoNewSessionUntilLoginAgain()
    {
        TFeedProcess feed;
        const QString record = feed.TempPath(QStringLiteral("requests.jsonl"));
        // The drop tests that even a session that ends is not replaced while stopped.
        QVERIFY(feed.Start(
            {"--stop-login", "Closed for maintenance", "--drop-after", "1", "--record", record}));
        auto connection = LogIn(feed.Port());
        QTRY_VERIFY_WITH_TIMEOUT(connection->Stopped(), WaitMs);
        QCOMPARE(connection->Status(), QStringLiteral("Closed for maintenance"));
        QVERIFY(connection->SessionId().isEmpty());

        QTRY_VERIFY_WITH_TIMEOUT(feed.ErrorOutput().contains("dropping the connection"), WaitMs);
        // Twenty seconds of ticks: pings would be due four times, the silence limit
        // passed, the closed session reaped. A login they made would also show in the
        // record ahead of the one asked for below.
        for (int tick = 0; tick < 40; ++tick) {
            Tick(*connection);
            QVERIFY(EventLoopSentinel::PassThrough());
        }
        QCOMPARE(Recorded(record, "login").size(), 1);
        QCOMPARE(Recorded(record, "ping").size(), 1);
        QVERIFY(Recorded(record, "login", 2).isEmpty());
        QVERIFY(connection->Stopped());
        QCOMPARE(connection->Status(), QStringLiteral("Closed for maintenance"));

        // The same name again: while stopped that starts over, and the server says no again.
        statuses_.clear();
        connection->SetUsername("anna");
        QVERIFY(!connection->Stopped());
        QTRY_VERIFY_WITH_TIMEOUT(connection->Stopped(), WaitMs);
        QCOMPARE(statuses_, (QStringList{QString(),
                                         QStringLiteral("Connecting to 127.0.0.1:%1").arg(feed.Port()) + QChar(0x2026),
                                         QStringLiteral("Closed for maintenance")}));
        QCOMPARE(Recorded(record, "login", 2).size(), 1);
        QCOMPARE(Recorded(record, "login").size(), 2);
    }

    void corruptStreamClosesTheSessionWithItsReason()
    {
        TDebugCapture debug;
        TFeedProcess feed;
        QVERIFY(feed.Start({"--corrupt-after", "0.5", "--rate", "100"}));
        TTalkWithServer session(TransportTo(QStringLiteral("127.0.0.1:%1").arg(feed.Port())));
        QByteArray loginAnswer;
        int alerts = 0;
        int alertStreamErrors = 0;
        session.SendMessage(MakeMessage("command", "login", "username", "anna", "password", "secret"), true,
                            [&loginAnswer](bool success, QByteArrayView body, const TMessageToServer &) {
                                if (success)
                                    loginAnswer = body.toByteArray();
                            });
        session.SendMessage(MakeMessage("command", "listen_for_alerts"), true,
                            [&](bool success, QByteArrayView, const TMessageToServer &) {
                                ++(success ? alerts : alertStreamErrors);
                            });
        session.SendMessage(MakeMessage("command", "add_alert_category", "category", "QuickStrike"), false);
        session.Connect();

        QTRY_VERIFY_WITH_TIMEOUT(session.State() == TTalkWithServer::TState::Closed, WaitMs);
        QCOMPARE(session.ErrorMessage(), QStringLiteral("Invalid data from server: data error"));
        QVERIFY(loginAnswer.startsWith("SESSION ID\r\n"));
        QVERIFY(alerts > 0);
        // The alert stream's permanent request hears of the end once.
        QCOMPARE(alertStreamErrors, 1);
        QCOMPARE(debug.Lines(), QStringList{CorruptStreamReport});
    }

    void tapPrintsTheSubscribedAlertsAsJsonLines()
    {
        if (TapBinary.isEmpty())
            QSKIP("azurev-tap was not built");
        TFeedProcess feed;
        QVERIFY(feed.Start({"--seed", "5", "--rate", "200", "--category", "QuickStrike=default", "--category",
                            "JF=jf-simplelist", "--category", "TopList=smb"}));
        QTemporaryDir folder;
        QProcess tap;
        QVERIFY(StartTap(tap, folder.path(), {"--server", QStringLiteral("127.0.0.1:%1").arg(feed.Port()),
                                              "--category", "JF", "--category", "QuickStrike", "--user", "anna",
                                              "--password-stdin"}));

        QByteArray out;
        QTRY_VERIFY_WITH_TIMEOUT((out += tap.readAllStandardOutput()).count('\n') >= 40, WaitMs);
        QByteArray err;
        QTRY_VERIFY_WITH_TIMEOUT((err += tap.readAllStandardError()).contains("status: Connected!"), WaitMs);
        QVERIFY(EndsCleanlyOn(tap, SIGTERM, WaitMs));

        QByteArrayList lines = out.split('\n');
        lines.removeLast(); // behind the last line break
        QSet<QString> categories;
        for (const QByteArray &line : std::as_const(lines)) {
            QJsonParseError error;
            const QJsonObject alert = QJsonDocument::fromJson(line, &error).object();
            QVERIFY2(error.error == QJsonParseError::NoError, line.constData());
            const QString category = alert[QLatin1String("category")].toString();
            categories.insert(category);
            QVERIFY2(!alert[QLatin1String("symbol")].toString().isEmpty(), line.constData());
            const QString time = alert[QLatin1String("time")].toString();
            bool numeric = false;
            if (category == QLatin1String("QuickStrike")) {
                QVERIFY2(IsTime(time, true), line.constData());
                alert[QLatin1String("last")].toString().toDouble(&numeric);
            } else {
                QCOMPARE(category, QStringLiteral("JF"));
                QVERIFY2(IsTime(time, false), line.constData());
                alert[QLatin1String("volume")].toString().toInt(&numeric);
            }
            QVERIFY2(numeric, line.constData());
        }
        QCOMPARE(categories, (QSet<QString>{"QuickStrike", "JF"}));
    }

private:
    std::optional<FakeClock> clock_;
    QStringList statuses_;
    // Kept past the connections they watch; harmless once those are gone.
    std::vector<TSubscription> subscriptions_;
};

QTEST_GUILESS_MAIN(TestClientAgainstFeed)
#include "tst_ClientAgainstFeed.moc"

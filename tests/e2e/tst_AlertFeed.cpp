#include "support/AlertFieldChecks.h"
#include "support/TFeedProcess.h"
#include "support/TRawAlertClient.h"

#include "../shared/support/WriteWholeFile.h"

#include "shared/TZLibCompressor.h"
#include "shared/WireFormat.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

#include <cmath>

namespace {

// The categories of the sample KVX.ini, one alert window of every kind.
const QVector<QByteArray> SampleCategories = {
    "QuickStrike", "Bollinger", "SymbolMatrix", "PointsLeaders", "SimpleList", "JF", "TopList"};

QString SampleIni()
{
    return QFINDTESTDATA("../../tools/alert-feed/KVX.ini");
}

QStringList SeededArguments(const char *seed = "42")
{
    return {"--ini", SampleIni(), "--seed", QString::fromLatin1(seed), "--rate", "400"};
}

// Every listed key is present and reads as a finite number.
bool AllNumbers(const QHash<QByteArray, QByteArray> &fields, const QVector<QByteArray> &keys)
{
    for (const QByteArray &key : keys) {
        bool ok = false;
        const double value = fields.value(key).toDouble(&ok);
        if (!ok || !std::isfinite(value))
            return false;
    }
    return true;
}

bool IsInt32(const QByteArray &text)
{
    bool ok = false;
    text.toInt(&ok);
    return ok;
}

// The symbols of an indexed list body, in order.
QVector<QByteArray> ListedSymbols(const QHash<QByteArray, QByteArray> &fields)
{
    QVector<QByteArray> symbols;
    for (int i = 0; fields.contains("symbol" + QByteArray::number(i)) && i < 1000; ++i)
        symbols.append(fields.value("symbol" + QByteArray::number(i)));
    return symbols;
}

QVector<QByteArray> FirstBodies(const QStringList &arguments, const QVector<QByteArray> &categories,
                                int count)
{
    TFeedProcess feed;
    TRawAlertClient client;
    QVector<QByteArray> bodies;
    if (feed.Start(arguments) && client.Connect(feed.Port())) {
        client.SendLoginBurst("anna", "secret", "", categories);
        client.Alerts(count, bodies);
    }
    return bodies;
}

} // namespace

class TestAlertFeed : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void loginAnswers_data();
    void loginAnswers();
    void onlySubscribedCategoriesArriveOnTheListenStream();
    void bodiesCarryTheFieldsOfTheirKind_data();
    void bodiesCarryTheFieldsOfTheirKind();
    void marketStaysBelievable();
    void fullTopListDriftsSlowly();
    void pingsAnsweredAndUnknownRequestsIgnored();
    void malformedDataClosesOnlyThatConnection_data();
    void malformedDataClosesOnlyThatConnection();
    void sameSeedGivesSameBodies();
    void dropAfterClosesEveryConnection();
    void ignorePingsAfterLeavesPingsUnanswered();
    void corruptAfterBreaksTheStream();
    void recordWritesEveryRequest();
    void aSourceSendsItsAlertsAndNoMore_data();
    void aSourceSendsItsAlertsAndNoMore();
    void maxSecondsEndsTheServer();
    void badOptionsAreRefused_data();
    void badOptionsAreRefused();
};

void TestAlertFeed::loginAnswers_data()
{
    QTest::addColumn<QByteArray>("usersFile");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("user");
    QTest::addColumn<QByteArray>("password");
    QTest::addColumn<QByteArray>("sessionId");
    QTest::addColumn<QByteArray>("firstLine");
    // Empty: a fresh identifier, which must not be empty.
    QTest::addColumn<QByteArray>("secondLine");

    const QByteArray users = "# demo accounts\nanna:secret\r\n\nbob:pw:with:colons\n";
    const QByteArray rejected = "Invalid user name or password.";
    QTest::newRow("anyone without a users file")
        << QByteArray() << QStringList() << QByteArray("anna") << QByteArray("x") << QByteArray()
        << QByteArray("SESSION ID") << QByteArray();
    QTest::newRow("identifier sent back is kept")
        << QByteArray() << QStringList() << QByteArray("anna") << QByteArray("x")
        << QByteArray("S-1234") << QByteArray("SESSION ID") << QByteArray("S-1234");
    QTest::newRow("users file, right password")
        << users << QStringList() << QByteArray("bob") << QByteArray("pw:with:colons")
        << QByteArray() << QByteArray("SESSION ID") << QByteArray();
    QTest::newRow("users file, wrong password")
        << users << QStringList() << QByteArray("anna") << QByteArray("Secret") << QByteArray()
        << QByteArray("STOP") << rejected;
    QTest::newRow("users file, unknown user")
        << users << QStringList() << QByteArray("carl") << QByteArray("secret") << QByteArray()
        << QByteArray("STOP") << rejected;
    QTest::newRow("empty password")
        << QByteArray() << QStringList() << QByteArray("anna") << QByteArray() << QByteArray()
        << QByteArray("STOP") << rejected;
    QTest::newRow("stop-login") << QByteArray()
                                << QStringList{"--stop-login", "Closed for maintenance"}
                                << QByteArray("anna") << QByteArray("secret") << QByteArray()
                                << QByteArray("STOP") << QByteArray("Closed for maintenance");
}

void TestAlertFeed::loginAnswers()
{
    QFETCH(QByteArray, usersFile);
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, user);
    QFETCH(QByteArray, password);
    QFETCH(QByteArray, sessionId);
    QFETCH(QByteArray, firstLine);
    QFETCH(QByteArray, secondLine);

    TFeedProcess feed;
    if (!usersFile.isEmpty()) {
        QVERIFY(WriteWholeFile(feed.TempPath("users.txt"), usersFile));
        arguments << "--users" << feed.TempPath("users.txt");
    }
    QVERIFY(feed.Start(arguments + QStringList{"--rate", "400"}));
    TRawAlertClient client;
    QVERIFY(client.Connect(feed.Port()));
    client.SendLoginBurst(user, password, sessionId, {"QuickStrike"});

    TServerFrame answer;
    QVERIFY(client.FrameFor(TRawAlertClient::LoginId, answer));
    const QList<QByteArray> lines = answer.Body.split('\n');
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0], firstLine + '\r');
    if (secondLine.isEmpty())
        QVERIFY(!lines[1].isEmpty());
    else
        QCOMPARE(lines[1], secondLine);

    if (firstLine == "SESSION ID") {
        QVector<QByteArray> bodies;
        QVERIFY(client.Alerts(3, bodies));
        return;
    }
    // A refused connection gets no alerts: once another one has received several,
    // everything sent to the refused one so far lies before the answer to a new ping.
    // (Under --stop-login nobody is let in, and nothing is sent at all.)
    if (!arguments.contains("--stop-login")) {
        TRawAlertClient other;
        QVERIFY(other.Connect(feed.Port()));
        other.SendLoginBurst("bob", "pw:with:colons", "", {"QuickStrike"});
        QVector<QByteArray> otherBodies;
        QVERIFY(other.Alerts(5, otherBodies));
    }
    client.Send(MakeMessage("command", "ping", "response", "1"), 50);
    QVector<TServerFrame> before;
    QVERIFY(client.FrameFor(50, answer, &before));
    for (const TServerFrame &frame : std::as_const(before))
        QVERIFY2(frame.MessageId != TRawAlertClient::ListenId, frame.Body.constData());
}

void TestAlertFeed::onlySubscribedCategoriesArriveOnTheListenStream()
{
    TFeedProcess feed;
    QVERIFY(feed.Start(SeededArguments()));
    // Another client's categories are sent too, but not to this one.
    TRawAlertClient neighbour;
    QVERIFY(neighbour.Connect(feed.Port()));
    neighbour.SendLoginBurst("bob", "pw", "", {"Bollinger", "JF"});
    QVector<QByteArray> neighbourBodies;
    QVERIFY(neighbour.Alerts(2, neighbourBodies));

    TRawAlertClient client;
    QVERIFY(client.Connect(feed.Port()));
    // "Unlisted" is in no window of the ini: it gets newest-first alerts.
    const QVector<QByteArray> subscribed = {"JF", "QuickStrike", "Unlisted"};
    client.SendLoginBurst("anna", "secret", "", subscribed);

    QVector<QByteArray> bodies;
    QVector<TServerFrame> others;
    QVERIFY(client.Alerts(60, bodies, &others));
    QSet<QByteArray> seen;
    for (const QByteArray &body : std::as_const(bodies)) {
        QVERIFY2(subscribed.contains(AlertCategory(body)), body.constData());
        seen.insert(AlertCategory(body));
    }
    QCOMPARE(seen.size(), subscribed.size());
    neighbourBodies.clear();
    QVERIFY(neighbour.Alerts(30, neighbourBodies));
    for (const QByteArray &body : std::as_const(neighbourBodies))
        QVERIFY(AlertCategory(body) == "Bollinger" || AlertCategory(body) == "JF");
    for (const QByteArray &body : std::as_const(bodies))
        if (AlertCategory(body) == "Unlisted")
            QVERIFY(AllNumbers(AlertFields(body), {"last", "prev_close", "sma_divergence"}));
    // Besides alerts only the login and ping answers came.
    QCOMPARE(others.size(), 2);
    QCOMPARE(others[0].MessageId, TRawAlertClient::LoginId);
    QCOMPARE(others[1].MessageId, TRawAlertClient::FirstPingId);

    // A later listen_for_alerts takes the stream over.
    client.Send(MakeMessage("command", "listen_for_alerts"), 77);
    TServerFrame frame;
    QVERIFY(client.FrameFor(77, frame));
    for (int i = 0; i < 20; ++i) {
        QVERIFY(client.NextFrame(frame));
        QCOMPARE(frame.MessageId, 77);
    }
}

void TestAlertFeed::bodiesCarryTheFieldsOfTheirKind_data()
{
    QTest::addColumn<QByteArray>("category");
    for (const QByteArray &category : SampleCategories)
        QTest::newRow(category.constData()) << category;
}

void TestAlertFeed::bodiesCarryTheFieldsOfTheirKind()
{
    QFETCH(QByteArray, category);
    const QVector<QByteArray> bodies = FirstBodies(SeededArguments(), {category}, 40);
    QCOMPARE(bodies.size(), 40);

    QSet<QByteArray> bandSet;
    int deletes = 0;
    for (const QByteArray &body : bodies) {
        QCOMPARE(AlertCategory(body), category);
        const QHash<QByteArray, QByteArray> fields = AlertFields(body);
        const QByteArray symbol = fields.value("symbol");
        if (category == "QuickStrike" || category == "SymbolMatrix") {
            QVERIFY(!symbol.isEmpty());
            QVERIFY(AllNumbers(fields, {"last", "prev_close", "sma_divergence"}));
            QVERIFY2(IsTime(fields.value("time")), fields.value("time").constData());
        } else if (category == "Bollinger") {
            // Only symbols in the set are deleted, and a delete takes them out of it.
            const QByteArray action = fields.value("action");
            if (action == "add") {
                QVERIFY(AllNumbers(fields, {"last", "prev_close", "dist_from_bb"}));
                bandSet.insert(symbol);
            } else {
                QCOMPARE(action, QByteArray("delete"));
                QVERIFY2(bandSet.remove(symbol), symbol.constData());
                ++deletes;
            }
        } else if (category == "PointsLeaders") {
            const QVector<QByteArray> symbols = ListedSymbols(fields);
            QVERIFY(symbols.size() >= 5);
            double previousChange = INFINITY;
            for (int i = 0; i < symbols.size(); ++i) {
                QVERIFY(!symbols[i].isEmpty());
                QVERIFY(AllNumbers(fields, {Indexed("last", i), Indexed("change", i)}));
                // Leaders in points, biggest gain first.
                const double change = fields.value(Indexed("change", i)).toDouble();
                QVERIFY(change <= previousChange);
                previousChange = change;
            }
        } else if (category == "SimpleList") {
            QVERIFY(!symbol.isEmpty());
            QVERIFY(AllNumbers(fields, {"last", "change"}));
        } else if (category == "JF") {
            QVERIFY2(IsTime(fields.value("time"), false), fields.value("time").constData());
            QVERIFY(!symbol.isEmpty());
            QVERIFY(AllNumbers(fields, {"change", "bb", "rank", "rv"}));
            QVERIFY(IsInt32(fields.value("count")) && fields.value("count").toInt() >= 1);
            QVERIFY(IsInt32(fields.value("volume")) && fields.value("volume").toInt() > 0);
            const double rank = fields.value("rank").toDouble();
            QVERIFY(rank >= 0 && rank <= 1);
        } else if (category == "TopList") {
            const QVector<QByteArray> symbols = ListedSymbols(fields);
            QVERIFY(symbols.size() >= 20);
            QVERIFY(symbols.count("-") <= 1);
            for (int i = 0; i < symbols.size(); ++i) {
                if (symbols[i] == "-") {
                    // A separator parts the positive strengths from the negative ones.
                    QVERIFY(i > 0 && i < symbols.size() - 1);
                    QVERIFY(fields.value(Indexed("strength", i - 1)).toDouble() >= 0);
                    QVERIFY(fields.value(Indexed("strength", i + 1)).toDouble() < 0);
                    continue;
                }
                QVERIFY(AllNumbers(fields, {Indexed("price_spike", i), Indexed("vol_rate", i),
                                            Indexed("todays_range", i), Indexed("opening_range", i),
                                            Indexed("strength", i), Indexed("up_trend", i),
                                            Indexed("near_high", i), Indexed("near_low", i),
                                            Indexed("new_high", i), Indexed("new_low", i),
                                            Indexed("last", i), Indexed("change", i)}));
                QVERIFY(IsInt32(fields.value(Indexed("volume", i))));
                QVERIFY(IsInt32(fields.value(Indexed("count", i))));
                const double newHigh = fields.value(Indexed("new_high", i)).toDouble();
                QVERIFY(newHigh >= 0 && newHigh <= 1);
            }
        }
    }
    if (category == "Bollinger")
        QVERIFY(deletes > 0);
}

void TestAlertFeed::marketStaysBelievable()
{
    const QVector<QByteArray> bodies = FirstBodies(SeededArguments(), {"JF", "QuickStrike"}, 300);
    QCOMPARE(bodies.size(), 300);
    QByteArray lastTime;
    QHash<QByteArray, int> volumes;
    int escapedTimes = 0;
    QSet<QByteArray> symbols;
    for (const QByteArray &body : bodies) {
        const QHash<QByteArray, QByteArray> fields = AlertFields(body);
        // Times never run backwards, whether or not their colons were encoded; JF times
        // stop at the minutes.
        const QByteArray time = fields.value("time");
        QVERIFY2(time >= lastTime.left(time.size()), time.constData());
        lastTime = time;
        if (body.contains("%3A") || body.contains("%3a"))
            ++escapedTimes;
        symbols.insert(fields.value("symbol"));
        if (AlertCategory(body) == "QuickStrike") {
            // Random walks around the previous close, not away from it.
            const double last = fields.value("last").toDouble();
            const double prevClose = fields.value("prev_close").toDouble();
            QVERIFY2(std::fabs(last / prevClose - 1.0) < 0.1, body.constData());
        } else {
            // A symbol's volume only grows through the day.
            const int volume = fields.value("volume").toInt();
            QVERIFY2(volume >= volumes.value(fields.value("symbol")), body.constData());
            volumes.insert(fields.value("symbol"), volume);
        }
    }
    // Some times go percent-encoded, most do not.
    QVERIFY(escapedTimes > 0);
    QVERIFY(escapedTimes < bodies.size() / 2);
    // Alerts spread over many names, not a handful.
    QVERIFY2(symbols.size() >= 30, qPrintable(QString::number(symbols.size())));
}

void TestAlertFeed::fullTopListDriftsSlowly()
{
    const QVector<QByteArray> bodies = FirstBodies(SeededArguments(), {"TopList"}, 120);
    QCOMPARE(bodies.size(), 120);
    int reordered = 0;
    int unchanged = 0;
    int withSeparator = 0;
    QVector<QByteArray> previous = ListedSymbols(AlertFields(bodies.first()));
    for (int i = 1; i < bodies.size(); ++i) {
        const QVector<QByteArray> symbols = ListedSymbols(AlertFields(bodies[i]));
        withSeparator += symbols.contains("-") ? 1 : 0;
        const QSet<QByteArray> before(previous.begin(), previous.end());
        int kept = 0;
        for (const QByteArray &symbol : symbols)
            kept += before.contains(symbol) ? 1 : 0;
        // At most a newcomer and the separator change from one list to the next.
        QVERIFY2(kept >= symbols.size() - 2, qPrintable(QString::number(i)));
        if (symbols == previous)
            ++unchanged;
        else
            ++reordered;
        previous = symbols;
    }
    QVERIFY(reordered > 0);
    QVERIFY(unchanged > 0);
    QVERIFY(withSeparator > 0);
}

void TestAlertFeed::pingsAnsweredAndUnknownRequestsIgnored()
{
    TFeedProcess feed;
    QVERIFY(feed.Start({}));
    TRawAlertClient client;
    QVERIFY(client.Connect(feed.Port()));
    client.SendLoginBurst("anna", "secret", "", {});
    TServerFrame frame;
    QVERIFY(client.FrameFor(TRawAlertClient::FirstPingId, frame));
    QCOMPARE(frame.Body, QByteArray());

    client.Queue(MakeMessage("command", "fetch_news", "symbol", "ABC"), 9);
    client.Queue(MakeMessage("command", "ping", "response", "1"), 10);
    client.Flush();
    QVector<TServerFrame> before;
    QVERIFY(client.FrameFor(10, frame, &before));
    QVERIFY(before.isEmpty());
    QCOMPARE(frame.Body, QByteArray());
    // The connection is still served.
    client.Send(MakeMessage("command", "ping", "response", "1"), 11);
    QVERIFY(client.FrameFor(11, frame));
    QVERIFY(feed.ErrorOutput().contains("ignored unknown request"));
    QVERIFY(feed.ErrorOutput().contains("fetch_news"));
}

void TestAlertFeed::malformedDataClosesOnlyThatConnection_data()
{
    QTest::addColumn<QByteArray>("plain");
    QTest::addColumn<QByteArray>("compressed");

    QByteArray negative;
    AppendInt32(negative, -5);
    QByteArray oversized;
    AppendInt32(oversized, MaxWireLength + 1);
    QTest::newRow("wrong opening lines")
        << QByteArray("GET / HTTP/1.1\r\nHost: feed\r\n\r\n") << QByteArray();
    QTest::newRow("stream that is not zlib")
        << OpeningLines() + "this is not a zlib stream at all" << QByteArray();
    QTest::newRow("negative length") << OpeningLines() << negative;
    QTest::newRow("oversized length") << OpeningLines() << oversized;
    QByteArray terminator;
    AppendInt32(terminator, 0);
    QTest::newRow("empty request") << OpeningLines() << terminator;
}

void TestAlertFeed::malformedDataClosesOnlyThatConnection()
{
    QFETCH(QByteArray, plain);
    QFETCH(QByteArray, compressed);

    TFeedProcess feed;
    QVERIFY(feed.Start({}));
    TRawAlertClient good;
    QVERIFY(good.Connect(feed.Port()));
    good.SendLoginBurst("anna", "secret", "", {});
    TServerFrame frame;
    QVERIFY(good.FrameFor(TRawAlertClient::FirstPingId, frame));

    TRawAlertClient bad;
    QVERIFY(bad.Connect(feed.Port()));
    bad.SendPlain(plain);
    if (!compressed.isEmpty()) {
        TZLibCompressor compressor;
        compressor.Write(compressed);
        compressor.Flush();
        bad.SendPlain(compressor.TakeOutput());
    }
    QVERIFY(bad.WaitForClose());

    good.Send(MakeMessage("command", "ping", "response", "1"), 20);
    QVERIFY(good.FrameFor(20, frame));
    TRawAlertClient later;
    QVERIFY(later.Connect(feed.Port()));
    later.SendLoginBurst("bob", "pw", "", {});
    QVERIFY(later.FrameFor(TRawAlertClient::LoginId, frame));
    QVERIFY(frame.Body.startsWith("SESSION ID\r\n"));
    QVERIFY(feed.ErrorOutput().contains("closing:"));
}

void TestAlertFeed::sameSeedGivesSameBodies()
{
    const QVector<QByteArray> first = FirstBodies(SeededArguments("42"), SampleCategories, 70);
    const QVector<QByteArray> second = FirstBodies(SeededArguments("42"), SampleCategories, 70);
    const QVector<QByteArray> other = FirstBodies(SeededArguments("43"), SampleCategories, 70);
    QCOMPARE(first.size(), 70);
    QCOMPARE(second, first);
    QCOMPARE(other.size(), 70);
    QVERIFY(other != first);
}

void TestAlertFeed::dropAfterClosesEveryConnection()
{
    TFeedProcess feed;
    QVERIFY(feed.Start({"--drop-after", "1"}));
    // Each connection, the reconnected one too, is served and then dropped.
    for (int connection = 1; connection <= 2; ++connection) {
        TRawAlertClient client;
        QVERIFY(client.Connect(feed.Port()));
        client.SendLoginBurst("anna", "secret", "", {"QuickStrike"});
        TServerFrame frame;
        QVERIFY(client.FrameFor(TRawAlertClient::LoginId, frame));
        QVERIFY(client.WaitForClose());
    }
    QCOMPARE(feed.ErrorOutput().count("dropping the connection"), 2);
}

void TestAlertFeed::ignorePingsAfterLeavesPingsUnanswered()
{
    TFeedProcess feed;
    QVERIFY(feed.Start({"--ignore-pings-after", "0", "--rate", "400"}));
    TRawAlertClient client;
    QVERIFY(client.Connect(feed.Port()));
    client.SendLoginBurst("anna", "secret", "", {"QuickStrike"});
    QVector<QByteArray> bodies;
    QVector<TServerFrame> others;
    QVERIFY(client.Alerts(20, bodies, &others));
    client.Send(MakeMessage("command", "ping", "response", "1"), 30);
    bodies.clear();
    // Alerts keep coming; the pings' answers never do, the login's does.
    QVERIFY(client.Alerts(40, bodies, &others));
    QCOMPARE(others.size(), 1);
    QCOMPARE(others[0].MessageId, TRawAlertClient::LoginId);
}

void TestAlertFeed::corruptAfterBreaksTheStream()
{
    TFeedProcess feed;
    QVERIFY(feed.Start({"--corrupt-after", "1", "--rate", "200"}));
    TRawAlertClient client;
    QVERIFY(client.Connect(feed.Port()));
    client.SendLoginBurst("anna", "secret", "", {"QuickStrike"});
    TServerFrame frame;
    QVERIFY(client.FrameFor(TRawAlertClient::LoginId, frame));
    QVERIFY(frame.Body.startsWith("SESSION ID\r\n"));
    // Frames inflate intact until the corruption, which zlib reports as a data error.
    int frames = 0;
    while (frames < 100000 && client.NextFrame(frame))
        ++frames;
    QCOMPARE(client.InflateError(), QStringLiteral("data error"));
    QVERIFY(feed.ErrorOutput().contains("corrupting the stream"));
}

void TestAlertFeed::recordWritesEveryRequest()
{
    TFeedProcess feed;
    const QString record = feed.TempPath("requests.jsonl");
    // There before and open to everyone: the feed closes it to others.
    QVERIFY(WriteWholeFile(record, "old"));
    QVERIFY(QFile::setPermissions(record, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther));
    QVERIFY(feed.Start({"--record", record}));
    TServerFrame frame;
    {
        TRawAlertClient client;
        QVERIFY(client.Connect(feed.Port()));
        client.SendLoginBurst("anna", "s\"cret", "", {"JF", "QuickStrike"});
        client.Send(MakeMessage("command", "fetch_news"), 9);
        client.Send(MakeMessage("command", "ping", "response", "1"), 10);
        QVERIFY(client.FrameFor(10, frame));
    }
    TRawAlertClient second;
    QVERIFY(second.Connect(feed.Port()));
    // A user name that would clear the screen of whoever reads the log.
    second.SendLoginBurst("anna\x1b[2J", "secret", "0123", {});
    QVERIFY(second.FrameFor(TRawAlertClient::FirstPingId, frame));

    QFile file(record);
    QCOMPARE(file.permissions(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser
                                     | QFileDevice::WriteUser);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray recorded = file.readAll();
    QVERIFY(!recorded.contains("secret") && !recorded.contains("cret"));
    const QList<QByteArray> lines = recorded.trimmed().split('\n');
    QCOMPARE(lines.size(), 10);
    QVector<QJsonObject> records;
    for (const QByteArray &line : lines) {
        const QJsonDocument document = QJsonDocument::fromJson(line);
        QVERIFY2(document.isObject(), line.constData());
        records.append(document.object());
    }
    const auto field = [&records](int index, const char *key) {
        return records[index]["request"].toObject()[QString::fromLatin1(key)].toString();
    };
    const char *commands[] = {"login",
                              "listen_for_alerts",
                              "add_alert_category",
                              "add_alert_category",
                              "ping",
                              "fetch_news",
                              "ping",
                              "login",
                              "listen_for_alerts",
                              "ping"};
    for (int i = 0; i < records.size(); ++i) {
        QCOMPARE(field(i, "command"), QString::fromLatin1(commands[i]));
        QCOMPARE(records[i]["connection"].toInt(), i < 7 ? 1 : 2);
    }
    QCOMPARE(field(0, "message_id"), QStringLiteral("1"));
    QCOMPARE(field(0, "username"), QStringLiteral("anna"));
    QCOMPARE(field(0, "password"), QStringLiteral("***"));
    QVERIFY(records[0]["request"].toObject().contains("session_id"));
    QCOMPARE(field(0, "session_id"), QString());
    QCOMPARE(field(3, "category"), QStringLiteral("QuickStrike"));
    QVERIFY(!records[3]["request"].toObject().contains("message_id"));
    QCOMPARE(field(7, "session_id"), QStringLiteral("0123"));
    QTRY_VERIFY_WITH_TIMEOUT(feed.ErrorOutput().contains("anna\\x1b[2J logged in"), 10000);
    QVERIFY(!feed.ErrorOutput().contains('\x1b'));
}

void TestAlertFeed::aSourceSendsItsAlertsAndNoMore_data()
{
    QTest::addColumn<QStringList>("arguments");
    // The --replay script; without one the feed makes up its alerts.
    QTest::addColumn<QByteArray>("replay");
    QTest::addColumn<int>("count");
    // The bodies, when a replay fixes them.
    QTest::addColumn<QByteArrayList>("expected");
    QTest::addColumn<QString>("finished");

    const QByteArray bodies[] = {
        "A\\r\\nsymbol=ONE&last=1.5&note=back\\\\slash",
        "B\\r\\nsymbol=NOT&last=2",
        "A\\r\\nsymbol=TWO&time=10%3A31%3A05\\tend",
        "B\\r\\nsymbol=NOT&last=3",
        "A\\r\\nsymbol=THREE&last=3.25",
    };
    QByteArray timed;
    QByteArray untimed;
    for (int i = 0; i < 5; ++i) {
        timed += QByteArray::number(0.05 * i, 'f', 2) + '\t' + bodies[i] + "\r\n";
        untimed += bodies[i] + "\n\n";
    }
    const QByteArrayList replayed = {"A\r\nsymbol=ONE&last=1.5&note=back\\slash",
                                     "A\r\nsymbol=TWO&time=10%3A31%3A05\tend", "A\r\nsymbol=THREE&last=3.25"};
    QTest::newRow("replay at the recorded pace")
        << QStringList() << timed << 3 << replayed << QStringLiteral("source finished");
    QTest::newRow("replay at a rate")
        << QStringList{"--rate", "100"} << untimed << 3 << replayed << QStringLiteral("source finished");
    QTest::newRow("a count at a rate") << QStringList{"--rate", "2000", "--max-alerts", "50"} << QByteArray() << 50
                                       << QByteArrayList() << QStringLiteral("source finished: 50 alerts sent");
    // More than one flush's worth, all due at once.
    QTest::newRow("a burst") << QStringList{"--burst", "2500"} << QByteArray() << 2500 << QByteArrayList()
                             << QStringLiteral("source finished: 2500 alerts sent");
}

void TestAlertFeed::aSourceSendsItsAlertsAndNoMore()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, replay);
    QFETCH(int, count);
    QFETCH(QByteArrayList, expected);
    QFETCH(QString, finished);

    TFeedProcess feed;
    if (replay.isEmpty()) {
        arguments << "--category" << "A=default";
    } else {
        const QString script = feed.TempPath("replay.txt");
        QVERIFY(WriteWholeFile(script, replay));
        arguments << "--replay" << script;
    }
    QVERIFY(feed.Start(arguments));
    TRawAlertClient client;
    QVERIFY(client.Connect(feed.Port()));
    client.SendLoginBurst("anna", "secret", "", {"A"});
    QVector<QByteArray> bodies;
    QVERIFY(client.Alerts(count, bodies));
    if (!expected.isEmpty())
        QCOMPARE(bodies, expected);
    QTRY_VERIFY_WITH_TIMEOUT(feed.ErrorOutput().contains(finished.toUtf8()), 10000);
    // Nothing after the end of the source, neither of A nor of B.
    client.Send(MakeMessage("command", "ping", "response", "1"), 40);
    QVector<TServerFrame> before;
    TServerFrame frame;
    QVERIFY(client.FrameFor(40, frame, &before));
    for (const TServerFrame &passed : std::as_const(before))
        QVERIFY(passed.MessageId != TRawAlertClient::ListenId);
}

void TestAlertFeed::maxSecondsEndsTheServer()
{
    TFeedProcess feed;
    QVERIFY(feed.Start({"--max-seconds", "1"}));
    // It also ends cleanly with a client still connected and receiving.
    TRawAlertClient client;
    QVERIFY(client.Connect(feed.Port()));
    client.SendLoginBurst("anna", "secret", "", {"QuickStrike"});
    QVERIFY(feed.WaitForExit(15000));
    QVERIFY(client.WaitForClose());
    QCOMPARE(feed.ExitStatus(), QProcess::NormalExit);
    QCOMPARE(feed.ExitCode(), 0);
}

void TestAlertFeed::badOptionsAreRefused_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QByteArray>("message");

    QTest::newRow("zero rate") << QStringList{"--rate", "0"} << 2 << QByteArray("--rate 0");
    QTest::newRow("unknown display")
        << QStringList{"--category", "X=Set"} << 2 << QByteArray("--category X=Set");
    QTest::newRow("listen without port")
        << QStringList{"--listen", "localhost"} << 2 << QByteArray("--listen");
    QTest::newRow("negative seed") << QStringList{"--seed", "-1"} << 2 << QByteArray("--seed");
    QTest::newRow("seconds not a number")
        << QStringList{"--drop-after", "soon"} << 2 << QByteArray("--drop-after");
    QTest::newRow("unknown option") << QStringList{"--fast"} << 2 << QByteArray("fast");
    QTest::newRow("missing ini") << QStringList{"--ini", "/nonexistent/KVX.ini"} << 1
                                 << QByteArray("/nonexistent/KVX.ini");
    QTest::newRow("missing users file")
        << QStringList{"--users", "/nonexistent/users"} << 1 << QByteArray("/nonexistent/users");
}

void TestAlertFeed::badOptionsAreRefused()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QByteArray, message);

    TFeedProcess feed;
    QVERIFY(feed.RunToExit(arguments, 15000));
    QCOMPARE(feed.ExitCode(), exitCode);
    QVERIFY2(feed.ErrorOutput().contains(message), feed.ErrorOutput().constData());
}

QTEST_GUILESS_MAIN(TestAlertFeed)
#include "tst_AlertFeed.moc"

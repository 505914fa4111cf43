#include "shared/DebugSink.h"
#include "shared/Exception.h"
#include "shared/TTalkWithServer.h"
#include "shared/TZLibDecompressor.h"
#include "shared/WireFormat.h"

#include "support/FakeAlertServer.h"
#include "support/TransportTo.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

constexpr int WaitMs = 10000;

struct Answer
{
    bool Success;
    QByteArray Body;
    QByteArray Command;
};

// Collects the answers given to the callbacks it hands out, in order.
class AnswerLog
{
public:
    TResponseCallback Callback(const QByteArray &tag = QByteArray())
    {
        return [this, tag](bool success, QByteArrayView body, const TMessageToServer &msg) {
            answers.append({success, body.toByteArray(), tag.isEmpty() ? msg.Value("command") : tag});
        };
    }
    QVector<Answer> answers;
};

TMessageToServer Command(const QByteArray &command)
{
    return MakeMessage("command", command);
}

} // namespace

class TestTalkWithServer : public QObject
{
    Q_OBJECT

    // A session whose connection to the server has opened; null when that failed.
    std::unique_ptr<TTalkWithServer> ConnectedSession(FakeAlertServer &server)
    {
        auto session = std::make_unique<TTalkWithServer>(TransportTo(server.Address()));
        session->Connect();
        if (!QTest::qWaitFor([&] { return session->State() == TTalkWithServer::TState::Connected
                                          && server.ClientCount() == 1; },
                             WaitMs))
            return nullptr;
        return session;
    }

private Q_SLOTS:
    void init() { debugLines_.clear(); }

    void initTestCase()
    {
        SetDebugReceiver([this](const QString &text) { debugLines_.append(text); });
    }

    void requestsGoOutAfterTheOpeningLinesInOrder()
    {
        // Declared before the session, whose last answers still reach them.
        AnswerLog log;
        FakeAlertServer server;
        QVERIFY(server.Listening());
        TTalkWithServer session(TransportTo(server.Address()));
        QCOMPARE(session.SendMessage(MakeMessage("command", "login", "username", "ann"), true,
                                     log.Callback()).Id, 1);
        QCOMPARE(session.SendMessage(MakeMessage("command", "add_alert_category", "category", "Q"),
                                     false).Id, 0);
        // A turn of the loop passes before the connection opens: that batch waits too.
        QCoreApplication::processEvents();
        QCOMPARE(session.SendMessage(MakeMessage("command", "ping", "response", "1"), false,
                                     log.Callback()).Id, 8);
        session.Connect();
        QTRY_COMPARE_WITH_TIMEOUT(session.State(), TTalkWithServer::TState::Connected, WaitMs);
        session.SendMessage(MakeMessage("command", "listen_for_alerts"), true, log.Callback());

        QTRY_VERIFY_WITH_TIMEOUT(server.ClientCount() == 1 && server.Client(0).Requests().size() == 4, WaitMs);
        FakeAlertClient &client = server.Client(0);
        QCOMPARE(client.Error(), QString());
        QCOMPARE(client.Raw().left(59),
                 QByteArray("command=set_output&mode=zlib\r\ncommand=set_input&mode=zlib\r\n"));
        QCOMPARE(client.Raw().mid(59, 2), QByteArray("\x78\x9C"));
        const QVector<TMessageToServer> &requests = client.Requests();
        QCOMPARE(RequestText(requests[0]), QByteArray("message_id=1&command=login&username=ann"));
        QCOMPARE(RequestText(requests[1]), QByteArray("command=add_alert_category&category=Q"));
        QCOMPARE(RequestText(requests[2]), QByteArray("message_id=8&command=ping&response=1"));
        QCOMPARE(RequestText(requests[3]), QByteArray("message_id=7&command=listen_for_alerts"));
        QCOMPARE(session.ErrorMessage(), QStringLiteral("Unexpected disconnect from server."));
    }

    void largeRequestPassesTheCompressedThresholdIntact()
    {
        FakeAlertServer server;
        auto session = ConnectedSession(server);
        QVERIFY(session);
        QByteArray noise(100000, '\0');
        for (char &c : noise)
            c = static_cast<char>(QRandomGenerator::global()->bounded(256));
        session->SendMessage(MakeMessage("command", "bulk", "data", noise), false);
        session->SendMessage(Command("after"), false);
        QTRY_COMPARE_WITH_TIMEOUT(server.Client(0).Requests().size(), 2, WaitMs);
        QCOMPARE(server.Client(0).Requests()[0].Value("data"), noise);
        QCOMPARE(server.Client(0).Requests()[1].Value("command"), QByteArray("after"));
    }

    void identifiersComeFromTheHighestFreeSlot()
    {
        // Declared before the session, whose last answers still reach them.
        AnswerLog log;
        TTalkWithServer session;
        QVector<qint32> ids;
        QVector<qint64> serials;
        for (int i = 0; i < 18; ++i) {
            const TMessageHandle handle = session.SendMessage(Command("x"), false, log.Callback());
            ids.append(handle.Id);
            serials.append(handle.Serial);
        }
        QCOMPARE(ids, (QVector<qint32>{1, 8, 7, 6, 5, 4, 3, 2, 9, 16, 15, 14, 13, 12, 11, 10, 17, 32}));
        // One process-wide counter: every slotted request takes the next serial.
        for (int i = 1; i < serials.size(); ++i)
            QCOMPARE(serials[i], serials[i - 1] + 1);
        const TMessageHandle none = session.SendMessage(Command("x"), false);
        QCOMPARE(none.Id, 0);
        QCOMPARE(none.Serial, qint64(0));
        TTalkWithServer other;
        QCOMPARE(other.SendMessage(Command("x"), false, log.Callback()).Serial, serials.last() + 1);

        // An empty request is answered with an error at once and takes no slot.
        TMessageToServer onlyEmptyKeys;
        onlyEmptyKeys.Add(QByteArray(), "value");
        log.answers.clear();
        QCOMPARE(session.SendMessage(onlyEmptyKeys, false, log.Callback()).Id, 0);
        QCOMPARE(session.SendMessage(TMessageToServer(), true, log.Callback()).Id, 0);
        QCOMPARE(log.answers.size(), 2);
        QVERIFY(!log.answers[0].Success && !log.answers[1].Success);
        QCOMPARE(session.SendMessage(Command("x"), false, log.Callback()).Id, 31);
    }

    void framesReachTheirRequests()
    {
        // Declared before the session, whose last answers still reach them.
        AnswerLog log;
        QVector<QByteArray> seen;
        FakeAlertServer server;
        auto session = ConnectedSession(server);
        QVERIFY(session);
        session->OnResponse = [&seen](bool success, QByteArrayView body, const TMessageToServer &msg) {
            seen.append((success ? "ok " : "fail ") + msg.Value("command") + ' ' + body.toByteArray());
        };
        const qint32 alerts = session->SendMessage(Command("listen_for_alerts"), true, log.Callback()).Id;
        const qint32 ping = session->SendMessage(Command("ping"), false, log.Callback()).Id;
        QTRY_COMPARE_WITH_TIMEOUT(server.Client(0).Requests().size(), 2, WaitMs);

        FakeAlertClient &client = server.Client(0);
        // Several frames in one piece, unknown identifiers among them.
        client.SendInflated(EncodeFrame(alerts, "A1") + EncodeFrame(0, "zero") + EncodeFrame(ping, "")
                            + EncodeFrame(ping, "again") + EncodeFrame(99, "far") + EncodeFrame(alerts, "A2"));
        QTRY_COMPARE_WITH_TIMEOUT(log.answers.size(), 3, WaitMs);
        QCOMPARE(log.answers[0].Body, QByteArray("A1"));
        QCOMPARE(log.answers[1].Command, QByteArray("ping"));
        QCOMPARE(log.answers[1].Body, QByteArray());
        QCOMPARE(log.answers[2].Body, QByteArray("A2"));
        QCOMPARE(seen, (QVector<QByteArray>{"ok listen_for_alerts A1", "ok ping ", "ok listen_for_alerts A2"}));

        // A frame split across reads is delivered once, when its last byte is in.
        const QByteArray split = EncodeFrame(alerts, "split body");
        client.SendInflated(EncodeFrame(alerts, "A3") + split.left(9));
        QTRY_COMPARE_WITH_TIMEOUT(log.answers.size(), 4, WaitMs);
        client.SendInflated(split.mid(9));
        QTRY_COMPARE_WITH_TIMEOUT(log.answers.size(), 5, WaitMs);
        QCOMPARE(log.answers[4].Body, QByteArray("split body"));

        // The compressed stream cut into single bytes inflates to the same frames.
        const QByteArray compressed = client.Compress(EncodeFrame(alerts, "B1") + EncodeFrame(alerts, "B2"));
        for (char byte : compressed)
            client.SendRaw(QByteArray(1, byte));
        QTRY_COMPARE_WITH_TIMEOUT(log.answers.size(), 7, WaitMs);
        QCOMPARE(log.answers[5].Body + log.answers[6].Body, QByteArray("B1B2"));
    }

    void theFreedSlotIsReusedAndCancelledCallbacksStaySilent()
    {
        // Declared before the session, whose last answers still reach them.
        AnswerLog log;
        FakeAlertServer server;
        auto session = ConnectedSession(server);
        QVERIFY(session);
        const TMessageHandle first = session->SendMessage(Command("one"), false, log.Callback());
        const TMessageHandle second = session->SendMessage(Command("two"), false, log.Callback());
        QCOMPARE(second.Id, 8);

        // A handle from another session with the same identifier changes nothing.
        TTalkWithServer earlier;
        const TMessageHandle stale = earlier.SendMessage(Command("old"), false, log.Callback());
        QCOMPARE(stale.Id, first.Id);
        session->CancelCallback(stale);
        session->CancelCallback(TMessageHandle{99, second.Serial});
        session->CancelCallback(second);

        server.Client(0).SendInflated(EncodeFrame(second.Id, "2") + EncodeFrame(first.Id, "1"));
        QTRY_COMPARE_WITH_TIMEOUT(log.answers.size(), 1, WaitMs);
        QCOMPARE(log.answers[0].Command, QByteArray("one"));
        // Both slots are free again; the highest one comes back first.
        QCOMPARE(session->SendMessage(Command("three"), false, log.Callback()).Id, second.Id);
        QCOMPARE(session->SendMessage(Command("four"), false, log.Callback()).Id, 7);
        // A handle that has been answered no longer names the slot's new request.
        session->CancelCallback(second);
        server.Client(0).SendInflated(EncodeFrame(second.Id, "3"));
        QTRY_COMPARE_WITH_TIMEOUT(log.answers.size(), 2, WaitMs);
        QCOMPARE(log.answers[1].Command, QByteArray("three"));
    }

    void serverCloseAnswersEveryWaitingRequest()
    {
        // Declared before the session, whose last answers still reach them.
        AnswerLog log;
        QVector<QByteArray> responses;
        int disconnects = 0;
        FakeAlertServer server;
        auto session = ConnectedSession(server);
        QVERIFY(session);
        session->OnDisconnected = [&] { ++disconnects; };
        session->OnResponse = [&](bool success, QByteArrayView, const TMessageToServer &msg) {
            responses.append((success ? "ok " : "fail ") + msg.Value("command"));
        };
        session->SendMessage(Command("permanent"), true, log.Callback());
        session->SendMessage(Command("oneshot"), false, log.Callback());
        server.Client(0).Close();

        QTRY_COMPARE_WITH_TIMEOUT(session->State(), TTalkWithServer::TState::Closed, WaitMs);
        QCOMPARE(disconnects, 1);
        QCOMPARE(session->ErrorMessage(), QStringLiteral("Unexpected disconnect from server."));
        QCOMPARE(log.answers.size(), 2);
        // Slots are answered in index order: the one-shot sits in the higher one.
        QCOMPARE(log.answers[0].Command, QByteArray("permanent"));
        QCOMPARE(log.answers[1].Command, QByteArray("oneshot"));
        for (const Answer &answer : log.answers) {
            QVERIFY(!answer.Success);
            QVERIFY(answer.Body.isEmpty());
        }
        // Only the one-shot request's error answer is announced through OnResponse.
        QCOMPARE(responses, QVector<QByteArray>{"fail oneshot"});

        // A closed session refuses at once, and sends nothing.
        responses.clear();
        const TMessageHandle refused = session->SendMessage(Command("late"), false, log.Callback());
        session->SendMessage(Command("late permanent"), true, log.Callback());
        QCOMPARE(refused.Id, 0);
        QCOMPARE(log.answers.size(), 4);
        QCOMPARE(responses, QVector<QByteArray>{"fail late"});
    }

    void failedStartsExplainThemselves_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("message");
        // Spaces make a name no host can carry: the look-up fails without asking a name server.
        QTest::newRow("unresolvable host") << "no such host:9339" << "DNS error";
        QTest::newRow("refused port") << "127.0.0.1:REFUSED" << "Connection refused";
        // Split at the first colon, the port text keeps the second one and is unusable.
        QTest::newRow("two colons") << "127.0.0.1:1:2"
                                    << "TSocketServerConnection.Connect, ESocketException, ";
    }

    void failedStartsExplainThemselves()
    {
        // Declared before the session, whose last answers still reach them.
        AnswerLog log;
        QFETCH(QString, address);
        QFETCH(QString, message);
        if (address.contains(QLatin1String("REFUSED"))) {
            // A port that was free a moment ago and has nobody listening now.
            QTcpServer closedAgain;
            QVERIFY(closedAgain.listen(QHostAddress::LocalHost, 0));
            address.replace(QLatin1String("REFUSED"), QString::number(closedAgain.serverPort()));
            closedAgain.close();
        }
        TTalkWithServer session(TransportTo(address));
        QCOMPARE(session.ErrorMessage(), QStringLiteral("Unable to connect to server."));
        session.SendMessage(Command("login"), true, log.Callback());
        session.Connect();
        // A generous bound for a busy machine.
        QTRY_COMPARE_WITH_TIMEOUT(session.State(), TTalkWithServer::TState::Closed, 3 * WaitMs);
        QVERIFY2(session.ErrorMessage().startsWith(message), qPrintable(session.ErrorMessage()));
        QCOMPARE(log.answers.size(), 1);
        QVERIFY(!log.answers[0].Success);
        QVERIFY_THROWS_EXCEPTION(EAssertionFailed, session.Connect());
    }

    void anAddressWithoutPortUses8888()
    {
        QTcpServer server;
        if (!server.listen(QHostAddress::LocalHost, 8888))
            QSKIP("port 8888 on 127.0.0.1 is in use");
        TTalkWithServer session(TransportTo(QStringLiteral("127.0.0.1")));
        session.Connect();
        QCOMPARE(session.ErrorMessage(), QStringLiteral("Error in server connection."));
        QTRY_COMPARE_WITH_TIMEOUT(session.State(), TTalkWithServer::TState::Connected, WaitMs);
    }

    void aTunnelThatCannotStartClosesTheSessionWithItsReason()
    {
        // Declared before the session, whose last answers still reach them.
        AnswerLog log;
        int disconnects = 0;
        TTransportSettings tunnel;
        tunnel.TunnelAddress = QStringLiteral("ftp://127.0.0.1:1/");
        TTalkWithServer session(tunnel);
        session.OnDisconnected = [&] { ++disconnects; };
        session.SendMessage(Command("login"), true, log.Callback());
        session.Connect();
        QCOMPARE(session.State(), TTalkWithServer::TState::Closed);
        QCOMPARE(session.ErrorMessage(),
                 QStringLiteral("THttpTunnel.Connect, EHttpException, "
                                "Not an http or https URL: \"ftp://127.0.0.1:1/\", 0, "));
        QCOMPARE(disconnects, 1);
        QCOMPARE(log.answers.size(), 1);
    }

    void corruptServerDataClosesTheSession_data()
    {
        QTest::addColumn<bool>("inflatable");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("error");
        QTest::addColumn<QString>("report");
        QTest::newRow("not zlib") << false << QByteArray("this is no zlib stream at all")
                                  << "Invalid data from server: data error"
                                  << "Class=EZDecompressionError, Message=data error, ";
        QByteArray negative = EncodeFrame(1, "first");
        AppendInt32(negative, 1);
        AppendInt32(negative, -5);
        QTest::newRow("negative length") << true << negative << "Invalid data from server: "
                                         << "Class=EInvalidServerData, ";
    }

    void corruptServerDataClosesTheSession()
    {
        // Declared before the session, whose last answers still reach them.
        AnswerLog log;
        QFETCH(bool, inflatable);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, error);
        QFETCH(QString, report);
        FakeAlertServer server;
        auto session = ConnectedSession(server);
        QVERIFY(session);
        session->SendMessage(Command("listen_for_alerts"), true, log.Callback());
        QTRY_COMPARE_WITH_TIMEOUT(server.Client(0).Requests().size(), 1, WaitMs);
        if (inflatable)
            server.Client(0).SendInflated(bytes);
        else
            server.Client(0).SendRaw(bytes);

        QTRY_COMPARE_WITH_TIMEOUT(session->State(), TTalkWithServer::TState::Closed, WaitMs);
        QVERIFY2(session->ErrorMessage().startsWith(error), qPrintable(session->ErrorMessage()));
        QVERIFY(session->ErrorMessage().size() > QStringLiteral("Invalid data from server: ").size());
        QCOMPARE(debugLines_.size(), 1);
        QVERIFY2(debugLines_[0].startsWith(report), qPrintable(debugLines_[0]));
        QVERIFY(debugLines_[0].endsWith(
            QStringLiteral(", Location=TalkWithServer, TTalkWithServer.ServerConnectionDataAvailable")));
        // The frame in front of the bad header still arrived; then the error answer.
        const QVector<Answer> expected = inflatable
            ? QVector<Answer>{{true, "first", {}}, {false, {}, {}}}
            : QVector<Answer>{{false, {}, {}}};
        QCOMPARE(log.answers.size(), expected.size());
        for (int i = 0; i < expected.size(); ++i) {
            QCOMPARE(log.answers[i].Success, expected[i].Success);
            QCOMPARE(log.answers[i].Body, expected[i].Body);
        }
    }

    void callbackErrorsAreReportedAndSwallowed()
    {
        // Declared before the session, whose last answers still reach them.
        AnswerLog log;
        FakeAlertServer server;
        auto session = ConnectedSession(server);
        QVERIFY(session);
        const auto failing = [](bool, QByteArrayView, const TMessageToServer &) {
            throw std::runtime_error("callback failed");
        };
        const qint32 bad = session->SendMessage(MakeMessage("command", "ping", "response", "1"),
                                                false, failing).Id;
        const qint32 good = session->SendMessage(Command("fine"), false, log.Callback()).Id;
        server.Client(0).SendInflated(EncodeFrame(bad, "") + EncodeFrame(good, "ok"));
        QTRY_COMPARE_WITH_TIMEOUT(log.answers.size(), 1, WaitMs);
        QCOMPARE(debugLines_, QStringList{QStringLiteral(
            "Class=std::runtime_error, Message=callback failed, Location=TTalkWithServer.SendGoodResponse, "
            "(\"command\" --> \"ping\", \"response\" --> \"1\")")});

        server.Client(0).Close();
        QTRY_COMPARE_WITH_TIMEOUT(session->State(), TTalkWithServer::TState::Closed, WaitMs);
        session->SendMessage(Command("late"), false, failing);
        QCOMPARE(debugLines_.size(), 2);
        QCOMPARE(debugLines_[1], QStringLiteral("Class=std::runtime_error, Message=callback failed, "
                                                "Location=TTalkWithServer.SendErrorResponse, (\"command\" --> \"late\")"));
    }

    void callbacksMaySendOrDestroyTheSession()
    {
        // Declared before the session, whose last answers still reach them.
        AnswerLog filler;
        AnswerLog log;
        int disconnects = 0;
        FakeAlertServer server;
        std::unique_ptr<TTalkWithServer> session = ConnectedSession(server);
        QVERIFY(session);
        // An answer may send the next request at once; a one-shot slot is free by then,
        // so with every other slot taken the new request lands in the same one.
        qint32 followUpId = 0;
        const auto sendFollowUp = [&](bool, QByteArrayView, const TMessageToServer &) {
            followUpId = session->SendMessage(Command("follow-up"), false, log.Callback()).Id;
        };
        qint32 lastId = 0;
        for (int i = 0; i < 8; ++i)
            lastId = session->SendMessage(Command("filler"), false,
                                          i == 7 ? TResponseCallback(sendFollowUp) : filler.Callback()).Id;
        QCOMPARE(lastId, 2);
        server.Client(0).SendInflated(EncodeFrame(lastId, ""));
        QTRY_COMPARE_WITH_TIMEOUT(server.Client(0).RequestsFor("follow-up").size(), 1, WaitMs);
        QCOMPARE(followUpId, lastId);

        // An answer may end the whole session; the frames behind it are dropped.
        session->OnDisconnected = [&] { ++disconnects; };
        const qint32 last = session->SendMessage(
            Command("last"), true, [&](bool success, QByteArrayView, const TMessageToServer &) {
                if (success)
                    session.reset();
            }).Id;
        server.Client(0).SendInflated(EncodeFrame(last, "") + EncodeFrame(followUpId, "dropped"));
        QTRY_VERIFY_WITH_TIMEOUT(!session, WaitMs);
        QVERIFY(disconnects >= 1);
        // The waiting follow-up got its error answer as the session went, not the frame.
        QCOMPARE(log.answers.size(), 1);
        QVERIFY(!log.answers[0].Success);
        QCOMPARE(filler.answers.size(), 7);
        QTRY_VERIFY_WITH_TIMEOUT(server.Client(0).Closed(), WaitMs);
    }

    void destructionAnswersWaitingRequests()
    {
        // Declared before the session, whose last answers still reach them.
        AnswerLog log;
        int disconnects = 0;
        FakeAlertServer server;
        auto session = ConnectedSession(server);
        QVERIFY(session);
        session->OnDisconnected = [&] { ++disconnects; };
        session->SendMessage(Command("waiting"), true, log.Callback());
        session.reset();
        QCOMPARE(log.answers.size(), 1);
        QVERIFY(!log.answers[0].Success);
        // The connection reports its own end as it goes, which repeats the disconnect
        // without answering anything twice.
        QVERIFY(disconnects >= 1);
        QTRY_VERIFY_WITH_TIMEOUT(server.Client(0).Closed(), WaitMs);
    }

private:
    QStringList debugLines_;
};

QTEST_GUILESS_MAIN(TestTalkWithServer)
#include "tst_TalkWithServer.moc"

// The session against a server that attacks it: floods that inflate to far more than
// the client could hold, and lengths no frame may have. The client must keep its
// memory bounded and its event loop turning throughout.

#include "shared/TTalkWithServer.h"
#include "shared/WireFormat.h"

#include "support/DebugCapture.h"
#include "support/FakeAlertServer.h"
#include "support/TransportTo.h"

#include <QTimer>
#include <QtTest>

#include <functional>

namespace {

constexpr int WaitMs = 120000;
const QByteArray Sentinel = "end of attack";

// The rest of one client's compressed stream, in the pieces the attack sends.
using TAttack = std::function<QByteArrayList(FakeAlertClient &client, qint32 alertId)>;

// Zeros inflate to empty frames for no request. After the first MiB the window holds
// only zeros, so every further MiB compresses to the same bytes and a huge run can be
// sent without compressing it.
QByteArrayList ZlibBomb(FakeAlertClient &client, int mebibytes)
{
    const QByteArray zeros(1024 * 1024, '\0');
    QByteArrayList pieces{client.Compress(zeros)};
    const QByteArray again = client.Compress(zeros);
    for (int i = 1; i < mebibytes; ++i)
        pieces.append(again);
    return pieces;
}

QByteArrayList EmptyFrameBursts(FakeAlertClient &client, qint32 alertId, int bursts)
{
    QByteArray burst;
    for (int i = 0; i < 100000; ++i)
        burst += EncodeFrame(alertId, QByteArray());
    QByteArrayList pieces;
    for (int i = 0; i < bursts; ++i)
        pieces.append(client.Compress(burst));
    return pieces;
}

QByteArrayList LongestFrames(FakeAlertClient &client, qint32 alertId, int count)
{
    const QByteArray frame = EncodeFrame(alertId, QByteArray(MaxWireLength, 'a'));
    QByteArrayList pieces;
    for (int i = 0; i < count; ++i)
        pieces.append(client.Compress(frame));
    return pieces;
}

} // namespace

Q_DECLARE_METATYPE(TAttack)

class TestHostileServer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void floodsStayBoundedAndTheLoopKeepsTurning_data()
    {
        QTest::addColumn<TAttack>("attack");
        QTest::addColumn<int>("alerts");
        QTest::addColumn<int>("longestAlert");
        QTest::newRow("zlib bomb, 256 MiB of zeros")
            << TAttack([](FakeAlertClient &client, qint32) { return ZlibBomb(client, 256); }) << 0 << 0;
        QTest::newRow("ten bursts of 100,000 empty frames")
            << TAttack([](FakeAlertClient &client, qint32 id) { return EmptyFrameBursts(client, id, 10); })
            << 1000000 << 0;
        QTest::newRow("frames of the longest length")
            << TAttack([](FakeAlertClient &client, qint32 id) { return LongestFrames(client, id, 4); })
            << 4 << int(MaxWireLength);
    }

    void floodsStayBoundedAndTheLoopKeepsTurning()
    {
        QFETCH(TAttack, attack);
        QFETCH(int, alerts);
        QFETCH(int, longestAlert);

        // Declared before the session, whose last answers still reach them.
        int received = 0;
        int longest = 0;
        bool sentinelSeen = false;
        int ticksDuringAttack = 0;
        // The real event loop, not a test wait that sleeps between its turns.
        QEventLoop attackOver;
        FakeAlertServer server;
        TTalkWithServer session(TransportTo(server.Address()));
        const qint32 alertId = session.SendMessage(
            MakeMessage("command", "listen_for_alerts"), true,
            [&](bool success, QByteArrayView body, const TMessageToServer &) {
                if (!success)
                    return;
                if (body == Sentinel) {
                    sentinelSeen = true;
                    attackOver.quit();
                    return;
                }
                ++received;
                longest = std::max(longest, int(body.size()));
            }).Id;
        session.Connect();
        QTRY_VERIFY_WITH_TIMEOUT(server.ClientCount() == 1 && server.Client(0).Requests().size() == 1,
                                 10000);
        FakeAlertClient &client = server.Client(0);

        // A timer that fires on every idle turn of the loop counts the turns the
        // attack leaves it.
        QTimer everyTurn;
        everyTurn.setInterval(0);
        QObject::connect(&everyTurn, &QTimer::timeout, &everyTurn, [&] { ++ticksDuringAttack; });
        everyTurn.start();
        for (const QByteArray &piece : attack(client, alertId))
            client.SendRaw(piece);
        client.SendRaw(client.Compress(EncodeFrame(alertId, Sentinel)));
        session.OnDisconnected = [&] { attackOver.quit(); };
        QTimer::singleShot(WaitMs, &attackOver, &QEventLoop::quit);
        attackOver.exec();
        everyTurn.stop();
        session.OnDisconnected = nullptr;

        QVERIFY(sentinelSeen);
        QCOMPARE(session.State(), TTalkWithServer::TState::Connected);
        QCOMPARE(received, alerts);
        QCOMPARE(longest, longestAlert);
        QVERIFY2(session.PeakUndeliveredBytes() <= MaxFrameBytes,
                 qPrintable(QString::number(session.PeakUndeliveredBytes())));
        // Hundreds of slices: the loop ran between them, not once behind all of them.
        QVERIFY2(ticksDuringAttack >= 100, qPrintable(QString::number(ticksDuringAttack)));
    }

    void aFrameLongerThanAnyIsRefusedAtItsHeader()
    {
        FakeAlertServer server;
        TTalkWithServer session(TransportTo(server.Address()));
        const qint32 alertId = session.SendMessage(MakeMessage("command", "listen_for_alerts"),
                                                   true, [](bool, QByteArrayView, const TMessageToServer &) {}).Id;
        session.Connect();
        QTRY_VERIFY_WITH_TIMEOUT(server.ClientCount() == 1 && server.Client(0).Requests().size() == 1,
                                 10000);
        // Only the header: the session must not wait for a body it would never hold.
        QByteArray header;
        AppendInt32(header, alertId);
        AppendInt32(header, MaxWireLength + 1);
        server.Client(0).SendInflated(header);
        QTRY_COMPARE_WITH_TIMEOUT(session.State(), TTalkWithServer::TState::Closed, 10000);
        QCOMPARE(session.ErrorMessage(),
                 QStringLiteral("Invalid data from server: bad frame length 16777217"));
    }

    void aLoginHandlerThatFailsReportsNoPassword()
    {
        const TDebugCapture debug;
        const QStringList &debugLines = debug.Lines();
        FakeAlertServer server;
        // A login answer the handler cannot cope with, as when memory runs out.
        server.OnRequest = [](FakeAlertClient &client, const TMessageToServer &request) {
            client.SendFrame(request.Value("message_id").toInt(), QByteArray(100000, '\n'));
        };
        TTalkWithServer session(TransportTo(server.Address()));
        session.SendMessage(MakeMessage("command", "login", "username", "ann", "password",
                                        "hunter2", "session_id", ""),
                            true, [](bool success, QByteArrayView, const TMessageToServer &) {
                                if (success)
                                    throw std::bad_alloc();
                            });
        session.Connect();
        QTRY_COMPARE_WITH_TIMEOUT(debugLines.size(), 1, 10000);
        QVERIFY2(debugLines[0].contains(QLatin1String("\"username\" --> \"ann\", \"password\" --> \"***\"")),
                 qPrintable(debugLines[0]));
        QVERIFY(!debugLines[0].contains(QLatin1String("hunter2")));
    }
};

QTEST_GUILESS_MAIN(TestHostileServer)
#include "tst_HostileServer.moc"

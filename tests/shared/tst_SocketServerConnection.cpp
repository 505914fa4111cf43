#include "shared/Exception.h"
#include "shared/TSocketServerConnection.h"
#include "support/ConnectionProbe.h"
#include "support/EventLoopSentinel.h"
#include "support/LoopbackTcpServer.h"
#include "support/TestBytes.h"
#include "support/TransportTo.h"

#include <QtTest>

#include <memory>

namespace {

constexpr int kWaitMs = LoopbackTcpServer::kWaitMs;

// A connection to a loopback server, with the server's end of it.
struct OpenConnection
{
    LoopbackTcpServer server;
    ConnectionProbe probe;
    std::unique_ptr<TSocketServerConnection> connection;
    QTcpSocket *peer = nullptr;

    bool Open()
    {
        connection = std::make_unique<TSocketServerConnection>(
            TransportTo(QStringLiteral("127.0.0.1:") + server.PortText()));
        probe.Attach(*connection);
        if (!connection->Connect())
            return false;
        peer = server.WaitForPeer();
        return peer && QTest::qWaitFor([this] { return probe.Connected > 0; }, kWaitMs);
    }
};

} // namespace

class TestSocketServerConnection : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void connectsAsynchronouslyAndReportsConnectedOnce()
    {
        LoopbackTcpServer server;
        QVERIFY(server.IsListening());
        ConnectionProbe probe;
        TSocketServerConnection connection(TransportTo(QStringLiteral("127.0.0.1:") + server.PortText()));
        probe.Attach(connection);

        QVERIFY(connection.Connect());
        // Nothing is reported from inside Connect when the attempt is under way.
        QCOMPARE(connection.State(), quint8(TSocketServerConnection::StateNotConnected));
        QCOMPARE(probe.Connected, 0);
        QVERIFY(connection.ErrorMessage.isEmpty());

        QTRY_COMPARE_WITH_TIMEOUT(probe.Connected, 1, kWaitMs);
        QVERIFY(server.WaitForPeer());
        QCOMPARE(connection.State(), quint8(TSocketServerConnection::StateConnected));
        QVERIFY(EventLoopSentinel::PassThrough());
        QCOMPARE(probe.Connected, 1);
        QCOMPARE(probe.Closed, 0);
    }

    void carriesBytesBothWaysInOrder()
    {
        OpenConnection open;
        QVERIFY(open.Open());

        const QByteArray first("first"), middle = Pattern(200000), last("last");
        open.connection->Send(first);
        open.connection->Send(middle);
        open.connection->Send(last);
        const QByteArray sent = first + middle + last;
        QCOMPARE(LoopbackTcpServer::ReadExactly(open.peer, int(sent.size())), sent);

        const QByteArray reply = Pattern(150000, 3) + QByteArray("end");
        open.peer->write(reply.left(10));
        open.peer->write(reply.mid(10));
        QTRY_COMPARE_WITH_TIMEOUT(open.probe.Received.size(), reply.size(), kWaitMs);
        QCOMPARE(open.probe.Received, reply);
    }

    void readAvailableTakesEverythingWaiting_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("one byte") << 1;
        QTest::newRow("just under the first buffer") << 4095;
        QTest::newRow("exactly the first buffer") << 4096;
        QTest::newRow("just over the first buffer") << 4097;
        QTest::newRow("ten thousand, three buffer sizes") << 10000;
        QTest::newRow("many doublings") << 300000;
    }

    void readAvailableTakesEverythingWaiting()
    {
        QFETCH(int, size);
        OpenConnection open;
        open.probe.ReadOnData = false;
        QVERIFY(open.Open());

        // The server's close arrives behind all of its bytes, so once it is reported
        // everything sent is waiting in the connection.
        const QByteArray payload = Pattern(size, 11);
        open.peer->write(payload);
        open.peer->disconnectFromHost();
        QTRY_COMPARE_WITH_TIMEOUT(open.probe.Closed, 1, kWaitMs);
        QVERIFY(open.probe.DataEvents > 0);

        QByteArray data("stale");
        open.connection->ReadAvailable(data);
        QCOMPARE(data.size(), payload.size());
        QCOMPARE(data, payload);
        open.connection->ReadAvailable(data);
        QVERIFY(data.isEmpty());
    }

    void readAvailableWithNothingWaitingIsEmpty()
    {
        TSocketServerConnection unconnected(TransportTo(QStringLiteral("127.0.0.1:1")));
        QByteArray data("stale");
        unconnected.ReadAvailable(data);
        QVERIFY(data.isEmpty());

        OpenConnection open;
        QVERIFY(open.Open());
        data = "stale";
        open.connection->ReadAvailable(data);
        QVERIFY(data.isEmpty());
    }

    void endOfConnectionIsReportedOnce_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("server closes") << QStringLiteral("server");
        QTest::newRow("Close") << QStringLiteral("close");
        QTest::newRow("Close twice") << QStringLiteral("close twice");
        QTest::newRow("Close, then the server closes too") << QStringLiteral("both");
    }

    void endOfConnectionIsReportedOnce()
    {
        QFETCH(QString, how);
        OpenConnection open;
        QVERIFY(open.Open());

        if (how == QLatin1String("server")) {
            open.peer->disconnectFromHost();
        } else {
            open.connection->Close();
            // Close ends the connection later, from the event loop.
            QCOMPARE(open.probe.Closed, 0);
            if (how == QLatin1String("close twice"))
                open.connection->Close();
            if (how == QLatin1String("both"))
                open.peer->disconnectFromHost();
            QVERIFY(LoopbackTcpServer::WaitForDisconnect(open.peer));
        }
        QTRY_COMPARE_WITH_TIMEOUT(open.probe.Closed, 1, kWaitMs);
        QCOMPARE(open.connection->State(), quint8(TSocketServerConnection::StateClosed));
        open.connection->Close();
        QVERIFY(EventLoopSentinel::PassThrough());
        QCOMPARE(open.probe.Closed, 1);

        // Destroying a connection that already ended reports nothing more.
        open.connection.reset();
        QVERIFY(EventLoopSentinel::PassThrough());
        QCOMPARE(open.probe.Closed, 1);
        QCOMPARE(open.probe.Connected, 1);
    }

    void closeSendsWhatWasQueuedFirstAndNothingAfter()
    {
        OpenConnection open;
        QVERIFY(open.Open());
        const QByteArray last = Pattern(500000, 5);
        open.connection->Send(last);
        open.connection->Close();
        // Still State 1 until the socket reports the end: the bytes go nowhere.
        open.connection->Send("while closing");
        QCOMPARE(LoopbackTcpServer::ReadExactly(open.peer, int(last.size())), last);
        QTRY_COMPARE_WITH_TIMEOUT(open.probe.Closed, 1, kWaitMs);
        open.connection->Send("after the end");
        QByteArray behind;
        const auto ended = [&] {
            behind += open.peer->readAll();
            return open.peer->state() == QAbstractSocket::UnconnectedState;
        };
        QTRY_VERIFY_WITH_TIMEOUT(ended(), kWaitMs);
        QCOMPARE(behind + open.peer->readAll(), QByteArray());
        QCOMPARE(open.probe.Closed, 1);
    }

    void destroyingAnOpenConnectionReportsItsEndOnce_data()
    {
        QTest::addColumn<bool>("waitForConnected");
        QTest::newRow("connected") << true;
        QTest::newRow("still connecting") << false;
    }

    void destroyingAnOpenConnectionReportsItsEndOnce()
    {
        QFETCH(bool, waitForConnected);
        LoopbackTcpServer server;
        ConnectionProbe probe;
        auto connection = std::make_unique<TSocketServerConnection>(
            TransportTo(QStringLiteral("127.0.0.1:") + server.PortText()));
        probe.Attach(*connection);
        QVERIFY(connection->Connect());
        if (waitForConnected)
            QTRY_COMPARE_WITH_TIMEOUT(probe.Connected, 1, kWaitMs);

        connection.reset();
        QCOMPARE(probe.Closed, 1);
        // Nothing of the torn-down socket arrives afterwards.
        QVERIFY(EventLoopSentinel::PassThrough());
        QCOMPARE(probe.Closed, 1);
        QCOMPARE(probe.Connected, waitForConnected ? 1 : 0);

        if (waitForConnected) {
            QTcpSocket *peer = server.WaitForPeer();
            QVERIFY(peer);
            QVERIFY(LoopbackTcpServer::WaitForDisconnect(peer));
        }
    }

    void misuseRaisesAssertions()
    {
        LoopbackTcpServer server;
        TSocketServerConnection connection(TransportTo(QStringLiteral("127.0.0.1:") + server.PortText()));
        QVERIFY_THROWS_EXCEPTION(EAssertionFailed, connection.Send("too early"));
        QVERIFY(connection.Connect());
        try {
            connection.Send("still too early");
            QFAIL("Send before OnConnected was accepted");
        } catch (const EAssertionFailed &e) {
            QVERIFY2(e.Message().contains(QLatin1String("(TSocketServerConnection.cpp, line ")),
                     qPrintable(e.Message()));
        }
        QVERIFY_THROWS_EXCEPTION(EAssertionFailed, connection.Connect());
    }

    void anAddressNotReachedClosesWithoutConnecting_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("error");
        QTest::newRow("refused") << QStringLiteral("127.0.0.1:") + LoopbackTcpServer::UnusedPortText()
                                 << QStringLiteral("Connection refused");
        // A name no host can carry (the spaces): the look-up fails on this machine,
        // without asking any name server.
        QTest::newRow("unresolvable host") << QStringLiteral("no such host:9339") << QStringLiteral("DNS error");
    }

    void anAddressNotReachedClosesWithoutConnecting()
    {
        QFETCH(QString, address);
        QFETCH(QString, error);
        ConnectionProbe probe;
        TSocketServerConnection connection(TransportTo(address));
        probe.Attach(connection);
        // The attempt and any look-up run in the background: Connect comes back at once
        // and the event loop keeps turning until the answer is there.
        bool loopTurned = false;
        QTimer::singleShot(0, [&] { loopTurned = true; });
        QVERIFY(connection.Connect());
        QCOMPARE(probe.Closed, 0);
        QVERIFY(connection.ErrorMessage.isEmpty());

        QTRY_COMPARE_WITH_TIMEOUT(probe.Closed, 1, 30000);
        QVERIFY(loopTurned);
        QVERIFY(EventLoopSentinel::PassThrough());
        QCOMPARE(probe.Closed, 1);
        QCOMPARE(probe.Connected, 0);
        QCOMPARE(connection.State(), quint8(TSocketServerConnection::StateClosed));
        // The socket's own words, for the status line.
        QCOMPARE(connection.ErrorMessage, error);
    }

    void settingsThatCannotStartFailOnTheSpot_data()
    {
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("socksLevel");
        QTest::addColumn<QString>("socksPort");
        QTest::addColumn<QString>("expectedError");
        const QString prefix = QStringLiteral("TSocketServerConnection.Connect, ESocketException, ");
        QTest::newRow("no port") << QString() << QString() << QString()
                                 << prefix + QStringLiteral("Invalid port \"\"");
        QTest::newRow("port with a second colon")
            << QStringLiteral("9339:1") << QString() << QString()
            << prefix + QStringLiteral("Invalid port \"9339:1\"");
        QTest::newRow("port out of range") << QStringLiteral("65536") << QString() << QString()
                                           << prefix + QStringLiteral("Invalid port \"65536\"");
        QTest::newRow("port zero") << QStringLiteral("0") << QString() << QString()
                                   << prefix + QStringLiteral("Invalid port \"0\"");
        QTest::newRow("unknown SOCKS level")
            << QStringLiteral("9339") << QStringLiteral("6") << QStringLiteral("1080")
            << prefix + QStringLiteral("Unsupported SOCKS level \"6\"");
        QTest::newRow("SOCKS port not a number")
            << QStringLiteral("9339") << QStringLiteral("5") << QStringLiteral("socks")
            << prefix + QStringLiteral("Invalid SOCKS port \"socks\"");
    }

    void settingsThatCannotStartFailOnTheSpot()
    {
        QFETCH(QString, port);
        QFETCH(QString, socksLevel);
        QFETCH(QString, socksPort);
        QFETCH(QString, expectedError);
        ConnectionProbe probe;
        TTransportSettings transport = TransportTo(QStringLiteral("127.0.0.1:") + port);
        if (!socksLevel.isEmpty()) {
            transport.Socks.Host = QStringLiteral("127.0.0.1");
            transport.Socks.Port = socksPort;
            transport.Socks.Level = socksLevel;
        }
        auto connection = std::make_unique<TSocketServerConnection>(transport);
        probe.Attach(*connection);

        QVERIFY(!connection->Connect());
        QCOMPARE(connection->ErrorMessage, expectedError);
        QCOMPARE(probe.Closed, 1);
        QCOMPARE(connection->State(), quint8(TSocketServerConnection::StateNotConnected));
        QVERIFY(EventLoopSentinel::PassThrough());
        QCOMPARE(probe.Closed, 1);
        QCOMPARE(probe.Connected, 0);

        // State never became 2, so destroying the object reports the end once more.
        connection.reset();
        QCOMPARE(probe.Closed, 2);
    }

    void detachedHandlerIsNotCalledOnDestruction()
    {
        ConnectionProbe probe;
        auto connection =
            std::make_unique<TSocketServerConnection>(TransportTo(QStringLiteral("127.0.0.1:x")));
        probe.Attach(*connection);
        QVERIFY(!connection->Connect());
        connection->OnSessionClosed = nullptr;
        connection.reset();
        QCOMPARE(probe.Closed, 1);
    }

    void incompleteSocksSettingsConnectDirectly_data()
    {
        QTest::addColumn<QString>("socksServer");
        QTest::addColumn<QString>("socksPort");
        QTest::addColumn<QString>("socksLevel");
        // A SOCKS setting that were used would lead to a port where nobody listens.
        const QString deadPort = LoopbackTcpServer::UnusedPortText();
        QTest::newRow("level set, server empty") << QString() << deadPort << QStringLiteral("5");
        QTest::newRow("level set, port empty") << QStringLiteral("127.0.0.1") << QString()
                                               << QStringLiteral("4");
        QTest::newRow("server and port set, level empty")
            << QStringLiteral("127.0.0.1") << deadPort << QString();
    }

    void incompleteSocksSettingsConnectDirectly()
    {
        QFETCH(QString, socksServer);
        QFETCH(QString, socksPort);
        QFETCH(QString, socksLevel);
        LoopbackTcpServer server;
        ConnectionProbe probe;
        TTransportSettings transport = TransportTo(QStringLiteral("127.0.0.1:") + server.PortText());
        transport.Socks.Host = socksServer;
        transport.Socks.Port = socksPort;
        transport.Socks.Level = socksLevel;
        transport.Socks.User = QStringLiteral("someone");
        TSocketServerConnection connection(transport);
        probe.Attach(connection);
        QVERIFY(connection.Connect());
        QTRY_COMPARE_WITH_TIMEOUT(probe.Connected, 1, kWaitMs);
        QTcpSocket *peer = server.WaitForPeer();
        QVERIFY(peer);
        connection.Send("direct");
        QCOMPARE(LoopbackTcpServer::ReadExactly(peer, 6), QByteArray("direct"));
    }

    void handlersMayDestroyTheConnection()
    {
        // The session's owner drops the connection as soon as it learns of its end.
        LoopbackTcpServer server;
        auto *connection =
            new TSocketServerConnection(TransportTo(QStringLiteral("127.0.0.1:") + server.PortText()));
        int closed = 0;
        connection->OnConnected = [](TGenericServerConnection *sender) { sender->Close(); };
        connection->OnSessionClosed = [&closed](TGenericServerConnection *sender) {
            ++closed;
            sender->OnSessionClosed = nullptr;
            delete sender;
        };
        QVERIFY(connection->Connect());
        QTRY_COMPARE_WITH_TIMEOUT(closed, 1, kWaitMs);
        QVERIFY(EventLoopSentinel::PassThrough());
        QCOMPARE(closed, 1);
    }
};

QTEST_GUILESS_MAIN(TestSocketServerConnection)
#include "tst_SocketServerConnection.moc"

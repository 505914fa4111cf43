#include "net/ESocketException.h"
#include "net/TAsyncSocket.h"
#include "net/TSocksHandshake.h"
#include "shared/TSocketServerConnection.h"
#include "support/ConnectionProbe.h"
#include "support/EventLoopSentinel.h"
#include "support/LoopbackTcpServer.h"
#include "support/ProxyProcess.h"
#include "support/TransportTo.h"

#include <QRandomGenerator>
#include <QtTest>

#include <memory>

namespace {

constexpr int kWaitMs = LoopbackTcpServer::kWaitMs;

QByteArray Hex(const char *hex)
{
    return QByteArray::fromHex(hex);
}

// A user switches on user-code authentication.
TSocksProxy Socks(const char *level, const QString &user = {}, const QString &password = {})
{
    return {QStringLiteral("proxy"), QStringLiteral("1080"), QLatin1String(level), user, password};
}

} // namespace

Q_DECLARE_METATYPE(TSocksProxy)

// One proxy conversation: what the client must send first, then pairs of (proxy
// reply, what the client must answer to it).
using Script = QList<QByteArray>;

class TestSocksProxy : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TProxyProcess> dante_;
    QString danteUnavailable_;
    // The SOCKS 5 server for the rows that log in with a password: one made up for
    // this run, kept on microsocks' command line, so no account is created.
    std::unique_ptr<TProxyProcess> microsocks_;
    QString microsocksUnavailable_;
    static constexpr const char *kUser = "azurev";
    QString microsocksPassword_;

    // The proxy's port for a row: microsocks for SOCKS 5 with a password, Dante for
    // the rest. Empty, with the reason set, when that proxy cannot run here.
    QString ProxyPort(const QString &level, const QString &password, QString *unavailable) const
    {
        if (level == QLatin1String("5") && !password.isEmpty()) {
            *unavailable = microsocksUnavailable_;
            return microsocks_ ? microsocks_->PortText() : QString();
        }
        *unavailable = danteUnavailable_;
        return dante_ ? dante_->PortText() : QString();
    }

private Q_SLOTS:
    void initTestCase()
    {
        QString why;
        danteUnavailable_ = TProxyProcess::UnavailableReason(TProxyProcess::kDante);
        if (danteUnavailable_.isEmpty()) {
            dante_ = std::make_unique<TProxyProcess>();
            QVERIFY2(dante_->StartDante(&why), qPrintable(why));
        }
        microsocksUnavailable_ = TProxyProcess::UnavailableReason(TProxyProcess::kMicrosocks);
        if (microsocksUnavailable_.isEmpty()) {
            for (int i = 0; i < 16; ++i)
                microsocksPassword_ += QChar(QLatin1Char('a' + char(QRandomGenerator::global()->bounded(26))));
            microsocks_ = std::make_unique<TProxyProcess>();
            QVERIFY2(microsocks_->StartMicrosocks(QLatin1String(kUser), microsocksPassword_, &why), qPrintable(why));
        }
    }

    void cleanupTestCase()
    {
        dante_.reset();
        microsocks_.reset();
    }

    // --- The negotiation as bytes, fed whole and one byte at a time ---

    void handshakeFollowsTheProxyProtocol_data()
    {
        QTest::addColumn<TSocksProxy>("settings");
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::addColumn<Script>("script");
        QTest::addColumn<bool>("succeeds");
        QTest::addColumn<QByteArray>("leftover");

        // Port 9339 is 24 7B; the target's first bytes may follow the final reply.
        QTest::newRow("SOCKS 4 to an address, user code as user id")
            << Socks("4", QStringLiteral("trader")) << QStringLiteral("127.0.0.1") << 9339
            << Script{Hex("0401247B7F000001") + "trader" + Hex("00"), Hex("005A000000000000") + "hello"}
            << true << QByteArray("hello");
        QTest::newRow("SOCKS 4a to a name")
            << Socks("4") << QStringLiteral("alerts.example") << 9339
            << Script{Hex("0401247B0000000100") + "alerts.example" + Hex("00"), Hex("005A000000000000")}
            << true << QByteArray();
        QTest::newRow("SOCKS 4 rejected")
            << Socks("4") << QStringLiteral("10.1.2.3") << 80
            << Script{Hex("040100500A01020300"), Hex("005B000000000000")} << false << QByteArray();
        QTest::newRow("SOCKS 5 to an address without authentication")
            << Socks("5") << QStringLiteral("127.0.0.1") << 9339
            << Script{Hex("050100"), Hex("0500"), Hex("050100017F000001247B"),
                      Hex("050000017F000001C350") + "x"}
            << true << QByteArray("x");
        QTest::newRow("SOCKS 5 to a name with user name and password")
            << Socks("5", QStringLiteral("trader"), QStringLiteral("secret"))
            << QStringLiteral("alerts.example") << 9339
            << Script{Hex("050102"), Hex("0502"),
                      Hex("0106") + "trader" + Hex("06") + "secret", Hex("0100"),
                      Hex("050100030E") + "alerts.example" + Hex("247B"),
                      Hex("0500000304") + "host" + Hex("0050") + "data"}
            << true << QByteArray("data");
        QTest::newRow("SOCKS 5 to an IPv6 address")
            << Socks("5") << QStringLiteral("::1") << 9339
            << Script{Hex("050100"), Hex("0500"),
                      Hex("0501000400000000000000000000000000000001247B"),
                      Hex("05000004000000000000000000000000000000010050")}
            << true << QByteArray();
        QTest::newRow("SOCKS 5 password rejected")
            << Socks("5", QStringLiteral("trader"), QStringLiteral("wrong"))
            << QStringLiteral("127.0.0.1") << 9339
            << Script{Hex("050102"), Hex("0502"), Hex("0106") + "trader" + Hex("05") + "wrong",
                      Hex("0101")}
            << false << QByteArray();
        QTest::newRow("SOCKS 5 proxy wants authentication we do not offer")
            << Socks("5") << QStringLiteral("127.0.0.1") << 9339
            << Script{Hex("050100"), Hex("05FF")} << false << QByteArray();
        QTest::newRow("SOCKS 5 proxy picks a method not offered")
            << Socks("5") << QStringLiteral("127.0.0.1") << 9339
            << Script{Hex("050100"), Hex("0502")} << false << QByteArray();
        QTest::newRow("SOCKS 5 target refuses")
            << Socks("5") << QStringLiteral("127.0.0.1") << 9339
            << Script{Hex("050100"), Hex("0500"), Hex("050100017F000001247B"),
                      Hex("05050001000000000000")}
            << false << QByteArray();
        QTest::newRow("not a SOCKS 5 proxy")
            << Socks("5") << QStringLiteral("127.0.0.1") << 9339
            << Script{Hex("050100"), QByteArray("HTTP/1.0 400")} << false << QByteArray();
    }

    void handshakeFollowsTheProxyProtocol()
    {
        QFETCH(TSocksProxy, settings);
        QFETCH(QString, host);
        QFETCH(int, port);
        QFETCH(Script, script);
        QFETCH(bool, succeeds);
        QFETCH(QByteArray, leftover);

        for (const bool byteByByte : {false, true}) {
            TSocksHandshake handshake(settings, host, quint16(port));
            QCOMPARE(handshake.Start().toHex(), script.at(0).toHex());
            QByteArray input;
            for (int step = 1; step < script.size(); step += 2) {
                const QByteArray &reply = script.at(step);
                QByteArray answer;
                if (byteByByte) {
                    // A reply cut anywhere waits for the rest.
                    for (int i = 0; i < reply.size(); ++i) {
                        input += reply.at(i);
                        answer += handshake.Feed(input);
                    }
                } else {
                    input += reply;
                    answer = handshake.Feed(input);
                }
                const QByteArray expected = step + 1 < script.size() ? script.at(step + 1) : QByteArray();
                QCOMPARE(answer.toHex(), expected.toHex());
                if (step + 2 < script.size())
                    QCOMPARE(handshake.Status(), TSocksHandshake::TStatus::InProgress);
            }
            QCOMPARE(handshake.Status(), succeeds ? TSocksHandshake::TStatus::Succeeded
                                                  : TSocksHandshake::TStatus::Failed);
            QCOMPARE(handshake.FailureText().isEmpty(), succeeds);
            if (succeeds)
                QCOMPARE(input, leftover);
        }
    }

    void handshakeRefusesWhatTheProtocolCannotCarry_data()
    {
        QTest::addColumn<TSocksProxy>("settings");
        QTest::addColumn<QString>("host");
        const QString longText(256, QLatin1Char('a'));
        QTest::newRow("level 6") << Socks("6") << QStringLiteral("127.0.0.1");
        QTest::newRow("level 4a") << Socks("4a") << QStringLiteral("127.0.0.1");
        QTest::newRow("empty host") << Socks("5") << QString();
        QTest::newRow("host over 255 bytes") << Socks("5") << longText;
        QTest::newRow("user code over 255 bytes")
            << Socks("5", longText, QStringLiteral("pw")) << QStringLiteral("127.0.0.1");
        QTest::newRow("password over 255 bytes")
            << Socks("5", QStringLiteral("me"), longText) << QStringLiteral("127.0.0.1");
        QTest::newRow("SOCKS 4 user id with a NUL")
            << Socks("4", QStringLiteral("a") + QChar(0) + QStringLiteral("b"))
            << QStringLiteral("127.0.0.1");
    }

    void handshakeRefusesWhatTheProtocolCannotCarry()
    {
        QFETCH(TSocksProxy, settings);
        QFETCH(QString, host);
        QVERIFY_THROWS_EXCEPTION(ESocketException, TSocksHandshake(settings, host, 9339));
    }

    // --- Through a real proxy on loopback ---

    void connectsThroughTheProxy_data()
    {
        QTest::addColumn<QString>("level");
        QTest::addColumn<QString>("host");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        const QString user = QLatin1String(kUser);
        // The password is made up when the proxy starts; this stands for it.
        const QString password = QStringLiteral("the proxy's password");
        QTest::newRow("SOCKS 4") << QStringLiteral("4") << QStringLiteral("127.0.0.1") << QString() << QString();
        QTest::newRow("SOCKS 4 with a user id")
            << QStringLiteral("4") << QStringLiteral("127.0.0.1") << QStringLiteral("trader") << QString();
        QTest::newRow("SOCKS 5 without authentication")
            << QStringLiteral("5") << QStringLiteral("127.0.0.1") << QString() << QString();
        QTest::newRow("SOCKS 5, the proxy resolves the name")
            << QStringLiteral("5") << QStringLiteral("localhost") << QString() << QString();
        QTest::newRow("SOCKS 5 with user name and password")
            << QStringLiteral("5") << QStringLiteral("127.0.0.1") << user << password;
    }

    void connectsThroughTheProxy()
    {
        QFETCH(QString, level);
        QFETCH(QString, host);
        QFETCH(QString, user);
        QFETCH(QString, password);
        QString unavailable;
        const QString proxyPort = ProxyPort(level, password, &unavailable);
        if (proxyPort.isEmpty())
            QSKIP(qPrintable(unavailable));
        const bool viaDante = dante_ && proxyPort == dante_->PortText();
        if (!viaDante)
            password = microsocksPassword_;

        LoopbackTcpServer server;
        ConnectionProbe probe;
        TTransportSettings transport = TransportTo(host + QLatin1Char(':') + server.PortText());
        transport.Socks = {QStringLiteral("127.0.0.1"), proxyPort, level, user, password};
        TSocketServerConnection connection(transport);
        probe.Attach(connection);
        const int logBefore = viaDante ? int(dante_->Log().size()) : 0;

        QVERIFY(connection.Connect());
        QTRY_COMPARE_WITH_TIMEOUT(probe.Connected + probe.Closed, 1, kWaitMs);
        QVERIFY2(probe.Connected == 1, qPrintable(connection.ErrorMessage));
        QTcpSocket *peer = server.WaitForPeer();
        QVERIFY(peer);

        // Dante logged this very connection ("client proxy -> proxy target"), so it
        // did not go round it. (microsocks lets no one through who did not log in.)
        if (viaDante) {
            const QByteArray target = " 127.0.0.1." + server.PortText().toLatin1() + '\n';
            QByteArray log;
            QTRY_VERIFY2_WITH_TIMEOUT((log = dante_->Log().mid(logBefore)).contains(target),
                                      log.constData(), kWaitMs);
        }

        // The server speaks first: its bytes must not be taken for a proxy reply.
        peer->write("welcome");
        QTRY_COMPARE_WITH_TIMEOUT(probe.Received, QByteArray("welcome"), kWaitMs);
        connection.Send("login");
        QCOMPARE(LoopbackTcpServer::ReadExactly(peer, 5), QByteArray("login"));

        connection.Close();
        QVERIFY(LoopbackTcpServer::WaitForDisconnect(peer));
        QTRY_COMPARE_WITH_TIMEOUT(probe.Closed, 1, kWaitMs);
    }

    void proxyRefusalEndsTheAttempt_data()
    {
        QTest::addColumn<QString>("level");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("targetListens");
        QTest::addColumn<QString>("reason");
        const QString user = QLatin1String(kUser);
        QTest::newRow("SOCKS 5 wrong password")
            << QStringLiteral("5") << user << QStringLiteral("not-the-password") << true
            << QStringLiteral("user code or password rejected");
        QTest::newRow("SOCKS 5 unknown user")
            << QStringLiteral("5") << QStringLiteral("azurev-nobody") << QStringLiteral("x") << true
            << QStringLiteral("user code or password rejected");
        QTest::newRow("SOCKS 5 target not listening")
            << QStringLiteral("5") << QString() << QString() << false << QStringLiteral("SOCKS 5: ");
        QTest::newRow("SOCKS 4 target not listening")
            << QStringLiteral("4") << QString() << QString() << false
            << QStringLiteral("SOCKS 4 request rejected");
    }

    void proxyRefusalEndsTheAttempt()
    {
        QFETCH(QString, level);
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(bool, targetListens);
        QFETCH(QString, reason);
        QString unavailable;
        const QString proxyPort = ProxyPort(level, password, &unavailable);
        if (proxyPort.isEmpty())
            QSKIP(qPrintable(unavailable));

        LoopbackTcpServer server;
        TAsyncSocket socket;
        socket.SetAddress(QStringLiteral("127.0.0.1"));
        socket.SetPort(targetListens ? server.PortText() : LoopbackTcpServer::UnusedPortText());
        socket.SetSocks({QStringLiteral("127.0.0.1"), proxyPort, level, user, password});
        QSignalSpy connected(&socket, &TAsyncSocket::SessionConnected);
        QSignalSpy closed(&socket, &TAsyncSocket::SessionClosed);

        socket.Connect();
        QTRY_COMPARE_WITH_TIMEOUT(closed.size(), 1, kWaitMs);
        // The failed attempt is reported as connected-with-an-error, then closed.
        QCOMPARE(connected.size(), 1);
        QCOMPARE(connected.at(0).at(0).toInt(), int(seProxyFailed));
        QCOMPARE(closed.at(0).at(0).toInt(), int(seProxyFailed));
        QVERIFY2(socket.ErrorText().contains(reason), qPrintable(socket.ErrorText()));
        QVERIFY(EventLoopSentinel::PassThrough());
        QCOMPARE(closed.size(), 1);
        QVERIFY(!server.HasPendingPeer());
    }

    void bytesRightBehindTheProxyReplyAreData()
    {
        // A scripted SOCKS 5 proxy that sends its success reply and the target's
        // first bytes in one piece.
        LoopbackTcpServer proxy;
        ConnectionProbe probe;
        TTransportSettings transport = TransportTo(QStringLiteral("127.0.0.1:9339"));
        transport.Socks = {QStringLiteral("127.0.0.1"), proxy.PortText(), QStringLiteral("5"), {}, {}};
        TSocketServerConnection connection(transport);
        probe.Attach(connection);
        QVERIFY(connection.Connect());

        QTcpSocket *peer = proxy.WaitForPeer();
        QVERIFY(peer);
        QCOMPARE(LoopbackTcpServer::ReadExactly(peer, 3), Hex("050100"));
        peer->write(Hex("0500"));
        QCOMPARE(LoopbackTcpServer::ReadExactly(peer, 10), Hex("050100017F000001247B"));
        QCOMPARE(probe.Connected, 0);
        peer->write(Hex("050000017F0000010050") + "first words");
        QTRY_COMPARE_WITH_TIMEOUT(probe.Received, QByteArray("first words"), kWaitMs);
        QCOMPARE(probe.Connected, 1);

        peer->write(" and more");
        QTRY_COMPARE_WITH_TIMEOUT(probe.Received, QByteArray("first words and more"), kWaitMs);
        connection.Send("reply");
        QCOMPARE(LoopbackTcpServer::ReadExactly(peer, 5), QByteArray("reply"));
    }

    void proxyThatIsNotThereEndsTheAttempt()
    {
        // Needs no proxy at all: nobody listens where the settings point.
        LoopbackTcpServer server;
        ConnectionProbe probe;
        TTransportSettings transport = TransportTo(QStringLiteral("127.0.0.1:") + server.PortText());
        transport.Socks = {QStringLiteral("127.0.0.1"), LoopbackTcpServer::UnusedPortText(),
                           QStringLiteral("5"), {}, {}};
        TSocketServerConnection connection(transport);
        probe.Attach(connection);
        QVERIFY(connection.Connect());
        QTRY_COMPARE_WITH_TIMEOUT(probe.Closed, 1, kWaitMs);
        QCOMPARE(probe.Connected, 0);
        QVERIFY(!server.HasPendingPeer());
    }
};


QTEST_GUILESS_MAIN(TestSocksProxy)
#include "tst_SocksProxy.moc"

#include "client/core/TConnectionSettings.h"
#include "client/core/TMainConnection.h"
#include "client/core/TSettingsStore.h"
#include "shared/DebugSink.h"
#include "shared/TIniFile.h"
#include "shared/TTalkWithServer.h"

#include "support/TStoreFolder.h"

#include "../shared/support/DebugCapture.h"
#include "../shared/support/PostedEvents.h"
#include "../shared/support/WriteWholeFile.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

namespace {

// An HTTP proxy on loopback that keeps every byte it receives and answers every request
// "407 Proxy Authentication Required", so a client that holds credentials sends them.
class TRecordingProxy
{
public:
    TRecordingProxy()
    {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
            while (QTcpSocket *peer = server_.nextPendingConnection())
                QObject::connect(peer, &QTcpSocket::readyRead, peer, [this, peer] { Read(peer); });
        });
    }

    QString Address() const { return QStringLiteral("127.0.0.1:%1").arg(server_.serverPort()); }
    const QByteArray &Received() const { return received_; }

private:
    void Read(QTcpSocket *peer)
    {
        received_ += peer->readAll();
        if (!received_.endsWith("\r\n\r\n"))
            return;
        peer->write("HTTP/1.1 407 Proxy Authentication Required\r\n"
                    "Proxy-Authenticate: Basic realm=\"test\"\r\nContent-Length: 0\r\n"
                    "Connection: close\r\n\r\n");
        peer->disconnectFromHost();
    }

    QTcpServer server_;
    QByteArray received_;
};

constexpr QFileDevice::Permissions OwnerOnly =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadUser | QFileDevice::WriteUser;

// The transport beyond the server address, in one comparable line. A number that is
// not set, and the upload timeout without a tunnel to use it, show as 0.
QString Describe(const TTransportSettings &s)
{
    const auto number = [](const QString &text) { return text.isEmpty() ? QStringLiteral("0") : text; };
    const bool tunnel = !s.TunnelAddress.isEmpty();
    return QStringLiteral("tunnel=%1 %2 timeout=%3 | socks=%4:%5 level=%6 user=%7 pw=%8 | "
                          "proxy=%9:%10 user=%11 pw=%12 | tls=%13")
        .arg(int(tunnel))
        .arg(s.TunnelAddress)
        .arg(tunnel ? s.TunnelSendTimeoutMs : 0)
        .arg(s.Socks.Host, number(s.Socks.Port), number(s.Socks.Level), s.Socks.User, s.Socks.Password,
             s.HttpProxy.Host)
        .arg(s.HttpProxy.Port)
        .arg(s.HttpProxy.User, s.HttpProxy.Password)
        .arg(int(s.UseTls));
}

// A KVX.ini in dir holding text; its path, or empty when it could not be written.
QString WriteKvxIni(const QTemporaryDir &dir, const QByteArray &text)
{
    const QString ini = dir.filePath(QStringLiteral("KVX.ini"));
    return WriteWholeFile(ini, text) ? ini : QString();
}

} // namespace

class tst_ConnectionSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keysBecomeTransportSettings_data()
    {
        QTest::addColumn<QByteArray>("connection");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("error");

        // What a session has when nobody touches it: plain TCP, no proxy.
        const QString plain = QStringLiteral("tunnel=0  timeout=0 | socks=:0 level=0 user= pw= | "
                                             "proxy=:0 user= pw= | tls=0");
        QTest::newRow("no new keys") << QByteArray("address=feed:9339\n") << plain << QString();
        QTest::newRow("empty values") << QByteArray("tunnel=\nsocks=\nhttp proxy=\ntls=\nsocks level=\n")
                                      << plain << QString();
        QTest::newRow("tls 0") << QByteArray("tls=0\n") << plain << QString();
        QTest::newRow("tls yes")
            << QByteArray("tls=yes\n") << plain << QStringLiteral("\"tls\" is \"yes\" but must be 1 or 0");
        QTest::newRow("tls true")
            << QByteArray("tls=true\n") << plain << QStringLiteral("\"tls\" is \"true\" but must be 1 or 0");
        QTest::newRow("socks level 6")
            << QByteArray("socks=s:1\nsocks level=6\n")
            << QStringLiteral("tunnel=0  timeout=0 | socks=s:1 level=6 user= pw= | proxy=:0 user= pw= | tls=0")
            << QStringLiteral("\"socks level\" is \"6\" but must be 4 or 5");
        QTest::newRow("tls with a plain http tunnel")
            << QByteArray("tls=1\ntunnel=http://gw/t\n")
            << QStringLiteral("tunnel=1 http://gw/t timeout=30000 | socks=:0 level=0 user= pw= | "
                              "proxy=:0 user= pw= | tls=1")
            << QStringLiteral("tls=1 asks for TLS but the tunnel \"http://gw/t\" is plain http");
        QTest::newRow("tls with an https tunnel")
            << QByteArray("tls=1\ntunnel=HTTPS://gw/t\n")
            << QStringLiteral("tunnel=1 HTTPS://gw/t timeout=30000 | socks=:0 level=0 user= pw= | "
                              "proxy=:0 user= pw= | tls=1")
            << QString();
        QTest::newRow("a tunnel that is no web address")
            << QByteArray("tunnel=ftp://gw/t\n")
            << QStringLiteral("tunnel=1 ftp://gw/t timeout=30000 | socks=:0 level=0 user= pw= | "
                              "proxy=:0 user= pw= | tls=0")
            << QStringLiteral("the tunnel \"ftp://gw/t\" is not an http:// or https:// URL");
        QTest::newRow("socks, level 5 by default")
            << QByteArray("socks=10.0.0.5:1085\n")
            << QStringLiteral("tunnel=0  timeout=0 | socks=10.0.0.5:1085 level=5 user= pw= | "
                              "proxy=:0 user= pw= | tls=0")
            << QString();
        QTest::newRow("socks 4 with a user, default port")
            << QByteArray("socks=gate\nsocks level=4\nsocks user=ann\nsocks password=a:b\n")
            << QStringLiteral("tunnel=0  timeout=0 | socks=gate:1080 level=4 user=ann pw=a:b | "
                              "proxy=:0 user= pw= | tls=0")
            << QString();
        QTest::newRow("socks with a port that is no number")
            << QByteArray("socks=gate:x\n")
            << QStringLiteral("tunnel=0  timeout=0 | socks=gate:0 level=5 user= pw= | proxy=:0 "
                              "user= pw= | tls=0")
            << QString();
        QTest::newRow("passwords from the store, each for its own proxy")
            << QByteArray("tunnel=https://gw/t\nhttp proxy=Proxy.Corp:3128\nhttp proxy user=bob\n"
                          "socks=s:1\nsocks user=v\n")
            << QStringLiteral("tunnel=1 https://gw/t timeout=30000 | socks=s:1 level=5 user=v pw=for s:1 | "
                              "proxy=Proxy.Corp:3128 user=bob pw=for proxy.corp:3128 | tls=0")
            << QString();
        QTest::newRow("nothing stored for this proxy")
            << QByteArray("http proxy=proxy.corp\nhttp proxy user=bob\nsocks=s:2\nsocks user=v\n")
            << QStringLiteral("tunnel=0  timeout=0 | socks=s:2 level=5 user=v pw= | "
                              "proxy=proxy.corp:8080 user=bob pw= | tls=0")
            << QString();
        QTest::newRow("a password in the file wins, even empty")
            << QByteArray("http proxy=proxy.corp:3128\nhttp proxy user=u\nhttp proxy password=\nsocks=s:1\n"
                          "socks user=v\nsocks password=file\n")
            << QStringLiteral("tunnel=0  timeout=0 | socks=s:1 level=5 user=v pw=file | "
                              "proxy=proxy.corp:3128 user=u pw= | tls=0")
            << QString();
        QTest::newRow("no password without a user")
            << QByteArray("http proxy=p:1\nhttp proxy password=x\nsocks=s:1\nsocks password=y\n")
            << QStringLiteral("tunnel=0  timeout=0 | socks=s:1 level=5 user= pw= | "
                              "proxy=p:1 user= pw= | tls=0")
            << QString();
        QTest::newRow("tls") << QByteArray("tls=1\n")
                             << QStringLiteral("tunnel=0  timeout=0 | socks=:0 level=0 user= pw= | "
                                               "proxy=:0 user= pw= | tls=1")
                             << QString();
    }

    void keysBecomeTransportSettings()
    {
        QFETCH(QByteArray, connection);
        QFETCH(QString, expected);
        QFETCH(QString, error);
        const TIniFile ini = TIniFile::FromText("[Connection]\n" + connection);
        const QHash<QString, QString> store{
            {QStringLiteral("http proxy password/proxy.corp:3128"), QStringLiteral("for proxy.corp:3128")},
            {QStringLiteral("socks password/s:1"), QStringLiteral("for s:1")},
        };
        const TDebugCapture debugLines;
        const TConnectionSettings settings =
            TConnectionSettings::Read(ini, [&store](const QString &key) { return store.value(key); });
        QCOMPARE(Describe(settings.Transport), expected);
        if (error.isEmpty()) {
            QCOMPARE(settings.Error, QString());
        } else {
            QVERIFY2(settings.Error.contains(error), qPrintable(settings.Error));
            // Reported at start, where the user looks for what went wrong.
            QVERIFY(debugLines.All().contains(QStringLiteral("EConfigurationValue, Message=") + settings.Error));
        }
    }

    void aMistakeStopsEveryConnection()
    {
        QTemporaryDir dir;
        const QString ini = WriteKvxIni(dir, "[Connection]\naddress=127.0.0.1:1\ntls=yes\n");
        QVERIFY(!ini.isEmpty());
        const TDebugCapture debugLines;
        TMainConnection connection(TIniFile(ini), TMainConnection::TTickSource::Caller);
        const QString error = connection.Status();
        QVERIFY2(error.contains(QStringLiteral("\"tls\" is \"yes\"")), qPrintable(error));
        QStringList statuses;
        const TSubscription statusWatch = connection.SubscribeStatus([&] { statuses.append(connection.Status()); });
        connection.SetUsername("ann");
        connection.SetPassword("secret");
        QTRY_COMPARE(connection.Status(), error);
        connection.TimerTick();
        // A session would begin with a wake-up the tick posted.
        QVERIFY(HandleEventsPostedSoFar());
        // Every session starts by saying where it goes; none did.
        QCOMPARE(statuses, (QStringList{QString(), error}));
        QVERIFY(!connection.Connected());
    }

    // A loopback proxy records what it receives; a password reaches it only when it was
    // stored for that very proxy.
    void aStoredPasswordGoesOnlyToItsProxy_data()
    {
        QTest::addColumn<QByteArray>("storeKey");
        QTest::addColumn<bool>("sent");
        QTest::newRow("stored for this proxy") << QByteArray("http proxy password/THIS") << true;
        QTest::newRow("stored for another proxy") << QByteArray("http proxy password/OTHER") << false;
        QTest::newRow("stored under the key that names no proxy") << QByteArray("http proxy password") << false;
    }

    void aStoredPasswordGoesOnlyToItsProxy()
    {
        QFETCH(QByteArray, storeKey);
        QFETCH(bool, sent);
        TRecordingProxy proxy;
        TRecordingProxy otherProxy;
        const TStoreFolder storeFolder;
        // Written by hand, as the README tells.
        const QByteArray key = QByteArray(storeKey)
                                   .replace("THIS", proxy.Address().toUtf8())
                                   .replace("OTHER", otherProxy.Address().toUtf8());
        QVERIFY(storeFolder.Write("[Connection]\n" + key + "=s3cret\n"));
        const TIniFile ini = TIniFile::FromText(
            "[Connection]\ntunnel=http://127.0.0.1:1/t\nhttp proxy user=bob\nhttp proxy=" + proxy.Address().toUtf8());
        const TDebugCapture debugLines;
        const TConnectionSettings settings = TConnectionSettings::Read(ini, StoredConnectionValue);

        TTalkWithServer session(settings.Transport);
        session.Connect();
        QTRY_VERIFY_WITH_TIMEOUT(session.State() == TTalkWithServer::TState::Closed, 15000);
        QVERIFY(proxy.Received().startsWith("GET http://127.0.0.1:1/t "));
        const QByteArray credentials = "Proxy-Authorization: Basic " + QByteArray("bob:s3cret").toBase64();
        QCOMPARE(proxy.Received().contains(credentials), sent);
        QVERIFY(!proxy.Received().contains("s3cret"));
        QVERIFY(otherProxy.Received().isEmpty());
        if (storeKey == "http proxy password")
            QVERIFY2(debugLines.All().contains(QStringLiteral("\"http proxy password/") + proxy.Address() + u'"'),
                     qPrintable(debugLines.All()));
    }

    void aStoreWithASecretIsTheOwnersOnly()
    {
        const TStoreFolder storeFolder;
        {
            TSettingsStore store;
            store.WriteString(QStringLiteral("Connection"), QStringLiteral("socks password/s:1"), QStringLiteral("x"));
        }
        QCOMPARE(QFile::permissions(storeFolder.FileName()), OwnerOnly);

        // Opened by others meanwhile: the next start says so and closes it again.
        QVERIFY(QFile::setPermissions(storeFolder.FileName(), OwnerOnly | QFileDevice::ReadGroup | QFileDevice::ReadOther));
        const TDebugCapture debugLines;
        const TSettingsStore store;
        QVERIFY2(debugLines.All().contains(QStringLiteral("holds a password and was open to other users")),
                 qPrintable(debugLines.All()));
        QCOMPARE(QFile::permissions(storeFolder.FileName()), OwnerOnly);
    }

    void theStatusNamesTheTunnelRatherThanTheAddress()
    {
        QTemporaryDir dir;
        // Nothing listens on port 1: the attempt fails and the status says where it went.
        const QString ini = WriteKvxIni(dir, "[Connection]\naddress=feed.example:9339\ntunnel=http://127.0.0.1:1/t\n");
        QVERIFY(!ini.isEmpty());
        TMainConnection connection(TIniFile(ini), TMainConnection::TTickSource::Caller);
        QStringList statuses;
        const TSubscription statusWatch = connection.SubscribeStatus([&] { statuses.append(connection.Status()); });
        connection.SetUsername("ann");
        connection.SetPassword("secret");
        const QString tunnel = QStringLiteral("http://127.0.0.1:1/t");
        QTRY_VERIFY_WITH_TIMEOUT(statuses.contains(QStringLiteral("Connecting to ") + tunnel + QChar(0x2026)),
                                 10000);
        // Ticks until the failed attempt is noticed and its wait begins.
        QTRY_VERIFY2_WITH_TIMEOUT((connection.TimerTick(), connection.Status().startsWith(QStringLiteral("Cannot"))),
                                  qPrintable(connection.Status()), 10000);
        QVERIFY2(connection.Status().startsWith(QStringLiteral("Cannot reach ") + tunnel),
                 qPrintable(connection.Status()));
    }
};

QTEST_GUILESS_MAIN(tst_ConnectionSettings)
#include "tst_ConnectionSettings.moc"

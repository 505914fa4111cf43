#include "client/core/TConnectionSettings.h"
#include "client/core/TMainConnection.h"
#include "shared/TIniFile.h"
#include "shared/TTalkWithServer.h"

#include <QtTest>

namespace {

// The session fields the settings may touch, in one comparable line.
QString Describe(const TTalkWithServer &s)
{
    return QStringLiteral("tunnel=%1 %2 timeout=%3 | socks=%4:%5 level=%6 user=%7 pw=%8 | "
                          "proxy=%9:%10 user=%11 pw=%12 | tls=%13")
        .arg(s.UseHttpTunnel)
        .arg(s.HttpTunnelAddress)
        .arg(s.SendTimeoutMs)
        .arg(s.SocksServer)
        .arg(s.SocksPort)
        .arg(s.SocksLevel)
        .arg(s.SocksUsercode, s.SocksPassword, s.HttpProxyHost)
        .arg(s.HttpProxyPort)
        .arg(s.HttpProxyUsername, s.HttpProxyPassword)
        .arg(int(s.UseTls));
}

} // namespace

class tst_ConnectionSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keysBecomeSessionSettings_data()
    {
        QTest::addColumn<QByteArray>("connection");
        QTest::addColumn<QString>("expected");

        // What a session has when nobody touches it: plain TCP, no proxy.
        const QString plain = QStringLiteral("tunnel=0  timeout=0 | socks=:0 level=0 user= pw= | "
                                             "proxy=:0 user= pw= | tls=0");
        QTest::newRow("no new keys") << QByteArray("address=feed:9339\n") << plain;
        QTest::newRow("empty values") << QByteArray("tunnel=\nsocks=\nhttp proxy=\ntls=\n") << plain;
        QTest::newRow("tls other than 1") << QByteArray("tls=yes\n") << plain;
        QTest::newRow("tunnel")
            << QByteArray("tunnel= http://gw:80/tunnel \n")
            << QStringLiteral("tunnel=1 http://gw:80/tunnel timeout=30000 | socks=:0 level=0 user= "
                              "pw= | proxy=:0 user= pw= | tls=0");
        QTest::newRow("socks, level 5 by default")
            << QByteArray("socks=10.0.0.5:1085\n")
            << QStringLiteral("tunnel=0  timeout=0 | socks=10.0.0.5:1085 level=5 user= pw= | "
                              "proxy=:0 user= pw= | tls=0");
        QTest::newRow("socks 4 with a user, default port")
            << QByteArray("socks=gate\nsocks level=4\nsocks user=ann\nsocks password=a:b\n")
            << QStringLiteral("tunnel=0  timeout=0 | socks=gate:1080 level=4 user=ann pw=a:b | "
                              "proxy=:0 user= pw= | tls=0");
        QTest::newRow("socks with a port that is no number")
            << QByteArray("socks=gate:x\n")
            << QStringLiteral("tunnel=0  timeout=0 | socks=gate:0 level=5 user= pw= | proxy=:0 "
                              "user= pw= | tls=0");
        QTest::newRow("tunnel through an http proxy, password from the store")
            << QByteArray("tunnel=https://gw/t\nhttp proxy=proxy.corp:3128\nhttp proxy user=bob\n")
            << QStringLiteral("tunnel=1 https://gw/t timeout=30000 | socks=:0 level=0 user= pw= | "
                              "proxy=proxy.corp:3128 user=bob pw=stored http proxy password | tls=0");
        QTest::newRow("a password in the file wins, even empty")
            << QByteArray("http proxy=p\nhttp proxy user=u\nhttp proxy password=\nsocks=s:1\n"
                          "socks user=v\nsocks password=file\n")
            << QStringLiteral("tunnel=0  timeout=0 | socks=s:1 level=5 user=v pw=file | "
                              "proxy=p:8080 user=u pw= | tls=0");
        QTest::newRow("no password without a user")
            << QByteArray("http proxy=p:1\nhttp proxy password=x\nsocks=s:1\nsocks password=y\n")
            << QStringLiteral("tunnel=0  timeout=0 | socks=s:1 level=5 user= pw= | "
                              "proxy=p:1 user= pw= | tls=0");
        QTest::newRow("tls") << QByteArray("tls=1\n")
                             << QStringLiteral("tunnel=0  timeout=0 | socks=:0 level=0 user= pw= | "
                                               "proxy=:0 user= pw= | tls=1");
    }

    void keysBecomeSessionSettings()
    {
        QFETCH(QByteArray, connection);
        QFETCH(QString, expected);
        const TIniFile ini = TIniFile::FromText("[Connection]\n" + connection);
        const TConnectionSettings settings = TConnectionSettings::Read(
            ini, [](const QString &key) -> QString { return QStringLiteral("stored ") + key; });
        TTalkWithServer session;
        session.ServerAddress = QStringLiteral("kept:1");
        settings.ApplyTo(session);
        QCOMPARE(Describe(session), expected);
        QCOMPARE(session.ServerAddress, QStringLiteral("kept:1"));
    }

    void theStatusNamesTheTunnelRatherThanTheAddress()
    {
        QTemporaryDir dir;
        QFile ini(dir.filePath(QStringLiteral("KVX.ini")));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        // Nothing listens on port 1: the attempt fails and the status says where it went.
        ini.write("[Connection]\naddress=feed.example:9339\ntunnel=http://127.0.0.1:1/t\n");
        ini.close();
        TMainConnection connection(ini.fileName(), TMainConnection::TTickSource::Caller);
        QStringList statuses;
        connection.OnStatusChange = [&] { statuses.append(connection.Status()); };
        connection.SetUsername("ann");
        connection.SetPassword("secret");
        const QString tunnel = QStringLiteral("http://127.0.0.1:1/t");
        QTRY_VERIFY_WITH_TIMEOUT(statuses.contains(QStringLiteral("Connecting to ") + tunnel + QChar(0x2026)),
                                 10000);
        for (int tick = 0; tick < 20 && !connection.Status().startsWith(QStringLiteral("Cannot")); ++tick) {
            connection.TimerTick();
            QTest::qWait(100);
        }
        QVERIFY2(connection.Status().startsWith(QStringLiteral("Cannot reach ") + tunnel),
                 qPrintable(connection.Status()));
    }
};

QTEST_GUILESS_MAIN(tst_ConnectionSettings)
#include "tst_ConnectionSettings.moc"

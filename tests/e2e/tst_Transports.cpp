#include "../shared/support/ProxyProcess.h"
#include "support/TestCertificate.h"
#include "support/TapProcess.h"
#include "support/TFeedProcess.h"

#include "client/core/TMainConnection.h"
#include "shared/TIniFile.h"

#include <QFile>
#include <QHash>
#include <QtTest>

namespace {

constexpr int WaitMs = 30000;

const QByteArrayList EveryKind = {"QuickStrike", "Bollinger", "SymbolMatrix", "PointsLeaders",
                                  "SimpleList",  "JF",        "TopList"};
const QStringList CategoryArguments = {
    "--category", "QuickStrike=default",      "--category", "Bollinger=set",
    "--category", "SymbolMatrix=symbol",      "--category", "PointsLeaders=pointslist",
    "--category", "SimpleList=simplelist",    "--category", "JF=jf-simplelist",
    "--category", "TopList=smb"};

// How a test desk reaches the feed; every route is set up by KVX.ini keys alone.
enum class TProxy { None, Dante, Microsocks, Tinyproxy };

struct TRoute
{
    QStringList FeedArguments;
    QByteArray Keys; // "Connection" keys beside "address"; TUNNEL and PROXY filled in later
    TProxy Proxy = TProxy::None;
    QByteArray ProxyUser;
    // Seen in the proxy's log when the connection went through it.
    QByteArray ProxyLogMark;
};

} // namespace

Q_DECLARE_METATYPE(TRoute)

class TestTransports : public QObject
{
    Q_OBJECT

    TTestCertificate certificate_;
    QString certificateProblem_;

    static bool StartProxy(const TRoute &route, TProxyProcess &process, QString *why)
    {
        switch (route.Proxy) {
        case TProxy::None:
            return true;
        case TProxy::Dante:
            return process.StartDante(why);
        case TProxy::Microsocks:
            return process.StartMicrosocks(QString::fromLatin1(route.ProxyUser), QStringLiteral("pw-7"), why);
        case TProxy::Tinyproxy:
            return process.StartTinyproxy(route.ProxyUser, "pw-7", why);
        }
        return false;
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (certificate_.Create(&certificateProblem_))
            certificate_.TrustInThisProcess();
    }

    void logsInAndReceivesEveryKindFromKvxIniAlone_data()
    {
        QTest::addColumn<TRoute>("route");
        const QStringList http = {"--http", "127.0.0.1:0"};
        const QStringList tls = {"--tls", "CERT", "KEY"};
        const QStringList https = {"--https", "CERT", "KEY"};

        QTest::newRow("plain TCP, no new keys") << TRoute{{}, "", TProxy::None, {}, {}};
        QTest::newRow("TLS") << TRoute{tls, "tls=1\n", TProxy::None, {}, {}};
        QTest::newRow("SOCKS 4 (dante)")
            << TRoute{{}, "socks=127.0.0.1:PROXY\nsocks level=4\n", TProxy::Dante, {}, "connect"};
        QTest::newRow("SOCKS 5 (dante)")
            << TRoute{{}, "socks=127.0.0.1:PROXY\nsocks level=5\n", TProxy::Dante, {}, "connect"};
        QTest::newRow("SOCKS 5 with a user (microsocks), TLS inside")
            << TRoute{tls, "socks=127.0.0.1:PROXY\nsocks user=desk\nsocks password=pw-7\ntls=1\n",
                      TProxy::Microsocks, "desk", "connected to"};
        QTest::newRow("tunnel") << TRoute{http, "tunnel=TUNNEL\n", TProxy::None, {}, {}};
        QTest::newRow("tunnel over https") << TRoute{http + https, "tunnel=TUNNEL\n", TProxy::None, {}, {}};
        QTest::newRow("tunnel with refused and late uploads")
            << TRoute{http + QStringList{"--refuse-uploads", "3", "--delay-answers", "0.2"},
                      "tunnel=TUNNEL\n", TProxy::None, {}, {}};
        QTest::newRow("tunnel through an HTTP proxy (tinyproxy)")
            << TRoute{http, "tunnel=TUNNEL\nhttp proxy=127.0.0.1:PROXY\n", TProxy::Tinyproxy, {}, "/tunnel"};
        QTest::newRow("tunnel through an HTTP proxy with a user")
            << TRoute{http, "tunnel=TUNNEL\nhttp proxy=127.0.0.1:PROXY\nhttp proxy user=desk\n"
                            "http proxy password=pw-7\n", TProxy::Tinyproxy, "desk", "/tunnel"};
        QTest::newRow("tunnel over https through an HTTP proxy with a user")
            << TRoute{http + https, "tunnel=TUNNEL\nhttp proxy=127.0.0.1:PROXY\nhttp proxy user=desk\n"
                                    "http proxy password=pw-7\n", TProxy::Tinyproxy, "desk", "CONNECT"};
        QTest::newRow("tunnel through SOCKS 5 (microsocks)")
            << TRoute{http, "tunnel=TUNNEL\nsocks=127.0.0.1:PROXY\n", TProxy::Microsocks, {},
                      "connected to"};
    }

    void logsInAndReceivesEveryKindFromKvxIniAlone()
    {
        QFETCH(TRoute, route);
        QStringList feedArguments = route.FeedArguments;
        if (feedArguments.contains(QStringLiteral("CERT"))) {
            if (!certificateProblem_.isEmpty())
                QSKIP(qPrintable(certificateProblem_));
            feedArguments.replace(feedArguments.indexOf(QStringLiteral("CERT")), certificate_.CertificateFile());
            feedArguments.replace(feedArguments.indexOf(QStringLiteral("KEY")), certificate_.KeyFile());
        }
        TProxyProcess proxy;
        QString why;
        if (!StartProxy(route, proxy, &why)) {
            if (route.Proxy == TProxy::Dante && !TProxyProcess::UnavailableReason(TProxyProcess::kDante).isEmpty())
                QSKIP(qPrintable(why));
            QFAIL(qPrintable(why));
        }

        TFeedProcess feed;
        QVERIFY(feed.Start(QStringList{"--seed", "11", "--rate", "300"} + CategoryArguments + feedArguments));
        QByteArray keys = route.Keys;
        keys.replace("TUNNEL", feed.TunnelUrl().toUtf8());
        keys.replace("PROXY", QByteArray::number(proxy.Port()));
        const QString ini = feed.WriteClientIni(keys);
        QVERIFY(!ini.isEmpty());

        TMainConnection connection((TIniFile(ini)));
        QHash<QByteArray, int> alerts;
        const TSubscription counting =
            connection.SubscribeAlerts([&alerts](QByteArrayView body) { ++alerts[body.toByteArray().left(body.indexOf('\r'))]; });
        for (const QByteArray &category : EveryKind)
            connection.AddCategory(category);
        connection.SetUsername("anna");
        connection.SetPassword("secret");

        const auto everyKindArrived = [&alerts] {
            for (const QByteArray &category : EveryKind)
                if (alerts.value(category) < 5)
                    return false;
            return true;
        };
        QTRY_VERIFY2_WITH_TIMEOUT(everyKindArrived(), feed.ErrorOutput().right(2000).constData(), WaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(connection.Status(), QStringLiteral("Connected!"), WaitMs);
        QCOMPARE(alerts.size(), EveryKind.size());

        // The route was the one the keys asked for, not a way around it.
        const bool tunnel = keys.contains("tunnel=");
        QCOMPARE(feed.ErrorOutput().contains("tunnel 1-"), tunnel);
        const QByteArray proxyLog = proxy.Log();
        QVERIFY2(proxyLog.contains(route.ProxyLogMark), proxyLog.constData());
        if (feedArguments.contains(QStringLiteral("--refuse-uploads")))
            QVERIFY(feed.ErrorOutput().contains("refused on purpose"));
    }

    void aServerWithAnUntrustedCertificateIsRefused_data()
    {
        // The feed's options in front of its certificate files, and the client's key.
        QTest::addColumn<QStringList>("serving");
        QTest::addColumn<QByteArray>("key");
        QTest::newRow("TLS") << QStringList{"--tls"} << QByteArray("tls=1");
        QTest::newRow("tunnel over https") << QStringList{"--http", "127.0.0.1:0", "--https"}
                                           << QByteArray("tunnel=TUNNEL");
    }

    void aServerWithAnUntrustedCertificateIsRefused()
    {
        QFETCH(QStringList, serving);
        QFETCH(QByteArray, key);
        TTestCertificate stranger;
        QString why;
        if (!stranger.Create(&why))
            QSKIP(qPrintable(why));
        TFeedProcess feed;
        QVERIFY(feed.Start(QStringList{"--rate", "300"} + CategoryArguments + serving
                           + QStringList{stranger.CertificateFile(), stranger.KeyFile()}));
        const QString ini = feed.WriteClientIni(key.replace("TUNNEL", feed.TunnelUrl().toUtf8()) + "\n");
        QVERIFY(!ini.isEmpty());
        TMainConnection connection((TIniFile(ini)));
        int alerts = 0;
        const TSubscription counting = connection.SubscribeAlerts([&alerts](QByteArrayView) { ++alerts; });
        connection.AddCategory("JF");
        connection.SetUsername("anna");
        connection.SetPassword("secret");
        QTRY_VERIFY_WITH_TIMEOUT(connection.Status().startsWith(QStringLiteral("Cannot reach")), WaitMs);
        QCOMPARE(alerts, 0);
        QVERIFY(!feed.ErrorOutput().contains("logged in"));
    }

    void tapReachesTheFeedThroughTheTunnelFromKvxIni()
    {
        if (TapBinary.isEmpty())
            QSKIP("azurev-tap was not built");
        TFeedProcess feed;
        QVERIFY(feed.Start(QStringList{"--seed", "3", "--rate", "200", "--http", "127.0.0.1:0"}
                           + CategoryArguments));
        // The tap reads KVX.ini from its working folder, as the program does.
        QTemporaryDir folder;
        {
            QFile file(folder.filePath(QStringLiteral("KVX.ini")));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("[Connection]\naddress=127.0.0.1:1\ntunnel=" + feed.TunnelUrl().toUtf8() + "\n");
        }
        QProcess tap;
        QVERIFY(StartTap(tap, folder.path(), {"--category", "JF", "--category", "TopList", "--user", "anna",
                                              "--password-stdin"}));

        QByteArray out;
        QTRY_VERIFY_WITH_TIMEOUT((out += tap.readAllStandardOutput()).count('\n') >= 20, WaitMs);
        QVERIFY(out.contains("\"category\":\"JF\""));
        QVERIFY(out.contains("\"category\":\"TopList\""));
        QVERIFY(feed.ErrorOutput().contains("tunnel 1-"));
        tap.terminate();
        QVERIFY(tap.waitForFinished(WaitMs));
    }
};

QTEST_GUILESS_MAIN(TestTransports)
#include "tst_Transports.moc"

#include "TFeedOptions.h"

#include <QtTest>

// Where the test server listens: loopback unless another interface is named.
class TestFeedOptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void listenAddresses_data()
    {
        QTest::addColumn<QString>("listen");
        QTest::addColumn<QString>("address");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("error");

        const QString loopback = QHostAddress(QHostAddress::LocalHost).toString();
        QTest::newRow("port alone") << "9400" << loopback << 9400 << QString();
        QTest::newRow("colon and port") << ":9400" << loopback << 9400 << QString();
        QTest::newRow("localhost") << "LocalHost:0" << loopback << 0 << QString();
        QTest::newRow("every interface") << "*:9400" << QHostAddress(QHostAddress::Any).toString() << 9400
                                         << QString();
        QTest::newRow("an address") << "10.1.2.3:9400" << "10.1.2.3" << 9400 << QString();
        QTest::newRow("IPv6") << "[::1]:9400" << "::1" << 9400 << QString();
        QTest::newRow("no port") << "localhost" << QString() << 0 << "expected HOST:PORT";
        QTest::newRow("port too big") << ":65536" << QString() << 0 << "bad port";
        QTest::newRow("a host name") << "example.com:1" << QString() << 0 << "host must be an IP address";
    }

    void listenAddresses()
    {
        QFETCH(QString, listen);
        QFETCH(QString, address);
        QFETCH(int, port);
        QFETCH(QString, error);
        TFeedOptions options;
        QString help;
        const QString result =
            ParseFeedOptions({QStringLiteral("alert-feed"), QStringLiteral("--listen"), listen}, options, help);
        if (!error.isEmpty()) {
            QVERIFY2(result.contains(error), qPrintable(result));
            return;
        }
        QCOMPARE(result, QString());
        QCOMPARE(options.ListenAddress.toString(), address);
        QCOMPARE(int(options.ListenPort), port);
    }
};

QTEST_GUILESS_MAIN(TestFeedOptions)
#include "tst_FeedOptions.moc"

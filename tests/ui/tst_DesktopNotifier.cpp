#include "client/ui/desktop/TDesktopNotifier.h"

#include "../shared/support/DebugCapture.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusServer>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <optional>

namespace {

// Stands in for the desktop's notification service and writes down what it is asked
// to show: "SUMMARY | BODY".
class TFakeNotificationService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QStringList Shown;

public Q_SLOTS:
    uint Notify(const QString &, uint, const QString &, const QString &summary, const QString &body,
                const QStringList &, const QVariantMap &, int)
    {
        Shown << summary + QStringLiteral(" | ") + body;
        return uint(Shown.size());
    }
};

} // namespace

// A private bus of two peers: the test's server end, with or without the service on
// it, and the notifier's end. No bus daemon is needed.
class TestDesktopNotifier : public QObject
{
    Q_OBJECT

    QTemporaryDir socketDir;
    std::unique_ptr<QDBusServer> server;
    TFakeNotificationService service;
    bool offerService = true;
    std::optional<TDebugCapture> debug;
    const QStringList &Reports() const { return debug->Lines(); }

    QDBusConnection ConnectPeer(const QString &name, bool withService)
    {
        offerService = withService;
        return QDBusConnection::connectToPeer(server->address(), name);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(socketDir.isValid());
        server = std::make_unique<QDBusServer>(QStringLiteral("unix:dir=") + socketDir.path());
        QVERIFY2(server->isConnected(), qPrintable(server->lastError().message()));
        connect(server.get(), &QDBusServer::newConnection, this, [this](const QDBusConnection &connection) {
            QDBusConnection end(connection);
            if (offerService)
                end.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &service,
                                   QDBusConnection::ExportAllSlots);
        });
    }

    void init()
    {
        service.Shown.clear();
        debug.emplace();
    }

    void cleanup() { debug.reset(); }

    void serviceShowsTextNeverMarkup_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::newRow("markup") << "<b>x</b> – Quick" << "<img src=x>&amp;"
                                << "&lt;b&gt;x&lt;/b&gt; – Quick | &lt;img src=x&gt;&amp;amp;";
        QTest::newRow("bidi and controls") << QStringLiteral("ABC\u202eLPPA – Quick") << QStringLiteral("A\nB\x1b[2J")
                                           << QStringLiteral("ABC\ufffdLPPA – Quick | A\ufffdB\ufffd[2J");
        QTest::newRow("long") << QString(300, QLatin1Char('W')) << QString(199, QLatin1Char('<'))
                              << QString(199, QLatin1Char('W')) + QStringLiteral("\u2026 | ")
                                     + QStringLiteral("&lt;").repeated(199);
    }

    void serviceShowsTextNeverMarkup()
    {
        QFETCH(QString, title);
        QFETCH(QString, message);
        TDesktopNotifier notifier(ConnectPeer(QString::fromLatin1(QTest::currentDataTag()), true));
        notifier.Show(title, message);
        QTRY_COMPARE(service.Shown.size(), 1);
        QTEST(service.Shown.first(), "shown");
        QVERIFY(Reports().isEmpty());
    }

    // Without a service, and here without a tray, the debug window says so once.
    void withNowhereToShowTheDebugWindowSaysSoOnce_data()
    {
        QTest::addColumn<bool>("busConnected");
        QTest::newRow("no bus") << false;
        QTest::newRow("no service on the bus") << true;
    }

    void withNowhereToShowTheDebugWindowSaysSoOnce()
    {
        QFETCH(bool, busConnected);
        QVERIFY(!QSystemTrayIcon::isSystemTrayAvailable());
        const QDBusConnection bus = busConnected ? ConnectPeer(QStringLiteral("empty"), false)
                                                : QDBusConnection(QStringLiteral("not connected"));
        QCOMPARE(bus.isConnected(), busConnected);
        TDesktopNotifier notifier(bus);
        notifier.Show(QStringLiteral("A"), QStringLiteral("1"));
        QTRY_COMPARE(Reports().size(), 1);
        QVERIFY(Reports().first().contains(QStringLiteral("neither a notification service nor a system tray")));
        // The service failed once: the next ones go to the tray at once, and find none.
        notifier.Show(QStringLiteral("B"), QStringLiteral("2"));
        notifier.Show(QStringLiteral("C"), QStringLiteral("3"));
        QCOMPARE(Reports().size(), 1);
        QVERIFY(service.Shown.isEmpty());
    }
};

QTEST_MAIN(TestDesktopNotifier)
#include "tst_DesktopNotifier.moc"

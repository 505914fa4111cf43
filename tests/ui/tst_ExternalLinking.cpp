#include "client/ui/SymbolLink.h"
#include "client/ui/TExternalLinkingWindow.h"
#include "client/ui/TKestrovaGenericConnector2X.h"
#include "client/ui/grids/TQuickStrikeGrid.h"
#include "shared/Exception.h"

#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QLineEdit>
#include <QSettings>
#include <QSpinBox>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <utility>

namespace {

// A local trading program: accepts connections on loopback and collects the lines.
class TLineReceiver : public QObject
{
public:
    TLineReceiver()
    {
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *peer = server_.nextPendingConnection()) {
                peers_.append(peer);
                connect(peer, &QTcpSocket::readyRead, this, [this, peer] {
                    while (peer->canReadLine())
                        Lines << QString::fromUtf8(peer->readLine()).chopped(1);
                });
            }
        });
    }

    bool Listen() { return server_.listen(QHostAddress::LocalHost); }
    int Port() const { return server_.serverPort(); }
    int Connections() const { return int(peers_.size()); }
    void DropConnections() { qDeleteAll(std::exchange(peers_, {})); }
    void Stop() { server_.close(); DropConnections(); }

    QStringList Lines;

private:
    QTcpServer server_;
    QList<QTcpSocket *> peers_;
};

// Stands in for the desktop's web browser.
class TUrlRecorder : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> Opened;

public Q_SLOTS:
    void OpenUrl(const QUrl &url) { Opened << url; }
};

} // namespace

class TestExternalLinking : public QObject
{
    Q_OBJECT

    QTemporaryDir settingsDir;
    std::unique_ptr<TExternalLinkingWindow> window;

    TKestrovaGenericConnector2X &Connector() { return *window->Connector(); }

    void LinkTo(TLinkTarget target, int port = 0, const QString &text = QString())
    {
        TLinkSettings settings;
        settings.Target = target;
        settings.Port = port;
        settings.Command = settings.UrlTemplate = text;
        Connector().SetSettings(settings);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(settingsDir.isValid());
        // Keep the trader's real settings store out of reach.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
    }

    void init()
    {
        QSettings(QSettings::NativeFormat, QSettings::UserScope, "Kestrova", "Corvane Alerts").clear();
        window = std::make_unique<TExternalLinkingWindow>();
    }

    void cleanup() { window.reset(); }

    void windowComesUpOnlyWithoutAWorkingLink()
    {
        QCOMPARE(ExternalLinkingWindow(), window.get());
        QCOMPARE(window->windowTitle(), QStringLiteral("External Linking Window"));
        QCOMPARE(window->size(), QSize(443, 440));
        QVERIFY(window->isHidden());

        SendSymbol(QStringLiteral("IBM")); // the way every grid hands a symbol on
        QCOMPARE(Connector().Symbol(), QStringLiteral("IBM"));
        QCOMPARE(Connector().LinkStatus(), 0);
        QVERIFY(window->isVisible());
        QVERIFY(Connector().StatusText().startsWith(QStringLiteral("Not linked")));
        window->showMinimized();
        SendSymbol(QStringLiteral("IBM"));
        QVERIFY(window->isVisible() && !(window->windowState() & Qt::WindowMinimized));

        window->hide();
        LinkTo(TLinkTarget::ltClipboard);
        for (int click = 0; click < 2; ++click) { // the same symbol goes out every time
            QGuiApplication::clipboard()->setText(QStringLiteral("something else"));
            SendSymbol(QStringLiteral("MSFT"));
            QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("MSFT"));
            QCOMPARE(Connector().LinkStatus(), 1);
        }
        QVERIFY(window->isHidden());

        // A symbol that would carry a second line is refused, and the trader is shown why.
        SendSymbol(QStringLiteral("A\nB"));
        QCOMPARE(Connector().LinkStatus(), 0);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("MSFT"));
        QVERIFY(window->isVisible());

        QVERIFY_THROWS_EXCEPTION(EAssertionFailed, TExternalLinkingWindow()); // one per program
        window.reset();
        QVERIFY(!ExternalLinkingWindow());
        SendSymbol(QStringLiteral("IBM")); // nobody receives it; nothing happens
    }

    void localProgramReceivesClickedSymbols()
    {
        TLineReceiver program;
        QVERIFY(program.Listen());
        LinkTo(TLinkTarget::ltTcp, program.Port());
        TQuickStrikeGrid grid(nullptr);
        TQuickStrikeEntries entries(2);
        entries[0].Symbol = QStringLiteral("IBM");
        entries[1].Symbol = QStringLiteral("A;B");
        grid.SetEntries(entries);
        grid.resize(400, 300);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));

        const QPoint row1 = grid.CellRect(0, 1).center();
        const QPoint row2 = grid.CellRect(3, 2).center();
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, row1);
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, row1);
        QTest::mouseClick(grid.viewport(), Qt::RightButton, {}, row2);
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, row2);
        QTRY_COMPARE_WITH_TIMEOUT(program.Lines, QStringList({"IBM", "IBM", "A;B"}), 10000);
        QCOMPARE(program.Connections(), 1);
        QVERIFY(Connector().LinkStatus() == 1 && window->isHidden());

        // The program restarts: the next symbol goes over a fresh connection.
        program.DropConnections();
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, row1);
        QTRY_COMPARE_WITH_TIMEOUT(program.Lines.size(), 4, 10000);
        QCOMPARE(program.Connections(), 1);

        // The program is gone: the window comes up with the reason.
        program.Stop();
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, row1);
        QVERIFY(Connector().LinkStatus() == 0 && window->isVisible());
        QVERIFY(Connector().StatusText().startsWith(QStringLiteral("Could not reach 127.0.0.1:")));
    }

    void commandGetsTheSymbolAsOneArgumentWithoutAShell()
    {
        QTemporaryDir work;
        const QString previous = QDir::currentPath();
        QVERIFY(work.isValid() && QDir::setCurrent(work.path()));
        LinkTo(TLinkTarget::ltCommand, 0, "/usr/bin/touch \"" + work.path() + "/got {symbol}\"");
        window->SendSymbol(QStringLiteral("A;touch x"));
        QCOMPARE(Connector().LinkStatus(), 1);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(work.filePath(QStringLiteral("got A;touch x"))), 10000);
        QVERIFY(!QFile::exists(work.filePath(QStringLiteral("x"))));
        QVERIFY(window->isHidden());

        LinkTo(TLinkTarget::ltCommand, 0, work.filePath(QStringLiteral("no-such-program")));
        window->SendSymbol(QStringLiteral("IBM"));
        QVERIFY(Connector().LinkStatus() == 0 && window->isVisible());
        QVERIFY(QDir::setCurrent(previous));
    }

    void webPageOpensWithTheSymbolEncoded()
    {
        TUrlRecorder browser;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser, "OpenUrl");
        LinkTo(TLinkTarget::ltUrl, 0, QStringLiteral("https://charts.example/?s={symbol}&d=1"));
        window->SendSymbol(QStringLiteral("BRK/B&x=1 y"));
        LinkTo(TLinkTarget::ltUrl, 0, QStringLiteral("https://charts.example/q/"));
        window->SendSymbol(QStringLiteral("IBM"));
        LinkTo(TLinkTarget::ltUrl, 0, QStringLiteral("charts {symbol}"));
        window->SendSymbol(QStringLiteral("IBM"));
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));

        QCOMPARE(browser.Opened, QList<QUrl>({QUrl(QStringLiteral("https://charts.example/?s=BRK%2FB%26x%3D1%20y&d=1")),
                                              QUrl(QStringLiteral("https://charts.example/q/IBM"))}));
        QVERIFY(Connector().LinkStatus() == 0 && window->isVisible()); // the last template is unusable
    }

    void panelSettingsPersist()
    {
        auto *targetBox = Connector().findChild<QComboBox *>(QStringLiteral("TargetBox"));
        auto *hostEdit = Connector().findChild<QLineEdit *>(QStringLiteral("HostEdit"));
        QVERIFY(targetBox && hostEdit && !hostEdit->isVisibleTo(&Connector()));
        targetBox->setCurrentIndex(targetBox->findData(int(TLinkTarget::ltTcp)));
        QVERIFY(hostEdit->isVisibleTo(&Connector()));
        hostEdit->setText(QStringLiteral("localhost"));
        Q_EMIT hostEdit->editingFinished();
        Connector().findChild<QSpinBox *>(QStringLiteral("PortBox"))->setValue(7001);

        window.reset();
        window = std::make_unique<TExternalLinkingWindow>();
        QCOMPARE(Connector().Settings().Target, TLinkTarget::ltTcp);
        QCOMPARE(Connector().Settings().Host, QStringLiteral("localhost"));
        QCOMPARE(Connector().findChild<QSpinBox *>(QStringLiteral("PortBox"))->value(), 7001);
        QCOMPARE(Connector().LinkStatus(), 0);
    }
};

QTEST_MAIN(TestExternalLinking)
#include "tst_ExternalLinking.moc"

#include "client/core/TSettingsStore.h"
#include "client/ui/grids/TBollingerGrid.h"
#include "client/ui/grids/TJFGrid.h"
#include "client/ui/grids/TPointsTopListGrid.h"
#include "client/ui/grids/TQuickStrikeGrid.h"
#include "client/ui/grids/TSymbolOnlyGrid.h"
#include "client/ui/TProgramParts.h"
#include "client/ui/linking/TKestrovaGenericConnector2X.h"
#include "client/ui/windows/TAlertForm.h"
#include "client/ui/windows/TExternalLinkingWindow.h"
#include "client/ui/windows/TLinkGroupChooser.h"
#include "shared/TIniFile.h"
#include "support/TRecordingAnnouncer.h"

#include "../core/support/TStoreFolder.h"

#include <QClipboard>
#include <QComboBox>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QTabWidget>
#include <QSettings>
#include <QSpinBox>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <utility>
#include <vector>

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

    // With a backlog of 0 and accepting paused, one waiting connection fills the
    // queue and later ones never complete.
    bool Listen(int backlog = 50)
    {
        server_.setListenBacklogSize(backlog);
        return server_.listen(QHostAddress::LocalHost);
    }
    void PauseAccepting() { server_.pauseAccepting(); }
    void ResumeAccepting() { server_.resumeAccepting(); }
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

// A list grid of the kind with count entries named S0, S1, ...
template <typename TGrid, typename TEntries>
TGridFrame *LongList(QWidget *owner, int count)
{
    auto *grid = new TGrid(owner);
    TEntries entries(count);
    for (int n = 0; n < count; ++n)
        entries[n].Symbol = QByteArray("S" + QByteArray::number(n));
    grid->SetEntries(entries);
    return grid;
}

using TListMaker = TGridFrame *(*)(QWidget *, int);

} // namespace

Q_DECLARE_METATYPE(TListMaker)

class TestExternalLinking : public QObject
{
    Q_OBJECT

    TStoreFolder settingsFolder;
    std::unique_ptr<TSettingsStore> store;
    std::unique_ptr<TExternalLinkingWindow> window;

    TKestrovaGenericConnector2X &Connector() { return *window->Connector(); }

    // Clicked symbols go to the window, as the program wires every grid.
    void SendToWindow(TGridFrame *grid)
    {
        grid->SetSymbolSender([this](const QString &symbol) { window->SendSymbol(symbol); });
    }

    void LinkTo(TLinkTarget target, int port = 0, const QString &text = QString())
    {
        LinkGroupTo(*window, FirstLinkGroup, target, port, text);
    }

    static void LinkGroupTo(TExternalLinkingWindow &linking, int group, TLinkTarget target, int port = 0,
                            const QString &text = QString())
    {
        TLinkSettings settings;
        settings.Target = target;
        settings.Port = port;
        settings.Command = settings.UrlTemplate = text;
        linking.Connector(group)->SetSettings(settings);
    }

    // A list of 500 rows in the owner, its symbols going to the program, tall enough
    // for the header, five whole rows and half of the sixth.
    TGridFrame *LongListLinkedTo(const TLineReceiver &program, QWidget &owner, TListMaker make)
    {
        LinkTo(TLinkTarget::ltTcp, program.Port());
        TGridFrame *grid = make(&owner, 500);
        SendToWindow(grid);
        grid->setGeometry(0, 0, 800, 6 * grid->DefaultRowHeight() + grid->DefaultRowHeight() / 2);
        return grid;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(settingsFolder.IsValid());
    }

    void init()
    {
        QSettings(QSettings::NativeFormat, QSettings::UserScope, "Kestrova", "Corvane Alerts").clear();
        store = std::make_unique<TSettingsStore>();
        window = std::make_unique<TExternalLinkingWindow>(*store);
    }

    void cleanup()
    {
        window.reset();
        store.reset();
    }

    void windowComesUpOnlyWithoutAWorkingLink()
    {
        QCOMPARE(window->windowTitle(), QStringLiteral("External Linking Window"));
        QCOMPARE(window->size(), QSize(443, 440));
        QVERIFY(window->isHidden());

        window->SendSymbol(QStringLiteral("IBM")); // where the program sends every grid's symbols
        QCOMPARE(Connector().Symbol(), QStringLiteral("IBM"));
        QCOMPARE(Connector().LinkStatus(), 0);
        QVERIFY(window->isVisible());
        QVERIFY(Connector().StatusText().startsWith(QStringLiteral("Not linked")));
        window->showMinimized();
        window->SendSymbol(QStringLiteral("IBM"));
        QVERIFY(window->isVisible() && !(window->windowState() & Qt::WindowMinimized));

        window->hide();
        LinkTo(TLinkTarget::ltClipboard);
        for (int click = 0; click < 2; ++click) { // the same symbol goes out every time
            QGuiApplication::clipboard()->setText(QStringLiteral("something else"));
            window->SendSymbol(QStringLiteral("MSFT"));
            QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("MSFT"));
            QCOMPARE(Connector().LinkStatus(), 1);
        }
        QVERIFY(window->isHidden());

    }

    // A symbol that would carry a second line or look like another ticker is refused,
    // and the trader is shown why; markup is just text.
    void symbolsThatCouldPoseAreNeverSent_data()
    {
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<bool>("sent");
        QTest::newRow("line feed") << QStringLiteral("A\nB") << false;
        QTest::newRow("bidi override") << QStringLiteral("ABC\u202eLPPA") << false;
        QTest::newRow("zero width") << QStringLiteral("IB\u200bM") << false;
        QTest::newRow("line separator") << QStringLiteral("A\u2028B") << false;
        QTest::newRow("paragraph separator") << QStringLiteral("A\u2029B") << false;
        QTest::newRow("markup") << QStringLiteral("<b>x</b>") << true;
    }

    void symbolsThatCouldPoseAreNeverSent()
    {
        QFETCH(QString, symbol);
        QFETCH(bool, sent);
        LinkTo(TLinkTarget::ltClipboard);
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        window->SendSymbol(symbol);
        QCOMPARE(QGuiApplication::clipboard()->text(), sent ? symbol : QStringLiteral("before"));
        QCOMPARE(Connector().LinkStatus(), sent ? 1 : 0);
        QCOMPARE(window->isVisible(), !sent);
        auto *status = Connector().findChild<QLabel *>(QStringLiteral("StatusLabel"));
        QVERIFY(status && status->textFormat() == Qt::PlainText);
        QCOMPARE(status->text().contains(symbol), sent);
    }

    void localProgramReceivesClickedSymbols()
    {
        TLineReceiver program;
        QVERIFY(program.Listen());
        LinkTo(TLinkTarget::ltTcp, program.Port());
        TQuickStrikeGrid grid(nullptr);
        SendToWindow(&grid);
        TQuickStrikeEntries entries(2);
        entries[0].Symbol = "IBM";
        entries[1].Symbol = "A;B";
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

        // The program is gone: the window comes up with the reason once it is known.
        program.Stop();
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, row1);
        QTRY_VERIFY_WITH_TIMEOUT(Connector().LinkStatus() == 0 && window->isVisible(), 10000);
        QVERIFY(Connector().StatusText().startsWith(QStringLiteral("Could not reach 127.0.0.1:")));
    }

    void pressOnThePartlyShownBottomRowSendsThatRow_data()
    {
        QTest::addColumn<TListMaker>("make");
        QTest::newRow("QuickStrike") << TListMaker(&LongList<TQuickStrikeGrid, TQuickStrikeEntries>);
        QTest::newRow("Bollinger") << TListMaker(&LongList<TBollingerGrid, TBollingerEntries>);
        QTest::newRow("points") << TListMaker(&LongList<TPointsTopListGrid, TPointsTopListEntries>);
        QTest::newRow("JF") << TListMaker(&LongList<TJFGrid, TJFEntries>);
    }

    void pressOnThePartlyShownBottomRowSendsThatRow()
    {
        QFETCH(TListMaker, make);
        TLineReceiver program;
        QVERIFY(program.Listen());
        QWidget owner;
        TGridFrame *grid = LongListLinkedTo(program, owner, make);
        const int rowHeight = grid->DefaultRowHeight();
        owner.show();
        QVERIFY(QTest::qWaitForWindowExposed(&owner));
        grid->SetTopRow(21);
        QCOMPARE(grid->VisibleRowCount(), 5);

        const QPoint partlyShown(30, 6 * rowHeight + rowHeight / 4);
        QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, partlyShown);
        QCOMPARE(grid->TopRow(), 21); // pressing scrolls nothing
        QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, partlyShown);
        QTRY_COMPARE_WITH_TIMEOUT(program.Lines, QStringList{"S25"}, 10000);
        QCOMPARE(grid->Row(), 26); // it selects the row pressed, without scrolling
    }

    void enterSendsTheSelectedRow_data()
    {
        QTest::addColumn<TListMaker>("make");
        QTest::addColumn<QString>("third"); // the symbol in the third row, where rows hold one
        QTest::newRow("QuickStrike") << TListMaker(&LongList<TQuickStrikeGrid, TQuickStrikeEntries>) << "S2";
        QTest::newRow("Bollinger") << TListMaker(&LongList<TBollingerGrid, TBollingerEntries>) << "S2";
        QTest::newRow("points") << TListMaker(&LongList<TPointsTopListGrid, TPointsTopListEntries>) << "S2";
        QTest::newRow("JF") << TListMaker(&LongList<TJFGrid, TJFEntries>) << "S2";
        QTest::newRow("symbol-only") << TListMaker(&LongList<TSymbolOnlyGrid, TQuickStrikeEntries>) << "";
    }

    void enterSendsTheSelectedRow()
    {
        QFETCH(TListMaker, make);
        QFETCH(QString, third);
        TLineReceiver program;
        QVERIFY(program.Listen());
        QWidget owner;
        TGridFrame *grid = LongListLinkedTo(program, owner, make);
        owner.show();
        owner.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&owner));
        const QImage unfocused = grid->viewport()->grab().toImage();
        grid->setFocus();
        QTRY_VERIFY(grid->hasFocus());

        QTest::keyClick(grid, Qt::Key_Return); // nothing selected yet
        QTest::keyClick(grid, Qt::Key_End);
        QCOMPARE(grid->Row(), grid->RowCount() - 1);
        QVERIFY(grid->Row() < grid->TopRow() + grid->VisibleRowCount()); // scrolled into view
        QTest::keyClick(grid, Qt::Key_PageUp);
        QCOMPARE(grid->Row(), std::max(1, grid->RowCount() - 1 - grid->VisibleRowCount()));
        QTest::keyClick(grid, Qt::Key_Home);
        QTest::keyClick(grid, Qt::Key_Down);
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(grid->Row(), 3);
        QCOMPARE(grid->TopRow(), 1);

        // Framed while focused, on the row's outer pixels.
        const QColor highlight = grid->palette().color(QPalette::Highlight);
        const QRect cell = grid->CellRect(0, 3);
        QImage framed = grid->viewport()->grab().toImage();
        QCOMPARE(framed.pixelColor(cell.left(), cell.center().y()), highlight);
        QCOMPARE(framed.pixelColor(cell.center().x(), cell.top()), highlight);
        QVERIFY(framed.pixelColor(cell.left() + 1, cell.top() + 1) != highlight);

        // Enter sends what a click on that cell sends, and flashes it the same way.
        QTest::keyClick(grid, Qt::Key_Return);
        QVERIFY(grid->IsFlashing(0, 3));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QTRY_COMPARE_WITH_TIMEOUT(program.Lines.size(), 2, 10000);
        QCOMPARE(program.Lines[0], program.Lines[1]);
        if (!third.isEmpty())
            QCOMPARE(program.Lines[0], third);

        // Without the focus the grid looks as it did before any key.
        QTRY_VERIFY(!grid->IsFlashing(0, 3));
        grid->clearFocus();
        QTRY_COMPARE(grid->viewport()->grab().toImage(), unfocused);
    }

    // Alerts arriving at the top move the rows; the selection stays with its symbol,
    // so Enter sends what the trader chose.
    void selectionStaysWithItsSymbolWhenAlertsArrive()
    {
        TLineReceiver program;
        QVERIFY(program.Listen());
        LinkTo(TLinkTarget::ltTcp, program.Port());
        QWidget owner;
        auto *grid = static_cast<TQuickStrikeGrid *>(LongList<TQuickStrikeGrid, TQuickStrikeEntries>(&owner, 20));
        SendToWindow(grid);
        grid->setGeometry(0, 0, 800, 8 * grid->DefaultRowHeight());
        owner.show();
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Home);
        QTest::keyClick(grid, Qt::Key_Down);
        QTest::keyClick(grid, Qt::Key_Down); // S2
        TQuickStrikeEntries entries = grid->Entries();
        for (const QByteArray &symbol : {QByteArray("S2"), QByteArray("N1")}) {
            entries.prepend(TQuickStrikeEntry());
            entries.first().Symbol = symbol;
            grid->SetEntries(entries);
        }
        QCOMPARE(grid->Row(), 5);
        QTest::keyClick(grid, Qt::Key_Return);
        QTRY_COMPARE_WITH_TIMEOUT(program.Lines, QStringList{"S2"}, 10000);
    }

    void unreachableProgramNeverHoldsUpTheEventLoop()
    {
        TLineReceiver program;
        QVERIFY(program.Listen(0));
        program.PauseAccepting();
        // Fill the accept queue: connect until one connection stays unanswered.
        std::vector<std::unique_ptr<QTcpSocket>> fillers;
        bool full = false;
        for (int n = 0; n < 8 && !full; ++n) {
            fillers.push_back(std::make_unique<QTcpSocket>());
            QSignalSpy connected(fillers.back().get(), &QTcpSocket::connected);
            fillers.back()->connectToHost(QHostAddress::LocalHost, quint16(program.Port()));
            full = !connected.wait(1000);
        }
        QVERIFY(full);

        LinkTo(TLinkTarget::ltTcp, program.Port());
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, this, [&ticks] { ++ticks; });
        ticker.start(0);
        window->SendSymbol(QStringLiteral("IBM"));
        window->SendSymbol(QStringLiteral("MSFT"));
        QCOMPARE(ticks, 0);
        // The loop runs on while the connection hangs, and the symbols wait in line.
        QTRY_VERIFY(ticks >= 3);
        QCOMPARE(Connector().LinkStatus(), TKestrovaGenericConnector2X::LinkPending);
        QVERIFY(window->isHidden());
        QVERIFY(Connector().StatusText().startsWith(QStringLiteral("Sending MSFT to 127.0.0.1:")));

        // Room in the queue: the connection completes and both symbols go out in order.
        program.ResumeAccepting();
        QTRY_COMPARE_WITH_TIMEOUT(program.Lines, QStringList({"IBM", "MSFT"}), 20000);
        QTRY_COMPARE(Connector().LinkStatus(), TKestrovaGenericConnector2X::LinkDelivered);
        QVERIFY(window->isHidden());
    }

    void commandsThatAreRefused_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("refusal"); // the start of the reason; empty when it runs
        QTest::addColumn<QStringList>("words"); // program and arguments
        const QString option = QStringLiteral("Not sent: ");
        const QString program = QStringLiteral("Not linked: the symbol may not choose the program");
        QTest::newRow("appended") << "chart --open" << "IBM" << "" << QStringList({"chart", "--open", "IBM"});
        QTest::newRow("in a word") << "\"my chart\" --s={symbol}" << "A B" << ""
                                   << QStringList({"my chart", "--s=A B"});
        QTest::newRow("dash inside") << "chart {symbol}" << "BRK-B" << "" << QStringList({"chart", "BRK-B"});
        QTest::newRow("option, appended") << "chart" << "-rf" << option << QStringList();
        QTest::newRow("option, placed") << "chart --x {symbol}" << "--exec=sh" << option << QStringList();
        QTest::newRow("option, in a word") << "chart x{symbol}" << "-" << option << QStringList();
        QTest::newRow("program is the symbol") << "{symbol} --x" << "IBM" << program << QStringList();
        QTest::newRow("program holds the symbol") << "/opt/{symbol}/bin/chart" << "IBM" << program << QStringList();
        QTest::newRow("quoted program") << "\"/opt/x {symbol}\"" << "IBM" << program << QStringList();
        QTest::newRow("no program") << "  " << "IBM" << "Not linked: enter the command" << QStringList();
    }

    void commandsThatAreRefused()
    {
        QFETCH(QString, line);
        QFETCH(QString, symbol);
        QFETCH(QString, refusal);
        QFETCH(QStringList, words);
        const TSymbolCommand command = BuildSymbolCommand(line, symbol);
        QVERIFY2(refusal.isEmpty() ? command.Refusal.isEmpty() : command.Refusal.startsWith(refusal),
                 qPrintable(command.Refusal));
        QCOMPARE(command.Refusal.isEmpty() ? QStringList(command.Program) + command.Arguments : QStringList(), words);

        // Whatever is refused never starts anything, and the trader is shown why.
        if (!refusal.isEmpty()) {
            LinkTo(TLinkTarget::ltCommand, 0, line);
            window->SendSymbol(symbol);
            QVERIFY(Connector().LinkStatus() == 0 && window->isVisible());
            QCOMPARE(Connector().StatusText(), command.Refusal);
        }
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

    // Templates are typed into the panel over one saved before; a refused one is not
    // saved, so the click still opens the page saved before.
    void webPagesOpenWithTheSymbolEncoded_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("opened"); // empty when nothing opens
        QTest::addColumn<bool>("saved");
        const QString before = QStringLiteral("https://before.example/?s=IBM");
        QTest::newRow("placeholder") << "https://charts.example/?s={symbol}&d=1" << "BRK/B&x=1 y"
                                     << "https://charts.example/?s=BRK%2FB%26x%3D1%20y&d=1" << true;
        QTest::newRow("appended after /") << "https://charts.example/q/" << "IBM"
                                          << "https://charts.example/q/IBM" << true;
        QTest::newRow("appended after =") << " https://charts.example/?s= " << "IBM"
                                          << "https://charts.example/?s=IBM" << true;
        QTest::newRow("appended after ?") << "https://charts.example/c?" << "IBM"
                                          << "https://charts.example/c?IBM" << true;
        QTest::newRow("no scheme") << "charts {symbol}" << "IBM" << "" << true;
        QTest::newRow("host would grow") << "https://charts.example" << "IBM" << before << false;
        QTest::newRow("user would be the host") << "https://charts.example@" << "IBM" << before << false;
        QTest::newRow("path would grow") << "https://charts.example/q" << "IBM" << before << false;
        QTest::newRow("symbol as the host") << "https://{symbol}/chart" << "IBM" << before << false;
        QTest::newRow("symbol in the host") << "https://{symbol}.charts.example/" << "IBM" << before << false;
        QTest::newRow("symbol as the scheme") << "{symbol}:x" << "IBM" << before << false;
    }

    void webPagesOpenWithTheSymbolEncoded()
    {
        QFETCH(QString, page);
        QFETCH(QString, symbol);
        QFETCH(QString, opened);
        QFETCH(bool, saved);
        LinkTo(TLinkTarget::ltUrl, 0, QStringLiteral("https://before.example/?s="));
        auto *urlEdit = Connector().findChild<QLineEdit *>(QStringLiteral("UrlEdit"));
        urlEdit->setText(page);
        Q_EMIT urlEdit->editingFinished();
        QCOMPARE(Connector().Settings().UrlTemplate, saved ? page : QStringLiteral("https://before.example/?s="));
        QCOMPARE(Connector().StatusText().startsWith(QStringLiteral("Not saved: ")), !saved);
        QCOMPARE(BuildSymbolUrl(page, symbol).isValid(), saved && !opened.isEmpty());

        TUrlRecorder browser;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser, "OpenUrl");
        window->SendSymbol(symbol);
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QCOMPARE(browser.Opened, opened.isEmpty() ? QList<QUrl>() : QList<QUrl>({QUrl(opened)}));
        QCOMPARE(Connector().LinkStatus() == 0 && window->isVisible(), opened.isEmpty());
    }

    // A set-up saved before there were link groups is group 1's, untouched by the
    // set-up of the other groups, and each group comes back as it was left.
    void eachGroupKeepsItsOwnSetUp()
    {
        window.reset();
        store->WriteString(QStringLiteral("ExternalLinking"), QStringLiteral("Target"), QStringLiteral("tcp"));
        store->WriteString(QStringLiteral("ExternalLinking"), QStringLiteral("Host"), QStringLiteral("localhost"));
        store->WriteInteger(QStringLiteral("ExternalLinking"), QStringLiteral("Port"), 7001);
        store->Flush();
        window = std::make_unique<TExternalLinkingWindow>(*store);
        QCOMPARE(Connector().Settings().Target, TLinkTarget::ltTcp);
        QCOMPARE(Connector().Settings().Port, 7001);
        for (int group = 2; group <= LinkGroupCount; ++group)
            QCOMPARE(window->Connector(group)->Settings().Target, TLinkTarget::ltNone);
        QVERIFY(!window->Connector(0) && !window->Connector(LinkGroupCount + 1));

        LinkGroupTo(*window, 2, TLinkTarget::ltClipboard);
        LinkGroupTo(*window, 4, TLinkTarget::ltUrl, 0, QStringLiteral("https://charts.example/?s="));
        window.reset();
        store = std::make_unique<TSettingsStore>();
        window = std::make_unique<TExternalLinkingWindow>(*store);
        QCOMPARE(store->ReadString(QStringLiteral("ExternalLinking"), QStringLiteral("Target"), QString()),
                 QStringLiteral("tcp"));
        QCOMPARE(Connector().Settings().Port, 7001);
        QCOMPARE(window->Connector(2)->Settings().Target, TLinkTarget::ltClipboard);
        QCOMPARE(window->Connector(3)->Settings().Target, TLinkTarget::ltNone);
        QCOMPARE(window->Connector(4)->Settings().UrlTemplate, QStringLiteral("https://charts.example/?s="));
    }

    // The program's own wiring: a window's clicks reach the target of the group it is
    // in at the moment of the click, and no other.
    void aWindowSendsToTheTargetOfItsGroupOnly()
    {
        TLineReceiver red, green;
        QVERIFY(red.Listen() && green.Listen());
        TRecordingAnnouncer announcer;
        TProgramParts parts(announcer);
        const TMainFormServices services = parts.MainFormServices();
        TExternalLinkingWindow &linking = services.ExternalLinking;
        LinkGroupTo(linking, 1, TLinkTarget::ltTcp, red.Port());
        LinkGroupTo(linking, 2, TLinkTarget::ltTcp, green.Port());

        TAlertForm form(services.AlertWindows);
        form.LoadConfiguration(TIniFile::FromText("[Alert Window 0]\nsubscription=QS\n"), "Alert Window 0");
        form.resize(400, 300);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        TLinkGroupChooser &chooser = *form.LinkGroup();
        QVERIFY(form.Popup()->actions().contains(chooser.Menu()->menuAction()));
        QCOMPARE(chooser.Group(), FirstLinkGroup);
        QVERIFY(chooser.GroupAction(1)->isChecked() && !chooser.Mark()->isVisibleTo(&form));

        form.HandleAlert("QS\r\nsymbol=TOP&last=1");
        const auto clickNewest = [&form] {
            QTest::mouseClick(form.Grid()->viewport(), Qt::LeftButton, {}, form.Grid()->CellRect(0, 1).center());
        };
        const auto sendIn = [&](int group) {
            chooser.GroupAction(group)->trigger();
            QCOMPARE(chooser.Group(), group);
            clickNewest();
        };

        sendIn(2);
        QTRY_COMPARE(green.Lines, QStringList({"TOP"}));
        QVERIFY(chooser.Mark()->isVisibleTo(&form) && !chooser.GroupAction(1)->isChecked());
        // Drawn over the header's corner, not hidden under the grid's viewport.
        const QPoint markCentre = chooser.Mark()->mapTo(&form, chooser.Mark()->rect().center());
        QCOMPARE(form.grab().toImage().pixelColor(markCentre), LinkGroupColor(2));
        QVERIFY(form.Grid()->CellRect(0, 0).contains(form.Grid()->viewport()->mapFrom(&form, markCentre)));
        sendIn(1);
        QTRY_COMPARE(red.Lines, QStringList({"TOP"}));
        // Each target's symbols arrive in order on its one connection: this last one
        // comes after anything sent there by mistake.
        sendIn(2);
        QTRY_COMPARE(green.Lines.size(), 2);
        QCOMPARE(green.Lines, QStringList({"TOP", "TOP"}));
        QCOMPARE(red.Lines, QStringList({"TOP"}));
        QVERIFY(linking.isHidden());

        // A group with no target brings the window up on that group's tab.
        sendIn(3);
        QVERIFY(linking.isVisible());
        QCOMPARE(linking.findChild<QTabWidget *>(QStringLiteral("GroupTabs"))->currentWidget(), linking.Connector(3));
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

        // The next run: a fresh store and window.
        window.reset();
        store = std::make_unique<TSettingsStore>();
        window = std::make_unique<TExternalLinkingWindow>(*store);
        QCOMPARE(Connector().Settings().Target, TLinkTarget::ltTcp);
        QCOMPARE(Connector().Settings().Host, QStringLiteral("localhost"));
        QCOMPARE(Connector().findChild<QSpinBox *>(QStringLiteral("PortBox"))->value(), 7001);
        QCOMPARE(Connector().LinkStatus(), 0);
    }
};

QTEST_MAIN(TestExternalLinking)
#include "tst_ExternalLinking.moc"

#include "client/core/TExcludeList.h"
#include "client/core/TMainConnection.h"
#include "client/core/kinds/NewestFirstKinds.h"
#include "client/core/kinds/TBandSetKind.h"
#include "client/core/kinds/TopListKinds.h"
#include "client/ui/grids/TBollingerGrid.h"
#include "client/ui/grids/TJFGrid.h"
#include "client/ui/grids/TPointsTopListGrid.h"
#include "client/ui/grids/TQuickStrikeGrid.h"
#include "client/ui/grids/TSmbTopListFullGrid.h"
#include "client/ui/grids/TSymbolOnlyGrid.h"
#include "client/ui/windows/TAlertForm.h"
#include "client/ui/windows/TAlertShareMenu.h"
#include "shared/TIniFile.h"
#include "support/TPaintCounter.h"
#include "support/TRecordingAnnouncer.h"
#include "support/TRecordingCanvas.h"
#include "support/TTestWindowServices.h"

#include "../core/support/SmbRows.h"
#include "../shared/support/FakeClock.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QMenu>
#include <QScrollBar>
#include <QtTest>

#include <memory>
#include <typeinfo>

namespace {

const char SampleIni[] =
    "[Alert Window 0]\nsubscription=QS\nsuffix=-a\ntitle=Quick\ncolor=255\n"
    "[Alert Window 1]\nsubscription=QS\ndisplay=Set\ncolor=255\n"
    "[Alert Window 2]\ndisplay=set\nextra=Dist\ncolor=255\n"
    "[Alert Window 3]\ndisplay=symbol\ncolor=$FF\n"
    "[Alert Window 4]\ndisplay=pointslist\ncolor=255\n"
    "[Alert Window 5]\ndisplay=simplelist\ntitle=\n"
    "[Alert Window 6]\ndisplay=jf-simplelist\ncolor=0x0000FF\n"
    "[Alert Window 7]\ndisplay=smb\ncolumns=0,1,12\nignore_sort_timer=1\ncolor=255\n"
    "[Alert Window 8]\ndisplay=smb\nignore_sort_timer=yes\n"
    "[Alert Window 9]\ndisplay=Smb\ncolor=red\n"
    "[Alert Window 10]\ndisplay=set\nextra=\n";

QDateTime At(int hour, int minute, int second)
{
    return QDateTime(QDate(2024, 3, 15), QTime(hour, minute, second));
}


// A plain RFC 4180 reader: quoted fields may hold commas, doubled quotes and line breaks.
QVector<QStringList> ReadCsv(const QString &text)
{
    QVector<QStringList> records;
    QStringList fields;
    QString field;
    bool quoted = false;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c != QLatin1Char('"'))
                field += c;
            else if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"'))
                field += text[++i];
            else
                quoted = false;
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            fields << std::exchange(field, QString());
        } else if (c == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n')) {
            fields << std::exchange(field, QString());
            records << std::exchange(fields, QStringList());
            ++i;
        } else {
            field += c;
        }
    }
    return records;
}

} // namespace

class TestAlertForm : public QObject
{
    Q_OBJECT

    std::optional<FakeClock> clock;
    std::optional<TTestWindowServices> world;

    std::unique_ptr<TAlertForm> Configured(const QByteArray &ini)
    {
        auto form = std::make_unique<TAlertForm>(world->Services());
        form->LoadConfiguration(TIniFile::FromText(ini), "Alert Window 0");
        return form;
    }

private Q_SLOTS:
    void initTestCase() { FakeClock::UseTimeZone("America/New_York"); }

    void init()
    {
        clock.emplace(At(10, 0, 0));
        world.emplace();
    }

    void cleanup()
    {
        clock.reset();
        world.reset();
    }

    void configurationBuildsTheGridOfItsKind_data()
    {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<QByteArray>("kind");
        QTest::addColumn<QByteArray>("gridType");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("menu");
        QTest::addColumn<TColor>("textColor");
        const QByteArray quick = typeid(TQuickStrikeGrid).name();
        const QByteArray points = typeid(TPointsTopListGrid).name();
        const QByteArray smb = typeid(TSmbTopListFullGrid).name();
        QTest::newRow("default") << QByteArray("0") << QByteArray(typeid(TQuickStrikeKind).name()) << quick << "Quick" << "ClearPopup" << 255;
        QTest::newRow("Set is not set") << QByteArray("1") << QByteArray(typeid(TQuickStrikeKind).name()) << quick << "Alerts" << "ClearPopup" << 255;
        QTest::newRow("band set") << QByteArray("2") << QByteArray(typeid(TBandSetKind).name()) << QByteArray(typeid(TBollingerGrid).name())
                                  << "Alerts" << "SharePopup" << clWhite;
        QTest::newRow("symbol") << QByteArray("3") << QByteArray(typeid(TSymbolOnlyKind).name()) << QByteArray(typeid(TSymbolOnlyGrid).name())
                                << "Alerts" << "ClearPopup" << 255;
        QTest::newRow("points list") << QByteArray("4") << QByteArray(typeid(TPointsListKind).name()) << points << "Alerts" << "SharePopup" << 255;
        QTest::newRow("simple list") << QByteArray("5") << QByteArray(typeid(TSimpleListKind).name()) << points << "" << "ClearPopup" << clWhite;
        QTest::newRow("JF") << QByteArray("6") << QByteArray(typeid(TJFListKind).name()) << QByteArray(typeid(TJFGrid).name())
                            << "Alerts" << "SharePopup" << 255;
        QTest::newRow("full top list") << QByteArray("7") << QByteArray(typeid(TFullTopListKind).name()) << smb << "Alerts" << "SmbMenu" << clWhite;
        QTest::newRow("Smb, bad color") << QByteArray("9") << QByteArray(typeid(TQuickStrikeKind).name()) << quick << "Alerts" << "ClearPopup" << clWhite;
        QTest::newRow("no section") << QByteArray("42") << QByteArray(typeid(TQuickStrikeKind).name()) << quick << "Alerts" << "ClearPopup" << clWhite;
    }

    void configurationBuildsTheGridOfItsKind()
    {
        QFETCH(QByteArray, section);
        QFETCH(QByteArray, gridType);
        TAlertForm form(world->Services());
        // The kinds are read through references: typeid of a call would evaluate it.
        const TAlertKind &unconfigured = form.Kind();
        QCOMPARE(QByteArray(typeid(unconfigured).name()), QByteArray(typeid(TQuickStrikeKind).name()));
        form.LoadConfiguration(TIniFile::FromText(SampleIni), "Alert Window " + section);

        const TAlertKind &configured = form.Kind();
        QTEST(QByteArray(typeid(configured).name()), "kind");
        QTEST(form.windowTitle(), "caption");
        TGridFrame *grid = form.Grid();
        QVERIFY(grid && grid->parentWidget() == &form && grid->isVisibleTo(&form));
        QCOMPARE(QByteArray(typeid(*grid).name()), gridType);
        QTEST(grid->TextColor(), "textColor");
        QTEST(form.Popup() ? form.Popup()->objectName() : QString(), "menu");
        QVERIFY(form.Popup()->actions().contains(form.MuteAction()) && form.MuteAction()->isCheckable());

        QCOMPARE(form.size(), QSize(401, 480));
        QVERIFY(form.windowFlags() & Qt::Tool);
        QVERIFY(!(form.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        form.show();
        QCOMPARE(grid->geometry(), form.rect()); // the grid fills the window
        QVERIFY(form.close() && form.isHidden()); // closing only hides
    }

    void kindSettingsReachTheirGrids()
    {
        const TIniFile ini = TIniFile::FromText(SampleIni);
        const TAlertFormServices services = world->Services();
        TAlertForm named(services), band(services), keptCaption(services), ignoring(services), timed(services);
        named.LoadConfiguration(ini, "Alert Window 0");
        QCOMPARE(named.Subscription(), QByteArray("QS"));
        QCOMPARE(named.PlacementName(), QStringLiteral("QS-a"));
        QCOMPARE(named.ClearWindowMenuItem()->text(), QStringLiteral("Clear Window"));
        band.LoadConfiguration(ini, "Alert Window 2");
        QCOMPARE(static_cast<TBollingerGrid *>(band.Grid())->ExtraCaption(), QStringLiteral("Dist"));
        keptCaption.LoadConfiguration(ini, "Alert Window 10");
        QCOMPARE(static_cast<TBollingerGrid *>(keptCaption.Grid())->ExtraCaption(), QStringLiteral("BBand"));
        ignoring.LoadConfiguration(ini, "Alert Window 7");
        QVERIFY(static_cast<TSmbTopListFullGrid *>(ignoring.Grid())->IgnoreSortTimer());
        QCOMPARE(static_cast<TSmbTopListFullGrid *>(ignoring.Grid())->ColumnMap(), QVector<int>({0, 1, 12}));
        QCOMPARE(ignoring.Popup()->actions().mid(0, 2), QList<QAction *>({ignoring.FreezeAction(), ignoring.SortNowAction()}));
        timed.LoadConfiguration(ini, "Alert Window 8");
        QVERIFY(!static_cast<TSmbTopListFullGrid *>(timed.Grid())->IgnoreSortTimer());
    }

    void alertsArriveThroughTheMainConnection()
    {
        auto quick = Configured("[Alert Window 0]\nsubscription=QS\n");
        auto symbols = Configured("[Alert Window 0]\nsubscription=QS\ndisplay=symbol\n");
        auto other = Configured("[Alert Window 0]\nsubscription=QS2\n");
        world->Excludes.Add("ibm");
        TMainConnection &connection = world->Connection;
        for (const char *body : {"QS\r\nsymbol=ABC&last=12", "QS\r\nsymbol=IBM", "QS2 \r\nsymbol=X"})
            connection.DispatchAlert(true, body, TMessageToServer());

        const auto &quickRows = static_cast<TQuickStrikeGrid *>(quick->Grid())->Entries();
        QCOMPARE(quickRows.size(), 1);
        QVERIFY(quickRows[0].Symbol.Bytes() == QStringLiteral("ABC") && quickRows[0].Last == 12);
        QCOMPARE(static_cast<TSymbolOnlyGrid *>(symbols->Grid())->Entries().size(), 2);
        QVERIFY(static_cast<TQuickStrikeGrid *>(other->Grid())->Entries().isEmpty());

        quick.reset(); // a window that is gone is no longer called
        connection.DispatchAlert(true, "QS\r\nsymbol=DEF", TMessageToServer());
        QCOMPARE(static_cast<TSymbolOnlyGrid *>(symbols->Grid())->Entries().size(), 3);

        symbols->ClearWindowMenuItem()->trigger();
        QVERIFY(static_cast<TSymbolOnlyGrid *>(symbols->Grid())->Entries().isEmpty());
    }

    void bandRowsExpireOnTheTimerTick_data()
    {
        QTest::addColumn<QDateTime>("start");
        QTest::addColumn<qint64>("wallStepMs"); // made after the second row came
        constexpr qint64 TwoHoursMs = 2 * 3600 * 1000;
        QTest::newRow("plain day") << At(10, 0, 0) << qint64(0);
        QTest::newRow("set forward 2 h") << At(10, 0, 0) << TwoHoursMs;
        QTest::newRow("set back 2 h") << At(10, 0, 0) << -TwoHoursMs;
        // New York: 2026-03-08 02:00 EST becomes 03:00 EDT, 2026-11-01 02:00 EDT 01:00 EST.
        QTest::newRow("spring change") << QDateTime(QDate(2026, 3, 8), QTime(6, 59, 0), Qt::UTC) << qint64(0);
        QTest::newRow("autumn change") << QDateTime(QDate(2026, 11, 1), QTime(5, 59, 0), Qt::UTC) << qint64(0);
    }

    void bandRowsExpireOnTheTimerTick()
    {
        QFETCH(QDateTime, start);
        QFETCH(qint64, wallStepMs);
        clock.emplace(start);
        auto form = Configured("[Alert Window 0]\nsubscription=BB\ndisplay=set\n");
        auto *grid = static_cast<TBollingerGrid *>(form->Grid());
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        TPaintCounter paints;
        grid->viewport()->installEventFilter(&paints);
        form->HandleAlert("BB\r\naction=add&symbol=OLD&dist_from_bb=2");
        clock->AdvanceSeconds(90);
        form->HandleAlert("BB\r\naction=add&symbol=NEW&dist_from_bb=1");
        QCoreApplication::processEvents();
        clock->StepWall(wallStepMs);

        clock->AdvanceSeconds(29);
        paints.Count = 0;
        form->ExpireBollingersTimerTimer();
        QCoreApplication::processEvents();
        QCOMPARE(paints.Count, 0); // nothing expired: no repaint
        QCOMPARE(grid->Entries().size(), 2);

        clock->AdvanceSeconds(1); // two minutes after OLD came
        form->ExpireBollingersTimerTimer();
        QCoreApplication::processEvents();
        QVERIFY(paints.Count > 0);
        QCOMPARE(grid->Entries().size(), 1);
        QCOMPARE(grid->Entries()[0].Symbol, QStringLiteral("NEW"));
    }

    void sortNowAndFreezeDriveTheTopList()
    {
        auto form = Configured("[Alert Window 0]\nsubscription=TL\ndisplay=smb\n");
        auto *grid = static_cast<TSmbTopListFullGrid *>(form->Grid());
        QAction *sortNow = form->SortNowAction();
        QAction *freeze = form->FreezeAction();
        form->HandleAlert("TL\r\nsymbol0=A&symbol1=B");
        clock->AdvanceTo(At(10, 0, 10));
        QByteArray fields = "symbol0=B&symbol1=A";
        for (int i = 1; i <= 7; ++i)
            fields += "&symbol" + QByteArray::number(i + 1) + "=N" + QByteArray::number(i);
        form->HandleAlert(QByteArray("TL\r\n" + fields));
        clock->AdvanceTo(At(10, 0, 25)); // not yet 30 seconds after the last sort
        form->ExpireBollingersTimerTimer();
        QCOMPARE(SymbolsOf(grid->Entries()), QStringList({"A", "B"}));
        QVERIFY(sortNow->isEnabled());
        QCOMPARE(sortNow->text(), QStringLiteral("Sort Now (N1, N2, N3, N4, N5 and 2 more missing)"));

        sortNow->trigger();
        QCOMPARE(grid->Entries().size(), 9);
        QVERIFY(!sortNow->isEnabled());
        QCOMPARE(sortNow->text(), QStringLiteral("Sort Now"));

        freeze->trigger();
        QVERIFY(grid->Frozen() && freeze->isChecked());
        clock->AdvanceTo(At(10, 5, 0));
        form->HandleAlert("TL\r\nsymbol0=A&symbol1=B");
        form->ExpireBollingersTimerTimer();
        QCOMPARE(SymbolsOf(grid->Entries()).mid(0, 2), QStringList({"B", "A"}));
        freeze->trigger(); // unfreezing applies the waiting order at once
        QVERIFY(!grid->Frozen() && !freeze->isChecked());
        QCOMPARE(SymbolsOf(grid->Entries()), QStringList({"A", "B"}));
    }

    void newFontRemeasuresEveryKind_data()
    {
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<QByteArray>("alert");
        QTest::newRow("QuickStrike") << QByteArray() << QByteArray("symbol=ABC&last=12.5&prev_close=12&time=10:00:00");
        QTest::newRow("Bollinger") << QByteArray("set") << QByteArray("action=add&symbol=ABC&last=12.5&dist_from_bb=1");
        QTest::newRow("symbol only") << QByteArray("symbol") << QByteArray("symbol=ABC");
        QTest::newRow("points") << QByteArray("pointslist") << QByteArray("symbol0=ABC&last0=12.5&change0=0.5");
        QTest::newRow("simple") << QByteArray("simplelist") << QByteArray("symbol=ABC&last=12.5&change=0.5");
        QTest::newRow("JF") << QByteArray("jf-simplelist") << QByteArray("symbol=ABC&time=10:00&change=1.5&volume=12345");
        QTest::newRow("full top list") << QByteArray("smb") << QByteArray("symbol0=ABC&last0=12.5&change0=1&volume0=100");
    }

    // A window whose font changes looks exactly like one made with that font.
    void newFontRemeasuresEveryKind()
    {
        QFETCH(QByteArray, display);
        QFETCH(QByteArray, alert);
        const QByteArray ini = "[Alert Window 0]\nsubscription=F\ndisplay=" + display + "\n";
        QFont small = QApplication::font();
        small.setPixelSize(9);
        QFont big = small;
        big.setPixelSize(22);
        const TAlertFormServices services = world->Services();
        TAlertForm changed(services), madeBig(services);
        changed.setFont(small); // as restored at start-up, before the grid is made
        madeBig.setFont(big);
        for (TAlertForm *form : {&changed, &madeBig}) {
            form->LoadConfiguration(TIniFile::FromText(ini), "Alert Window 0");
            form->HandleAlert(QByteArray("F\r\n" + alert));
            form->show();
            QVERIFY(QTest::qWaitForWindowExposed(form));
        }
        TGridFrame *grid = changed.Grid();
        TGridFrame *expected = madeBig.Grid();
        const int smallRowHeight = grid->DefaultRowHeight();
        const int smallSymbolWidth = grid->ColWidths(0);

        changed.setFont(big);
        QCOMPARE(grid->CanvasFont(), big);
        QVERIFY(grid->DefaultRowHeight() > smallRowHeight);
        QVERIFY(grid->ColWidths(0) > smallSymbolWidth);
        QCOMPARE(grid->DefaultRowHeight(), expected->DefaultRowHeight());
        QCOMPARE(grid->ColCount(), expected->ColCount());
        QCOMPARE(grid->RowCount(), expected->RowCount());
        for (int col = 0; col < grid->ColCount(); ++col)
            QCOMPARE(grid->ColWidths(col), expected->ColWidths(col));
        // Headers and data are painted in the new font, once a scroll bar the wider
        // columns need has come.
        QTRY_COMPARE(grid->viewport()->grab().toImage(), expected->viewport()->grab().toImage());
    }

    void aStreamOfAlertsRepaintsTheGridOnceAFrame_data()
    {
        QTest::addColumn<QByteArray>("display");
        QTest::newRow("QuickStrike") << QByteArray();
        QTest::newRow("band set") << QByteArray("set");
        QTest::newRow("symbol matrix") << QByteArray("symbol");
        QTest::newRow("JF") << QByteArray("jf-simplelist");
    }

    void aStreamOfAlertsRepaintsTheGridOnceAFrame()
    {
        QFETCH(QByteArray, display);
        clock.reset();
        auto form = Configured("[Alert Window 0]\nsubscription=QS\ndisplay=" + display + "\n");
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        TPaintCounter paints;
        form->Grid()->viewport()->installEventFilter(&paints);
        int serial = 0;
        const auto alert = [&] {
            form->HandleAlert(QByteArray("QS\r\naction=add&last=1&dist_from_bb=1&symbol=S" + QByteArray::number(++serial)));
        };
        // After a quiet frame an alert is painted in the next pass of the event loop.
        QTRY_VERIFY(form->Grid()->RepaintPacer().Quiet());
        paints.Count = 0;
        alert();
        QCoreApplication::processEvents();
        QCOMPARE(paints.Count, 1);

        // A pass of the loop per alert, as when every socket read brings one: without
        // pacing every pass would paint.
        paints.Count = 0;
        QScrollBar *bar = form->Grid()->verticalScrollBar();
        QSignalSpy ranges(bar, &QScrollBar::rangeChanged);
        QElapsedTimer elapsed;
        elapsed.start();
        for (int i = 0; i < 200; ++i) {
            alert();
            QCoreApplication::processEvents();
        }
        const qint64 frames = elapsed.elapsed() / TDrawGrid::RepaintFrameMs + 1;
        QVERIFY2(paints.Count <= frames, qPrintable(QStringLiteral("%1 paints in %2 frames").arg(paints.Count).arg(frames)));
        // The scroll bar follows the growing list with the paints, not with every alert.
        QVERIFY2(ranges.count() <= frames, qPrintable(QStringLiteral("%1 ranges in %2 frames").arg(ranges.count()).arg(frames)));

        // The last change is never left unpainted, nor the scroll bar behind the list.
        alert();
        const int before = paints.Count;
        QTRY_VERIFY(paints.Count > before);
        TGridFrame *grid = form->Grid();
        QTRY_COMPARE(bar->maximum(), std::max(0, grid->RowCount() - 1 - grid->VisibleRowCount()));
    }

    void rightClickOnTheGridOpensTheWindowMenu()
    {
        auto form = Configured("[Alert Window 0]\nsubscription=QS\n");
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QWidget *opened = nullptr;
        QTimer::singleShot(0, form.get(), [&opened] {
            if ((opened = QApplication::activePopupWidget()))
                opened->close();
        });
        QWidget *viewport = form->Grid()->viewport();
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(20, 40), viewport->mapToGlobal(QPoint(20, 40)));
        QApplication::sendEvent(viewport, &event);
        QCoreApplication::processEvents();
        QCOMPARE(opened, form->Popup());
    }

    void alertsSoundAndNotifyAsTheSectionAsks_data()
    {
        QTest::addColumn<QByteArray>("keys");
        QTest::addColumn<bool>("muted");
        // Each alert: seconds from the first one, then the symbol, or "tick" for the
        // window's clock.
        QTest::addColumn<QStringList>("alerts");
        QTest::addColumn<QStringList>("calls");

        const QStringList burst = {"0 IBM", "30 IBM", "59 IBM"};
        const QString ibm = QStringLiteral("notify IBM – Quick | Last 12.50  Change +0.50  10:31:05");
        QTest::newRow("no new keys") << QByteArray() << false << burst << QStringList();
        QTest::newRow("notify other than 1") << QByteArray("notify=yes\n") << false << burst << QStringList();
        QTest::newRow("burst beeps once") << QByteArray("sound=beep\n") << false << burst << QStringList({"beep"});
        QTest::newRow("after the cooldown again") << QByteArray("notify=1\n") << false
                                                  << QStringList({"0 IBM", "30 IBM", "60 IBM"}) << QStringList({ibm, ibm});
        QTest::newRow("cooldown per symbol") << QByteArray("sound=ding.wav\nnotify cooldown=10\n") << false
                                             << QStringList({"0 IBM", "1 MSFT", "9 IBM", "10 IBM", "10 MSFT"})
                                             << QStringList({"play ding.wav", "play ding.wav", "play ding.wav"});
        QTest::newRow("no cooldown") << QByteArray("sound=beep\nnotify cooldown=0\n") << false << burst
                                     << QStringList({"beep", "beep", "beep"});
        QTest::newRow("negative cooldown") << QByteArray("sound=beep\nnotify cooldown=-5\n") << false << burst
                                           << QStringList({"beep", "beep", "beep"});
        QTest::newRow("sound and notify") << QByteArray("sound=beep\nnotify=1\n") << false << burst
                                          << QStringList({"beep", ibm});
        QTest::newRow("excluded symbol") << QByteArray("sound=beep\nnotify=1\n") << false
                                         << QStringList({"0 xyz", "1 Xyz"}) << QStringList();
        QTest::newRow("muted") << QByteArray("sound=beep\nnotify=1\n") << true << burst << QStringList();
        QTest::newRow("new symbols call out once a second")
            << QByteArray("sound=beep\nnotify=1\n") << false
            << QStringList({"0 IBM", "0 A", "0 B", "1 C", "1 D", "1 tick", "2 tick", "3 E"})
            << QStringList({"beep", ibm, "beep", QStringLiteral("notify C – Quick | Last 12.50  Change +0.50  10:31:05  and 2 more"),
                            "beep", QStringLiteral("notify Quick | 1 more alert"), "beep",
                            QStringLiteral("notify E – Quick | Last 12.50  Change +0.50  10:31:05")});
    }

    void alertsSoundAndNotifyAsTheSectionAsks()
    {
        QFETCH(QByteArray, keys);
        QFETCH(bool, muted);
        QFETCH(QStringList, alerts);
        const TRecordingAnnouncer &announcer = world->Announcer;
        world->Excludes.Add(QStringLiteral("XYZ"));
        // A kind that shows excluded symbols: only the call-out leaves them out.
        auto form = Configured("[Alert Window 0]\nsubscription=QS\ntitle=Quick\ndisplay=symbol\n" + keys);
        qint64 now = 0;
        form->Alarm().SetClock([&now] { return now; });
        if (muted)
            form->MuteAction()->trigger();
        QCOMPARE(form->Muted(), muted);

        int taken = 0;
        for (const QString &alert : alerts) {
            now = alert.section(QLatin1Char(' '), 0, 0).toLongLong() * 1000;
            const QByteArray symbol = alert.section(QLatin1Char(' '), 1).toUtf8();
            if (symbol == "tick") {
                form->ExpireBollingersTimerTimer();
                continue;
            }
            form->HandleAlert(QByteArray("QS\r\nsymbol=" + symbol + "&last=12.5&prev_close=12&time=10%3A31%3A05"));
            ++taken;
        }
        QCOMPARE(form->Kind().RowCount(), taken);
        QTEST(announcer.Calls, "calls");
    }

    void rowsAreCopiedExportedAndExcluded()
    {
        auto form = Configured("[Alert Window 0]\nsubscription=QS\n");
        TMainConnection &connection = world->Connection;
        connection.DispatchAlert(true, "QS\r\nsymbol=IBM&last=0.1&prev_close=0.3", TMessageToServer());
        connection.DispatchAlert(true, "QS\r\nsymbol=A%2CB%22C&last=1234.5678&prev_close=1000&time=10:00", TMessageToServer());
        TAlertShareMenu *share = form->ShareMenu();
        QVERIFY(share && form->Popup()->actions().contains(share->ExportAction()));

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("rows.csv"));
        QString error;
        QVERIFY(share->ExportTo(path, error));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QVector<QStringList> records = ReadCsv(QString::fromUtf8(file.readAll()));
        QCOMPARE(records.size(), 3);
        QCOMPARE(records[0], QStringList({"Symbol", "Last", "Chg", "%Chg", "Divrg", "Time", "Last (value)",
                                          "Chg (value)", "%Chg (value)"}));
        QCOMPARE(records[1].mid(0, 1) + records[1].mid(5, 1), QStringList({"A,B\"C", "10:00"}));
        QCOMPARE(records[2][0], QStringLiteral("IBM"));
        // Without a divergence in any alert its column holds no number and gets no value column.
        QVERIFY(records[1].size() == records[0].size() && records[2].size() == records[0].size());
        // The shown texts are whole, and the numbers behind them free of binary noise.
        for (const QStringList &row : records.mid(1))
            for (int col = 1; col <= 3; ++col)
                QVERIFY(!row[col].isEmpty() && !row[col].contains(QStringLiteral("...")));
        QCOMPARE(records[1].mid(6, 2), QStringList({"1234.5678", "234.5678"}));
        QCOMPARE(records[2].mid(7, 2), QStringList({"-0.2", "-66.66666667"}));

        // The menu acts on the alert it was opened on, while others arrive behind it.
        TGridFrame *grid = form->Grid();
        share->AimAt(grid->CellRect(2, 2).center());
        connection.DispatchAlert(true, "QS\r\nsymbol=HMYK&last=2", TMessageToServer());
        QCOMPARE(share->ExcludeAction()->text(), QStringLiteral("Exclude IBM"));
        QVERIFY(share->ExcludeAction()->isVisible() && !share->IncludeAction()->isVisible());
        share->CopySymbolAction()->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("IBM"));
        share->CopyRowAction()->trigger();
        QCOMPARE(QGuiApplication::clipboard()->text().split(QLatin1Char('\t')), records[2].mid(0, 6));
        share->ExcludeAction()->trigger();
        QCOMPARE(world->Excludes.Items(), QStringList({"IBM"}));
        connection.DispatchAlert(true, "QS\r\nsymbol=ibm&last=1", TMessageToServer());
        QCOMPARE(static_cast<TQuickStrikeGrid *>(grid)->Entries().size(), 3);

        // A symbol in an item's text is shown, never obeyed, and the list refuses it.
        connection.DispatchAlert(true, "QS\r\nsymbol=A%26B%09C&last=1", TMessageToServer());
        share->AimAt(grid->CellRect(0, 1).center());
        QCOMPARE(share->ExcludeAction()->text(), QStringLiteral("Exclude A&&B\uFFFDC"));
        QVERIFY(!share->ExcludeAction()->isEnabled());

        share->AimAt(grid->CellRect(0, 5).center()); // below the rows
        QVERIFY(!share->ExcludeAction()->isVisible() && !share->CopyRowAction()->isEnabled());
        QVERIFY(!share->ExportTo(dir.filePath(QStringLiteral("missing/rows.csv")), error) && !error.isEmpty());
    }

    void exportProposesANameAndAddsTheExtension()
    {
        auto form = Configured("[Alert Window 0]\nsubscription=QS\ntitle=Quick\n");
        QTemporaryDir dir;
        QString proposed;
        QTimer::singleShot(0, [&dir, &proposed] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            proposed = QFileInfo(dialog->selectedFiles().value(0)).fileName();
            dialog->setDirectory(dir.path());
            dialog->selectFile(QStringLiteral("mine"));
            static_cast<QDialog *>(dialog)->accept(); // QFileDialog's own accept, through the public one
        });
        form->ShareMenu()->ExportAction()->trigger();
        QCOMPARE(proposed, ProposedCsvName(QStringLiteral("Quick"), QDate::currentDate()));
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("mine.csv"))));
    }

    // Between an old and a new alert, the marker of a gap takes the place the grid
    // gives an entry (row 2, or the matrix's second cell, which is the same cell),
    // and holds nothing to send, copy or export.
    void aGapMarkerIsARowWithoutASymbol_data()
    {
        QTest::addColumn<QByteArray>("display");
        QTest::addColumn<bool>("marked");
        QTest::newRow("QuickStrike") << QByteArray("default") << true;
        QTest::newRow("symbols") << QByteArray("symbol") << true;
        QTest::newRow("simple list") << QByteArray("simplelist") << true;
        QTest::newRow("JF") << QByteArray("jf-simplelist") << true;
        QTest::newRow("band set") << QByteArray("set") << false;
    }

    void aGapMarkerIsARowWithoutASymbol()
    {
        QFETCH(QByteArray, display);
        QFETCH(bool, marked);
        auto form = Configured("[Alert Window 0]\nsubscription=QS\ndisplay=" + display + "\n");
        form->resize(400, 300);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        const QStringList &sent = world->SentSymbols;
        const auto alert = [&form](const char *symbol) {
            form->HandleAlert(QByteArray(QByteArray("QS\r\naction=add&last=1&change=1&last0=1&change0=1&symbol=")
                                         + symbol + "&symbol0=" + symbol));
        };
        alert("OLD");
        const TLinkGap gap{DateTimeFromQDateTime(At(10, 4, 3)), DateTimeFromQDateTime(At(10, 4, 9))};
        form->MarkLinkGap(gap);
        alert("NEW");

        TGridFrame *grid = form->Grid();
        TRecordingCanvas canvas;
        grid->PaintCell(canvas, 0, 2);
        const QString drawn = canvas.Texts.value(0).Text;
        const QString text = LinkGapText(gap);
        // Cut to the row (or the matrix's cell) where it does not fit.
        const bool shown = drawn == text
                           || (drawn.size() > 3 && drawn.endsWith(QLatin1String("...")) && text.startsWith(drawn.chopped(3)));
        QCOMPARE(shown, marked);

        const QPoint marker = grid->CellRect(0, 2).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, marker);
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Home);
        QTest::keyClick(grid, Qt::Key_Down);
        QTest::keyClick(grid, Qt::Key_Return);
        QCOMPARE(sent.isEmpty(), marked);
        form->ShareMenu()->AimAt(marker);
        QCOMPARE(form->ShareMenu()->CopySymbolAction()->isEnabled(), !marked);
        QCOMPARE(grid->ExportTable().Rows.size(), 2);

        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(0, 1).center());
        QVERIFY(!sent.isEmpty() && !sent.constLast().isEmpty());
    }
};

QTEST_MAIN(TestAlertForm)
#include "tst_AlertForm.moc"

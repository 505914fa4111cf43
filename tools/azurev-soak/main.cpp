// azurev-soak --user NAME --password TEXT [--minutes N]: runs the client as the
// program does (main window, every alert window of KVX.ini in the current folder,
// shown), logs in, and reports on standard output:
//   HH:MM:SS status <text>                  every status change
//   HH:MM:SS session <n> alerts <count>     when a session's status leaves the
//                                           working states, the alerts it brought
//   HH:MM:SS minute <m> rss-kb <kb> heap-in-use-kb <kb> longest-stall-ms <ms> alerts <count>
//            empty-frames <count> entries <rows in all windows' lists> jf-entries <rows in the JF lists>
// and exits after N minutes (default 10) with a summary line. The JF list has no length
// limit, so under a steady stream it grows for as long as the program runs; to tell
// that growth from a leak, the soak then destroys the JF windows and prints
//   HH:MM:SS jf-windows-held-kb <kb> empty-jf-window-kb <kb> jf-row-bytes <b> jf-rows-added-kb <kb>
//   HH:MM:SS end-less-jf-rows-added heap-in-use-kb <kb> (<change>) rss-kb <kb> (<change>);
//            rss-kb-after-freeing-jf-windows <kb> (<change>)
// the heap the JF windows held, that of an empty one, what one row costs and what the
// rows added since the first minute cost; the end's heap and RSS less those rows; and
// RSS measured once the JF windows were freed and the free pages returned (the
// allocator keeps scattered free blocks). Each change is on the first minute.
// SIGTERM and SIGINT end it as they end the program, by closing the main window; with
// AZUREV_STALL_REPORT set it writes the program's stall report to standard error.

#include "client/core/TMainConnection.h"
#include "client/core/kinds/NewestFirstKinds.h"
#include "client/ui/TProgramParts.h"
#include "client/ui/desktop/TAlertAnnouncer.h"
#include "client/ui/windows/TAlertForm.h"
#include "client/ui/windows/TMainForm.h"
#include "client/ui/windows/TQuickstrikeExcludeForm.h"
#include "shared/MemoryReturn.h"
#include "shared/TIniFile.h"
#include "shared/TStallReporter.h"
#include "shared/TTerminationSignals.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTime>
#include <QTimer>

#include <cstdio>
#include <memory>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// The bytes the program holds in live allocations: when RSS grows and this does not,
// the growth is the allocator's, not ours. -1 where the C library cannot tell.
qint64 HeapInUseKb()
{
#if defined(__GLIBC__)
    const struct mallinfo2 info = mallinfo2();
    return qint64((info.uordblks + info.hblkhd) / 1024);
#else
    return -1;
#endif
}

// Resident memory of this process, from /proc.
qint64 ResidentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

void Print(const QString &text)
{
    std::printf("%s %s\n", qPrintable(QTime::currentTime().toString(QStringLiteral("HH:mm:ss"))),
                qPrintable(text));
    std::fflush(stdout);
}

bool IsJFWindow(const TAlertForm &window)
{
    return dynamic_cast<const TJFListKind *>(&window.Kind()) != nullptr;
}

// Rows of the lists the windows show: how far they have filled up.
qint64 ListLengths(const TAlertForms &windows, bool onlyJF)
{
    qint64 total = 0;
    for (const TAlertForm *window : windows)
        if (!onlyJF || IsJFWindow(*window))
            total += window->Kind().RowCount();
    return total;
}

QString PercentChange(qint64 from, qint64 to)
{
    return from > 0 ? QString::asprintf("%+.1f%%", 100.0 * double(to - from) / double(from)) : QStringLiteral("?");
}

// Memory and JF rows at one moment.
struct TMemoryMark
{
    qint64 RssKb = 0;
    qint64 HeapKb = 0;
    qint64 JFRows = 0;
};

// The heap a JF window holds beyond its rows: one made afresh from its ini section,
// shown and painted, measured, and destroyed again.
qint64 EmptyJFWindowKb(const TAlertFormServices &services, const TIniFile &ini, int sectionIndex)
{
    const qint64 before = HeapInUseKb();
    auto window = std::make_unique<TAlertForm>(services);
    window->LoadConfiguration(ini, "Alert Window " + QByteArray::number(sectionIndex));
    window->show();
    window->grab();
    QCoreApplication::processEvents();
    return HeapInUseKb() - before;
}

// Ends the soak by taking the JF rows out of its memory figures. The main window goes
// first, as at the program's end (it saves every alert window's placement), then the
// JF windows, and with them their rows. Their heap, less that of an empty JF window,
// gives the bytes of one row, and so how much of the growth since the first minute
// the rows added since then account for.
void MeasureJFRows(std::unique_ptr<TMainForm> &mainForm, const TMainFormServices &services,
                   const TAlertForms &windows, const TMemoryMark &end, const TMemoryMark &firstMinute)
{
    mainForm.reset();
    const qint64 heapBeforeKb = HeapInUseKb();
    int jfWindows = 0;
    int jfSection = -1;
    for (int i = 0; i < windows.size(); ++i) {
        if (!IsJFWindow(*windows[i]))
            continue;
        delete windows[i];
        ++jfWindows;
        jfSection = i;
    }
    if (jfWindows == 0 || end.JFRows == 0)
        return;
    ReturnFreeHeapPagesNow();
    const qint64 afterFreeingKb = ResidentKb();
    const qint64 heldKb = heapBeforeKb - HeapInUseKb();
    const qint64 emptyWindowKb = EmptyJFWindowKb(services.AlertWindows, services.Ini, jfSection);
    const double rowKb = double(heldKb - jfWindows * emptyWindowKb) / double(end.JFRows);
    const qint64 rowsAddedKb = qRound64(rowKb * double(end.JFRows - firstMinute.JFRows));
    Print(QStringLiteral("jf-windows-held-kb %1 empty-jf-window-kb %2 jf-row-bytes %3 jf-rows-added-kb %4")
              .arg(heldKb).arg(emptyWindowKb).arg(qRound(rowKb * 1024)).arg(rowsAddedKb));
    Print(QStringLiteral("end-less-jf-rows-added heap-in-use-kb %1 (%2) rss-kb %3 (%4); rss-kb-after-freeing-jf-windows %5 (%6)")
              .arg(end.HeapKb - rowsAddedKb).arg(PercentChange(firstMinute.HeapKb, end.HeapKb - rowsAddedKb))
              .arg(end.RssKb - rowsAddedKb).arg(PercentChange(firstMinute.RssKb, end.RssKb - rowsAddedKb))
              .arg(afterFreeingKb).arg(PercentChange(firstMinute.RssKb, afterFreeingKb)));
}

bool IsWorking(const QString &status)
{
    return status == QLatin1String("Connected!") || status.startsWith(QLatin1String("Working:"));
}

} // namespace

int main(int argc, char *argv[])
{
    ReturnLargeBlocksToTheSystem();
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication application(argc, argv);
    ReturnFreeHeapPagesEveryMinute(&application);
    application.setQuitOnLastWindowClosed(false);
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption userOption(QStringLiteral("user"), QStringLiteral("User name."), QStringLiteral("NAME"));
    const QCommandLineOption passwordOption(QStringLiteral("password"), QStringLiteral("Password."),
                                            QStringLiteral("TEXT"));
    const QCommandLineOption minutesOption(QStringLiteral("minutes"), QStringLiteral("How long to run."),
                                           QStringLiteral("N"), QStringLiteral("10"));
    parser.addOptions({userOption, passwordOption, minutesOption});
    parser.process(application);
    const int minutes = qMax(1, parser.value(minutesOption).toInt());

    // Made as the program makes them, without sound or notifications.
    TSilentAnnouncer announcer;
    TProgramParts parts(announcer);
    const TMainFormServices services = parts.MainFormServices();
    TMainConnection &connection = parts.Connection();
    // On the heap, so that the end of the soak can destroy it before the JF windows.
    auto mainForm = std::make_unique<TMainForm>(services);
    TQuickstrikeExcludeForm quickstrikeExcludeForm(parts.Excludes());
    mainForm->SetQuickstrikeExcludeForm(&quickstrikeExcludeForm);
    mainForm->show();
    const TAlertForms windows = mainForm->AlertWindows();
    for (TAlertForm *window : windows)
        window->show();

    // Counting alerts and sessions alongside the windows, which subscribed first.
    TStallReporter stallReporter(stderr, &parts.PaintLag());
    qint64 sessionAlerts = 0;
    qint64 minuteAlerts = 0;
    qint64 totalAlerts = 0;
    qint64 minuteEmptyFrames = 0;
    int sessions = 0;
    bool working = false;
    const TSubscription alertCount = connection.SubscribeAlerts([&](QByteArrayView body) {
        // Empty frames on the alert stream carry no alert: a flood of them shows no
        // recovery.
        if (body.isEmpty()) {
            ++minuteEmptyFrames;
            return;
        }
        ++sessionAlerts;
        ++minuteAlerts;
        ++totalAlerts;
        stallReporter.CountAlert();
    });
    stallReporter.StartIfRequested();
    TTerminationSignals termination;
    termination.OnTerminate = [&mainForm] {
        if (mainForm)
            mainForm->close();
        QApplication::quit();
    };
    // The main window shows the status; this watcher comes after it.
    const TSubscription statusWatch = connection.SubscribeStatus([&] {
        const QString status = connection.Status();
        Print(QStringLiteral("status ") + status);
        if (IsWorking(status) && !working) {
            working = true;
            ++sessions;
            sessionAlerts = 0;
        } else if (!IsWorking(status) && working) {
            working = false;
            Print(QStringLiteral("session %1 alerts %2").arg(sessions).arg(sessionAlerts));
        }
    });

    mainForm->findChild<QLineEdit *>(QStringLiteral("UsernameEdit"))->setText(parser.value(userOption));
    mainForm->findChild<QLineEdit *>(QStringLiteral("PasswordEdit"))->setText(parser.value(passwordOption));
    mainForm->LoginButtonClick();

    // A 100 ms timer that notes how late it comes: the event loop's longest stall.
    QElapsedTimer sinceBeat;
    sinceBeat.start();
    qint64 longestStallMs = 0;
    qint64 longestOverallMs = 0;
    QTimer heartbeat;
    heartbeat.setInterval(100);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        const qint64 late = sinceBeat.restart() - 100;
        longestStallMs = qMax(longestStallMs, late);
        longestOverallMs = qMax(longestOverallMs, late);
    });
    heartbeat.start();

    int minute = 0;
    qint64 firstMinuteKb = 0;
    qint64 firstMinuteHeapKb = 0;
    qint64 firstMinuteJF = 0;
    QTimer everyMinute;
    everyMinute.setInterval(60 * 1000);
    QObject::connect(&everyMinute, &QTimer::timeout, [&] {
        ++minute;
        const qint64 kb = ResidentKb();
        const qint64 heapKb = HeapInUseKb();
        const qint64 jfEntries = ListLengths(windows, true);
        if (minute == 1) {
            firstMinuteKb = kb;
            firstMinuteHeapKb = heapKb;
            firstMinuteJF = jfEntries;
        }
        Print(QStringLiteral("minute %1 rss-kb %2 heap-in-use-kb %3 longest-stall-ms %4 alerts %5 empty-frames %6 entries %7 jf-entries %8")
                  .arg(minute).arg(kb).arg(heapKb).arg(longestStallMs).arg(minuteAlerts).arg(minuteEmptyFrames)
                  .arg(ListLengths(windows, false)).arg(jfEntries));
        longestStallMs = 0;
        minuteAlerts = 0;
        minuteEmptyFrames = 0;
        if (minute < minutes)
            return;
        Print(QStringLiteral("summary sessions %1 alerts %2 rss-kb first-minute %3 end %4 (%5) heap-in-use-kb first-minute %6 end %7 (%8) jf-entries first-minute %9 end %10 longest-stall-ms %11")
                  .arg(sessions).arg(totalAlerts).arg(firstMinuteKb).arg(kb).arg(PercentChange(firstMinuteKb, kb))
                  .arg(firstMinuteHeapKb).arg(heapKb).arg(PercentChange(firstMinuteHeapKb, heapKb))
                  .arg(firstMinuteJF).arg(jfEntries).arg(longestOverallMs));
        MeasureJFRows(mainForm, services, windows, {kb, heapKb, jfEntries}, {firstMinuteKb, firstMinuteHeapKb, firstMinuteJF});
        application.quit();
    });
    everyMinute.start();

    const int result = application.exec();
    // Alert windows live until the process ends, as in the program (the JF windows
    // are gone when the soak ran its course).
    return result;
}

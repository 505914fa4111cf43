// What an alert costs on its whole road, per display kind, against the least work any
// client must do with the same bytes.
//
// Least work: inflate the server's stream, cut the frames, split each body's fields
// into views with an index by key, and read every value as a number. Full path:
// the same bytes inflated and cut as the session does, handed to the main connection,
// which hands them to a real alert window of the kind, whose lists and grid take them
// (the grid's repaint is only requested; a shown window paints once per frame, not
// once per alert). Both run on the same bytes, in turns, and are timed by the CPU
// time of this thread, so a busy machine disturbs the figures little; the counters
// are microseconds per alert and full over least.
//
// Every window starts at the size it keeps all day: 1000 newest-first entries, about
// 200 band symbols, top lists of 100 rows. The JF list has no limit (it grows while it
// is measured), so its window is also measured at 1,000 and at 1,000,000 entries, and
// what a JF row costs in memory is printed too.

#include "AlertBodies.h"
#include "BenchMain.h"
#include "SlicedReceive.h"

#include "client/core/AlertParsing.h"
#include "client/core/TExcludeList.h"
#include "client/core/TMainConnection.h"
#include "client/ui/desktop/TAlertAnnouncer.h"
#include "client/ui/windows/TAlertForm.h"
#include "shared/AlertBody.h"
#include "shared/TIniFile.h"
#include "shared/TMessageToServer.h"
#include "shared/TZLibDecompressor.h"
#include "shared/WireFormat.h"

#include <QApplication>
#include <QMap>

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>

namespace {

const QByteArray Category = "Bench";
constexpr qint32 AlertStreamId = 2;

using TFrameSink = std::function<void(QByteArrayView body)>;

// CPU seconds this thread has used: time spent waiting for a core does not count.
double ThreadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// The least any client does with a body: its fields split into views and indexed by
// key, every value found by its key and read as a number.
void ParseBody(QByteArrayView body)
{
    static TFieldReader reader;
    const QByteArrayView fieldList = ReadAlertBody(body).Fields;
    reader.Read(fieldList);
    TAlertFieldWalker walker(fieldList);
    TAlertField field;
    while (walker.Next(field))
        benchmark::DoNotOptimize(reader.Real(field.Key));
}

// The bodies as frames of the alert stream, as the server sends them.
QVector<QByteArray> AlertFrames(const QVector<QByteArray> &bodies)
{
    QVector<QByteArray> frames;
    for (const QByteArray &body : bodies)
        frames.append(EncodeFrame(AlertStreamId, body));
    return frames;
}

// What the program hands its windows: a main connection that never logs in, an empty
// exclude list, silence, and nowhere for a clicked symbol to go. Made once and kept for
// the run, as the program's are.
const TAlertFormServices &WindowServices()
{
    struct TWorld
    {
        TMainConnection Connection{TIniFile::FromText(QByteArray()), TMainConnection::TTickSource::Caller};
        TExcludeList Excludes;
        TSilentAnnouncer Announcer;
        TAlertFormServices Services{Connection, Excludes, Announcer, {}};
    };
    static const TWorld *const world = new TWorld;
    return world->Services;
}

// A shown alert window of one kind, configured as from KVX.ini, and subscribed to the
// main connection as every window is.
std::unique_ptr<TAlertForm> MakeWindow(const QByteArray &settings)
{
    auto form = std::make_unique<TAlertForm>(WindowServices());
    form->LoadConfiguration(TIniFile::FromText("[Alert Window 0]\nsubscription=" + Category + "\n" + settings),
                            "Alert Window 0");
    form->resize(640, 480);
    form->show();
    QCoreApplication::processEvents();
    return form;
}

void DispatchToWindows(QByteArrayView body)
{
    WindowServices().Connection.DispatchAlert(true, body, TMessageToServer());
}

// One kind: the bodies that bring the window to its steady size, and those measured.
struct TKindLoad
{
    QByteArray Settings;
    QVector<QByteArray> Warmup;
    QVector<QByteArray> Measured;
};

TKindLoad NewestFirstLoad(const QByteArray &settings, QByteArray (TBodyMaker::*make)(const QByteArray &, const QByteArray &))
{
    TBodyMaker maker;
    const QVector<QByteArray> symbols = TBodyMaker::Symbols(500);
    TKindLoad load{settings, {}, {}};
    for (int i = 0; i < 1000; ++i)
        load.Warmup.append((maker.*make)(Category, symbols[i % symbols.size()]));
    for (int i = 0; i < 256; ++i)
        load.Measured.append((maker.*make)(Category, symbols[maker.Integer(0, symbols.size() - 1)]));
    return load;
}

TKindLoad BandLoad()
{
    // A symbol is listed four fifths of the time, so 250 of them keep about 200 rows.
    TBodyMaker maker;
    const QVector<QByteArray> symbols = TBodyMaker::Symbols(250);
    TKindLoad load{"display=set\nextra=Dist BB\n", {}, {}};
    for (const QByteArray &symbol : symbols)
        load.Warmup.append(maker.BandChange(Category, symbol, true));
    for (int i = 0; i < 512; ++i)
        load.Measured.append(maker.BandChange(Category, symbols[maker.Integer(0, symbols.size() - 1)],
                                              maker.Integer(0, 4) > 0));
    return load;
}

TKindLoad TopListLoad(bool full)
{
    TBodyMaker maker;
    const QVector<QByteArray> symbols = TBodyMaker::Symbols(150);
    TKindLoad load{full ? "display=smb\ncolumns=0,11,12,13,14,1,2,5,6,8,10\n" : "display=pointslist\n", {}, {}};
    for (int i = 0; i < 17; ++i) {
        const QVector<QByteArray> ranked = symbols.mid(maker.Integer(0, 50));
        (i == 0 ? load.Warmup : load.Measured)
            .append(full ? maker.FullTopList(Category, ranked, 100) : maker.PointsList(Category, ranked, 100));
    }
    return load;
}

// Microseconds of CPU per alert, as the last run of each measurement found them, for
// the table printed at the end.
struct TKindFigures
{
    QByteArray Kind;
    double Least = 0;
    double Full = 0;
};
QVector<TKindFigures> KindFigures;
QMap<int, double> JFFiguresByLength;
double BytesPerJFRow = 0;

void ReportRatio(benchmark::State &state, const QByteArray &kind, double leastSeconds, double fullSeconds,
                 qint64 alerts)
{
    const TKindFigures figures{kind, leastSeconds * 1e6 / double(alerts), fullSeconds * 1e6 / double(alerts)};
    state.SetItemsProcessed(alerts);
    state.counters["least_us"] = figures.Least;
    state.counters["full_us"] = figures.Full;
    state.counters["full/least"] = figures.Full / figures.Least;
    const auto same = [&kind](const TKindFigures &other) { return other.Kind == kind; };
    KindFigures.erase(std::remove_if(KindFigures.begin(), KindFigures.end(), same), KindFigures.end());
    KindFigures.append(figures);
}

void PrintSummary()
{
    if (!KindFigures.isEmpty()) {
        std::printf("\nCPU microseconds per alert, per display kind:\n%-16s %10s %10s %11s\n", "kind", "least",
                    "full", "full/least");
        for (const TKindFigures &figures : std::as_const(KindFigures))
            std::printf("%-16s %10.2f %10.2f %11.2f\n", figures.Kind.constData(), figures.Least, figures.Full,
                        figures.Full / figures.Least);
    }
    if (JFFiguresByLength.size() == 2) {
        const double shorter = JFFiguresByLength.first();
        const double longer = JFFiguresByLength.last();
        std::printf("\nJF window per alert: %.2f us at %d entries, %.2f us at %d entries (%.2f times)\n", shorter,
                    JFFiguresByLength.firstKey(), longer, JFFiguresByLength.lastKey(), longer / shorter);
    }
    if (BytesPerJFRow > 0)
        std::printf("bytes per JF row: %.1f\n", BytesPerJFRow);
}

void BM_DisplayKind(benchmark::State &state, const QByteArray &kind, const std::function<TKindLoad()> &makeLoad)
{
    const TKindLoad load = makeLoad();
    const std::unique_ptr<TAlertForm> window = MakeWindow(load.Settings);
    for (const QByteArray &body : load.Warmup)
        DispatchToWindows(body);
    const QVector<QByteArray> reads = ServerReads(AlertFrames(load.Measured));

    double leastSeconds = 0;
    double fullSeconds = 0;
    qint64 alerts = 0;
    bool leastFirst = true;
    for (auto _ : state) {
        // Turn about, so that neither always finds the caches as the other left them.
        double least = 0;
        double full = 0;
        for (int half = 0; half < 2; ++half) {
            const double start = ThreadSeconds();
            if ((half == 0) == leastFirst) {
                alerts += InflateAndCut(reads, &ParseBody);
                least = ThreadSeconds() - start;
            } else {
                InflateAndCut(reads, &DispatchToWindows);
                full = ThreadSeconds() - start;
            }
        }
        leastFirst = !leastFirst;
        leastSeconds += least;
        fullSeconds += full;
        state.SetIterationTime(full);
        // The paint the window asked for, between bursts and outside the figures.
        QCoreApplication::processEvents();
    }
    ReportRatio(state, kind, leastSeconds, fullSeconds, alerts);
}

// The JF window's cost per alert at a given list length, which its list, having no
// limit, must not change. The window is built afresh (outside the figures) whenever the
// measured alerts have made its list a tenth longer; the measured alerts are the last
// that fill it, so a new window's first layout and paint are not counted. The alerts
// go to the window itself: the main connection keeps calling (and skipping) every
// window it was ever given, which in a run of the program are the few that live as
// long as it.
void BM_JFWindowAtLength(benchmark::State &state)
{
    const int length = int(state.range(0));
    const QByteArray settings = "display=jf-simplelist\n";
    TBodyMaker maker;
    const QVector<QByteArray> symbols = TBodyMaker::Symbols(500);
    QVector<QByteArray> bodies;
    for (int i = 0; i < 100; ++i)
        bodies.append(maker.JFRow(Category, symbols[maker.Integer(0, symbols.size() - 1)]));
    const QVector<QByteArray> reads = ServerReads(AlertFrames(bodies));

    std::unique_ptr<TAlertForm> window;
    int grown = length;
    qint64 alerts = 0;
    double seconds = 0;
    for (auto _ : state) {
        if (grown + bodies.size() > length / 10) {
            window.reset();
            window = MakeWindow(settings);
            for (int i = 0; i < length - bodies.size(); ++i)
                window->HandleAlert(bodies[i % bodies.size()]);
            InflateAndCut(reads, [&window](QByteArrayView body) { window->HandleAlert(body); });
            QCoreApplication::processEvents();
            grown = 0;
        }
        const double start = ThreadSeconds();
        alerts += InflateAndCut(reads, [&window](QByteArrayView body) { window->HandleAlert(body); });
        const double pass = ThreadSeconds() - start;
        seconds += pass;
        state.SetIterationTime(pass);
        grown += bodies.size();
        QCoreApplication::processEvents();
    }
    state.SetItemsProcessed(alerts);
    state.counters["rows"] = window->Kind().RowCount();
    state.counters["per_alert_us"] = seconds * 1e6 / double(alerts);
    JFFiguresByLength[length] = seconds * 1e6 / double(alerts);
}

// The heap a JF window takes for a million rows, per row: 5,000 symbols and the
// feed's times of day, every body made afresh and dropped once handled.
void BM_JFRowBytes(benchmark::State &state)
{
    constexpr int Rows = 1000000;
    TBodyMaker maker;
    const QVector<QByteArray> symbols = TBodyMaker::Symbols(5000);
    for (auto _ : state) {
        std::unique_ptr<TAlertForm> window = MakeWindow("display=jf-simplelist\n");
        const std::size_t before = mallinfo2().uordblks;
        for (int i = 0; i < Rows; ++i)
            window->HandleAlert(maker.JFRow(Category, symbols[maker.Integer(0, symbols.size() - 1)]));
        QCoreApplication::processEvents();
        BytesPerJFRow = double(mallinfo2().uordblks - before) / Rows;
        state.counters["bytes_per_row"] = BytesPerJFRow;
    }
}

void Register()
{
    using TMaker = QByteArray (TBodyMaker::*)(const QByteArray &, const QByteArray &);
    const auto add = [](const QByteArray &kind, const std::function<TKindLoad()> &makeLoad) {
        benchmark::RegisterBenchmark(QByteArray("BM_DisplayKind/" + kind).constData(), BM_DisplayKind, kind, makeLoad)
            ->UseManualTime();
    };
    const auto newestFirst = [](const QByteArray &settings, TMaker make) {
        return [settings, make] { return NewestFirstLoad(settings, make); };
    };
    add("QuickStrike", newestFirst("", &TBodyMaker::QuickStrike));
    add("SymbolOnly", newestFirst("display=symbol\n", &TBodyMaker::QuickStrike));
    add("SimpleList", newestFirst("display=simplelist\n", &TBodyMaker::SimpleRow));
    add("JF", newestFirst("display=jf-simplelist\n", &TBodyMaker::JFRow));
    add("Bollinger", &BandLoad);
    add("PointsTopList", [] { return TopListLoad(false); });
    add("SmbTopListFull", [] { return TopListLoad(true); });
    // Last: it leaves many closed windows behind in the main connection.
    benchmark::RegisterBenchmark("BM_JFWindowAtLength", BM_JFWindowAtLength)
        ->ArgName("entries")
        ->Arg(1000)
        ->Arg(1000000)
        ->UseManualTime();
    benchmark::RegisterBenchmark("BM_JFRowBytes", BM_JFRowBytes)->Iterations(1)->Unit(benchmark::kSecond);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform's notes on every shown window would bury the figures.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    QApplication app(argc, argv);
    Register();
    const int result = RunBenchmarks(argc, argv);
    PrintSummary();
    return result;
}

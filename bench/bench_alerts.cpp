// What one alert costs an alert window before its grid sees it: the category test,
// the field parsing into a hash table and the list rules of the window's kind; and
// the call-out's cooldown under a flood of new symbols.

#include "AlertBodies.h"
#include "BenchMain.h"

#include "client/core/AlertParsing.h"
#include "client/core/TAlertAlarm.h"
#include "client/core/TSortedSymbolList.h"
#include "client/core/TWindowList.h"
#include "shared/AlertBody.h"
#include "shared/TIniFile.h"
#include "shared/tHashTable.h"

namespace {

const QByteArray Category = "Bench";
constexpr int NewestFirstLimit = 1000;
// Enough prepared bodies that the symbols and values keep changing.
constexpr int BodyCount = 256;

// A window subscribed to the bench's category, of the kind the display setting names.
TWindowList Window(const TSortedSymbolList &exclude, const char *display)
{
    TWindowList window(exclude);
    window.SetSubscription(Category);
    window.SetDisplay(QString::fromLatin1(display));
    return window;
}

// Hands the bodies to the lists in turn, one per iteration, and reports how long
// the list was at the end.
void HandleBodies(benchmark::State &state, TWindowList &lists, const QVector<QByteArray> &bodies)
{
    int next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(lists.HandleAlert(bodies[next]));
        next = (next + 1) % bodies.size();
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["rows"] = lists.Kind().RowCount();
}

// A newest-first window already holding its 1000 entries: every alert adds one at
// the front and drops the oldest.
using TRowMaker = QByteArray (TBodyMaker::*)(const QByteArray &category, const QByteArray &symbol);

void BM_HandleAlertNewestFirst(benchmark::State &state, const char *display, TRowMaker row)
{
    TBodyMaker maker;
    const QVector<QByteArray> symbols = TBodyMaker::Symbols(BodyCount);
    QVector<QByteArray> bodies;
    for (const QByteArray &symbol : symbols)
        bodies.append((maker.*row)(Category, symbol));

    const TSortedSymbolList exclude;
    TWindowList lists = Window(exclude, display);
    for (int i = 0; i < NewestFirstLimit; ++i)
        lists.HandleAlert(bodies[i % bodies.size()]);
    HandleBodies(state, lists, bodies);
}
BENCHMARK_CAPTURE(BM_HandleAlertNewestFirst, QuickStrike, "", &TBodyMaker::QuickStrike);
BENCHMARK_CAPTURE(BM_HandleAlertNewestFirst, SymbolOnly, "symbol", &TBodyMaker::QuickStrike);
BENCHMARK_CAPTURE(BM_HandleAlertNewestFirst, SimpleList, "simplelist", &TBodyMaker::SimpleRow);

// The band set holding about 300 symbols: most alerts add or move a row, one in
// five deletes one.
void BM_HandleAlertBollinger(benchmark::State &state)
{
    TBodyMaker maker;
    // A symbol is listed four fifths of the time, so 375 of them keep about 300 rows.
    const QVector<QByteArray> symbols = TBodyMaker::Symbols(375);
    QVector<QByteArray> bodies;
    for (int i = 0; i < 4 * BodyCount; ++i)
        bodies.append(maker.BandChange(Category, symbols[maker.Integer(0, symbols.size() - 1)],
                                       maker.Integer(0, 4) > 0));

    const TSortedSymbolList exclude;
    TWindowList lists = Window(exclude, "set");
    for (const QByteArray &symbol : symbols)
        lists.HandleAlert(maker.BandChange(Category, symbol, true));
    HandleBodies(state, lists, bodies);
}
BENCHMARK(BM_HandleAlertBollinger);

// Lists that every alert replaces whole: a points list of 20 rows and a full top
// list of 100 rows (1500 fields).
using TListMaker = QByteArray (TBodyMaker::*)(const QByteArray &category, const QVector<QByteArray> &symbols, int rows);

void BM_HandleAlertWholeList(benchmark::State &state, const char *display, TListMaker list, int rows)
{
    TBodyMaker maker;
    const QVector<QByteArray> symbols = TBodyMaker::Symbols(500);
    QVector<QByteArray> bodies;
    for (int i = 0; i < 16; ++i)
        bodies.append((maker.*list)(Category, symbols, rows));

    const TSortedSymbolList exclude;
    TWindowList lists = Window(exclude, display);
    HandleBodies(state, lists, bodies);
}
BENCHMARK_CAPTURE(BM_HandleAlertWholeList, PointsList20, "pointslist", &TBodyMaker::PointsList, 20);
BENCHMARK_CAPTURE(BM_HandleAlertWholeList, FullTopList100, "smb", &TBodyMaker::FullTopList, 100);

// A body of another category costs only the look at its first line.
void BM_HandleAlertOtherCategory(benchmark::State &state)
{
    TBodyMaker maker;
    const QVector<QByteArray> bodies = {maker.QuickStrike("Elsewhere", "ABC")};
    const TSortedSymbolList exclude;
    TWindowList lists = Window(exclude, "");
    HandleBodies(state, lists, bodies);
}
BENCHMARK(BM_HandleAlertOtherCategory);

// A body of 5, 60 or 1,500 fields, as the alerts of the quick kinds, a points list
// and a full top list carry them.
QByteArray BodyWithFields(qint64 fields)
{
    TBodyMaker maker;
    const QVector<QByteArray> symbols = TBodyMaker::Symbols(500);
    QByteArray body;
    switch (fields) {
    case 5:
        body = maker.QuickStrike(Category, "ABC");
        break;
    case 60:
        body = maker.PointsList(Category, symbols, 20);
        break;
    default:
        body = maker.FullTopList(Category, symbols, 100);
    }
    return body;
}

// The field list of one body into the window's reader, which keeps its index from
// alert to alert, and every value found by its key, as the windows read them.
void BM_ReadAlertFields(benchmark::State &state)
{
    const QByteArray body = BodyWithFields(state.range(0));
    const QByteArrayView fieldList = ReadAlertBody(body).Fields;
    TFieldReader reader;
    for (auto _ : state) {
        reader.Read(fieldList);
        TAlertFieldWalker walker(fieldList);
        TAlertField field;
        while (walker.Next(field))
            benchmark::DoNotOptimize(reader.TextView(field.Key).size());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetBytesProcessed(state.iterations() * fieldList.size());
}
BENCHMARK(BM_ReadAlertFields)->ArgName("fields")->Arg(5)->Arg(60)->Arg(1500);

// For comparison, the same field lists into a fresh table of copied keys and values,
// as the windows read them before the reader.
void BM_ParseAlertFields(benchmark::State &state)
{
    const QByteArray body = BodyWithFields(state.range(0));
    const QByteArrayView fieldList = ReadAlertBody(body).Fields;
    for (auto _ : state) {
        tHashTable fields;
        ParseAlertFields(fieldList, fields);
        benchmark::DoNotOptimize(fields.Count());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
    state.SetBytesProcessed(state.iterations() * fieldList.size());
}
BENCHMARK(BM_ParseAlertFields)->ArgName("fields")->Arg(5)->Arg(60)->Arg(1500);

// Filling a table that starts with no buckets and reading every key back.
void BM_HashTablePutGet(benchmark::State &state)
{
    const int count = int(state.range(0));
    QVector<QByteArray> keys;
    for (int i = 0; i < count; ++i)
        keys.append("field" + QByteArray::number(i));
    for (auto _ : state) {
        tHashTable table;
        for (const QByteArray &key : keys)
            table.Put(key, key);
        for (const QByteArray &key : keys)
            benchmark::DoNotOptimize(table.Get(key).size());
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_HashTablePutGet)->ArgName("keys")->Arg(6)->Arg(60)->Arg(1500);

// Reads alone, on a table already filled: one hash and one short chain walk each.
void BM_HashTableGet(benchmark::State &state)
{
    const int count = int(state.range(0));
    QVector<QByteArray> keys;
    tHashTable table;
    for (int i = 0; i < count; ++i) {
        keys.append("field" + QByteArray::number(i));
        table.Put(keys.last(), keys.last());
    }
    int next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(table.Get(keys[next]).size());
        next = next + 1 == count ? 0 : next + 1;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_HashTableGet)->ArgName("keys")->Arg(60)->Arg(1500);

// A flood of new symbols at a window that notifies: every alert names a symbol not
// heard within the cooldown, one a millisecond, so that the given number of symbols
// is cooling at any time. The cost per alert must not grow with that number.
void BM_AlarmNewSymbols(benchmark::State &state)
{
    const int cooling = int(state.range(0));
    TSortedSymbolList exclude;
    TAlertAlarm alarm(exclude);
    // One millisecond per alert: a cooldown of cooling / 1000 seconds.
    alarm.LoadConfiguration(
        TIniFile::FromText("[W]\nnotify=1\nnotify cooldown=" + QByteArray::number(cooling / 1000)), "W");
    qint64 now = 0;
    alarm.SetClock([&now] { return now; });
    // Twice as many names as are cooling, so a name comes back after its cooldown.
    QVector<TAlertSummary> alerts(2 * cooling);
    for (int i = 0; i < alerts.size(); ++i)
        alerts[i].Symbol = "N" + QByteArray::number(i);
    for (const TAlertSummary &alert : alerts) {
        alarm.Admit(alert);
        ++now;
    }
    int next = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(alarm.Admit(alerts[next]).Now);
        ++now;
        next = next + 1 == alerts.size() ? 0 : next + 1;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_AlarmNewSymbols)->ArgName("cooling")->Arg(1000)->Arg(100000);

} // namespace

int main(int argc, char **argv)
{
    return RunBenchmarks(argc, argv);
}

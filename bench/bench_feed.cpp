// What alert-feed spends per alert of the demo's mix (one category of every kind, as
// tools/alert-feed/KVX.ini subscribes them): making the bodies, and making and
// compressing them in bursts of a thousand frames as a session sends them, with
// zlib's fastest level (the feed's) and its default level for comparison. The full
// top list's bodies make up most of the bytes, so compression is most of the work.
// items_per_second counts alerts per second of CPU; a millionth of its inverse is the
// CPU microseconds per alert.

#include "BenchMain.h"

#include "DemoMix.h"

#include "shared/TZLibCompressor.h"
#include "shared/WireFormat.h"

#include <memory>

namespace {

constexpr double Rate = 100000;
constexpr int AlertsPerBurst = 1000;
constexpr qint32 AlertStreamId = 2;

void BM_FeedBodies(benchmark::State &state)
{
    TGeneratedAlerts alerts = DemoAlerts(Rate);
    qint64 bytes = 0;
    for (auto _ : state) {
        const QByteArray body = alerts.TakeBody(DemoCategories);
        bytes += body.size();
        benchmark::DoNotOptimize(body.constData());
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["body_bytes"] = double(bytes) / double(state.iterations());
}

// One iteration is a burst: its bodies framed, compressed and flushed.
void BM_FeedBursts(benchmark::State &state, TZCompressionLevel level)
{
    TGeneratedAlerts alerts = DemoAlerts(Rate);
    TZLibCompressor compressor(level);
    QByteArray burst;
    qint64 compressed = 0;
    for (auto _ : state) {
        for (int i = 0; i < AlertsPerBurst; ++i) {
            AppendInt32(burst, AlertStreamId);
            AppendText(burst, alerts.TakeBody(DemoCategories));
        }
        compressor.Write(burst);
        compressor.Flush();
        burst.resize(0);
        compressed += compressor.TakeOutput().size();
    }
    const double sent = double(state.iterations()) * AlertsPerBurst;
    state.SetItemsProcessed(qint64(sent));
    state.counters["wire_bytes"] = double(compressed) / sent;
}

} // namespace

BENCHMARK(BM_FeedBodies);
BENCHMARK_CAPTURE(BM_FeedBursts, fastest, zcFastest);
BENCHMARK_CAPTURE(BM_FeedBursts, default, zcDefault);

int main(int argc, char **argv)
{
    return RunBenchmarks(argc, argv);
}

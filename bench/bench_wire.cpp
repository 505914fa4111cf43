// The two halves of the wire: compressing the client's requests the way the session
// does, and inflating and cutting a stream of alert frames from the server.

#include "AlertBodies.h"
#include "BenchMain.h"
#include "SlicedReceive.h"

#include "shared/TMessageToServer.h"
#include "shared/TZLibCompressor.h"
#include "shared/TZLibDecompressor.h"
#include "shared/WireFormat.h"

namespace {

// The compressed bytes the session passes on without waiting for its next flush.
constexpr qsizetype PassOnCompressedBytes = 5000;

// The requests a client sends: log-in, the alert stream, subscriptions and pings.
QVector<TMessageToServer> RequestBurst(int count)
{
    QVector<TMessageToServer> requests;
    for (int i = 0; i < count; ++i) {
        switch (i % 4) {
        case 0:
            requests.append(MakeMessage("command", "login", "username", "trader42",
                                        "password", "correct horse", "session_id", i));
            break;
        case 1:
            requests.append(MakeMessage("command", "listen_for_alerts"));
            break;
        case 2:
            requests.append(MakeMessage("command", "add_alert_category", "category",
                                        QByteArray("Category" + QByteArray::number(i))));
            break;
        default:
            requests.append(MakeMessage("command", "ping", "response", '1'));
        }
    }
    return requests;
}

// A burst of requests made in one turn of the event loop: each is encoded and
// written, a large burst passes compressed bytes on as they pile up, and the turn
// ends in one sync flush. The compressor lives as long as the session does.
void BM_CompressRequestBurst(benchmark::State &state)
{
    const QVector<TMessageToServer> requests = RequestBurst(int(state.range(0)));
    TZLibCompressor compressor;
    qint64 plainBytes = 0;
    qint64 compressedBytes = 0;
    for (auto _ : state) {
        for (int i = 0; i < requests.size(); ++i) {
            const QByteArray encoded = EncodeRequest(requests[i], i + 1);
            plainBytes += encoded.size();
            compressor.Write(encoded);
            if (compressor.Output().size() >= PassOnCompressedBytes)
                compressedBytes += compressor.TakeOutput().size();
        }
        compressor.Flush();
        compressedBytes += compressor.TakeOutput().size();
    }
    state.SetItemsProcessed(state.iterations() * requests.size());
    state.SetBytesProcessed(plainBytes);
    state.counters["ratio"] = double(compressedBytes) / double(plainBytes);
}
BENCHMARK(BM_CompressRequestBurst)->Arg(10)->Arg(1000);

// Alert frames as a busy server sends them: quick alerts, band changes, JF rows and
// 20-row points lists, from 5 to 60 fields each.
QVector<QByteArray> AlertFrames(int count)
{
    TBodyMaker maker;
    const QVector<QByteArray> symbols = TBodyMaker::Symbols(500);
    QVector<QByteArray> frames;
    for (int i = 0; i < count; ++i) {
        const QByteArray &symbol = symbols[maker.Integer(0, symbols.size() - 1)];
        QByteArray body;
        switch (i % 4) {
        case 0:
            body = maker.QuickStrike("QuickStrike", symbol);
            break;
        case 1:
            body = maker.BandChange("Bollinger", symbol, maker.Integer(0, 4) > 0);
            break;
        case 2:
            body = maker.JFRow("JF", symbol);
            break;
        default:
            body = maker.PointsList("PointsLeaders", symbols, 20);
        }
        frames.append(EncodeFrame(2, body));
    }
    return frames;
}

// Every read is inflated and the complete frames are cut off the front, the
// incomplete tail waiting for the next read, as the session does.
void BM_InflateAndCutFrames(benchmark::State &state)
{
    const QVector<QByteArray> frames = AlertFrames(int(state.range(0)));
    const QVector<QByteArray> reads = ServerReads(frames);
    qint64 inflatedBytes = 0;
    qint64 compressedBytes = 0;
    for (const QByteArray &frame : frames)
        inflatedBytes += frame.size();
    for (const QByteArray &read : reads)
        compressedBytes += read.size();

    qint64 framesCut = 0;
    for (auto _ : state) {
        TZLibDecompressor decompressor;
        for (const QByteArray &read : reads) {
            decompressor.Decompress(read);
            const TFrameCut cut = CutFrames(decompressor.Output());
            decompressor.RemoveUsedOutput(cut.BytesUsed);
            framesCut += cut.Frames.size();
            benchmark::DoNotOptimize(cut.Frames.constData());
        }
    }
    if (framesCut != state.iterations() * frames.size())
        state.SkipWithError("not every frame was cut");
    state.SetItemsProcessed(framesCut);
    state.SetBytesProcessed(state.iterations() * inflatedBytes);
    state.counters["ratio"] = double(compressedBytes) / double(inflatedBytes);
}
BENCHMARK(BM_InflateAndCutFrames)->Arg(2000);

// The session's receive path: each read is inflated a slice at a time and every
// frame is taken as soon as it is cut, so the inflated bytes held never exceed one
// slice plus an incomplete frame.
void BM_SlicedInflateAndCut(benchmark::State &state)
{
    const QVector<QByteArray> frames = AlertFrames(int(state.range(0)));
    const QVector<QByteArray> reads = ServerReads(frames);
    qint64 inflatedBytes = 0;
    for (const QByteArray &frame : frames)
        inflatedBytes += frame.size();

    qint64 framesCut = 0;
    for (auto _ : state)
        framesCut += InflateAndCut(reads, [](QByteArrayView body) { benchmark::DoNotOptimize(body.data()); });
    if (framesCut != state.iterations() * frames.size())
        state.SkipWithError("not every frame was cut");
    state.SetItemsProcessed(framesCut);
    state.SetBytesProcessed(state.iterations() * inflatedBytes);
}
BENCHMARK(BM_SlicedInflateAndCut)->Arg(2000);

} // namespace

int main(int argc, char **argv)
{
    return RunBenchmarks(argc, argv);
}

// Replaying a recorded day: opening a one-hour recording of the demo's mix (alert-feed's
// alerts at the demo's 40 a second, one category of every kind) and playing it at 20
// times its pace through a shown alert window of every kind. One iteration of the
// second is one slice, the most the replay hands out before the event loop turns
// again, then the events it left; its time is the longest stall a replay can cause.

#include "BenchMain.h"

#include "DemoMix.h"

#include "client/core/AlertRecordFormat.h"
#include "client/core/TAlertReplay.h"
#include "client/core/TExcludeList.h"
#include "client/core/TMainConnection.h"
#include "client/ui/desktop/TAlertAnnouncer.h"
#include "client/ui/windows/TAlertForm.h"
#include "shared/LocalClock.h"
#include "shared/TIniFile.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <memory>
#include <vector>

namespace {

constexpr double DemoRate = 40;
constexpr int OneHour = 3600;

const char DemoWindows[] = "[Alert Window 0]\nsubscription=QuickStrike\n"
                           "[Alert Window 1]\nsubscription=Bollinger\ndisplay=set\n"
                           "[Alert Window 2]\nsubscription=SymbolMatrix\ndisplay=symbol\n"
                           "[Alert Window 3]\nsubscription=PointsLeaders\ndisplay=pointslist\n"
                           "[Alert Window 4]\nsubscription=SimpleList\ndisplay=simplelist\n"
                           "[Alert Window 5]\nsubscription=JF\ndisplay=jf-simplelist\n"
                           "[Alert Window 6]\nsubscription=TopList\ndisplay=smb\n";
constexpr int WindowCount = 7;

// The recording, written once for the run.
const QString &OneHourRecording()
{
    static QTemporaryDir *const folder = new QTemporaryDir;
    static const QString fileName = [] {
        TGeneratedAlerts alerts = DemoAlerts(DemoRate);
        const QString name = folder->filePath(QStringLiteral("one-hour.txt"));
        QFile file(name);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot write the recording");
        for (int i = 0; i < int(DemoRate) * OneHour; ++i)
            file.write(RecordLine(qint64(i * 1000 / DemoRate), alerts.TakeBody(DemoCategories)));
        return name;
    }();
    return fileName;
}

void BM_OpenOneHourRecording(benchmark::State &state)
{
    const QString &file = OneHourRecording();
    TAlertReplay replay(TAlertReplay::TTickSource::Caller);
    for (auto _ : state) {
        if (!replay.Open(file).isEmpty())
            state.SkipWithError("cannot read the recording");
        replay.Stop();
    }
    state.counters["alerts"] = double(DemoRate * OneHour);
    state.counters["MiB"] = double(QFile(file).size()) / (1 << 20);
}
BENCHMARK(BM_OpenOneHourRecording)->Unit(benchmark::kMillisecond);

void BM_PlaySliceAt20x(benchmark::State &state)
{
    TMainConnection connection(TIniFile::FromText(QByteArray()), TMainConnection::TTickSource::Caller);
    TExcludeList excludes;
    TSilentAnnouncer announcer;
    const TAlertFormServices services{connection, excludes, announcer, {}};
    const TIniFile ini = TIniFile::FromText(DemoWindows);
    std::vector<std::unique_ptr<TAlertForm>> windows;
    for (int n = 0; n < WindowCount; ++n) {
        windows.push_back(std::make_unique<TAlertForm>(services));
        windows.back()->LoadConfiguration(ini, "Alert Window " + QByteArray::number(n));
        windows.back()->resize(480, 360);
        windows.back()->show();
    }
    // Steady time moves only when the benchmark says so.
    TSteadyMs now = 0;
    SetSteadyNowFunction([&now] { return now; });
    // Paused between slices, so the replay's own timer stays out of the events below:
    // the benchmark ticks.
    TAlertReplay &replay = connection.Replay();
    replay.SetSpeed(20);
    replay.Open(OneHourRecording());
    replay.Pause();
    qint64 played = 0;
    for (auto _ : state) {
        if (replay.Finished()) {
            state.PauseTiming();
            replay.Open(OneHourRecording());
            replay.Pause();
            state.ResumeTiming();
        }
        const int before = replay.Played();
        // A second behind, 20 s of the recording: more than a slice is due.
        replay.Resume();
        now += 1000;
        replay.Tick();
        replay.Pause();
        QCoreApplication::processEvents();
        played += replay.Played() - before;
    }
    state.counters["alerts_per_slice"] = double(played) / double(state.iterations());
    replay.Stop();
    SetSteadyNowFunction({});
}
BENCHMARK(BM_PlaySliceAt20x)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    QApplication app(argc, argv);
    return RunBenchmarks(argc, argv);
}

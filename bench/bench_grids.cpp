// A market-open burst as a window lives it: many alerts in one turn of the event
// loop, each handled by the window's lists and handed whole to its grid, then the
// one repaint the burst leaves behind. The figures are per alert.

#include "AlertBodies.h"
#include "BenchMain.h"

#include "client/core/TSortedSymbolList.h"
#include "client/core/TWindowList.h"
#include "client/core/kinds/NewestFirstKinds.h"
#include "client/core/kinds/TopListKinds.h"
#include "client/ui/grid/TQtCanvas.h"
#include "client/ui/grids/TQuickStrikeGrid.h"
#include "client/ui/grids/TSmbTopListFullGrid.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <memory>

namespace {

const QByteArray Category = "Bench";
const QSize WindowSize(640, 480);
// The demo's full top-list window: symbol, last, %chg, volume, #, spike, rate,
// strength, trend and the two pies.
const QString TopListColumns = QStringLiteral("0,11,12,13,14,1,2,5,6,8,10");

// A shown window of the given size that its grid fills.
template <typename TGrid>
class TGridWindow
{
public:
    TGridWindow() : owner_(std::make_unique<QWidget>()), grid_(new TGrid(owner_.get()))
    {
        owner_->resize(WindowSize);
        grid_->setGeometry(QRect(QPoint(0, 0), WindowSize));
        owner_->show();
        // Let the grid lay out its viewport before anything is painted.
        QCoreApplication::processEvents();
    }

    TGrid &Grid() { return *grid_; }

    // What the paint event does, into an off-screen image of the viewport.
    void Paint()
    {
        QImage image(grid_->viewport()->size(), QImage::Format_RGB32);
        QPainter painter(&image);
        TQtCanvas canvas(painter, grid_->CanvasFont(), grid_->palette());
        grid_->PaintTo(canvas, image.rect());
        benchmark::DoNotOptimize(image.constBits());
    }

private:
    std::unique_ptr<QWidget> owner_;
    TGrid *grid_;
};

// A window's list subscribed to the bench's category, of the kind the display setting names.
std::unique_ptr<TWindowList> WindowList(const TSortedSymbolList &exclude, const QString &display)
{
    auto lists = std::make_unique<TWindowList>(exclude);
    lists->SetSubscription(Category);
    lists->SetDisplay(display);
    return lists;
}

// The list a window of that kind hands to its grid.
template <typename Kind>
const auto &EntriesOf(const std::unique_ptr<TWindowList> &lists)
{
    return static_cast<const Kind &>(lists->Kind()).Entries();
}

void ReportPerAlert(benchmark::State &state, qint64 alertsPerBurst)
{
    state.SetItemsProcessed(state.iterations() * alertsPerBurst);
    state.counters["per_alert"] = benchmark::Counter(
        double(alertsPerBurst), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// QuickStrike alerts into a window whose list is already at its 1000 limit.
void BM_QuickStrikeBurst(benchmark::State &state)
{
    const int burst = int(state.range(0));
    TBodyMaker maker;
    QVector<QByteArray> bodies;
    for (const QByteArray &symbol : TBodyMaker::Symbols(burst))
        bodies.append(maker.QuickStrike(Category, symbol));

    const TSortedSymbolList exclude;
    const auto lists = WindowList(exclude, QString());
    for (int i = 0; i < 1000; ++i)
        lists->HandleAlert(bodies[i % bodies.size()]);
    TGridWindow<TQuickStrikeGrid> window;

    for (auto _ : state) {
        for (const QByteArray &body : bodies)
            if (lists->HandleAlert(body))
                window.Grid().SetEntries(EntriesOf<TQuickStrikeKind>(lists));
        window.Paint();
    }
    ReportPerAlert(state, burst);
}
BENCHMARK(BM_QuickStrikeBurst)->ArgName("alerts")->Arg(100)->Arg(1000);

// Full top lists of 100 rows, each alert resending the whole list with new values.
void BM_FullTopListBurst(benchmark::State &state)
{
    const int burst = int(state.range(0));
    TBodyMaker maker;
    const QVector<QByteArray> symbols = TBodyMaker::Symbols(150);
    QVector<QByteArray> bodies;
    for (int i = 0; i < 32; ++i)
        bodies.append(maker.FullTopList(Category, symbols.mid(maker.Integer(0, 50)), 100));

    const TSortedSymbolList exclude;
    const auto lists = WindowList(exclude, QStringLiteral("smb"));
    TGridWindow<TSmbTopListFullGrid> window;
    window.Grid().SetColumns(TopListColumns);

    int next = 0;
    for (auto _ : state) {
        for (int i = 0; i < burst; ++i) {
            if (lists->HandleAlert(bodies[next]))
                window.Grid().SetEntries(EntriesOf<TFullTopListKind>(lists));
            next = (next + 1) % bodies.size();
        }
        window.Paint();
    }
    ReportPerAlert(state, burst);
}
BENCHMARK(BM_FullTopListBurst)->ArgName("alerts")->Arg(10)->Arg(100);

// One paint of a full window alone, the part of a burst that does not grow with it.
template <typename TGrid>
void PaintFullWindow(benchmark::State &state, TGridWindow<TGrid> &window)
{
    for (auto _ : state)
        window.Paint();
    state.SetItemsProcessed(state.iterations());
}

void BM_PaintQuickStrike(benchmark::State &state)
{
    TBodyMaker maker;
    const TSortedSymbolList exclude;
    const auto lists = WindowList(exclude, QString());
    for (const QByteArray &symbol : TBodyMaker::Symbols(1000))
        lists->HandleAlert(maker.QuickStrike(Category, symbol));
    TGridWindow<TQuickStrikeGrid> window;
    window.Grid().SetEntries(EntriesOf<TQuickStrikeKind>(lists));
    PaintFullWindow(state, window);
}
BENCHMARK(BM_PaintQuickStrike);

void BM_PaintFullTopList(benchmark::State &state)
{
    TBodyMaker maker;
    const TSortedSymbolList exclude;
    const auto lists = WindowList(exclude, QStringLiteral("smb"));
    lists->HandleAlert(maker.FullTopList(Category, TBodyMaker::Symbols(100), 100));
    TGridWindow<TSmbTopListFullGrid> window;
    window.Grid().SetColumns(TopListColumns);
    window.Grid().SetEntries(EntriesOf<TFullTopListKind>(lists));
    PaintFullWindow(state, window);
}
BENCHMARK(BM_PaintFullTopList);

} // namespace

int main(int argc, char **argv)
{
    // No display is needed: the grids paint into images.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RunBenchmarks(argc, argv);
}

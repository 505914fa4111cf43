#include "client/ui/grids/TChangeFlasher.h"

#include "client/ui/grid/TDrawGrid.h"

namespace {

constexpr TColor FlashUpColor = RGB(0, 176, 0);
constexpr TColor FlashDownColor = RGB(208, 0, 0);

} // namespace

TChangeFlasher::TChangeFlasher(TDrawGrid &grid)
    : grid_(grid)
{
    fadeTimer_.setInterval(FadeStepMs);
    connect(&fadeTimer_, &QTimer::timeout, this, &TChangeFlasher::Fade);
}

void TChangeFlasher::SetEnabled(bool enabled)
{
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    if (enabled)
        return;
    flashes_.Clear();
    fadeTimer_.stop();
    grid_.Invalidate();
}

void TChangeFlasher::Take(const QVector<TCellValue> &shown, bool quiet)
{
    if (!enabled_)
        return;
    const TSteadyMs now = SteadyNowMs();
    if (flashes_.Take(shown, now, quiet) && !fadeTimer_.isActive())
        fadeTimer_.start();
}

TColor TChangeFlasher::Background(TColor background, const QByteArray &symbol, int column) const
{
    if (!enabled_)
        return background;
    const TCellFlash flash = flashes_.At(symbol, column, SteadyNowMs());
    return BlendColor(background, flash.Up ? FlashUpColor : FlashDownColor, flash.Strength);
}

void TChangeFlasher::Fade()
{
    if (!flashes_.Expire(SteadyNowMs()))
        fadeTimer_.stop();
    // A burst of alerts and the fade share the grid's one repaint a frame.
    const TDrawGrid::TPacedRepaints paced(grid_);
    grid_.Invalidate();
}

#include "client/core/TReconnectBackoff.h"

#include <QRandomGenerator>

#include <algorithm>
#include <cmath>

namespace {

constexpr double FirstDelaySeconds = 1.0;
constexpr double LongestDelaySeconds = 30.0;
constexpr double Jitter = 0.2;
// Doubling past this many failures would only be cut back to the longest wait.
constexpr int DoublingsWorthCounting = 8;

} // namespace

TReconnectBackoff::TReconnectBackoff(TRandom random) : random_(std::move(random))
{
    if (!random_)
        random_ = [] { return QRandomGenerator::global()->generateDouble(); };
}

double TReconnectBackoff::DelaySeconds(int failures, double randomFraction)
{
    const int doublings = std::clamp(failures - 1, 0, DoublingsWorthCounting);
    const double base = std::min(FirstDelaySeconds * double(1 << doublings), LongestDelaySeconds);
    const double stretch = 1.0 - Jitter + 2.0 * Jitter * std::clamp(randomFraction, 0.0, 1.0);
    return std::min(base * stretch, LongestDelaySeconds);
}

void TReconnectBackoff::Failed(TDateTime now)
{
    if (failures_ < DoublingsWorthCounting + 1)
        ++failures_;
    retryAt_ = now + DelaySeconds(failures_, random_()) / SecondsPerDay;
}

void TReconnectBackoff::Reset()
{
    failures_ = 0;
    retryAt_ = 0;
}

int TReconnectBackoff::SecondsLeft(TDateTime now) const
{
    if (!Waiting(now))
        return 0;
    // A hair under a whole second still counts as that second; the clock's rounding
    // must not turn a whole one into the next.
    return std::max(1, int(std::ceil((retryAt_ - now) * SecondsPerDay - 1e-6)));
}

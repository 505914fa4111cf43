#include "client/core/TReconnectBackoff.h"

#include <QRandomGenerator>

#include <algorithm>

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

void TReconnectBackoff::Failed(TSteadyMs now)
{
    if (failures_ < DoublingsWorthCounting + 1)
        ++failures_;
    retryAt_ = now + qRound64(DelaySeconds(failures_, random_()) * 1000.0);
}

void TReconnectBackoff::Reset()
{
    failures_ = 0;
    retryAt_ = 0;
}

int TReconnectBackoff::SecondsLeft(TSteadyMs now) const
{
    if (!Waiting(now))
        return 0;
    // A part of a second still counts as that second.
    return int((retryAt_ - now + 999) / 1000);
}

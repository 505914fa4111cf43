#include "shared/TPaintLag.h"

#include <algorithm>

namespace {

qint64 SecondOf(TSteadyMs ms)
{
    // Floor, so that a steady clock starting below zero still has seconds of 1000 ms.
    return ms >= 0 ? ms / 1000 : -((999 - ms) / 1000);
}

} // namespace

void TPaintLag::Record(qint64 lagMs)
{
    lagMs = std::max<qint64>(0, lagMs);
    ++buckets_[BucketOf(lagMs)];
    ++count_;

    const qint64 second = SecondOf(SteadyNowMs());
    TSecond &slot = minute_[std::size_t(((second % MinuteSeconds) + MinuteSeconds) % MinuteSeconds)];
    // The slot last held a second a minute or more ago: that one is over.
    if (slot.Second != second)
        slot = {second, -1};
    slot.WorstMs = std::max(slot.WorstMs, lagMs);
}

std::optional<qint64> TPaintLag::WorstOfLastMinute() const
{
    const qint64 second = SecondOf(SteadyNowMs());
    qint64 worst = -1;
    for (const TSecond &slot : minute_) {
        if (slot.WorstMs >= 0 && slot.Second > second - MinuteSeconds && slot.Second <= second)
            worst = std::max(worst, slot.WorstMs);
    }
    if (worst < 0)
        return std::nullopt;
    return worst;
}

std::optional<qint64> TPaintLag::Percentile(int percent) const
{
    if (count_ == 0)
        return std::nullopt;
    // The nearest rank: the smallest lag that at least percent of all lags are within.
    const qint64 rank = std::max<qint64>(1, (count_ * percent + 99) / 100);
    qint64 seen = 0;
    for (int bucket = 0; bucket < BucketCount; ++bucket) {
        seen += buckets_[std::size_t(bucket)];
        if (seen >= rank)
            return LeastLagOf(bucket);
    }
    return LeastLagOf(BucketCount - 1);
}

int TPaintLag::BucketOf(qint64 lagMs)
{
    if (lagMs < FineMs)
        return int(lagMs);
    if (lagMs < CoarseMs)
        return int(FineMs + (lagMs - FineMs) / CoarseStepMs);
    return BucketCount - 1;
}

qint64 TPaintLag::LeastLagOf(int bucket)
{
    if (bucket < FineMs)
        return bucket;
    return FineMs + (bucket - FineMs) * CoarseStepMs;
}

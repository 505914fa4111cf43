#include "client/core/TAlertRate.h"

#include <algorithm>
#include <cmath>

namespace {

qint64 SecondOf(TDateTime when)
{
    // Some four billion seconds since 1899: more than an int holds.
    return qint64(std::floor(when * SecondsPerDay));
}

} // namespace

void TAlertRate::Add(TDateTime now)
{
    // A clock set back counts into the newest second rather than into the past.
    const qint64 second = std::max(SecondOf(now), newestSecond_);
    const qint64 firstStale = std::max(newestSecond_ + 1, second - KeptSeconds + 1);
    for (qint64 s = firstStale; s <= second; ++s)
        perSecond_[s % KeptSeconds] = 0;
    newestSecond_ = second;
    perSecond_[second % KeptSeconds] += 1;
}

int TAlertRate::CountBack(qint64 from, int count) const
{
    // Seconds after the newest one counted hold nothing yet; those before the ring
    // hold nothing any more.
    const qint64 last = std::min(from, newestSecond_);
    const qint64 first = std::max(from - count + 1, newestSecond_ - KeptSeconds + 1);
    int sum = 0;
    for (qint64 s = std::max<qint64>(first, 0); s <= last; ++s)
        sum += perSecond_[s % KeptSeconds];
    return sum;
}

int TAlertRate::InLastMinute(TDateTime now) const
{
    return CountBack(SecondOf(now), 60);
}

QVector<int> TAlertRate::Buckets(TDateTime now) const
{
    const qint64 second = SecondOf(now);
    QVector<int> buckets(BucketCount);
    for (int i = 0; i < BucketCount; ++i)
        buckets[i] = CountBack(second - qint64(BucketCount - 1 - i) * BucketSeconds, BucketSeconds);
    return buckets;
}

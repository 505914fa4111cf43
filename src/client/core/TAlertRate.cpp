#include "client/core/TAlertRate.h"

#include <algorithm>

namespace {

qint64 SecondOf(TSteadyMs when)
{
    // Rounded down for times before the steady clock's start too.
    return when >= 0 ? when / 1000 : -((-when + 999) / 1000);
}

} // namespace

void TAlertRate::Add(TSteadyMs now)
{
    // A time before the newest second counted (a caller's stale reading) counts into
    // that second rather than into the past; the ring never holds a second before 0.
    // Most alerts come within the newest second, and are counted without a division.
    if (now < (newestSecond_ + 1) * 1000) {
        perSecond_[newestSlot_] += 1;
        return;
    }
    const qint64 second = SecondOf(now);
    const qint64 firstStale = std::max(newestSecond_ + 1, second - KeptSeconds + 1);
    for (qint64 s = firstStale; s <= second; ++s)
        perSecond_[s % KeptSeconds] = 0;
    newestSecond_ = second;
    newestSlot_ = int(second % KeptSeconds);
    perSecond_[newestSlot_] = 1;
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

int TAlertRate::InLastMinute(TSteadyMs now) const
{
    return CountBack(SecondOf(now), 60);
}

QVector<int> TAlertRate::Buckets(TSteadyMs now) const
{
    const qint64 second = SecondOf(now);
    QVector<int> buckets(BucketCount);
    for (int i = 0; i < BucketCount; ++i)
        buckets[i] = CountBack(second - qint64(BucketCount - 1 - i) * BucketSeconds, BucketSeconds);
    return buckets;
}

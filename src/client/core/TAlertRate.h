#pragma once

#include "shared/LocalClock.h"

#include <QVector>

#include <array>

// How many alerts came in the last five minutes, second by second: read back as the
// count of the last minute and as thirty ten-second buckets for a sparkline. The
// time, on the steady clock, is always passed in, so a test moves it at will; a flood
// costs no memory.
class TAlertRate
{
public:
    static constexpr int BucketSeconds = 10;
    static constexpr int BucketCount = 30;

    void Add(TSteadyMs now);
    // The alerts of the 60 seconds up to and including now's second.
    int InLastMinute(TSteadyMs now) const;
    // Oldest first; the last bucket holds the ten seconds up to and including now's.
    QVector<int> Buckets(TSteadyMs now) const;

private:
    static constexpr int KeptSeconds = BucketSeconds * BucketCount;

    // Alerts of the seconds in (from - count, from], as far as they are still kept.
    int CountBack(qint64 from, int count) const;

    std::array<int, KeptSeconds> perSecond_{};
    // The newest second counted; the ring holds the KeptSeconds seconds up to it.
    qint64 newestSecond_ = 0;
    // Its place in the ring.
    int newestSlot_ = 0;
};

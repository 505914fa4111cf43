#pragma once

#include "shared/LocalClock.h"

#include <array>
#include <optional>

// How long the alerts waited to be seen: one lag a repaint, the time from the oldest
// change waiting for that repaint to the end of it. It answers the worst lag of the
// last minute, for the main window's readout, and percentiles of every lag since the
// start, for the stall report. Its memory is fixed however long the program runs: the
// minute is kept as the worst of each of its seconds, the whole run as a histogram.
class TPaintLag
{
public:
    // A lag that ended now, on the steady clock.
    void Record(qint64 lagMs);

    // The worst lag that ended in the last minute; none when no repaint was measured
    // in it.
    std::optional<qint64> WorstOfLastMinute() const;
    // The lag that `percent` of all lags since the start were no longer than, to the
    // millisecond below a few hundred milliseconds and to ten above; none before the
    // first.
    std::optional<qint64> Percentile(int percent) const;

private:
    // One millisecond a bucket up to FineMs, then ten up to CoarseMs, then one bucket
    // for every longer lag.
    static constexpr qint64 FineMs = 500;
    static constexpr qint64 CoarseStepMs = 10;
    static constexpr qint64 CoarseMs = 10000;
    static constexpr int BucketCount = int(FineMs + (CoarseMs - FineMs) / CoarseStepMs + 1);
    static int BucketOf(qint64 lagMs);
    static qint64 LeastLagOf(int bucket);

    static constexpr int MinuteSeconds = 60;
    struct TSecond
    {
        qint64 Second = 0;
        qint64 WorstMs = -1; // -1: nothing recorded in it
    };

    std::array<TSecond, MinuteSeconds> minute_{};
    std::array<qint64, BucketCount> buckets_{};
    qint64 count_ = 0;
};

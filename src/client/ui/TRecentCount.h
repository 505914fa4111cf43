#pragma once

#include <QElapsedTimer>

#include <array>
#include <numeric>

// Events of the last minute, counted in one-second buckets so that a flood
// costs no memory.
class TRecentCount
{
public:
    TRecentCount() { clock_.start(); }

    void Add() { Advance()[Slot()] += 1; }
    int InLastMinute() { return std::accumulate(Advance().begin(), buckets_.end(), 0); }

private:
    static constexpr int Seconds = 60;

    qint64 Now() const { return clock_.elapsed() / 1000; }
    int Slot() const { return int(second_ % Seconds); }

    // Empties the buckets of the seconds that passed since the last call.
    std::array<int, Seconds> &Advance()
    {
        const qint64 now = Now();
        for (qint64 passed = second_ + 1; passed <= now && passed <= second_ + Seconds; ++passed)
            buckets_[passed % Seconds] = 0;
        second_ = now;
        return buckets_;
    }

    QElapsedTimer clock_;
    qint64 second_ = 0;
    std::array<int, Seconds> buckets_{};
};

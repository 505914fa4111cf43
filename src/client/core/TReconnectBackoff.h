#pragma once

#include "shared/LocalClock.h"

#include <functional>

// How long the main connection waits before its next attempt after attempts that failed
// in a row: 1, 2, 4 ... seconds, at most 30, each stretched or shrunk by up to a fifth at
// random so that many clients that lost the same server do not all return in the same
// second. Time is the program's steady clock, passed in, so tests move it instead of
// waiting and a wall clock set back does not stretch the wait.
class TReconnectBackoff
{
public:
    // A fraction from 0 up to (not including) 1.
    using TRandom = std::function<double()>;

    // Without a random source the process's own generator is used.
    explicit TReconnectBackoff(TRandom random = {});

    // The wait after `failures` failures in a row (at least 1), for a random fraction.
    static double DelaySeconds(int failures, double randomFraction);

    // One more failure in a row: the next attempt waits from `now` on.
    void Failed(TSteadyMs now);
    // An attempt that worked: the next one goes at once.
    void Reset();

    int Failures() const { return failures_; }
    bool Waiting(TSteadyMs now) const { return failures_ != 0 && now < retryAt_; }
    // Whole seconds left before the next attempt, rounded up; 0 when it may go now.
    int SecondsLeft(TSteadyMs now) const;

private:
    TRandom random_;
    int failures_ = 0;
    // Meaningful only while failures_ is not 0.
    TSteadyMs retryAt_ = 0;
};

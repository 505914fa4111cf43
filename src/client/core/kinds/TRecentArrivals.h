#pragma once

#include "shared/LocalClock.h"

#include <QtGlobal>

#include <deque>

// When the newest rows of a newest-first list came, in steady time, for a window
// that folds bursts: the rows themselves keep no time, which a list of a whole day
// could not afford. Rows that came within the same millisecond share one record, so
// however fast alerts come, a window of seconds keeps a few thousand records at most.
class TRecentArrivals
{
public:
    // A row came on top at time.
    void Add(TSteadyMs time);
    // How many of the newest rows came at since or later.
    qsizetype CountSince(TSteadyMs since) const;
    // Row place (0 the newest) was taken out of the list.
    void Remove(qsizetype place);
    // Forgets rows that came before since, and rows beyond the list's length.
    void Forget(TSteadyMs since, qsizetype listLength);
    void Clear()
    {
        runs_.clear();
        rows_ = 0;
    }

private:
    struct TRun
    {
        TSteadyMs Time = 0;
        qsizetype Rows = 0;
    };

    // Newest first.
    std::deque<TRun> runs_;
    qsizetype rows_ = 0;
};

#include "client/core/kinds/TRecentArrivals.h"

#include <algorithm>

void TRecentArrivals::Add(TSteadyMs time)
{
    if (!runs_.empty() && runs_.front().Time == time)
        ++runs_.front().Rows;
    else
        runs_.push_front({time, 1});
    ++rows_;
}

qsizetype TRecentArrivals::CountSince(TSteadyMs since) const
{
    qsizetype rows = 0;
    for (const TRun &run : runs_) {
        if (run.Time < since)
            break;
        rows += run.Rows;
    }
    return rows;
}

void TRecentArrivals::Remove(qsizetype place)
{
    for (auto run = runs_.begin(); run != runs_.end(); ++run) {
        if (place < run->Rows) {
            if (--run->Rows == 0)
                runs_.erase(run);
            --rows_;
            return;
        }
        place -= run->Rows;
    }
}

void TRecentArrivals::Forget(TSteadyMs since, qsizetype listLength)
{
    while (!runs_.empty() && runs_.back().Time < since) {
        rows_ -= runs_.back().Rows;
        runs_.pop_back();
    }
    while (rows_ > listLength) {
        TRun &oldest = runs_.back();
        const qsizetype excess = std::min(oldest.Rows, rows_ - listLength);
        oldest.Rows -= excess;
        rows_ -= excess;
        if (oldest.Rows == 0)
            runs_.pop_back();
    }
}

#include "TGeneratedAlerts.h"

#include <cmath>

TGeneratedAlerts::TGeneratedAlerts(quint64 seed, int startMsOfDay, double alertsPerSecond,
                                   const TCategoryKinds &kinds)
    // The market's clock moves by the time between alerts, so stamped times keep pace
    // with the wall clock at any rate.
    : generator_(seed, startMsOfDay, int(std::lround(1000.0 / alertsPerSecond))),
      alertsPerSecond_(alertsPerSecond),
      kinds_(kinds)
{
}

qint64 TGeneratedAlerts::NextDueMs() const
{
    if (end_ >= 0 && taken_ >= end_)
        return -1;
    if (burst_)
        return 0;
    return qint64(std::floor(double(taken_) * 1000.0 / alertsPerSecond_));
}

QByteArray TGeneratedAlerts::TakeBody(const QVector<QByteArray> &categories)
{
    const QByteArray &category = categories[int(taken_ % categories.size())];
    ++taken_;
    return generator_.NextBody(category, kinds_.KindOf(category));
}

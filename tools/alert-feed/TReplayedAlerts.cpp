#include "TReplayedAlerts.h"

#include <cmath>

TReplayedAlerts::TReplayedAlerts(TReplayScript script, double alertsPerSecond)
    : script_(std::move(script)), alertsPerSecond_(alertsPerSecond)
{
}

qint64 TReplayedAlerts::NextDueMs() const
{
    const auto &lines = script_.Lines();
    if (next_ >= lines.size())
        return -1;
    if (alertsPerSecond_ > 0)
        return qint64(std::floor(double(next_) * 1000.0 / alertsPerSecond_));
    // The recording's clock starts with its first line.
    return lines[next_].AtMs - lines.first().AtMs;
}

QByteArray TReplayedAlerts::TakeBody(const QVector<QByteArray> &categories)
{
    const QByteArray &body = script_.Lines()[next_++].Body;
    return categories.contains(CategoryOfBody(body)) ? body : QByteArray();
}

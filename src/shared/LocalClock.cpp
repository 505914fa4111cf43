#include "shared/LocalClock.h"

#include <cmath>

namespace {

const QDateTime &Epoch()
{
    static const QDateTime epoch(QDate(1899, 12, 30), QTime(0, 0), Qt::LocalTime);
    return epoch;
}

std::function<TDateTime()> &NowFunction()
{
    static std::function<TDateTime()> now;
    return now;
}

} // namespace

TDateTime DateTimeFromQDateTime(const QDateTime &when)
{
    const QDateTime local = when.toLocalTime();
    const qint64 days = Epoch().date().daysTo(local.date());
    return double(days) + local.time().msecsSinceStartOfDay() / (SecondsPerDay * 1000.0);
}

QDateTime QDateTimeFromDateTime(TDateTime when)
{
    const qint64 days = qint64(std::floor(when));
    const qint64 msecs = qint64(std::llround((when - double(days)) * SecondsPerDay * 1000.0));
    return QDateTime(Epoch().date().addDays(days), QTime(0, 0), Qt::LocalTime).addMSecs(msecs);
}

TDateTime Now()
{
    if (NowFunction())
        return NowFunction()();
    return DateTimeFromQDateTime(QDateTime::currentDateTime());
}

void SetNowFunction(std::function<TDateTime()> now)
{
    NowFunction() = std::move(now);
}

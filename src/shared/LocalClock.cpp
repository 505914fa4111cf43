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

TDateTime LocalDateTimeFromUtcMs(qint64 utcMs, qint64 offsetMs)
{
    constexpr qint64 MsPerDay = qint64(SecondsPerDay) * 1000;
    // Days from 30 December 1899 to 1 January 1970.
    constexpr qint64 UnixEpochDays = 25569;
    const qint64 localMs = utcMs + offsetMs;
    const qint64 days = localMs >= 0 ? localMs / MsPerDay : -((-localMs + MsPerDay - 1) / MsPerDay);
    return double(days + UnixEpochDays) + (localMs - days * MsPerDay) / (SecondsPerDay * 1000.0);
}

TDateTime Now()
{
    if (NowFunction())
        return NowFunction()();
    // Asking the C library for local time re-reads the time-zone file on every call;
    // alerts read the clock thousands of times a second, so the offset from UTC is
    // asked once a second and the time of day comes from the cheap UTC clock.
    static qint64 offsetAskedMs = 0;
    static qint64 offsetMs = 0;
    static bool offsetKnown = false;
    const qint64 utcMs = QDateTime::currentMSecsSinceEpoch();
    if (!offsetKnown || utcMs < offsetAskedMs || utcMs - offsetAskedMs >= 1000) {
        offsetMs = qint64(QDateTime::fromMSecsSinceEpoch(utcMs, Qt::LocalTime).offsetFromUtc()) * 1000;
        offsetAskedMs = utcMs;
        offsetKnown = true;
    }
    return LocalDateTimeFromUtcMs(utcMs, offsetMs);
}

void SetNowFunction(std::function<TDateTime()> now)
{
    NowFunction() = std::move(now);
}

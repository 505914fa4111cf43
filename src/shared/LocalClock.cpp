#include "shared/LocalClock.h"

#include <chrono>
#include <cmath>

#include <time.h>

namespace {

constexpr qint64 MsPerDay = qint64(SecondsPerDay) * 1000;
const QDate Epoch(1899, 12, 30);

// Whole days in ms, rounded down also before 1970 or the epoch.
qint64 DaysOf(qint64 ms)
{
    return ms >= 0 ? ms / MsPerDay : -((-ms + MsPerDay - 1) / MsPerDay);
}

std::function<TDateTime()> &NowFunction()
{
    static std::function<TDateTime()> now;
    return now;
}

std::function<TSteadyMs()> &SteadyNowFunction()
{
    static std::function<TSteadyMs()> now;
    return now;
}

} // namespace

TSteadyMs SteadyNowMs()
{
    if (SteadyNowFunction())
        return SteadyNowFunction()();
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

TSteadyMs SteadyTickMs()
{
    if (SteadyNowFunction())
        return SteadyNowFunction()();
    // The same clock as the steady one (CLOCK_MONOTONIC), as of the last tick.
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return TSteadyMs(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

TDateTime DateTimeFromQDateTime(const QDateTime &when)
{
    const QDateTime local = when.toLocalTime();
    const qint64 days = Epoch.daysTo(local.date());
    return double(days) + local.time().msecsSinceStartOfDay() / double(MsPerDay);
}

QDateTime QDateTimeFromDateTime(TDateTime when)
{
    // Rounded to the millisecond first, so that a hair under midnight is the next day.
    const qint64 ms = std::llround(when * double(MsPerDay));
    const qint64 days = DaysOf(ms);
    // The time of day is set as such, not added to midnight: on the day of a
    // daylight-saving change midnight is an hour more or less than that time ago.
    return QDateTime(Epoch.addDays(days), QTime::fromMSecsSinceStartOfDay(int(ms - days * MsPerDay)),
                     Qt::LocalTime);
}

TDateTime LocalDateTimeFromUtcMs(qint64 utcMs, qint64 offsetMs)
{
    // Days from 30 December 1899 to 1 January 1970.
    constexpr qint64 UnixEpochDays = 25569;
    const qint64 localMs = utcMs + offsetMs;
    const qint64 days = DaysOf(localMs);
    return double(days + UnixEpochDays) + (localMs - days * MsPerDay) / double(MsPerDay);
}

TDateTime Now()
{
    if (NowFunction())
        return NowFunction()();
    // Asking the C library for local time re-reads the time-zone file on every call;
    // alerts read the clock thousands of times a second, so the offset from UTC is
    // asked once per second of UTC and the time of day comes from the cheap UTC clock.
    // Offsets change on whole seconds, so the one asked holds for the whole second.
    static qint64 offsetSecond = 0;
    static qint64 offsetMs = 0;
    static bool offsetKnown = false;
    const qint64 utcMs = QDateTime::currentMSecsSinceEpoch();
    const qint64 second = utcMs / 1000;
    if (!offsetKnown || second != offsetSecond) {
        offsetMs = qint64(QDateTime::fromMSecsSinceEpoch(utcMs, Qt::LocalTime).offsetFromUtc()) * 1000;
        offsetSecond = second;
        offsetKnown = true;
    }
    return LocalDateTimeFromUtcMs(utcMs, offsetMs);
}

void SetNowFunction(std::function<TDateTime()> now)
{
    NowFunction() = std::move(now);
}

void SetSteadyNowFunction(std::function<TSteadyMs()> now)
{
    SteadyNowFunction() = std::move(now);
}

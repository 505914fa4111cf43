#pragma once

// Both faces of the program's clock in a test's hand while it lives. The wall clock is
// kept as a moment in UTC and read in the local time zone, so passing a daylight-saving
// change jumps the local time as a real clock does, while steady time runs on evenly.
// Header-only so that the tests of every layer can use it.

#include "shared/LocalClock.h"

#include <QByteArray>
#include <QDateTime>

#include <ctime>

class FakeClock
{
public:
    explicit FakeClock(const QDateTime &wall = QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)))
        : utcMs_(wall.toMSecsSinceEpoch())
    {
        SetNowFunction([this] { return Wall(); });
        SetSteadyNowFunction([this] { return steadyMs_; });
    }
    ~FakeClock()
    {
        SetNowFunction({});
        SetSteadyNowFunction({});
    }
    FakeClock(const FakeClock &) = delete;
    FakeClock &operator=(const FakeClock &) = delete;

    // Time passes: both faces move on.
    void Advance(qint64 ms)
    {
        utcMs_ += ms;
        steadyMs_ += ms;
    }
    void AdvanceSeconds(double seconds) { Advance(qRound64(seconds * 1000)); }
    // Time passes until the wall clock shows `wall`, which must not lie in the past.
    void AdvanceTo(const QDateTime &wall) { Advance(wall.toMSecsSinceEpoch() - utcMs_); }
    // Only the wall clock moves, as when it is corrected, set by hand or the machine
    // wakes from suspend.
    void StepWall(qint64 ms) { utcMs_ += ms; }

    TDateTime Wall() const
    {
        return LocalDateTimeFromUtcMs(utcMs_, qint64(WallDateTime().offsetFromUtc()) * 1000);
    }
    QDateTime WallDateTime() const { return QDateTime::fromMSecsSinceEpoch(utcMs_, Qt::LocalTime); }
    TSteadyMs Steady() const { return steadyMs_; }

    // For tests that cross daylight-saving changes; the zone stays for the process.
    static void UseTimeZone(const QByteArray &zone)
    {
        qputenv("TZ", zone);
        tzset();
    }

private:
    qint64 utcMs_;
    // Any start will do; one far from 0 shows that nothing takes 0 for "never".
    TSteadyMs steadyMs_ = 3600000;
};

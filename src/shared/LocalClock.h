#pragma once

#include <QDateTime>

#include <functional>

// Local date-times are counted in days, the fraction being the time of day, from
// the usual epoch of 30 December 1899; "4.5 seconds from now" is Now() + 4.5 / 86400.
using TDateTime = double;

constexpr double SecondsPerDay = 86400.0;

TDateTime Now();
TDateTime DateTimeFromQDateTime(const QDateTime &when);
QDateTime QDateTimeFromDateTime(TDateTime when);
// The local date-time of a moment given in milliseconds since 1970 UTC, for a local
// offset from UTC in milliseconds.
TDateTime LocalDateTimeFromUtcMs(qint64 utcMs, qint64 offsetMs);

// Tests move time by installing their own clock; an empty function restores the real one.
void SetNowFunction(std::function<TDateTime()> now);

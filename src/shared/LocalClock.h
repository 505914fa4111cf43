#pragma once

#include <QDateTime>

#include <functional>

// The program keeps two clocks. Steady time, in milliseconds, only ever moves forward
// at the pace of real time, whatever happens to the wall clock (a daylight-saving
// change, a correction, a user setting the clock, a resume from suspend): every
// interval, deadline and rate is measured on it. Wall time, the local date and time
// of day, is only for what is shown.

// Milliseconds from an arbitrary start; only differences mean anything.
using TSteadyMs = qint64;

TSteadyMs SteadyNowMs();
// Steady time as of the system's last clock tick (a few milliseconds behind at most,
// never ahead of SteadyNowMs), read without asking the hardware: for stamping every
// alert at full rate, where a reading per alert would cost as much as reading it.
TSteadyMs SteadyTickMs();

// Local date-times are counted in days, the fraction being the time of day, from
// the usual epoch of 30 December 1899.
using TDateTime = double;

constexpr double SecondsPerDay = 86400.0;

// The local wall-clock date and time.
TDateTime Now();
TDateTime DateTimeFromQDateTime(const QDateTime &when);
// The local date and time of day that `when` names, whatever the offset from UTC on
// that day.
QDateTime QDateTimeFromDateTime(TDateTime when);
// The local date-time of a moment given in milliseconds since 1970 UTC, for a local
// offset from UTC in milliseconds.
TDateTime LocalDateTimeFromUtcMs(qint64 utcMs, qint64 offsetMs);

// Tests move time by installing their own clocks; an empty function restores the real one.
void SetNowFunction(std::function<TDateTime()> now);
void SetSteadyNowFunction(std::function<TSteadyMs()> now);

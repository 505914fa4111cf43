#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>

class TPaintLag;

// Tells how freely the event loop turns, for the load and attack scripts. Once a second
// it writes one line to the stream it was given:
//   stall-report second N longest-stall-ms G timer-late-ms L alerts A
// G is the longest wait beyond its interval of a 10 ms timer during that second, L how
// late the one-second timer that writes the line came, A the alerts counted so far.
// Given the paint-lag record of a program that paints, the line goes on with
//   paint-lag-p50-ms P paint-lag-p99-ms Q
// the median and 99th percentile of every paint lag since the start, "-" before the
// first.
// It runs only when the environment variable AZUREV_STALL_REPORT is set (to anything
// but empty), so an ordinary run pays nothing for it.
class TStallReporter
{
public:
    explicit TStallReporter(std::FILE *out, const TPaintLag *paintLag = nullptr);

    TStallReporter(const TStallReporter &) = delete;
    TStallReporter &operator=(const TStallReporter &) = delete;

    static bool Requested();
    // Starts the timers when Requested(); does nothing otherwise.
    void StartIfRequested();
    void CountAlert() { ++alerts_; }

private:
    void Beat();
    void Report();

    std::FILE *out_;
    const TPaintLag *paintLag_;
    QTimer beat_;
    QTimer second_;
    QElapsedTimer sinceBeat_;
    QElapsedTimer sinceReport_;
    qint64 longestStallMs_ = 0;
    qint64 seconds_ = 0;
    qint64 alerts_ = 0;
};

#include "shared/TStallReporter.h"

#include "shared/TPaintLag.h"

#include <algorithm>

namespace {

constexpr int BeatMs = 10;
constexpr int ReportMs = 1000;

QByteArray MsOrDash(std::optional<qint64> ms)
{
    return ms ? QByteArray::number(*ms) : QByteArrayLiteral("-");
}

} // namespace

TStallReporter::TStallReporter(std::FILE *out, const TPaintLag *paintLag) : out_(out), paintLag_(paintLag)
{
    // Precise timers, so that the lateness measured is the loop's and not Qt's
    // coarse-timer slack.
    beat_.setTimerType(Qt::PreciseTimer);
    beat_.setInterval(BeatMs);
    QObject::connect(&beat_, &QTimer::timeout, &beat_, [this] { Beat(); });
    second_.setTimerType(Qt::PreciseTimer);
    second_.setInterval(ReportMs);
    QObject::connect(&second_, &QTimer::timeout, &second_, [this] { Report(); });
}

bool TStallReporter::Requested()
{
    return !qEnvironmentVariableIsEmpty("AZUREV_STALL_REPORT");
}

void TStallReporter::StartIfRequested()
{
    if (!Requested())
        return;
    sinceBeat_.start();
    sinceReport_.start();
    beat_.start();
    second_.start();
}

void TStallReporter::Beat()
{
    longestStallMs_ = std::max(longestStallMs_, sinceBeat_.restart() - BeatMs);
}

void TStallReporter::Report()
{
    // The beat that was due just now may still wait behind this one: the gap it ends
    // counts into the next second.
    Beat();
    const qint64 lateMs = std::max<qint64>(0, sinceReport_.restart() - ReportMs);
    ++seconds_;
    std::fprintf(out_, "stall-report second %lld longest-stall-ms %lld timer-late-ms %lld alerts %lld",
                 static_cast<long long>(seconds_), static_cast<long long>(longestStallMs_),
                 static_cast<long long>(lateMs), static_cast<long long>(alerts_));
    if (paintLag_)
        std::fprintf(out_, " paint-lag-p50-ms %s paint-lag-p99-ms %s", MsOrDash(paintLag_->Percentile(50)).constData(),
                     MsOrDash(paintLag_->Percentile(99)).constData());
    std::fputc('\n', out_);
    std::fflush(out_);
    longestStallMs_ = 0;
}

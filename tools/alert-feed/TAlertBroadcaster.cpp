#include "TAlertBroadcaster.h"

#include "FeedLog.h"
#include "TAlertSource.h"
#include "TFeedSession.h"

#include <algorithm>

namespace {

constexpr int TickMs = 10;
// A stalled event loop does not turn into a flood: at most this much pace per tick.
constexpr qint64 MaxPacePerTickMs = 100;
// Within a tick, bodies go out in bursts of at most this many, so a load that falls due
// at once (a burst run) is sent only as fast as the readers take it.
constexpr int MostAlertsPerFlush = 1000;

} // namespace

TAlertBroadcaster::TAlertBroadcaster(std::unique_ptr<TAlertSource> source, QObject *parent)
    : QObject(parent), source_(std::move(source))
{
    timer_.setInterval(TickMs);
    connect(&timer_, &QTimer::timeout, this, &TAlertBroadcaster::Tick);
}

TAlertBroadcaster::~TAlertBroadcaster() = default;

void TAlertBroadcaster::AddSession(TFeedSession *session)
{
    sessions_.append(session);
}

void TAlertBroadcaster::RemoveSession(TFeedSession *session)
{
    sessions_.removeAll(session);
}

void TAlertBroadcaster::Wake()
{
    if (timer_.isActive() || finished_)
        return;
    sinceTick_.start();
    timer_.start();
}

void TAlertBroadcaster::Tick()
{
    QVector<TFeedSession *> receivers;
    QVector<QByteArray> categories;
    for (TFeedSession *session : std::as_const(sessions_)) {
        if (!session->Receiving() || session->Categories().isEmpty())
            continue;
        receivers.append(session);
        for (const QByteArray &category : session->Categories())
            if (!categories.contains(category))
                categories.append(category);
    }
    if (receivers.isEmpty()) {
        timer_.stop();
        return;
    }
    const qint64 elapsedMs = sinceTick_.restart();
    QVector<TFeedSession *> ready;
    std::copy_if(receivers.begin(), receivers.end(), std::back_inserter(ready),
                 [](TFeedSession *session) { return !session->Backlogged(); });
    // Nobody can take more: the pace clock waits, so nothing is skipped for a reader
    // that is merely slow.
    if (ready.isEmpty()) {
        if (sent_ > 0)
            waitedMs_ += elapsedMs;
        return;
    }
    // A fixed order makes a seeded run hand out the same bodies however the
    // subscriptions arrived.
    std::sort(categories.begin(), categories.end());
    paceMs_ += std::min(elapsedMs, MaxPacePerTickMs);

    qint64 due = source_->NextDueMs();
    int unflushed = 0;
    while (due >= 0 && due <= paceMs_) {
        const QByteArray body = source_->TakeBody(categories);
        if (!body.isEmpty()) {
            if (sent_++ == 0)
                sinceFirst_.start();
            Deliver(ready, body);
        }
        due = source_->NextDueMs();
        if (++unflushed == MostAlertsPerFlush) {
            unflushed = 0;
            for (TFeedSession *session : std::as_const(ready))
                session->FlushBurst();
            // The rest waits for a later tick once every reader is behind.
            if (std::all_of(ready.begin(), ready.end(),
                            [](const TFeedSession *session) { return session->Backlogged(); }))
                return;
        }
    }
    for (TFeedSession *session : std::as_const(ready))
        session->FlushBurst();
    if (due < 0) {
        // What a load run measures: the count, and whether the pace held.
        FeedLog(QStringLiteral("source finished: %1 alerts sent in %2 s, %3 s of it waiting for readers behind")
                    .arg(sent_)
                    .arg(double(sinceFirst_.isValid() ? sinceFirst_.elapsed() : 0) / 1000.0, 0, 'f', 3)
                    .arg(double(waitedMs_) / 1000.0, 0, 'f', 3));
        finished_ = true;
        timer_.stop();
    }
}

void TAlertBroadcaster::Deliver(const QVector<TFeedSession *> &sessions, const QByteArray &body)
{
    const QByteArrayView category = CategoryOfBody(body);
    for (TFeedSession *session : sessions) {
        if (session->Subscribed(category))
            session->QueueAlert(body);
    }
}

#pragma once

#include "client/core/AlertRecordFormat.h"
#include "shared/LocalClock.h"
#include "shared/TListeners.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

// Plays a recorded day to its listeners, the alert windows, in place of the live
// alerts: at the recorded pace times a speed, or as fast as possible, with Pause and
// Step. The pace is kept on the steady clock. Alerts are handed out in slices of at
// most SliceSize from a timer, so the event loop turns between slices however far
// the replay is behind.
class TAlertReplay
{
public:
    // Where the ticks come from: the replay's own timer, or the caller calling Tick
    // (tests drive time that way).
    enum class TTickSource { OwnTimer, Caller };
    // The speed that plays every alert as soon as the slices allow.
    static constexpr int Fastest = 0;
    static constexpr int SliceSize = 256;

    explicit TAlertReplay(TTickSource ticks = TTickSource::OwnTimer);

    TAlertReplay(const TAlertReplay &) = delete;
    TAlertReplay &operator=(const TAlertReplay &) = delete;

    // Reads a recording and starts playing it from its first alert; lines that cannot
    // be read are skipped and counted. An error text when the file cannot be read,
    // and nothing changes then. The file is mapped, not copied, and a body is
    // unescaped only when it plays, so an hour of alerts opens at once.
    QString Open(const QString &fileName);
    void Start(const QByteArray &recording);
    // Ends the replay: the windows take live alerts again.
    void Stop();
    // From Open until Stop, also once every alert was played.
    bool Active() const { return active_; }

    // 1, 5, 20 times the recorded pace, or Fastest; a playing replay goes on from
    // where it is at the new pace.
    void SetSpeed(int speed);
    int Speed() const { return speed_; }
    void Pause();
    void Resume();
    bool Paused() const { return paused_; }
    // Plays the next alert at once and pauses there.
    void Step();

    int Count() const { return int(alerts_.size()); }
    int Played() const { return next_; }
    int Malformed() const { return malformed_; }
    bool Finished() const { return next_ == Count(); }

    // Plays what is due by now, at most SliceSize alerts, and sets the timer for the
    // rest.
    void Tick();

    // Each alert body played.
    TSubscription SubscribeAlerts(std::function<void(QByteArrayView body)> listener)
    {
        return alertListeners_.Subscribe(std::move(listener));
    }
    // Whenever Active, Paused, the speed or the progress changes.
    TSubscription SubscribeState(std::function<void()> listener)
    {
        return stateListeners_.Subscribe(std::move(listener));
    }

private:
    // Where in the recording the replay is now, in recorded milliseconds.
    qint64 Position() const;
    // Counting from now at the recording's position `position`.
    void Anchor(qint64 position);
    void Play(int count);
    void Schedule();

    // One line of the recording: when it plays and its body, escaped, in text_.
    struct TLine
    {
        qint64 AtMs = 0;
        QByteArrayView EscapedBody;
    };
    void Index();

    const TTickSource ticks_;
    QTimer timer_;
    // The recording's file while it is mapped, and its text.
    std::unique_ptr<QFile> file_;
    QByteArray text_;
    std::vector<TLine> alerts_;
    int malformed_ = 0;
    int next_ = 0;
    bool active_ = false;
    bool paused_ = false;
    int speed_ = 1;
    // The recording's position at anchorTime_.
    qint64 anchorPosition_ = 0;
    TSteadyMs anchorTime_ = 0;
    TListeners<QByteArrayView> alertListeners_;
    TListeners<> stateListeners_;
};

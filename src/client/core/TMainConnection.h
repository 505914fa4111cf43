#pragma once

#include "client/core/LinkGap.h"
#include "client/core/TAlertRate.h"
#include "client/core/TAlertReplay.h"
#include "client/core/TConnectionSettings.h"
#include "client/core/TReconnectBackoff.h"
#include "shared/LocalClock.h"
#include "shared/TListeners.h"
#include "shared/TTalkWithServer.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QTimer>
#include <QVector>

#include <functional>
#include <memory>
#include <optional>

class TIniFile;
class TWakeMeSoon;

// The program's one link to the alert server: holds the credentials, keeps one session
// at a time logged in, subscribed and pinged, replaces it when it ends or falls silent,
// keeps a one-line status and hands every alert body to its listeners.
class TMainConnection
{
public:
    // Where the 500 ms ticks come from: the connection's own timer, or the caller
    // calling TimerTick (tests drive time that way).
    enum class TTickSource { OwnTimer, Caller };

    // Reads the server address and transport from the ini file; nothing is sent before
    // the first wake-up after credentials arrive.
    explicit TMainConnection(const TIniFile &ini, TTickSource ticks = TTickSource::OwnTimer);
    ~TMainConnection();

    TMainConnection(const TMainConnection &) = delete;
    TMainConnection &operator=(const TMainConnection &) = delete;

    // Subscribed at the next login. Empty text and categories already present (ignoring
    // letter case) are not added.
    void AddCategory(const QByteArray &category);
    const QVector<QByteArray> &Categories() const { return categories_; }

    // Listeners are told in the order they subscribed, for as long as their handle lives.
    // Each alert body: the category line, CR LF, then the alert's fields. The body is a
    // view valid only during the call; a listener that keeps it copies it.
    TSubscription SubscribeAlerts(std::function<void(QByteArrayView body)> listener)
    {
        return alertListeners_.Subscribe(std::move(listener));
    }
    // A link gap, when alerts flow again after it, before the first of them.
    TSubscription SubscribeLinkGaps(std::function<void(const TLinkGap &gap)> listener)
    {
        return gapListeners_.Subscribe(std::move(listener));
    }
    // Whenever Stale() changes.
    TSubscription SubscribeStale(std::function<void()> listener)
    {
        return staleListeners_.Subscribe(std::move(listener));
    }
    // A recorded day the windows show in place of the live alerts, while it is
    // active; the live link goes on untouched meanwhile.
    TAlertReplay &Replay() { return replay_; }
    const TAlertReplay &Replay() const { return replay_; }
    // Whenever Status() changes.
    TSubscription SubscribeStatus(std::function<void()> listener)
    {
        return statusListeners_.Subscribe(std::move(listener));
    }
    // The alert stream's answer handler: with success, hands the body to every listener.
    void DispatchAlert(bool success, QByteArrayView body, const TMessageToServer &request);

    // Each starts over with a fresh session when the value changes, or whenever the
    // server has told us to stop.
    void SetUsername(const QByteArray &userName);
    void SetPassword(const QByteArray &password);
    void ResetConnection();

    const QString &Status() const { return status_; }

    bool Stopped() const { return stopped_; }
    // True while a session's connection to the server is open.
    bool Connected() const;
    // True from the loss of a logged-in session until alerts flow again on a new one:
    // what the windows show may be out of date. Reset Connection starts afresh.
    bool Stale() const { return stale_; }
    // Milliseconds from the last answered timer ping to its answer; -1 before the first.
    qint64 PingRoundTripMs() const { return pingRoundTripMs_; }
    // When the last alert arrived, in steady time; none before the first.
    std::optional<TSteadyMs> LastAlertTime() const { return lastAlertTime_; }
    // Alerts of the last five minutes, for the count per minute and the sparkline.
    const TAlertRate &AlertRate() const { return alertRate_; }
    // The ping time and the last alert's age in one short line for the main window,
    // e.g. "ping 42 ms, last alert 3 s ago".
    QString LinkReadout() const;
    const QByteArray &SessionId() const { return sessionId_; }

    // Used by every session made from now on.
    const QString &ServerAddress() const { return settings_.Transport.ServerAddress; }
    void SetServerAddress(const QString &address) { settings_.Transport.ServerAddress = address; }

    // One 500 ms step: replaces a closed session (at once after one that worked, after
    // a growing wait after failed attempts), pings when due, counts silence.
    void TimerTick();

private:
    bool HasCredentials() const;
    void SetStatus(const QString &status);
    void WakeUp();
    void CreateSession();
    void ReapClosedSession();
    void GiveUpUnansweredAttempt();
    void RetryWhenDue();
    QString ShownServerAddress() const;
    void QueueLogin();
    void RestartSession();
    void DestroySession();
    void SendPing();
    void LoginAnswered(bool success, QByteArrayView body);
    // The session goes: windows turn stale, and a gap opens if it had brought alerts.
    void SessionLost();
    // An alert arrived on a logged-in session: a gap open since a loss is closed.
    void AlertsFlow();
    void SetStale(bool stale);
    void PingAnswered(bool success);

    QByteArray userName_;
    QByteArray password_;
    // Address, tunnel, proxies and TLS of every session, from the ini file.
    TConnectionSettings settings_;
    bool stopped_ = false;
    QByteArray sessionId_;
    QTimer timer_;
    qint32 silentTicks_ = 0;
    QVector<QByteArray> categories_;
    std::unique_ptr<TTalkWithServer> session_;
    std::unique_ptr<TWakeMeSoon> wakeUp_;
    // Set once the current session's login was answered: it reached a working server.
    bool sessionLoggedIn_ = false;
    // Set once the server answered anything on the current session: its login, an
    // alert or a ping. A session it never answered is a failed attempt.
    bool sessionAnswered_ = false;
    TReconnectBackoff backoff_;
    // Why the last attempt failed, shown while the next one waits.
    QString failureReason_;
    TMessageHandle lastPing_;
    // Pings, their round trips and the alerts' age are timed in steady time; only the
    // link gap's ends below are wall-clock times, for showing.
    TSteadyMs nextPingTime_ = 0;
    TSteadyMs pingSentTime_ = 0;
    qint64 pingRoundTripMs_ = -1;
    std::optional<TSteadyMs> lastAlertTime_;
    TAlertRate alertRate_;
    bool sessionHadAlerts_ = false;
    bool stale_ = false;
    // When the gap not yet shown began (0: none), and when the link last came back.
    TDateTime gapLost_ = 0;
    TDateTime linkBack_ = 0;
    TListeners<QByteArrayView> alertListeners_;
    TListeners<const TLinkGap &> gapListeners_;
    TListeners<> staleListeners_;
    TListeners<> statusListeners_;
    QString status_;
    TAlertReplay replay_;
};

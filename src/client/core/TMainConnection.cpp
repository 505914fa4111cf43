#include "client/core/TMainConnection.h"

#include "shared/DisplayText.h"
#include "shared/TIniFile.h"
#include "shared/TMessageToServer.h"
#include "shared/TWakeMeSoon.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>
#include <utility>

namespace {

// The port a session uses for an address without one.
const QString DefaultPort = QStringLiteral("8888");

constexpr int TickIntervalMs = 500;
constexpr TSteadyMs PingIntervalMs = 4500;
// 25 silent ticks, 12.5 seconds without an answered ping, and the session is replaced.
constexpr qint32 MostSilentTicks = 24;

TMessageToServer PingRequest()
{
    return MakeMessage("command", "ping", "response", "1");
}

// The first maxLines lines. Lines end at CR, LF or CR LF; a break at the very end
// starts no further line.
QVector<QByteArray> SplitLines(QByteArrayView text, int maxLines)
{
    QVector<QByteArray> lines;
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < text.size() && lines.size() < maxLines) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        lines.append(text.sliced(start, i - start).toByteArray());
        i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
        start = i;
    }
    if (start < text.size() && lines.size() < maxLines)
        lines.append(text.sliced(start).toByteArray());
    return lines;
}

} // namespace

TMainConnection::TMainConnection(const TIniFile &ini, TTickSource ticks)
    : wakeUp_(std::make_unique<TWakeMeSoon>())
{
    wakeUp_->OnWakeUp = [this] { WakeUp(); };

    timer_.setInterval(TickIntervalMs);
    QObject::connect(&timer_, &QTimer::timeout, &timer_, [this] { TimerTick(); });
    if (ticks == TTickSource::OwnTimer)
        timer_.start();

    settings_ = TConnectionSettings::Read(ini, StoredConnectionValue);
    status_ = settings_.Error;
}

TMainConnection::~TMainConnection()
{
    DestroySession();
}

void TMainConnection::AddCategory(const QByteArray &category)
{
    if (category.isEmpty())
        return;
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    const QString text = QString::fromUtf8(category);
    const auto position = std::lower_bound(
        categories_.begin(), categories_.end(), text,
        [&collator](const QByteArray &present, const QString &wanted) {
            return collator.compare(QString::fromUtf8(present), wanted) < 0;
        });
    if (position != categories_.end() && collator.compare(QString::fromUtf8(*position), text) == 0)
        return;
    categories_.insert(position, category);
}

void TMainConnection::DispatchAlert(bool success, QByteArrayView body,
                                    const TMessageToServer &)
{
    if (!success)
        return;
    lastAlertTime_ = SteadyTickMs();
    alertRate_.Add(*lastAlertTime_);
    // Alerts typed into the fake data window while the link is down close no gap.
    if (session_ && sessionLoggedIn_)
        AlertsFlow();
    alertListeners_.Notify(body);
}

void TMainConnection::SetUsername(const QByteArray &userName)
{
    if (userName == userName_ && !stopped_)
        return;
    userName_ = userName;
    ResetConnection();
}

void TMainConnection::SetPassword(const QByteArray &password)
{
    if (password == password_ && !stopped_)
        return;
    password_ = password;
    ResetConnection();
}

void TMainConnection::ResetConnection()
{
    silentTicks_ = 0;
    // The user asked for a fresh start: no wait left over from earlier failures.
    backoff_.Reset();
    RestartSession();
    stopped_ = false;
    sessionId_.clear();
    // Asked for by the user: a fresh start, with nothing to warn of.
    gapLost_ = 0;
    SetStale(false);
    SetStatus(QString());
}

bool TMainConnection::HasCredentials() const
{
    return !userName_.isEmpty() && !password_.isEmpty();
}

void TMainConnection::SetStatus(const QString &status)
{
    if (status == status_)
        return;
    status_ = status;
    statusListeners_.Notify();
}

void TMainConnection::WakeUp()
{
    // A KVX.ini mistake must never mean less security than asked for: no session at all.
    if (!settings_.Error.isEmpty())
        return SetStatus(settings_.Error);
    // A session without a login would open a connection that carries nothing and says
    // nothing: no attempt starts before there is a name and a password to send.
    if (!HasCredentials() || stopped_)
        return;
    if (!session_)
        CreateSession();
    if (session_->State() != TTalkWithServer::TState::Waiting || session_->ConnectStarted())
        return;
    // Until the login is answered the user must not believe the link is up.
    SetStatus(QStringLiteral("Connecting to ") + ShownServerAddress() + QChar(0x2026));
    session_->Connect();
}

void TMainConnection::CreateSession()
{
    nextPingTime_ = SteadyNowMs() + PingIntervalMs;
    // Silence counted against an earlier session must not cut this one short.
    silentTicks_ = 0;
    sessionLoggedIn_ = false;
    sessionAnswered_ = false;
    sessionHadAlerts_ = false;
    session_ = std::make_unique<TTalkWithServer>(settings_.Transport);
    session_->OnResponse = [](bool, QByteArrayView, const TMessageToServer &) {};
    session_->OnDisconnected = [] {};
    session_->OnDebugMessage = [](const QString &) {};
    QueueLogin();
}

void TMainConnection::QueueLogin()
{
    // Waits in the session's output until the connection opens.
    session_->SendMessage(MakeMessage("command", "login", "username", userName_, "password",
                                      password_, "session_id", sessionId_),
                          true, [this](bool success, QByteArrayView body, const TMessageToServer &) {
                              // Swallowed here, unreported: the session's report of an
                              // error would show the request, password and all.
                              try {
                                  LoginAnswered(success, body);
                              } catch (const std::exception &) {
                              }
                          });
    session_->SendMessage(MakeMessage("command", "listen_for_alerts"), true,
                          [this](bool success, QByteArrayView body, const TMessageToServer &request) {
                              // A session delivering alerts is alive, even while its ping
                              // answers wait behind megabytes of alerts not yet read. Empty
                              // frames are no alerts: a flood of them, which inflates from
                              // a few kilobytes to gigabytes, must not keep a session whose
                              // server is long gone.
                              if (success && !body.isEmpty()) {
                                  silentTicks_ = 0;
                                  sessionAnswered_ = true;
                              }
                              DispatchAlert(success, body, request);
                          });
    for (const QByteArray &category : categories_)
        session_->SendMessage(MakeMessage("command", "add_alert_category", "category", category), false);
    session_->SendMessage(PingRequest(), false,
                          [this](bool success, QByteArrayView, const TMessageToServer &) {
                              // A server that refused the login may still answer the
                              // ping; its reason must stay on the status line.
                              if (success && !stopped_)
                                  SetStatus(QStringLiteral("Connected!"));
                          });
}

void TMainConnection::LoginAnswered(bool success, QByteArrayView body)
{
    if (!success)
        return;
    sessionLoggedIn_ = true;
    sessionAnswered_ = true;
    linkBack_ = Now();
    // Only the first two lines mean anything; a server that sends millions of line
    // breaks must not make us hold them all.
    const QVector<QByteArray> lines = SplitLines(body, 2);
    if (lines.isEmpty())
        return;
    if (lines[0] == "STOP") {
        stopped_ = true;
        // The attempt must end in words: "Connecting to" would stay on the status for good.
        const QString reason = lines.size() > 1 ? DisplayText(lines[1]) : QString();
        SetStatus(reason.isEmpty() ? QStringLiteral("The server refused the login.") : reason);
    } else if (lines[0] == "SESSION ID") {
        if (lines.size() > 1)
            sessionId_ = lines[1];
    }
}

void TMainConnection::SessionLost()
{
    if (sessionLoggedIn_)
        SetStale(true);
    // Later losses before alerts flow again widen the gap already open.
    if (sessionHadAlerts_ && gapLost_ == 0)
        gapLost_ = Now();
}

void TMainConnection::AlertsFlow()
{
    sessionHadAlerts_ = true;
    if (gapLost_ != 0) {
        gapListeners_.Notify(TLinkGap{std::exchange(gapLost_, 0), linkBack_});
    }
    SetStale(false);
}

void TMainConnection::SetStale(bool stale)
{
    if (stale == stale_)
        return;
    stale_ = stale;
    staleListeners_.Notify();
}

void TMainConnection::DestroySession()
{
    if (!session_)
        return;
    session_->OnDisconnected = nullptr;
    session_->OnResponse = nullptr;
    // Forgotten before it goes, so nothing its last answers trigger can reach it.
    std::unique_ptr<TTalkWithServer> session = std::move(session_);
    session.reset();
}

void TMainConnection::RestartSession()
{
    if (session_) {
        SetStatus(QStringLiteral("Disconnected."));
        SessionLost();
        DestroySession();
    }
    wakeUp_->RequestWakeUp();
}

void TMainConnection::TimerTick()
{
    if (session_ && session_->State() == TTalkWithServer::TState::Closed)
        ReapClosedSession();
    if (stopped_ || !HasCredentials())
        return;
    if (!session_) {
        RetryWhenDue();
        return;
    }

    if (SteadyNowMs() > nextPingTime_)
        SendPing();

    if (++silentTicks_ > MostSilentTicks) {
        silentTicks_ = 0;
        if (sessionAnswered_)
            RestartSession();
        else
            GiveUpUnansweredAttempt();
    }
}

void TMainConnection::GiveUpUnansweredAttempt()
{
    // A server that takes the connection and never answers is no better
    // than one that refuses it: the next attempt waits its turn like after a refusal.
    SessionLost();
    DestroySession();
    backoff_.Failed(SteadyNowMs());
    failureReason_ = QStringLiteral("the server did not answer");
    RetryWhenDue();
}

void TMainConnection::ReapClosedSession()
{
    // A session that reached the server and was not fed garbage worked; anything else
    // (refused, unknown host, bad data, closed before the login was answered) failed.
    const bool worked = sessionLoggedIn_ && !session_->DataRejected();
    const QString reason = session_->ErrorMessage();
    SessionLost();
    DestroySession();
    if (stopped_ || !HasCredentials())
        return;
    if (worked) {
        backoff_.Reset();
        SetStatus(QStringLiteral("Disconnected."));
    } else {
        backoff_.Failed(SteadyNowMs());
        failureReason_ = reason;
    }
}

void TMainConnection::RetryWhenDue()
{
    const TSteadyMs now = SteadyNowMs();
    if (!backoff_.Waiting(now)) {
        wakeUp_->RequestWakeUp();
        return;
    }
    QString status = QStringLiteral("Cannot reach ") + ShownServerAddress();
    if (!failureReason_.isEmpty())
        status += QStringLiteral(": ") + failureReason_;
    if (!status.endsWith(QLatin1Char('.')))
        status += QLatin1Char('.');
    SetStatus(status + QStringLiteral(" Reconnecting in %1 s").arg(backoff_.SecondsLeft(now)));
}

QString TMainConnection::ShownServerAddress() const
{
    // With a tunnel, "address" is not where the client goes.
    const TTransportSettings &transport = settings_.Transport;
    if (!transport.TunnelAddress.isEmpty())
        return transport.TunnelAddress;
    return transport.ServerAddress.contains(QLatin1Char(':'))
               ? transport.ServerAddress
               : transport.ServerAddress + QLatin1Char(':') + DefaultPort;
}

void TMainConnection::SendPing()
{
    // An answer to the previous ping that comes after this one no longer counts.
    session_->CancelCallback(lastPing_);
    lastPing_ = session_->SendMessage(PingRequest(), false,
                                      [this](bool success, QByteArrayView, const TMessageToServer &) {
                                          PingAnswered(success);
                                      });
    pingSentTime_ = SteadyNowMs();
    nextPingTime_ = pingSentTime_ + PingIntervalMs;
}

void TMainConnection::PingAnswered(bool success)
{
    // A ping still on its way when the server said STOP must not cover its reason.
    if (!success || stopped_)
        return;
    silentTicks_ = 0;
    sessionAnswered_ = true;
    pingRoundTripMs_ = SteadyNowMs() - pingSentTime_;
    const QTime now = QDateTimeFromDateTime(Now()).time();
    SetStatus(QStringLiteral("Working:  ") + QLocale().toString(now, QLocale::LongFormat));
}

bool TMainConnection::Connected() const
{
    return session_ && session_->State() == TTalkWithServer::TState::Connected;
}

QString TMainConnection::LinkReadout() const
{
    const QLocale locale;
    QString text = pingRoundTripMs_ < 0 ? QStringLiteral("ping \u2013")
                                        : QStringLiteral("ping %1 ms").arg(locale.toString(pingRoundTripMs_));
    if (!lastAlertTime_)
        return text + QStringLiteral(", no alerts yet");
    const qint64 seconds = (SteadyNowMs() - *lastAlertTime_) / 1000;
    QString ago;
    if (seconds < 60)
        ago = QStringLiteral("%1 s").arg(seconds);
    else if (seconds < 3600)
        ago = QStringLiteral("%1 min").arg(seconds / 60);
    else
        ago = QStringLiteral("%1 h").arg(locale.toString(seconds / 3600));
    return text + QStringLiteral(", last alert ") + ago + QStringLiteral(" ago");
}

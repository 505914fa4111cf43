#pragma once

#include "client/core/AlertSummary.h"
#include "client/core/TSortedSymbolList.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <functional>

class TIniFile;

// Decides whether an alert of one window sounds and notifies now. The window's ini
// section may name a "sound" (a file, or "beep"), ask for a desktop notification with
// "notify" = "1", and set "notify cooldown" (seconds per symbol, default 60): within
// the cooldown after a symbol last called out, further alerts of that symbol stay
// quiet, so a burst alerts once. Excluded symbols never call out, nor does a muted
// window.
class TAlertAlarm
{
public:
    // Milliseconds on a clock that never goes back; tests set their own.
    using TClock = std::function<qint64()>;

    static constexpr int DefaultCooldownSeconds = 60;

    // exclude must outlive this object.
    explicit TAlertAlarm(const TSortedSymbolList &exclude);

    void LoadConfiguration(const TIniFile &ini, const QByteArray &section);

    // Empty when the window is silent; "beep" or the path of a sound file otherwise.
    const QString &Sound() const { return sound_; }
    bool PlaysBeep() const { return sound_ == QLatin1String("beep"); }
    bool Notifies() const { return notify_; }
    int CooldownSeconds() const { return cooldownSeconds_; }
    // Whether this window has anything to call out at all.
    bool Configured() const { return !sound_.isEmpty() || notify_; }

    void SetMuted(bool muted) { muted_ = muted; }
    bool Muted() const { return muted_; }

    // An empty clock restores the real one.
    void SetClock(TClock clock);

    // True when the alert should sound and notify now; it then starts the symbol's
    // cooldown. Alerts without a symbol or without news never call out.
    bool Admit(const TAlertSummary &alert);

private:
    // Forgets symbols whose cooldown is over, so a day of distinct symbols does not
    // pile up.
    void ForgetCooledSymbols(qint64 now);

    const TSortedSymbolList &exclude_;
    QString sound_;
    bool notify_ = false;
    int cooldownSeconds_ = DefaultCooldownSeconds;
    bool muted_ = false;
    TClock clock_;
    // Symbol -> when it last called out.
    QHash<QByteArray, qint64> lastCalled_;
};

#pragma once

#include "client/core/AlertSummary.h"
#include "client/core/TSortedSymbolList.h"
#include "client/core/TSymbolCooldown.h"

#include <QByteArray>
#include <QString>

#include <functional>

class TIniFile;

// Decides whether an alert of one window sounds and notifies now. The window's ini
// section may name a "sound" (a file, or "beep"), ask for a desktop notification with
// "notify" = "1", and set "notify cooldown" (seconds per symbol, default 60): within
// the cooldown after a symbol last called out, further alerts of that symbol stay
// quiet, so a burst alerts once. Excluded symbols never call out, nor does a muted
// window. However many symbols are new, a window calls out at most once a second:
// the alerts in between are held back and counted, and the next call-out names them.
class TAlertAlarm
{
public:
    // Milliseconds on a clock that never goes back; tests set their own.
    using TClock = std::function<qint64()>;

    static constexpr int DefaultCooldownSeconds = 60;
    // The least time between two call-outs of one window.
    static constexpr qint64 CallOutGapMs = 1000;

    // What the window does about one alert.
    struct TCallOut
    {
        bool Now = false;
        // Alerts held back since the last call-out; the call-out names them.
        int HeldBack = 0;
    };

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

    // Muting also forgets the alerts held back.
    void SetMuted(bool muted);
    bool Muted() const { return muted_; }

    // An empty clock restores the real one.
    void SetClock(TClock clock);

    // Whether the alert sounds and notifies now. An alert past its symbol's cooldown
    // starts the cooldown again, and either calls out or, within a second of the last
    // call-out, is held back. Alerts without a symbol or without news never call out.
    TCallOut Admit(const TAlertSummary &alert);
    // For the window's clock tick: once the gap after the last call-out is over, the
    // alerts held back since, which then call out on their own; 0 otherwise.
    int TakeHeldBack();

private:
    bool GapIsOver(qint64 now) const;
    TCallOut CallOutNow(qint64 now);

    const TSortedSymbolList &exclude_;
    QString sound_;
    bool notify_ = false;
    int cooldownSeconds_ = DefaultCooldownSeconds;
    bool muted_ = false;
    TClock clock_;
    TSymbolCooldown cooldown_;
    bool calledOut_ = false;
    qint64 lastCallOut_ = 0;
    int heldBack_ = 0;
};

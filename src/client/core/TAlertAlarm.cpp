#include "client/core/TAlertAlarm.h"

#include "shared/DisplayText.h"
#include "shared/LocalClock.h"
#include "shared/TIniFile.h"

#include <algorithm>
#include <utility>

TAlertAlarm::TAlertAlarm(const TSortedSymbolList &exclude)
    : exclude_(exclude)
    , clock_(SteadyNowMs)
{
}

void TAlertAlarm::LoadConfiguration(const TIniFile &ini, const QByteArray &section)
{
    sound_ = ini.ReadText(section, "sound", QString());
    notify_ = ini.ReadString(section, "notify", QByteArray()) == "1";
    // A negative cooldown means none: every alert calls out.
    cooldownSeconds_ = std::max(0, ini.ReadInteger(section, "notify cooldown", DefaultCooldownSeconds));
    cooldown_.SetLengthMs(qint64(cooldownSeconds_) * 1000);
}

void TAlertAlarm::SetMuted(bool muted)
{
    muted_ = muted;
    if (muted)
        heldBack_ = 0;
}

void TAlertAlarm::SetClock(TClock clock)
{
    clock_ = clock ? std::move(clock) : TClock(SteadyNowMs);
    cooldown_.Clear();
    calledOut_ = false;
    heldBack_ = 0;
}

TAlertAlarm::TCallOut TAlertAlarm::Admit(const TAlertSummary &alert)
{
    if (muted_ || !Configured() || alert.Symbol.isEmpty() || alert.NoNews
        || exclude_.Contains(DisplayText(alert.Symbol)))
        return {};
    const qint64 now = clock_();
    if (!cooldown_.Start(alert.Symbol, now))
        return {};
    if (!GapIsOver(now)) {
        ++heldBack_;
        return {};
    }
    return CallOutNow(now);
}

int TAlertAlarm::TakeHeldBack()
{
    if (heldBack_ == 0)
        return 0;
    const qint64 now = clock_();
    return GapIsOver(now) ? CallOutNow(now).HeldBack : 0;
}

bool TAlertAlarm::GapIsOver(qint64 now) const
{
    return !calledOut_ || now - lastCallOut_ >= CallOutGapMs;
}

TAlertAlarm::TCallOut TAlertAlarm::CallOutNow(qint64 now)
{
    calledOut_ = true;
    lastCallOut_ = now;
    return {true, std::exchange(heldBack_, 0)};
}

#include "client/core/TAlertAlarm.h"

#include "shared/DisplayText.h"
#include "shared/TIniFile.h"

#include <QElapsedTimer>

#include <algorithm>

namespace {

// Beyond this many remembered symbols the cooled ones are dropped.
constexpr int RememberedSymbolsBeforeCleanup = 4096;

qint64 SteadyMilliseconds()
{
    static const QElapsedTimer started = [] {
        QElapsedTimer timer;
        timer.start();
        return timer;
    }();
    return started.elapsed();
}

} // namespace

TAlertAlarm::TAlertAlarm(const TSortedSymbolList &exclude)
    : exclude_(exclude)
    , clock_(SteadyMilliseconds)
{
}

void TAlertAlarm::LoadConfiguration(const TIniFile &ini, const QByteArray &section)
{
    sound_ = ini.ReadText(section, "sound", QString());
    notify_ = ini.ReadString(section, "notify", QByteArray()) == "1";
    // A negative cooldown means none: every alert calls out.
    cooldownSeconds_ = std::max(0, ini.ReadInteger(section, "notify cooldown", DefaultCooldownSeconds));
}

void TAlertAlarm::SetClock(TClock clock)
{
    clock_ = clock ? std::move(clock) : TClock(SteadyMilliseconds);
    lastCalled_.clear();
}

bool TAlertAlarm::Admit(const TAlertSummary &alert)
{
    if (muted_ || !Configured() || alert.Symbol.isEmpty() || alert.NoNews
        || exclude_.Contains(DisplayText(alert.Symbol)))
        return false;
    const qint64 now = clock_();
    const qint64 cooldownMs = qint64(cooldownSeconds_) * 1000;
    const auto last = lastCalled_.constFind(alert.Symbol);
    if (last != lastCalled_.cend() && now - *last < cooldownMs)
        return false;
    if (lastCalled_.size() >= RememberedSymbolsBeforeCleanup)
        ForgetCooledSymbols(now);
    lastCalled_.insert(alert.Symbol, now);
    return true;
}

void TAlertAlarm::ForgetCooledSymbols(qint64 now)
{
    const qint64 cooldownMs = qint64(cooldownSeconds_) * 1000;
    for (auto it = lastCalled_.begin(); it != lastCalled_.end();) {
        if (now - *it >= cooldownMs)
            it = lastCalled_.erase(it);
        else
            ++it;
    }
}

#include "client/core/TSymbolCooldown.h"

void TSymbolCooldown::Clear()
{
    cooling_.clear();
    byStart_.clear();
}

bool TSymbolCooldown::Start(const QByteArray &symbol, qint64 now)
{
    ForgetEnded(now);
    if (cooling_.contains({symbol}))
        return false;
    cooling_.insert({symbol});
    byStart_.push_back({now, symbol});
    return true;
}

void TSymbolCooldown::ForgetEnded(qint64 now)
{
    while (!byStart_.empty() && now - byStart_.front().At >= lengthMs_) {
        cooling_.remove({byStart_.front().Symbol});
        byStart_.pop_front();
    }
}

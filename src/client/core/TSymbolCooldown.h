#pragma once

#include "shared/SeededHash.h"

#include <QByteArray>
#include <QSet>

#include <deque>

// The symbols that called out within the last cooldown, each held back until its
// cooldown is over. Cooldowns start in the order of a clock that never goes back and
// all last the same, so they also end in that order: the oldest waits at the front of
// a queue and leaves first. An alert therefore costs the same however many symbols
// were ever seen, and only the symbols still cooling are remembered.
class TSymbolCooldown
{
public:
    void SetLengthMs(qint64 lengthMs) { lengthMs_ = lengthMs; }
    void Clear();

    // True when symbol is not cooling at now (milliseconds); its cooldown then starts.
    bool Start(const QByteArray &symbol, qint64 now);
    // Symbols still cooling as of the last Start.
    int Size() const { return int(cooling_.size()); }

private:
    struct TStarted
    {
        qint64 At;
        QByteArray Symbol;
    };

    void ForgetEnded(qint64 now);

    qint64 lengthMs_ = 0;
    QSet<TBytesKey> cooling_;
    std::deque<TStarted> byStart_;
};

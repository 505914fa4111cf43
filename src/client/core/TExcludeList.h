#pragma once

#include "client/core/TSortedSymbolList.h"

// The symbols whose QuickStrike alerts are dropped: sorted, without duplicates, letter
// case ignored, the form entered first kept. It lives in memory and starts empty on
// every run, unless the trader keeps it between runs.
//
// A symbol holding a control, bidi or invisible character is refused: in the editor,
// one per line, it could read as two entries or pose as another symbol.
class TExcludeList
{
public:
    static bool Accepts(const QString &symbol);
    // False, and the list unchanged, for a symbol it refuses.
    bool Add(const QString &symbol);
    void Remove(const QString &symbol) { symbols_.Remove(symbol); }
    void Clear() { symbols_.Clear(); }
    bool Contains(const QString &symbol) const { return symbols_.Contains(symbol); }

    const QStringList &Items() const { return symbols_.Items(); }
    int Count() const { return symbols_.Count(); }
    // What the alert lists look each QuickStrike alert up in.
    const TSortedSymbolList &Symbols() const { return symbols_; }

private:
    TSortedSymbolList symbols_;
};

#pragma once

#include "client/core/EntryRecords.h"

#include <QString>

// Entries of the price lists, as the grid tests make them.

inline TPointsTopListEntry PointsEntry(const QString &symbol, double last, double change)
{
    TPointsTopListEntry entry;
    entry.Symbol = symbol.toUtf8();
    entry.Last = last;
    entry.Change = change;
    return entry;
}

inline TQuickStrikeEntry QuickStrikeEntry(const QString &symbol, double last, double prevClose,
                                          double divergence = MissingReal(),
                                          const QString &time = QStringLiteral("10:15:00"))
{
    TQuickStrikeEntry entry;
    entry.Symbol = symbol.toUtf8();
    entry.Last = last;
    entry.PrevClose = prevClose;
    entry.Divergence = divergence;
    entry.Time = time.toUtf8();
    return entry;
}

#pragma once

#include "client/ui/grid/NumberFormat.h"
#include "client/ui/grid/TCellText.h"
#include "client/ui/grid/TListGrid.h"

// Columns the price lists share, for any entry with the fields they read.

// A number right-aligned in the format; a missing value (NaN) leaves the cell empty.
template <typename TEntry>
TListColumn<TEntry> NumberColumn(const QString &header, const QString &sample, const QString &format,
                                 std::function<double(const TEntry &)> value)
{
    return {header, sample,
            [format, value](TCellText &text, const TEntry &entry) { text.DrawNumberRight(format, value(entry)); }};
}

// The symbol left-aligned with the count of a folded burst, "×3", right-aligned
// after it; the symbol is cut with "..." so the count always shows.
void DrawSymbolWithBurst(TCellText &text, const QString &symbol, qint32 burst);

// The symbol, left-aligned and cut with "..." to fit; a row that folds a burst of
// alerts shows their count.
template <typename TEntry>
TListColumn<TEntry> SymbolColumn()
{
    return {QStringLiteral("Symbol"), QStringLiteral("Symbol"), [](TCellText &text, const TEntry &entry) {
                if constexpr (THasBurst<TEntry>::value) {
                    if (entry.Burst.Count > 1) {
                        DrawSymbolWithBurst(text, CellTextOf(entry.Symbol), entry.Burst.Count);
                        return;
                    }
                }
                text.DrawTextLeft(text.EllipsizeText(CellTextOf(entry.Symbol)));
            }};
}

template <typename TEntry>
TListColumn<TEntry> LastColumn()
{
    return NumberColumn<TEntry>(QStringLiteral("Last"), WidestNumber(2), QStringLiteral("%f"),
                                [](const TEntry &entry) { return entry.Last; });
}

// The change from the previous close.
template <typename TEntry>
TListColumn<TEntry> ChangeColumn()
{
    return NumberColumn<TEntry>(QStringLiteral("Chg"), WidestNumber(2), QStringLiteral("%f"),
                                [](const TEntry &entry) { return entry.Last - entry.PrevClose; });
}

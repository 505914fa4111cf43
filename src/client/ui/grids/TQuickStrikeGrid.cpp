#include "client/ui/grids/TQuickStrikeGrid.h"

#include "client/ui/grids/PriceColumns.h"

namespace {

using TEntry = TQuickStrikeEntry;

TQuickStrikeGrid::TColumns Columns()
{
    const QString number = WidestNumber(2);
    return {SymbolColumn<TEntry>(), LastColumn<TEntry>(), ChangeColumn<TEntry>(),
            NumberColumn<TEntry>(QStringLiteral("%Chg"), number, QStringLiteral("%f%%"),
                                 [](const TEntry &entry) {
                                     // No percentage of a zero close; a missing price leaves NaN,
                                     // and so an empty cell.
                                     return entry.PrevClose != 0
                                                ? (entry.Last - entry.PrevClose) / entry.PrevClose * 100
                                                : MissingReal();
                                 }),
            NumberColumn<TEntry>(QStringLiteral("Divrg"), number, QStringLiteral("%f"),
                                 [](const TEntry &entry) { return entry.Divergence; }),
            {QStringLiteral("Time"), QStringLiteral("00:00:00"),
             // The server's time text as it came, clipped rather than cut with "...".
             [](TCellText &text, const TEntry &entry) { text.DrawTextLeft(CellTextOf(entry.Time)); }}};
}

} // namespace

TQuickStrikeGrid::TQuickStrikeGrid(QWidget *owner)
    : TListGrid(owner, Columns())
{
    if (owner)
        MeasureWithCanvasFont();
}

TCellColors TQuickStrikeGrid::DataCellColors(int, int row, bool hasEntry) const
{
    // The newest alert stands out with text and background swapped.
    if (hasEntry && row == 1)
        return {TextColor(), clBlack};
    return {Color(), TextColor()};
}

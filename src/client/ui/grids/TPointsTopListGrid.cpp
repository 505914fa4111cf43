#include "client/ui/grids/TPointsTopListGrid.h"

#include "client/ui/grids/PriceColumns.h"

#include <cmath>

namespace {

using TEntry = TPointsTopListEntry;

constexpr int LastCol = 1;
constexpr int ChangeCol = 2;

// A change without a price to go with it is not shown.
double ShownChange(const TEntry &entry)
{
    return std::isnan(entry.Last) ? MissingReal() : entry.Change;
}

TPointsTopListGrid::TColumns Columns()
{
    return {SymbolColumn<TEntry>(), LastColumn<TEntry>(),
            NumberColumn<TEntry>(QStringLiteral("Chg"), WidestNumber(2), QStringLiteral("%f"), ShownChange)};
}

} // namespace

TPointsTopListGrid::TPointsTopListGrid(QWidget *owner)
    : TListGrid(owner, Columns())
    , flasher_(*this)
{
    if (owner)
        MeasureWithCanvasFont();
}

void TPointsTopListGrid::SetEntries(const TPointsList &entries)
{
    TListGrid::SetEntries(entries);
    flasher_.TakeFrom(entries, [](QVector<TCellValue> &shown, const TEntry &entry) {
        shown.append({entry.Symbol, LastCol, entry.Last});
        shown.append({entry.Symbol, ChangeCol, ShownChange(entry)});
    });
}

TCellColors TPointsTopListGrid::DataCellColors(int col, int row, bool hasEntry) const
{
    TCellColors colors = TListGrid::DataCellColors(col, row, hasEntry);
    if (hasEntry)
        colors.Background = flasher_.Background(colors.Background, entries_[row - 1].Symbol, col);
    return colors;
}

#include "client/ui/grids/TPointsTopListGrid.h"

#include "client/ui/grids/PriceColumns.h"

#include <cmath>

namespace {

using TEntry = TPointsTopListEntry;

TPointsTopListGrid::TColumns Columns()
{
    return {SymbolColumn<TEntry>(), LastColumn<TEntry>(),
            NumberColumn<TEntry>(QStringLiteral("Chg"), WidestNumber(2), QStringLiteral("%f"), [](const TEntry &entry) {
                // A change without a price to go with it is not shown.
                return std::isnan(entry.Last) ? MissingReal() : entry.Change;
            })};
}

} // namespace

TPointsTopListGrid::TPointsTopListGrid(QWidget *owner)
    : TListGrid(owner, Columns())
{
    if (owner)
        MeasureWithCanvasFont();
}

#include "client/ui/grids/TPointsTopListGrid.h"

#include "client/ui/grid/NumberFormat.h"
#include "client/ui/grid/TCellText.h"

#include <QStringList>

#include <cmath>

namespace {

const QStringList Headers = {QStringLiteral("Symbol"), QStringLiteral("Last"), QStringLiteral("Chg")};
QStringList Samples()
{
    return {QStringLiteral("Symbol"), WidestNumber(2), WidestNumber(2)};
}

} // namespace

TPointsTopListGrid::TPointsTopListGrid(QWidget *owner)
    : TListGrid(owner, Headers, Samples())
{
    if (owner)
        MeasureWithCanvasFont();
}

void TPointsTopListGrid::DrawDataCell(TCellText &text, int col, int index)
{
    const TPointsTopListEntry &entry = entries_[index];
    switch (col) {
    case 0:
        text.DrawTextLeft(text.EllipsizeText(CellTextOf(entry.Symbol)));
        break;
    case 1:
        text.DrawNumberRight(QStringLiteral("%f"), entry.Last);
        break;
    case 2:
        // A change without a price to go with it is not shown.
        if (!std::isnan(entry.Last))
            text.DrawNumberRight(QStringLiteral("%f"), entry.Change);
        break;
    }
}

#include "client/ui/grids/TQuickStrikeGrid.h"

#include "client/ui/grid/NumberFormat.h"
#include "client/ui/grid/TCellText.h"

#include <QStringList>

namespace {

const QStringList Headers = {QStringLiteral("Symbol"), QStringLiteral("Last"), QStringLiteral("Chg"),
                             QStringLiteral("%Chg"), QStringLiteral("Divrg"), QStringLiteral("Time")};

QStringList Samples()
{
    const QString number = WidestNumber(2);
    return {QStringLiteral("Symbol"), number, number, number, number, QStringLiteral("00:00:00")};
}

} // namespace

TQuickStrikeGrid::TQuickStrikeGrid(QWidget *owner)
    : TListGrid(owner, Headers, Samples())
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

void TQuickStrikeGrid::DrawDataCell(TCellText &text, int col, int index)
{
    const TQuickStrikeEntry &entry = entries_[index];
    switch (col) {
    case 0:
        text.DrawTextLeft(text.EllipsizeText(CellTextOf(entry.Symbol)));
        break;
    case 1:
        text.DrawNumberRight(QStringLiteral("%f"), entry.Last);
        break;
    case 2:
        text.DrawNumberRight(QStringLiteral("%f"), entry.Last - entry.PrevClose);
        break;
    case 3:
        // No percentage of a zero close; a missing price leaves NaN, and so an empty cell.
        if (entry.PrevClose != 0)
            text.DrawNumberRight(QStringLiteral("%f%%"), (entry.Last - entry.PrevClose) / entry.PrevClose * 100);
        break;
    case 4:
        text.DrawNumberRight(QStringLiteral("%f"), entry.Divergence);
        break;
    case 5:
        // The server's time text as it came, clipped rather than cut with "...".
        text.DrawTextLeft(CellTextOf(entry.Time));
        break;
    }
}

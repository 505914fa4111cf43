#include "client/ui/grids/TJFGrid.h"

#include "client/ui/grid/NumberFormat.h"
#include "client/ui/grid/TCellText.h"

#include <QStringList>

#include <cmath>

namespace {

const QStringList Headers = {QStringLiteral("Time"), QStringLiteral("Symbol"), QStringLiteral("%Chg"),
                             QStringLiteral("Volume"), QStringLiteral("RV"), QStringLiteral("BB"),
                             QStringLiteral("#")};
QStringList Samples()
{
    const QString number = WidestNumber(2);
    return {QStringLiteral("00:00"), QStringLiteral("Symbol"), WidestNumber(1), QStringLiteral("100,000,000"),
            number, number, QStringLiteral("10")};
}
constexpr int CountColumn = 6;
// A count from here on lights its cell up.
constexpr int NotableCount = 10;

} // namespace

TJFGrid::TJFGrid(QWidget *owner)
    : TListGrid(owner, Headers, Samples())
{
    if (owner)
        MeasureWithCanvasFont();
}

TCellColors TJFGrid::DataCellColors(int col, int row, bool hasEntry) const
{
    const TJFEntry *entry = hasEntry ? &entries_[row - 1] : nullptr;
    if (entry && col == CountColumn && entry->Count >= NotableCount)
        return {clYellow, clBlack};
    const double rank = entry ? entry->Rank : 0;
    if (rank == 0 || std::isnan(rank))
        return {Color(), TextColor()};
    // Ranked rows are tinted from white towards the window's text colour.
    return {BlendColor(clWhite, TextColor(), rank), clBlack};
}

void TJFGrid::DrawDataCell(TCellText &text, int col, int index)
{
    const TJFEntry &entry = entries_[index];
    switch (col) {
    case 0:
        text.DrawTextRight(text.EllipsizeText(CellTextOf(entry.Time)));
        break;
    case 1:
        text.DrawTextLeft(text.EllipsizeText(CellTextOf(entry.Symbol)));
        break;
    case 2:
        text.DrawNumberRight(QStringLiteral("%.01f"), entry.Change);
        break;
    case 3:
        if (entry.Volume > 0)
            text.DrawTextRight(text.FormatAbbreviated(entry.Volume));
        break;
    case 4:
        text.DrawNumberRight(QStringLiteral("%f"), entry.RV);
        break;
    case 5:
        text.DrawNumberRight(QStringLiteral("%f"), entry.BB);
        break;
    case CountColumn:
        if (entry.Count > 0)
            text.DrawTextRight(text.FormatAbbreviated(entry.Count));
        break;
    }
}

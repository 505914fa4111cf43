#include "client/ui/grids/TBollingerGrid.h"

#include "client/ui/grid/NumberFormat.h"
#include "client/ui/grid/TCellText.h"
#include "client/ui/grid/TQtCanvas.h"

#include <QStringList>

namespace {

const QStringList Headers = {QStringLiteral("Symbol"), QStringLiteral("Last"), QStringLiteral("Chg")};
QStringList Samples()
{
    const QString number = WidestNumber(2);
    return {QStringLiteral("Symbol"), number, number, number};
}
constexpr int ExtraCaptionColumn = 3;

constexpr TColor RisingColor = RGB(100, 255, 100);
constexpr TColor FallingColor = RGB(255, 75, 75);

TColor SignColor(double value)
{
    if (value > 0)
        return RisingColor;
    if (value < 0)
        return FallingColor;
    return clWhite;
}

} // namespace

TBollingerGrid::TBollingerGrid(QWidget *owner)
    : TListGrid(owner, Headers, Samples())
    , extraCaption_(QStringLiteral("BBand"))
{
    if (owner)
        MeasureWithCanvasFont();
}

void TBollingerGrid::SetExtraCaption(const QString &caption)
{
    extraCaption_ = caption;
    InvalidateCell(ExtraCaptionColumn, 0);
    // The column fits its caption as it fits its numbers, once the grid has a font.
    if (parentWidget()) {
        const TQtTextMetrics metrics(CanvasFont(), viewport());
        MeasureColumn(metrics, ExtraCaptionColumn, SampleText(ExtraCaptionColumn));
    }
}

QString TBollingerGrid::HeaderText(int col) const
{
    return col == ExtraCaptionColumn ? extraCaption_ : TListGrid::HeaderText(col);
}

TCellColors TBollingerGrid::DataCellColors(int col, int row, bool hasEntry) const
{
    if (!hasEntry)
        return {Color(), clWhite};
    const TBollingerEntry &entry = entries_[row - 1];
    switch (col) {
    case 1:
        return {Color(), SignColor(entry.Last)};
    case 2:
        return {Color(), SignColor(entry.Last - entry.PrevClose)};
    case ExtraCaptionColumn:
        return {Color(), SignColor(entry.DistFromBB)};
    default:
        return {Color(), clWhite};
    }
}

void TBollingerGrid::DrawDataCell(TCellText &text, int col, int index)
{
    const TBollingerEntry &entry = entries_[index];
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
    case ExtraCaptionColumn:
        text.DrawNumberRight(QStringLiteral("%f"), entry.DistFromBB);
        break;
    }
}

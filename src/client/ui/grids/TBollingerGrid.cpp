#include "client/ui/grids/TBollingerGrid.h"

#include "client/ui/grid/TQtCanvas.h"
#include "client/ui/grids/PriceColumns.h"

namespace {

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

TBollingerGrid::TColumns Columns()
{
    // The distance's caption is the grid's to set.
    return {SymbolColumn<TBollingerEntry>(), LastColumn<TBollingerEntry>(), ChangeColumn<TBollingerEntry>(),
            NumberColumn<TBollingerEntry>(QString(), WidestNumber(2), QStringLiteral("%f"),
                                          [](const TBollingerEntry &entry) { return entry.DistFromBB; })};
}

} // namespace

TBollingerGrid::TBollingerGrid(QWidget *owner)
    : TListGrid(owner, Columns())
    , extraCaption_(QStringLiteral("BBand"))
{
    if (owner)
        MeasureWithCanvasFont();
}

void TBollingerGrid::SetExtraCaption(const QString &caption)
{
    extraCaption_ = caption;
    Invalidate();
    // The column fits its caption as it fits its numbers, once the grid has a font.
    if (parentWidget()) {
        const TQtTextMetrics metrics(CanvasFont(), viewport());
        MeasureKindColumn(metrics, ExtraCaptionColumn, SampleText(ExtraCaptionColumn));
    }
}

QString TBollingerGrid::HeaderText(int kindColumn) const
{
    return kindColumn == ExtraCaptionColumn ? extraCaption_ : TListGrid::HeaderText(kindColumn);
}

TCellColors TBollingerGrid::DataCellColors(int kindColumn, int row, bool hasEntry) const
{
    if (!hasEntry)
        return {Color(), clWhite};
    const TBollingerEntry &entry = entries_[row - 1];
    switch (kindColumn) {
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

#include "client/ui/grids/TBollingerGrid.h"

#include "client/ui/grid/TQtCanvas.h"
#include "client/ui/grids/PriceColumns.h"

namespace {

constexpr int LastCol = 1;
constexpr int ChangeCol = 2;
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
    , flasher_(*this)
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

void TBollingerGrid::SetEntries(const TBollingerList &entries)
{
    TListGrid::SetEntries(entries);
    flasher_.TakeFrom(entries, [](QVector<TCellValue> &shown, const TBollingerEntry &entry) {
        shown.append({entry.Symbol, LastCol, entry.Last});
        shown.append({entry.Symbol, ChangeCol, entry.Last - entry.PrevClose});
        shown.append({entry.Symbol, ExtraCaptionColumn, entry.DistFromBB});
    });
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
    const TColor background = flasher_.Background(Color(), entry.Symbol, kindColumn);
    switch (kindColumn) {
    case LastCol:
        return {background, SignColor(entry.Last)};
    case ChangeCol:
        return {background, SignColor(entry.Last - entry.PrevClose)};
    case ExtraCaptionColumn:
        return {background, SignColor(entry.DistFromBB)};
    default:
        return {background, clWhite};
    }
}

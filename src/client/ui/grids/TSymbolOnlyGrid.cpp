#include "client/ui/grids/TSymbolOnlyGrid.h"

#include "client/ui/grid/TCanvas.h"
#include "client/ui/grid/TCellText.h"

#include <algorithm>

namespace {

const QString Caption = QStringLiteral("Symbol");
constexpr int InitialColumns = 6;

} // namespace

TSymbolOnlyGrid::TSymbolOnlyGrid(QWidget *owner)
    : TGridFrame(owner, InitialColumns)
{
    // The matrix always fits the window, so there is nothing to scroll to and
    // no column to resize.
    SetColumnSizing(false);
    SetScrollBars(TGridScrollBars::sbNone);
    // Each cell holds a symbol of its own, and is selected on its own.
    SetRowSelect(false);
    if (owner)
        MeasureWithCanvasFont();
}

void TSymbolOnlyGrid::Measure(const TTextMetrics &metrics)
{
    SetDefaultRowHeight(metrics.TextHeight(QStringLiteral("Xy()")) + 4);
    SetDefaultColWidth(MeasuredWidth(metrics, Caption));
    Relayout(true);
}

void TSymbolOnlyGrid::Relayout(bool force)
{
    const int oldCols = ColCount();
    const int oldRows = RowCount();
    // Only whole cells are made; the strip left over shows the background.
    SetColCount(std::max(FixedCols() + 1, width() / std::max(1, DefaultColWidth())));
    SetRowCount(std::max(FixedRows() + 1, height() / DefaultRowHeight()));
    if (!force && ColCount() == oldCols && RowCount() == oldRows)
        return;
    // The newest entries that fit are laid out afresh, oldest in slot 0.
    headSlot_ = std::min(int(entries_.size()), Capacity()) - 1;
    Invalidate();
}

bool TSymbolOnlyGrid::CellToEntry(int col, int row, int &index) const
{
    // Slots run down each column, then on to the next; the newest entry sits
    // in HeadSlot and older ones backwards around the ring.
    const int slot = (row - 1) + (RowCount() - 1) * col;
    index = headSlot_ - slot;
    if (index < 0)
        index += Capacity();
    return row >= 1 && index >= 0 && index < int(entries_.size());
}

void TSymbolOnlyGrid::SetEntries(const TQuickStrikeList &entries)
{
    if (entries.isEmpty()) {
        entries_.clear();
        Relayout(true);
        return;
    }
    if (!laidOut_) {
        Relayout(true);
        laidOut_ = true;
    }
    entries_ = entries;
    headSlot_ = (headSlot_ + 1) % Capacity();
    Invalidate();
}

bool TSymbolOnlyGrid::SameClickTarget(int col1, int row1, int col2, int row2) const
{
    return col1 == col2 && row1 == row2;
}

QString TSymbolOnlyGrid::HeaderText(int) const
{
    return Caption;
}

QString TSymbolOnlyGrid::SampleText(int) const
{
    return Caption;
}

TCellColors TSymbolOnlyGrid::DataCellColors(int col, int row, bool hasEntry) const
{
    int index;
    if (hasEntry && CellToEntry(col, row, index) && index == 0)
        return {TextColor(), clBlack};
    return {Color(), TextColor()};
}

void TSymbolOnlyGrid::DrawDataCell(TCellText &text, int, int index)
{
    text.DrawTextLeft(text.EllipsizeText(CellTextOf(entries_[index].Symbol)));
}

void TSymbolOnlyGrid::Resized()
{
    Relayout(false);
    TGridFrame::Resized();
}

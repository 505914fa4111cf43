#pragma once

#include "client/core/EntryRecords.h"
#include "client/ui/grid/TGridFrame.h"

// A matrix of equal cells showing symbols only. Each new symbol takes the slot
// after the previous newest, down a column and then on to the next, wrapping
// around; the newest is drawn inverted. The matrix follows the widget's size.
class TSymbolOnlyGrid : public TGridFrame
{
public:
    explicit TSymbolOnlyGrid(QWidget *owner);

    // Expects exactly one new entry at the front of the list since the last
    // call; an empty list clears the matrix.
    void SetEntries(const TQuickStrikeList &entries);
    const TQuickStrikeList &Entries() const { return entries_; }

    // Fits the matrix to the widget; when forced or when it changed, lays the
    // shown entries out afresh, oldest first from slot 0.
    void Relayout(bool force);
    // The entry a cell shows: valid when it holds one.
    bool CellToEntry(int col, int row, int &index) const;
    int HeadSlot() const { return headSlot_; }
    int Capacity() const { return (RowCount() - 1) * ColCount(); }

    void Measure(const TTextMetrics &metrics) override;

protected:
    QString HeaderText(int col) const override;
    QString SampleText(int col) const override;
    int EntryCount() const override { return int(entries_.size()); }
    QByteArray EntrySymbol(int index) const override { return entries_[index].Symbol; }
    bool CellEntry(int col, int row, int &index) const override { return CellToEntry(col, row, index); }
    std::optional<TLinkGap> GapAt(int index) const override
    {
        if (entries_[index].IsGapMarker())
            return entries_[index].Gap();
        return std::nullopt;
    }
    // A marker takes one cell of the matrix like a symbol.
    bool GapSpansRow() const override { return false; }
    // Every cell holds a symbol of its own.
    bool SameClickTarget(int col1, int row1, int col2, int row2) const override;
    TCellColors DataCellColors(int col, int row, bool hasEntry) const override;
    void DrawDataCell(TCellText &text, int col, int index) override;
    void Resized() override;

private:
    int headSlot_ = -1;
    TQuickStrikeList entries_;
    bool laidOut_ = false;
};

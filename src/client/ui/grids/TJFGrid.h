#pragma once

#include "client/core/EntryRecords.h"
#include "client/ui/grid/TListGrid.h"

// Alerts newest first: time, symbol, change, volume, relative volume, band
// value and count. Rows are tinted by rank, a count of ten or more lights up,
// and the grid re-measures itself whenever its font changes.
class TJFGrid : public TListGrid<TJFEntries>
{
public:
    explicit TJFGrid(QWidget *owner);

    // Canvas font from the widget's font, row height, every column width, repaint.
    void MeasureAll();

protected:
    TCellColors DataCellColors(int col, int row, bool hasEntry) const override;
    void DrawDataCell(TCellText &text, int col, int index) override;
    void FontChanged() override;
};

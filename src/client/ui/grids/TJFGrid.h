#pragma once

#include "client/core/EntryRecords.h"
#include "client/ui/grid/TListGrid.h"

// Alerts newest first: time, symbol, change, volume, relative volume, band
// value and count. Rows are tinted by rank and a count of ten or more lights up.
class TJFGrid : public TListGrid<TJFList>
{
public:
    explicit TJFGrid(QWidget *owner);

protected:
    TCellColors DataCellColors(int kindColumn, int row, bool hasEntry) const override;
};

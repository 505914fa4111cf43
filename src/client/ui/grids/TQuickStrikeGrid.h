#pragma once

#include "client/core/EntryRecords.h"
#include "client/ui/grid/TListGrid.h"

// Alerts newest first: symbol, last, change, percent change, divergence and
// time, with the newest row drawn inverted.
class TQuickStrikeGrid : public TListGrid<TQuickStrikeList>
{
public:
    explicit TQuickStrikeGrid(QWidget *owner);

protected:
    TCellColors DataCellColors(int col, int row, bool hasEntry) const override;
};

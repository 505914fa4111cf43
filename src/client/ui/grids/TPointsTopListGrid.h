#pragma once

#include "client/core/EntryRecords.h"
#include "client/ui/grid/TListGrid.h"
#include "client/ui/grids/TChangeFlasher.h"

// A plain list of symbol, last price and change. Shown as a top list, a changed
// price or change flashes (see TChangeFlasher).
class TPointsTopListGrid : public TListGrid<TPointsList>
{
public:
    explicit TPointsTopListGrid(QWidget *owner);

    void SetEntries(const TPointsList &entries);
    TChangeFlasher &Flasher() { return flasher_; }

protected:
    TCellColors DataCellColors(int col, int row, bool hasEntry) const override;

private:
    TChangeFlasher flasher_;
};

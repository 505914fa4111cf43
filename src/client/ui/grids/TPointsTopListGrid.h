#pragma once

#include "client/core/EntryRecords.h"
#include "client/ui/grid/TListGrid.h"

// A plain list of symbol, last price and change.
class TPointsTopListGrid : public TListGrid<TPointsList>
{
public:
    explicit TPointsTopListGrid(QWidget *owner);

};

#pragma once

#include "client/core/EntryRecords.h"
#include "client/ui/grid/TListGrid.h"

// A plain list of symbol, last price and change.
class TPointsTopListGrid : public TListGrid<TPointsTopListEntries>
{
public:
    explicit TPointsTopListGrid(QWidget *owner);

protected:
    QString HeaderText(int col) const override;
    QString SampleText(int col) const override;
    void DrawDataCell(TCellText &text, int col, int index) override;
};

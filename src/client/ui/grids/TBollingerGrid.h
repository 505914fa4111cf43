#pragma once

#include "client/core/EntryRecords.h"
#include "client/ui/grid/TListGrid.h"
#include "client/ui/grids/TChangeFlasher.h"

// Symbols near their Bollinger bands: last, change and distance from the band,
// each number coloured by its sign. The fourth column's caption is settable. A
// changed number flashes (see TChangeFlasher).
class TBollingerGrid : public TListGrid<TBollingerList>
{
public:
    explicit TBollingerGrid(QWidget *owner);

    QString ExtraCaption() const { return extraCaption_; }
    // Repaints only the caption's header cell, and widens the column for it in a
    // grid that has its font.
    void SetExtraCaption(const QString &caption);

    void SetEntries(const TBollingerList &entries);
    TChangeFlasher &Flasher() { return flasher_; }

protected:
    QString HeaderText(int kindColumn) const override;
    TCellColors DataCellColors(int kindColumn, int row, bool hasEntry) const override;

private:
    QString extraCaption_;
    TChangeFlasher flasher_;
};

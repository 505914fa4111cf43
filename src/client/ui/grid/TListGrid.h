#pragma once

#include "client/ui/grid/TGridFrame.h"

#include <algorithm>

// A grid that shows a list of entries, entries[0] in row 1 under the header.
template <typename TEntries>
class TListGrid : public TGridFrame
{
public:
    using TGridFrame::TGridFrame;

    // Keeps a private copy, so later changes to the caller's list do not reach
    // the grid before the next call; an empty list still shows one empty row.
    void SetEntries(const TEntries &entries)
    {
        entries_ = entries;
        SetRowCount(std::max(1, int(entries_.size())) + 1);
        Invalidate();
    }
    const TEntries &Entries() const { return entries_; }

protected:
    int EntryCount() const override { return int(entries_.size()); }
    QString EntrySymbol(int index) const override { return entries_[index].Symbol; }

    TEntries entries_;
};

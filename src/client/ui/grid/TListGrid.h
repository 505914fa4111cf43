#pragma once

#include "client/core/EntryRecords.h"
#include "client/ui/grid/TCellText.h"
#include "client/ui/grid/TGridFrame.h"

#include <QVector>

#include <algorithm>
#include <functional>
#include <numeric>
#include <type_traits>
#include <utility>

template <typename TList, typename = void>
struct THasAddedCount : std::false_type
{
};
template <typename TList>
struct THasAddedCount<TList, std::void_t<decltype(std::declval<TList>().AddedCount())>> : std::true_type
{
};

// One column of a list grid: its caption, the sample text it is measured from, and
// how a data cell draws its entry.
template <typename TEntry>
struct TListColumn
{
    QString Header;
    QString Sample;
    std::function<void(TCellText &text, const TEntry &entry)> Draw;
};

// A grid that shows a list of entries, entries[0] in row 1 under the header, one
// column per TListColumn.
template <typename TEntries>
class TListGrid : public TGridFrame
{
public:
    using TEntry = std::decay_t<decltype(std::declval<const TEntries &>()[0])>;
    using TColumns = QVector<TListColumn<TEntry>>;

    // Every column is shown until the user chooses, in the table's order.
    TListGrid(QWidget *owner, TColumns columns)
        : TGridFrame(owner, int(columns.size())), columns_(std::move(columns))
    {
        QVector<int> all(columns_.size());
        std::iota(all.begin(), all.end(), 0);
        OfferColumns(TColumnLayout(int(columns_.size()), all));
    }

    // Keeps its own copy, so later changes to the caller's list do not reach the
    // grid before the next call; a newest-first list's copy is a snapshot that
    // shares the entries. An empty list still shows one empty row.
    void SetEntries(const TEntries &entries)
    {
        const qint64 arrived = ArrivedOnTop(entries);
        entries_ = entries;
        SetRowCount(std::max(1, int(entries_.size())) + 1);
        if (arrived > 0)
            EntriesArrivedOnTop(int(std::min<qint64>(arrived, entries_.size())));
        else
            FollowSelectedSymbol();
        Invalidate();
    }
    const TEntries &Entries() const { return entries_; }

protected:
    QString HeaderText(int kindColumn) const override { return columns_.value(kindColumn).Header; }
    QString SampleText(int kindColumn) const override { return columns_.value(kindColumn).Sample; }
    int EntryCount() const override { return int(entries_.size()); }
    QByteArray EntrySymbol(int index) const override { return entries_[index].Symbol; }
    std::optional<TLinkGap> GapAt(int index) const override
    {
        using TEntry = std::decay_t<decltype(entries_[index])>;
        if constexpr (THasLinkGap<TEntry>::value) {
            if (entries_[index].IsGapMarker())
                return entries_[index].Gap();
        }
        return std::nullopt;
    }
    void DrawDataCell(TCellText &text, int kindColumn, int index) override
    {
        columns_[kindColumn].Draw(text, entries_[index]);
    }

    TEntries entries_;

private:
    // How many entries a later snapshot of the list on screen holds on top of it; 0
    // for a list that is not newest first, or not a later snapshot of this one.
    qint64 ArrivedOnTop(const TEntries &entries) const
    {
        if constexpr (THasAddedCount<TEntries>::value)
            return std::max<qint64>(0, entries.AddedCount() - entries_.AddedCount());
        return 0;
    }

    TColumns columns_;
};

#pragma once

#include "client/core/EntryRecords.h"
#include "client/ui/grid/TGridFrame.h"

#include <QStringList>

#include <algorithm>
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

// A grid that shows a list of entries, entries[0] in row 1 under the header, with one
// column per sample text and the header captions given (a column past them has none).
template <typename TEntries>
class TListGrid : public TGridFrame
{
public:
    TListGrid(QWidget *owner, QStringList headers, QStringList samples)
        : TGridFrame(owner, int(samples.size())), headers_(std::move(headers)), samples_(std::move(samples))
    {
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
    QString HeaderText(int col) const override { return headers_.value(col); }
    QString SampleText(int col) const override { return samples_.value(col); }
    int EntryCount() const override { return int(entries_.size()); }
    QByteArray EntrySymbol(int index) const override { return entries_[index].Symbol; }
    const TLinkGap *GapAt(int index) const override
    {
        using TEntry = std::decay_t<decltype(entries_[index])>;
        if constexpr (THasLinkGap<TEntry>::value)
            return entries_[index].Gap.IsMarker() ? &entries_[index].Gap : nullptr;
        return nullptr;
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

    QStringList headers_;
    QStringList samples_;
};

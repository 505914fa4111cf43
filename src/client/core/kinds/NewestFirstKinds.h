#pragma once

#include "client/core/EntryRecords.h"
#include "client/core/kinds/TAlertKind.h"

class TSortedSymbolList;

// The kinds whose every alert adds one row on top of the list, where a link gap's
// marker row goes too.
template <typename Entry>
class TNewestFirstKind : public TAlertKind
{
public:
    // The list a newest-first grid shows; copies are cheap snapshots.
    const TNewestFirstList<Entry> &Entries() const { return entries_; }

    bool AddGapMarker(const TLinkGap &gap) override
    {
        Entry marker;
        marker.Gap = gap;
        Insert(std::move(marker));
        return true;
    }

    int RowCount() const override { return entries_.size(); }

protected:
    // limit: the longest list, the oldest row falling off beyond it; NoLimit for none.
    explicit TNewestFirstKind(int limit) : limit_(limit) {}

    static constexpr int NoLimit = -1;
    static constexpr int DefaultLimit = 1000;

    void Insert(Entry entry)
    {
        while (limit_ != NoLimit && entries_.size() >= limit_)
            entries_.removeLast();
        entries_.prepend(std::move(entry));
    }

    // Clear Window for the kinds that have it.
    bool Clear()
    {
        if (entries_.isEmpty())
            return false;
        entries_.clear();
        return true;
    }

private:
    const int limit_;
    TNewestFirstList<Entry> entries_;
};

// The default kind: one row per alert, unless its symbol is on the exclude list.
class TQuickStrikeKind : public TNewestFirstKind<TQuickStrikeEntry>
{
public:
    // exclude must outlive the kind.
    explicit TQuickStrikeKind(const TSortedSymbolList &exclude);

    bool TakeAlert(const TFieldReader &fields) override;
    bool HasClearWindow() const override { return true; }
    bool ClearWindow() override { return Clear(); }
    bool UsesExcludeList() const override { return true; }

private:
    const TSortedSymbolList &exclude_;
};

// One row per alert, shown by its symbol only ("symbol").
class TSymbolOnlyKind : public TNewestFirstKind<TQuickStrikeEntry>
{
public:
    TSymbolOnlyKind() : TNewestFirstKind(DefaultLimit) {}

    bool TakeAlert(const TFieldReader &fields) override;
    bool HasClearWindow() const override { return true; }
    bool ClearWindow() override { return Clear(); }
};

// One row of symbol, last and change per alert ("simplelist").
class TSimpleListKind : public TNewestFirstKind<TPointsTopListEntry>
{
public:
    TSimpleListKind() : TNewestFirstKind(DefaultLimit) {}

    bool TakeAlert(const TFieldReader &fields) override;
    bool HasClearWindow() const override { return true; }
    bool ClearWindow() override { return Clear(); }
};

// One JF row per alert, kept without a limit ("jf-simplelist").
class TJFListKind : public TNewestFirstKind<TJFEntry>
{
public:
    TJFListKind() : TNewestFirstKind(NoLimit) {}

    bool TakeAlert(const TFieldReader &fields) override;
};

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

    bool TakeAlert(const TFieldReader &fields) override
    {
        Entry entry = EntryFrom(fields);
        if (!Admits(entry))
            return false;
        Insert(std::move(entry));
        return true;
    }

    bool AddGapMarker(const TLinkGap &gap) override
    {
        Entry marker;
        marker.Gap = gap;
        Insert(std::move(marker));
        return true;
    }

    bool HasClearWindow() const override { return hasClearWindow_; }
    bool ClearWindow() override
    {
        if (!hasClearWindow_ || entries_.isEmpty())
            return false;
        entries_.clear();
        return true;
    }

    int RowCount() const override { return entries_.size(); }

protected:
    static constexpr int NoLimit = -1;
    static constexpr int DefaultLimit = 1000;

    // limit: the longest list, the oldest row falling off beyond it; NoLimit for none.
    TNewestFirstKind(int limit, bool hasClearWindow) : limit_(limit), hasClearWindow_(hasClearWindow) {}

    virtual Entry EntryFrom(const TFieldReader &fields) const = 0;
    // Whether the alert's row joins the list.
    virtual bool Admits(const Entry & /*entry*/) const { return true; }

private:
    void Insert(Entry entry)
    {
        while (limit_ != NoLimit && entries_.size() >= limit_)
            entries_.removeLast();
        entries_.prepend(std::move(entry));
    }

    const int limit_;
    const bool hasClearWindow_;
    TNewestFirstList<Entry> entries_;
};

// The default kind: one row per alert, unless its symbol is on the exclude list.
class TQuickStrikeKind : public TNewestFirstKind<TQuickStrikeEntry>
{
public:
    // exclude must outlive the kind.
    explicit TQuickStrikeKind(const TSortedSymbolList &exclude);

    bool UsesExcludeList() const override { return true; }

protected:
    TQuickStrikeEntry EntryFrom(const TFieldReader &fields) const override;
    bool Admits(const TQuickStrikeEntry &entry) const override;

private:
    const TSortedSymbolList &exclude_;
};

// One row per alert, shown by its symbol only ("symbol").
class TSymbolOnlyKind : public TNewestFirstKind<TQuickStrikeEntry>
{
public:
    TSymbolOnlyKind() : TNewestFirstKind(DefaultLimit, true) {}

protected:
    TQuickStrikeEntry EntryFrom(const TFieldReader &fields) const override;
};

// One row of symbol, last and change per alert ("simplelist").
class TSimpleListKind : public TNewestFirstKind<TPointsTopListEntry>
{
public:
    TSimpleListKind() : TNewestFirstKind(DefaultLimit, true) {}

protected:
    TPointsTopListEntry EntryFrom(const TFieldReader &fields) const override;
};

// One JF row per alert, kept without a limit and never cleared ("jf-simplelist").
class TJFListKind : public TNewestFirstKind<TJFEntry>
{
public:
    TJFListKind() : TNewestFirstKind(NoLimit, false) {}

protected:
    TJFEntry EntryFrom(const TFieldReader &fields) const override;
};

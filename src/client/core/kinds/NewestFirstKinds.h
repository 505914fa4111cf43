#pragma once

#include "client/core/EntryRecords.h"
#include "client/core/kinds/TAlertKind.h"
#include "client/core/kinds/TRecentArrivals.h"

#include <algorithm>

class TSortedSymbolList;

// The kinds whose every alert adds one row on top of the list, where a link gap's
// marker row goes too. Folding bursts, an alert of a symbol whose newest row came
// within the fold window takes that row's place on top instead, counting one more in
// its burst: the newest figures show, and the row counts once towards the limit.
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
        const TSteadyMs now = SteadyTickMs();
        if (foldMs_ > 0)
            FoldInto(entry, now);
        Insert(std::move(entry), now);
        return true;
    }

    bool AddGapMarker(const TLinkGap &gap) override
    {
        Insert(Entry::GapMarker(gap), SteadyTickMs());
        return true;
    }

    bool HasClearWindow() const override { return hasClearWindow_; }
    bool ClearWindow() override
    {
        if (!hasClearWindow_ || entries_.isEmpty())
            return false;
        entries_.clear();
        arrivals_.Clear();
        return true;
    }

    int RowCount() const override { return entries_.size(); }

    bool CanFoldBursts() const override { return true; }
    void SetFoldSeconds(int seconds) override { foldMs_ = TSteadyMs(std::max(0, seconds)) * 1000; }

protected:
    static constexpr int NoLimit = -1;
    static constexpr int DefaultLimit = 1000;

    // limit: the longest list, the oldest row falling off beyond it; NoLimit for none.
    TNewestFirstKind(int limit, bool hasClearWindow) : limit_(limit), hasClearWindow_(hasClearWindow) {}

    virtual Entry EntryFrom(const TFieldReader &fields) const = 0;
    // Whether the alert's row joins the list.
    virtual bool Admits(const Entry & /*entry*/) const { return true; }

private:
    // Whatever the fold, the arrivals of this long are kept: the longest fold on the
    // menu, so that turning folding on folds the alerts of the moments before.
    static constexpr TSteadyMs ArrivalsKeptMs = 30000;

    // Takes the symbol's row out of the list when it came within the fold window, and
    // counts its alerts into entry's burst.
    void FoldInto(Entry &entry, TSteadyMs now)
    {
        // Rows are newest first by their last alert: only the first few came within
        // the window.
        const qsizetype recent = arrivals_.CountSince(now - foldMs_);
        for (qsizetype i = 0; i < recent; ++i) {
            const Entry &row = entries_[i];
            if (row.IsGapMarker())
                continue;
            if (row.Symbol == entry.Symbol) {
                entry.Burst.Count = row.Burst.Count + 1;
                entries_.removeAt(i);
                arrivals_.Remove(i);
                return;
            }
        }
    }

    void Insert(Entry entry, TSteadyMs now)
    {
        while (limit_ != NoLimit && entries_.size() >= limit_)
            entries_.removeLast();
        entries_.prepend(std::move(entry));
        arrivals_.Add(now);
        arrivals_.Forget(now - std::max(foldMs_, ArrivalsKeptMs), entries_.size());
    }

    const int limit_;
    const bool hasClearWindow_;
    TSteadyMs foldMs_ = 0;
    TNewestFirstList<Entry> entries_;
    TRecentArrivals arrivals_;
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

    // The matrix has no room for a burst's count.
    bool CanFoldBursts() const override { return false; }

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

#pragma once

#include "client/core/EntryRecords.h"
#include "client/core/kinds/TAlertKind.h"

// The kinds whose every alert carries a whole ranked list ("symbol0", "symbol1", ...)
// that replaces the one shown. A call-out names the top row.
class TRankedListKind : public TAlertKind
{
public:
    TAlertSummary Summarize(const TFieldReader &fields) const override;
};

// Up to the first row without symbol, last or change ("pointslist").
class TPointsListKind : public TRankedListKind
{
public:
    bool TakeAlert(const TFieldReader &fields) override;
    int RowCount() const override { return entries_.size(); }
    const TPointsList &Entries() const { return entries_; }

private:
    TPointsList entries_;
};

// The full top list, up to the first row without a symbol ("smb").
class TFullTopListKind : public TRankedListKind
{
public:
    bool TakeAlert(const TFieldReader &fields) override;
    int RowCount() const override { return entries_.size(); }
    const TSmbTopListEntries &Entries() const { return entries_; }

private:
    TSmbTopListEntries entries_;
};

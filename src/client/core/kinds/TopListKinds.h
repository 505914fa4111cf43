#pragma once

#include "client/core/EntryRecords.h"
#include "client/core/kinds/TAlertKind.h"

// The kinds whose every alert carries a whole ranked list ("symbol0", "symbol1", ...)
// that replaces the one shown. A call-out names the top row.
template <typename TRows>
class TRankedListKind : public TAlertKind
{
public:
    TAlertSummary Summarize(const TFieldReader &fields) const override { return SummarizeRow(fields, "0"); }
    int RowCount() const override { return entries_.size(); }
    const TRows &Entries() const { return entries_; }

protected:
    TRows entries_;
};

// Up to the first row without symbol, last or change ("pointslist").
class TPointsListKind : public TRankedListKind<TPointsList>
{
public:
    bool TakeAlert(const TFieldReader &fields) override;
};

// The full top list, up to the first row without a symbol ("smb").
class TFullTopListKind : public TRankedListKind<TSmbTopListEntries>
{
public:
    bool TakeAlert(const TFieldReader &fields) override;
};

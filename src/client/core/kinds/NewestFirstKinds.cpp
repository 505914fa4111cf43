#include "client/core/kinds/NewestFirstKinds.h"

#include "client/core/AlertParsing.h"
#include "client/core/TSortedSymbolList.h"
#include "shared/DisplayText.h"

namespace {

// The row of a QuickStrike alert, which a symbol-only window keeps as well.
TQuickStrikeEntry QuickStrikeEntryFrom(const TFieldReader &fields)
{
    TQuickStrikeEntry entry;
    entry.Symbol = fields.TextView("symbol");
    entry.Last = fields.Real("last");
    entry.PrevClose = fields.Real("prev_close");
    entry.Divergence = fields.Real("sma_divergence");
    entry.Time = fields.TextView("time");
    return entry;
}

} // namespace

TQuickStrikeKind::TQuickStrikeKind(const TSortedSymbolList &exclude)
    : TNewestFirstKind(DefaultLimit, true)
    , exclude_(exclude)
{
}

TQuickStrikeEntry TQuickStrikeKind::EntryFrom(const TFieldReader &fields) const
{
    return QuickStrikeEntryFrom(fields);
}

bool TQuickStrikeKind::Admits(const TQuickStrikeEntry &entry) const
{
    // Most desks exclude nothing: no symbol need be decoded for them.
    return exclude_.Count() == 0 || !exclude_.Contains(DisplayText(entry.Symbol));
}

TQuickStrikeEntry TSymbolOnlyKind::EntryFrom(const TFieldReader &fields) const
{
    return QuickStrikeEntryFrom(fields);
}

TPointsTopListEntry TSimpleListKind::EntryFrom(const TFieldReader &fields) const
{
    TPointsTopListEntry entry;
    entry.Symbol = fields.TextView("symbol");
    entry.Last = fields.Real("last");
    entry.Change = fields.Real("change");
    return entry;
}

TJFEntry TJFListKind::EntryFrom(const TFieldReader &fields) const
{
    TJFEntry entry;
    entry.Time = fields.TextView("time");
    entry.Symbol = fields.TextView("symbol");
    entry.Change = fields.Real("change");
    entry.Count = fields.Integer("count");
    entry.Volume = fields.Integer("volume");
    entry.BB = fields.Real("bb");
    entry.Rank = fields.Real("rank", 0);
    entry.RV = fields.Real("rv");
    return entry;
}

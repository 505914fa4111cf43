#include "client/core/kinds/NewestFirstKinds.h"

#include "client/core/AlertParsing.h"
#include "client/core/TSortedSymbolList.h"
#include "shared/DisplayText.h"

namespace {

const TFieldName SymbolKey("symbol");
const TFieldName TimeKey("time");
const TFieldName LastKey("last");
const TFieldName PrevCloseKey("prev_close");
const TFieldName DivergenceKey("sma_divergence");
const TFieldName ChangeKey("change");
const TFieldName CountKey("count");
const TFieldName VolumeKey("volume");
const TFieldName BBKey("bb");
const TFieldName RankKey("rank");
const TFieldName RVKey("rv");

// The row of a QuickStrike alert, which a symbol-only window keeps as well.
TQuickStrikeEntry QuickStrikeEntryFrom(const TFieldReader &fields)
{
    TQuickStrikeEntry entry;
    entry.Symbol = fields.TextView(SymbolKey);
    entry.Last = fields.Real(LastKey);
    entry.PrevClose = fields.Real(PrevCloseKey);
    entry.Divergence = fields.Real(DivergenceKey);
    entry.Time = fields.TextView(TimeKey);
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
    entry.Symbol = fields.TextView(SymbolKey);
    entry.Last = fields.Real(LastKey);
    entry.Change = fields.Real(ChangeKey);
    return entry;
}

TJFEntry TJFListKind::EntryFrom(const TFieldReader &fields) const
{
    TJFEntry entry;
    entry.Time = fields.TextView(TimeKey);
    entry.Symbol = fields.TextView(SymbolKey);
    entry.Change = fields.Real(ChangeKey);
    entry.Count = fields.Integer(CountKey);
    entry.Volume = fields.Integer(VolumeKey);
    entry.BB = fields.Real(BBKey);
    entry.Rank = fields.Real(RankKey, 0);
    entry.RV = fields.Real(RVKey);
    return entry;
}

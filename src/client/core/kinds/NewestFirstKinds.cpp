#include "client/core/kinds/NewestFirstKinds.h"

#include "client/core/AlertParsing.h"
#include "client/core/TSortedSymbolList.h"
#include "shared/DisplayText.h"

namespace {

TQuickStrikeEntry QuickStrikeEntryFrom(const TFieldReader &fields)
{
    TQuickStrikeEntry entry;
    entry.Symbol = fields.Text("symbol");
    entry.Last = fields.Real("last");
    entry.PrevClose = fields.Real("prev_close");
    entry.Divergence = fields.Real("sma_divergence");
    entry.Time = fields.Text("time");
    return entry;
}

} // namespace

TQuickStrikeKind::TQuickStrikeKind(const TSortedSymbolList &exclude)
    : TNewestFirstKind(DefaultLimit)
    , exclude_(exclude)
{
}

bool TQuickStrikeKind::TakeAlert(const TFieldReader &fields)
{
    TQuickStrikeEntry entry = QuickStrikeEntryFrom(fields);
    if (exclude_.Contains(DisplayText(entry.Symbol)))
        return false;
    Insert(std::move(entry));
    return true;
}

bool TSymbolOnlyKind::TakeAlert(const TFieldReader &fields)
{
    Insert(QuickStrikeEntryFrom(fields));
    return true;
}

bool TSimpleListKind::TakeAlert(const TFieldReader &fields)
{
    TPointsTopListEntry entry;
    entry.Symbol = fields.Text("symbol");
    entry.Last = fields.Real("last");
    entry.Change = fields.Real("change");
    Insert(std::move(entry));
    return true;
}

bool TJFListKind::TakeAlert(const TFieldReader &fields)
{
    TJFEntry entry;
    entry.Time = fields.Text("time");
    entry.Symbol = fields.Text("symbol");
    entry.Change = fields.Real("change");
    entry.Count = fields.Integer("count");
    entry.Volume = fields.Integer("volume");
    entry.BB = fields.Real("bb");
    entry.Rank = fields.Real("rank", 0);
    entry.RV = fields.Real("rv");
    Insert(std::move(entry));
    return true;
}

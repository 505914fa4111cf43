#include "client/core/TAlertLists.h"

#include "client/core/AlertParsing.h"
#include "shared/DisplayText.h"
#include "shared/tHashTable.h"

#include <cmath>
#include <utility>

namespace {

// The longest newest-first list; the oldest alert falls off beyond it.
constexpr int NewestFirstLimit = 1000;
constexpr int NoLimit = -1;
// The full top list's first capacity; it doubles whenever the alert carries more.
constexpr int SmbFirstCapacity = 55;

// The new entry goes to the front; a full list loses its last, oldest entry.
template <typename Entry>
void InsertNewestFirst(TNewestFirstList<Entry> &list, Entry entry, int limit)
{
    while (limit != NoLimit && list.size() >= limit)
        list.removeLast();
    list.prepend(std::move(entry));
}

template <typename Entry>
void InsertGapMarker(TNewestFirstList<Entry> &list, const TLinkGap &gap, int limit)
{
    Entry marker;
    marker.Gap = gap;
    InsertNewestFirst(list, std::move(marker), limit);
}

template <typename Entry>
bool ClearList(TNewestFirstList<Entry> &list)
{
    if (list.isEmpty())
        return false;
    list.clear();
    return true;
}

QByteArray Indexed(const char *key, int i)
{
    return QByteArray(key) + QByteArray::number(i);
}

TQuickStrikeEntry QuickStrikeEntryFrom(tHashTable &fields)
{
    TQuickStrikeEntry entry;
    entry.Symbol = FieldText(fields, "symbol");
    entry.Last = FieldReal(fields, "last");
    entry.PrevClose = FieldReal(fields, "prev_close");
    entry.Divergence = FieldReal(fields, "sma_divergence");
    entry.Time = FieldText(fields, "time");
    return entry;
}

TSmbTopListEntry SmbEntryFrom(tHashTable &fields, int i)
{
    TSmbTopListEntry entry;
    entry.Symbol = FieldText(fields, Indexed("symbol", i));
    entry.PriceSpike = FieldReal(fields, Indexed("price_spike", i));
    entry.VolRate = FieldReal(fields, Indexed("vol_rate", i));
    entry.TodaysRange = FieldReal(fields, Indexed("todays_range", i));
    entry.OpeningRange = FieldReal(fields, Indexed("opening_range", i));
    entry.Strength = FieldReal(fields, Indexed("strength", i));
    entry.UpTrend = FieldReal(fields, Indexed("up_trend", i));
    entry.NearHigh = FieldReal(fields, Indexed("near_high", i));
    entry.NearLow = FieldReal(fields, Indexed("near_low", i));
    entry.NewHigh = FieldReal(fields, Indexed("new_high", i));
    entry.NewLow = FieldReal(fields, Indexed("new_low", i));
    entry.Last = FieldReal(fields, Indexed("last", i));
    entry.Change = FieldReal(fields, Indexed("change", i));
    entry.Volume = FieldInteger(fields, Indexed("volume", i));
    entry.Count = FieldInteger(fields, Indexed("count", i));
    return entry;
}

// Whether the walk for a band-set row's place passes over existing: larger distances
// come first, equal ones in symbol order. Any comparison with NaN is false, so a NaN
// on either side stops the walk.
bool RanksBefore(const TBollingerEntry &existing, const TBollingerEntry &added)
{
    const double a = std::fabs(existing.DistFromBB);
    const double b = std::fabs(added.DistFromBB);
    return a > b || (a == b && existing.Symbol < added.Symbol);
}

} // namespace

TAlertLists::TAlertLists(const TSortedSymbolList &exclude)
    : exclude_(exclude)
{
}

bool TAlertLists::HandleAlert(const QByteArray &data)
{
    const QByteArray lineBreak = QByteArrayLiteral("\r\n");
    const TSplitText category = SplitAt(lineBreak, data);
    if (category.Head != subscription_)
        return false;

    tHashTable fields;
    ParseAlertFields(SplitAt(lineBreak, category.Rest).Head, fields);

    switch (kind_) {
    case dkQuickStrike:
        return HandleQuickStrike(fields);
    case dkSymbolOnly:
        HandleSymbolOnly(fields);
        return true;
    case dkSimpleList:
        HandleSimpleList(fields);
        return true;
    case dkJFSimpleList:
        HandleJFSimpleList(fields);
        return true;
    case dkPointsList:
        HandlePointsList(fields);
        return true;
    case dkSmbTopList:
        HandleSmbTopList(fields);
        return true;
    case dkBollinger:
        return HandleBollinger(fields);
    }
    return false;
}

bool TAlertLists::HandleQuickStrike(tHashTable &fields)
{
    TQuickStrikeEntry entry = QuickStrikeEntryFrom(fields);
    if (exclude_.Contains(DisplayText(entry.Symbol)))
        return false;
    InsertNewestFirst(quickStrikeEntries_, std::move(entry), NewestFirstLimit);
    return true;
}

void TAlertLists::HandleSymbolOnly(tHashTable &fields)
{
    InsertNewestFirst(symbolOnlyEntries_, QuickStrikeEntryFrom(fields), NewestFirstLimit);
}

void TAlertLists::HandleSimpleList(tHashTable &fields)
{
    TPointsTopListEntry entry;
    entry.Symbol = FieldText(fields, "symbol");
    entry.Last = FieldReal(fields, "last");
    entry.Change = FieldReal(fields, "change");
    InsertNewestFirst(pointsEntries_, std::move(entry), NewestFirstLimit);
}

void TAlertLists::HandleJFSimpleList(tHashTable &fields)
{
    TJFEntry entry;
    entry.Time = FieldText(fields, "time");
    entry.Symbol = FieldText(fields, "symbol");
    entry.Change = FieldReal(fields, "change");
    entry.Count = FieldInteger(fields, "count");
    entry.Volume = FieldInteger(fields, "volume");
    entry.BB = FieldReal(fields, "bb");
    entry.Rank = FieldReal(fields, "rank", 0);
    entry.RV = FieldReal(fields, "rv");
    InsertNewestFirst(jfEntries_, std::move(entry), NoLimit);
}

void TAlertLists::HandlePointsList(tHashTable &fields)
{
    TPointsTopListEntries rows;
    for (int i = 0;; ++i) {
        TPointsTopListEntry entry;
        entry.Symbol = FieldText(fields, Indexed("symbol", i));
        entry.Last = FieldReal(fields, Indexed("last", i));
        entry.Change = FieldReal(fields, Indexed("change", i));
        if (entry.Symbol.isEmpty() || std::isnan(entry.Last) || std::isnan(entry.Change))
            break;
        rows.append(std::move(entry));
    }
    pointsEntries_ = rows;
}

void TAlertLists::HandleSmbTopList(tHashTable &fields)
{
    smbEntries_.resize(SmbFirstCapacity);
    int count = 0;
    for (;; ++count) {
        TSmbTopListEntry entry = SmbEntryFrom(fields, count);
        if (entry.Symbol.isEmpty())
            break;
        if (count == smbEntries_.size())
            smbEntries_.resize(smbEntries_.size() * 2);
        smbEntries_[count] = std::move(entry);
    }
    smbEntries_.resize(count);
}

int TAlertLists::BollingerIndexOf(const QByteArray &symbol) const
{
    // The sorted index answers quickly for the many symbols not in the set; only a
    // symbol it knows is searched for, by its exact bytes.
    if (!bollingerSymbols_.Contains(DisplayText(symbol)))
        return -1;
    for (int i = 0; i < bollingerEntries_.size(); ++i)
        if (bollingerEntries_[i].Symbol == symbol)
            return i;
    return -1;
}

bool TAlertLists::HandleBollinger(tHashTable &fields)
{
    TBollingerEntry entry;
    entry.Symbol = FieldText(fields, "symbol");
    entry.Time = Now();
    const int index = BollingerIndexOf(entry.Symbol);
    const QByteArray action = fields.Get("action");

    if (action == "add") {
        bollingerSymbols_.Add(DisplayText(entry.Symbol));
        entry.Last = FieldReal(fields, "last");
        entry.PrevClose = FieldReal(fields, "prev_close");
        entry.DistFromBB = FieldReal(fields, "dist_from_bb");
        AddBollinger(std::move(entry), index);
    } else if (action == "delete") {
        if (index == -1)
            return false;
        bollingerEntries_.remove(index);
        // Rows whose symbols differ only in letter case share one index entry; it goes
        // only with the last of them, so the others can still be found and deleted.
        const QString deleted = DisplayText(entry.Symbol);
        bool stillListed = false;
        for (const TBollingerEntry &other : std::as_const(bollingerEntries_))
            stillListed = stillListed || bollingerSymbols_.SameSymbol(DisplayText(other.Symbol), deleted);
        if (!stillListed)
            bollingerSymbols_.Remove(deleted);
    }
    return true;
}

void TAlertLists::AddBollinger(TBollingerEntry entry, int index)
{
    TBollingerEntries &list = bollingerEntries_;
    if (index == -1) {
        list.append(entry);
        index = list.size() - 1;
    }

    // The old row of the same symbol takes part in the walk with its old values.
    int place = 0;
    while (place < list.size() && RanksBefore(list[place], entry))
        ++place;

    if (place > index) {
        for (int i = index; i < place - 1; ++i)
            list[i] = list[i + 1];
        list[place - 1] = std::move(entry);
    } else if (place < index) {
        for (int i = index; i > place; --i)
            list[i] = list[i - 1];
        list[place] = std::move(entry);
    } else {
        list[index] = std::move(entry);
    }
}

bool TAlertLists::ExpireBollingers(TDateTime now)
{
    if (kind_ != dkBollinger)
        return false;

    bollingerSymbols_.Clear();
    TBollingerEntries kept;
    kept.reserve(bollingerEntries_.size());
    for (const TBollingerEntry &entry : std::as_const(bollingerEntries_)) {
        // Two minutes after Time, counted in minutes of the day as the clock does.
        if ((entry.Time * 1440 + 2) / 1440 > now) {
            kept.append(entry);
            bollingerSymbols_.Add(DisplayText(entry.Symbol));
        }
    }
    if (kept.size() == bollingerEntries_.size())
        return false;
    bollingerEntries_ = kept;
    return true;
}

bool TAlertLists::AddGapMarker(const TLinkGap &gap)
{
    switch (kind_) {
    case dkQuickStrike:
        InsertGapMarker(quickStrikeEntries_, gap, NewestFirstLimit);
        return true;
    case dkSymbolOnly:
        InsertGapMarker(symbolOnlyEntries_, gap, NewestFirstLimit);
        return true;
    case dkSimpleList:
        InsertGapMarker(pointsEntries_, gap, NewestFirstLimit);
        return true;
    case dkJFSimpleList:
        InsertGapMarker(jfEntries_, gap, NoLimit);
        return true;
    default:
        return false;
    }
}

bool TAlertLists::ClearWindow()
{
    switch (kind_) {
    case dkQuickStrike:
        return ClearList(quickStrikeEntries_);
    case dkSymbolOnly:
        return ClearList(symbolOnlyEntries_);
    case dkSimpleList:
        return ClearList(pointsEntries_);
    default:
        return false;
    }
}

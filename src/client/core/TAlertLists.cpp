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

// The keys of row i of an indexed list ("symbol" + i, "last" + i, ...), each made in
// the same buffer, as a top list reads fifteen of them for each of its rows.
class TIndexedKeys
{
public:
    explicit TIndexedKeys(int i) : index_(QByteArray::number(i)) {}

    const QByteArray &operator()(const char *name)
    {
        key_.truncate(0);
        key_.append(name).append(index_);
        return key_;
    }

private:
    QByteArray index_;
    QByteArray key_;
};

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

TSmbTopListEntry SmbEntryFrom(const TFieldReader &fields, int i)
{
    TIndexedKeys key(i);
    TSmbTopListEntry entry;
    entry.Symbol = fields.Text(key("symbol"));
    entry.PriceSpike = fields.Real(key("price_spike"));
    entry.VolRate = fields.Real(key("vol_rate"));
    entry.TodaysRange = fields.Real(key("todays_range"));
    entry.OpeningRange = fields.Real(key("opening_range"));
    entry.Strength = fields.Real(key("strength"));
    entry.UpTrend = fields.Real(key("up_trend"));
    entry.NearHigh = fields.Real(key("near_high"));
    entry.NearLow = fields.Real(key("near_low"));
    entry.NewHigh = fields.Real(key("new_high"));
    entry.NewLow = fields.Real(key("new_low"));
    entry.Last = fields.Real(key("last"));
    entry.Change = fields.Real(key("change"));
    entry.Volume = fields.Integer(key("volume"));
    entry.Count = fields.Integer(key("count"));
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

    tHashTable table;
    ParseAlertFields(SplitAt(lineBreak, category.Rest).Head, table);
    const TFieldReader fields(table);

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

bool TAlertLists::HandleQuickStrike(const TFieldReader &fields)
{
    TQuickStrikeEntry entry = QuickStrikeEntryFrom(fields);
    if (exclude_.Contains(DisplayText(entry.Symbol)))
        return false;
    InsertNewestFirst(quickStrikeEntries_, std::move(entry), NewestFirstLimit);
    return true;
}

void TAlertLists::HandleSymbolOnly(const TFieldReader &fields)
{
    InsertNewestFirst(symbolOnlyEntries_, QuickStrikeEntryFrom(fields), NewestFirstLimit);
}

void TAlertLists::HandleSimpleList(const TFieldReader &fields)
{
    TPointsTopListEntry entry;
    entry.Symbol = fields.Text("symbol");
    entry.Last = fields.Real("last");
    entry.Change = fields.Real("change");
    InsertNewestFirst(pointsEntries_, std::move(entry), NewestFirstLimit);
}

void TAlertLists::HandleJFSimpleList(const TFieldReader &fields)
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
    InsertNewestFirst(jfEntries_, std::move(entry), NoLimit);
}

void TAlertLists::HandlePointsList(const TFieldReader &fields)
{
    TPointsTopListEntries rows;
    for (int i = 0;; ++i) {
        TIndexedKeys key(i);
        TPointsTopListEntry entry;
        entry.Symbol = fields.Text(key("symbol"));
        entry.Last = fields.Real(key("last"));
        entry.Change = fields.Real(key("change"));
        if (entry.Symbol.isEmpty() || std::isnan(entry.Last) || std::isnan(entry.Change))
            break;
        rows.append(std::move(entry));
    }
    pointsEntries_ = rows;
}

void TAlertLists::HandleSmbTopList(const TFieldReader &fields)
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

bool TAlertLists::HandleBollinger(const TFieldReader &fields)
{
    TBollingerEntry entry;
    entry.Symbol = fields.Text("symbol");
    entry.Time = Now();
    const int index = BollingerIndexOf(entry.Symbol);
    const QByteArray action = fields.Text("action");

    if (action == "add") {
        bollingerSymbols_.Add(DisplayText(entry.Symbol));
        entry.Last = fields.Real("last");
        entry.PrevClose = fields.Real("prev_close");
        entry.DistFromBB = fields.Real("dist_from_bb");
        AddBollinger(std::move(entry), index);
    } else if (action == "delete") {
        if (index == -1)
            return false;
        bollingerEntries_.remove(index);
        // Rows whose symbols differ only in letter case share one index entry; it goes
        // only with the last of them, so the others can still be found and deleted.
        const QString deleted = DisplayText(entry.Symbol);
        const QCollator &collator = bollingerSymbols_.Collator();
        bool stillListed = false;
        for (const TBollingerEntry &other : std::as_const(bollingerEntries_))
            stillListed = stillListed || collator.compare(DisplayText(other.Symbol), deleted) == 0;
        if (!stillListed)
            bollingerSymbols_.Remove(deleted);
    }
    return true;
}

void TAlertLists::AddBollinger(TBollingerEntry entry, int index)
{
    TBollingerList &list = bollingerEntries_;
    if (index == -1) {
        list.append(entry);
        index = list.size() - 1;
    }

    // The old row of the same symbol takes part in the walk with its old values.
    int place = 0;
    while (place < list.size() && RanksBefore(list[place], entry))
        ++place;

    // The row leaves its old place, the rows in between close up, and the new values
    // go where the walk stopped.
    const int target = place > index ? place - 1 : place;
    list.move(index, target);
    list.replace(target, std::move(entry));
}

bool TAlertLists::ExpireBollingers(TDateTime now)
{
    if (kind_ != dkBollinger)
        return false;

    bollingerSymbols_.Clear();
    TBollingerList kept;
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

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

} // namespace

TAlertLists::TAlertLists(const TSortedSymbolList &exclude)
    : exclude_(exclude)
{
}

bool TAlertLists::HandleAlert(const QByteArray &data)
{
    const QByteArrayView lineBreak("\r\n");
    const TSplitView category = SplitViewAt(lineBreak, data);
    if (category.Head != QByteArrayView(subscription_))
        return false;

    tHashTable table;
    ParseAlertFields(SplitViewAt(lineBreak, category.Rest).Head, table);
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

bool TAlertLists::HandleBollinger(const TFieldReader &fields)
{
    const QByteArray action = fields.Text("action");
    if (action == "add") {
        TBollingerEntry entry;
        entry.Symbol = fields.Text("symbol");
        entry.Time = SteadyNowMs();
        entry.Last = fields.Real("last");
        entry.PrevClose = fields.Real("prev_close");
        entry.DistFromBB = fields.Real("dist_from_bb");
        bandSet_.Add(std::move(entry));
    } else if (action == "delete") {
        return bandSet_.Remove(fields.Text("symbol"));
    }
    return true;
}

bool TAlertLists::ExpireBollingers(TSteadyMs now)
{
    return kind_ == dkBollinger && bandSet_.Expire(now);
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

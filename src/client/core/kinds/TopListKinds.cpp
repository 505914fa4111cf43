#include "client/core/kinds/TopListKinds.h"

#include "client/core/AlertParsing.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

// The full top list's first capacity; it doubles whenever the alert carries more.
constexpr int FullTopListFirstCapacity = 55;

// The keys of row i of a ranked list ("symbol" + i, "last" + i, ...), each written
// over the last in one buffer on the stack, as a top list reads fifteen of them for
// each of its rows.
class TIndexedKeys
{
public:
    explicit TIndexedKeys(int i)
    {
        char digits[12];
        int count = 0;
        for (unsigned rest = unsigned(i);; rest /= 10) {
            digits[count++] = char('0' + rest % 10);
            if (rest < 10)
                break;
        }
        std::reverse_copy(digits, digits + count, index_);
        indexSize_ = count;
    }

    // The name must be shorter than MaxName; every name read here is.
    QByteArrayView operator()(QByteArrayView name)
    {
        Q_ASSERT(name.size() < MaxName);
        std::copy(name.begin(), name.end(), key_);
        std::copy(index_, index_ + indexSize_, key_ + name.size());
        return QByteArrayView(key_, name.size() + indexSize_);
    }

private:
    static constexpr int MaxName = 20;
    char index_[12];
    int indexSize_ = 0;
    char key_[MaxName + sizeof(index_)];
};

TSmbTopListEntry FullTopListEntryFrom(const TFieldReader &fields, int i)
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

bool TPointsListKind::TakeAlert(const TFieldReader &fields)
{
    TPointsTopListEntries rows;
    // The next list is most often as long as the last one.
    rows.reserve(entries_.size());
    for (int i = 0;; ++i) {
        TIndexedKeys key(i);
        TPointsTopListEntry entry;
        entry.Symbol = fields.TextView(key("symbol"));
        entry.Last = fields.Real(key("last"));
        entry.Change = fields.Real(key("change"));
        if (entry.Symbol.isEmpty() || std::isnan(entry.Last) || std::isnan(entry.Change))
            break;
        rows.append(std::move(entry));
    }
    entries_ = rows;
    return true;
}

bool TFullTopListKind::TakeAlert(const TFieldReader &fields)
{
    entries_.resize(FullTopListFirstCapacity);
    int count = 0;
    for (;; ++count) {
        TSmbTopListEntry entry = FullTopListEntryFrom(fields, count);
        if (entry.Symbol.isEmpty())
            break;
        if (count == entries_.size())
            entries_.resize(entries_.size() * 2);
        entries_[count] = std::move(entry);
    }
    entries_.resize(count);
    return true;
}

#include "client/core/kinds/TopListKinds.h"

#include "client/core/AlertParsing.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>

namespace {

// The keys of row i of the points list ("symbol" + i, "last" + i, "change" + i), each
// written over the last in one buffer on the stack.
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

// The row and column a key of the full top list names: its name, then the row as
// decimal digits written as a number is ("symbol7", never "symbol07"). False for any
// other key.
bool FullTopListCell(QByteArrayView key, int &column, qsizetype &row)
{
    static const QByteArrayView Names[] = {"symbol",   "price_spike", "vol_rate", "todays_range", "opening_range",
                                           "strength", "up_trend",    "near_high", "near_low",    "new_high",
                                           "new_low",  "last",        "change",    "volume",      "count"};
    qsizetype digits = 0;
    while (digits < key.size() && key[key.size() - 1 - digits] >= '0' && key[key.size() - 1 - digits] <= '9')
        ++digits;
    const QByteArrayView number = key.last(digits);
    // Nine digits at most: a row beyond them is beyond any alert's fields anyway.
    if (digits == 0 || digits > 9 || (digits > 1 && number[0] == '0'))
        return false;
    const QByteArrayView name = key.first(key.size() - digits);
    for (column = 0; column < int(std::size(Names)); ++column) {
        // Most names differ in their length or first letter: no call to compare them.
        const QByteArrayView candidate = Names[column];
        if (name.size() == candidate.size() && name[0] == candidate[0] && name == candidate) {
            row = 0;
            for (const char digit : number)
                row = row * 10 + (digit - '0');
            return true;
        }
    }
    return false;
}

void SetFullTopListCell(TSmbTopListEntry &entry, int column, const TFieldReader &fields, QByteArrayView value)
{
    double *const reals[] = {nullptr,          &entry.PriceSpike, &entry.VolRate, &entry.TodaysRange,
                             &entry.OpeningRange, &entry.Strength, &entry.UpTrend, &entry.NearHigh,
                             &entry.NearLow,   &entry.NewHigh,    &entry.NewLow,  &entry.Last,
                             &entry.Change};
    if (column == 0)
        entry.Symbol = fields.TextOf(value).toByteArray();
    else if (column < int(std::size(reals)))
        *reals[column] = fields.RealOf(value);
    else
        (column == 13 ? entry.Volume : entry.Count) = fields.IntegerOf(value);
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
    // One walk over the fields puts each value into its row, a later item with the same
    // key replacing an earlier one: a list of a hundred rows would otherwise look up
    // fifteen hundred keys. No row past the field count can be reached from row 0.
    const std::vector<TAlertField> &items = fields.Fields();
    TSmbTopListEntries rows;
    for (const TAlertField &item : items) {
        int column = 0;
        qsizetype row = 0;
        if (!FullTopListCell(item.Key, column, row) || row >= qsizetype(items.size()))
            continue;
        if (row >= rows.size())
            rows.resize(row + 1);
        SetFullTopListCell(rows[row], column, fields, item.Value);
    }
    // The list runs from row 0 to the first row without a symbol.
    qsizetype count = 0;
    while (count < rows.size() && !rows[count].Symbol.isEmpty())
        ++count;
    rows.resize(count);
    entries_ = std::move(rows);
    return true;
}

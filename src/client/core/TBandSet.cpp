#include "client/core/TBandSet.h"

#include <cmath>
#include <utility>

namespace {

// A row not refreshed for two minutes goes.
constexpr TSteadyMs RowLifetimeMs = 2 * 60 * 1000;

// Whether the walk for a row's place passes over existing: larger distances come
// first, equal ones in symbol order. Any comparison with NaN is false, so a NaN on
// either side stops the walk.
bool RanksBefore(const TBollingerEntry &existing, double distance, const QByteArray &symbol)
{
    const double a = std::fabs(existing.DistFromBB);
    const double b = std::fabs(distance);
    return a > b || (a == b && existing.Symbol < symbol);
}

} // namespace

void TBandSet::CountDistance(double distance, int change)
{
    if (std::isnan(distance))
        rowsWithoutDistance_ += change;
}

void TBandSet::CheckOrder()
{
    if (rowsWithoutDistance_ > 0) {
        inOrder_ = false;
        return;
    }
    // In order, a change keeps the order; out of order, the rows are looked over.
    if (inOrder_)
        return;
    inOrder_ = true;
    for (int i = 1; inOrder_ && i < rows_.size(); ++i)
        inOrder_ = RanksBefore(rows_[i - 1], rows_[i].DistFromBB, rows_[i].Symbol);
}

int TBandSet::PlaceFor(double distance, const QByteArray &symbol) const
{
    const auto passes = [this, distance, &symbol](int i) {
        return RanksBefore(rows_[i], distance, symbol);
    };
    int place = 0;
    if (!inOrder_) {
        while (place < rows_.size() && passes(place))
            ++place;
        return place;
    }
    // In order, the rows the walk passes over are exactly those before this place.
    int end = int(rows_.size());
    while (place < end) {
        const int middle = place + (end - place) / 2;
        if (passes(middle))
            place = middle + 1;
        else
            end = middle;
    }
    return place;
}

int TBandSet::PlaceOf(const QByteArray &symbol, double distance) const
{
    if (inOrder_) {
        // The row is the first one that does not rank before its own values.
        const int place = PlaceFor(distance, symbol);
        if (place < rows_.size() && rows_[place].Symbol == symbol)
            return place;
    }
    for (int i = 0; i < rows_.size(); ++i)
        if (rows_[i].Symbol == symbol)
            return i;
    return -1;
}

void TBandSet::List(const QByteArray &symbol, double distance)
{
    distances_.insert({symbol}, distance);
    CountDistance(distance, +1);
}

void TBandSet::Add(TBollingerEntry entry)
{
    auto listed = distances_.find({entry.Symbol});
    // The row shares the listed symbol's bytes, or takes its own copy of new ones.
    entry.Symbol = listed == distances_.end() ? QByteArray(entry.Symbol.constData(), entry.Symbol.size())
                                              : listed.key().Value;
    int index;
    if (listed == distances_.end()) {
        rows_.append(entry);
        index = int(rows_.size()) - 1;
    } else {
        index = PlaceOf(entry.Symbol, *listed);
    }

    // The row leaves its old place, the rows in between close up, and the new values
    // go where the walk stopped.
    const int place = PlaceFor(entry.DistFromBB, entry.Symbol);
    const int target = place > index ? place - 1 : place;
    rows_.move(index, target);

    if (listed == distances_.end()) {
        List(entry.Symbol, entry.DistFromBB);
    } else {
        CountDistance(*listed, -1);
        CountDistance(entry.DistFromBB, +1);
        *listed = entry.DistFromBB;
    }
    rows_.replace(target, std::move(entry));
    CheckOrder();
}

bool TBandSet::Remove(QByteArrayView symbol)
{
    // Looked up in place: the symbol's bytes are not copied for a look-up.
    const QByteArray key = QByteArray::fromRawData(symbol.data(), symbol.size());
    const auto listed = distances_.constFind({key});
    if (listed == distances_.cend())
        return false;
    rows_.remove(PlaceOf(key, *listed));
    CountDistance(*listed, -1);
    distances_.erase(listed);
    CheckOrder();
    return true;
}

bool TBandSet::Expire(TSteadyMs now)
{
    distances_.clear();
    rowsWithoutDistance_ = 0;
    TBollingerList kept;
    for (const TBollingerEntry &entry : std::as_const(rows_)) {
        if (now - entry.Time < RowLifetimeMs) {
            kept.append(entry);
            List(entry.Symbol, entry.DistFromBB);
        }
    }
    const bool dropped = kept.size() != rows_.size();
    if (dropped)
        rows_ = kept;
    CheckOrder();
    return dropped;
}

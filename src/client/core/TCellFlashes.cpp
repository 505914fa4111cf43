#include "client/core/TCellFlashes.h"

#include <cmath>

void TCellFlashes::Take(const QVector<TCellValue> &shown, TSteadyMs now, bool quiet)
{
    QHash<TKey, double> next;
    next.reserve(shown.size());
    for (const TCellValue &cell : shown) {
        const TKey key(cell.Symbol, cell.Column);
        // A symbol shown twice keeps the number of its first row.
        if (next.contains(key))
            continue;
        next.insert(key, cell.Value);
        const auto before = shown_.constFind(key);
        if (before == shown_.cend())
            continue;
        const double old = before.value();
        if (quiet || std::isnan(old) || std::isnan(cell.Value) || old == cell.Value)
            continue;
        flashes_.insert(key, TStart{cell.Value > old, now});
    }
    shown_ = std::move(next);
    // A cell that left the list has nothing left to flash.
    for (auto flash = flashes_.begin(); flash != flashes_.end();)
        flash = shown_.contains(flash.key()) ? std::next(flash) : flashes_.erase(flash);
}

TCellFlash TCellFlashes::At(const QByteArray &symbol, int column, TSteadyMs now) const
{
    const auto flash = flashes_.constFind(TKey(symbol, column));
    if (flash == flashes_.cend())
        return {};
    const TSteadyMs age = now - flash->At;
    if (age < 0 || age >= DurationMs)
        return {};
    return {flash->Up, 1.0 - double(age) / DurationMs};
}

bool TCellFlashes::Expire(TSteadyMs now)
{
    for (auto flash = flashes_.begin(); flash != flashes_.end();)
        flash = now - flash->At >= DurationMs ? flashes_.erase(flash) : std::next(flash);
    return !flashes_.isEmpty();
}

void TCellFlashes::Clear()
{
    shown_.clear();
    flashes_.clear();
}

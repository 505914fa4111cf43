#include "client/core/TCellFlashes.h"

#include <cmath>

bool TCellFlashes::Take(const QVector<TCellValue> &shown, TSteadyMs now, bool quiet)
{
    ++takes_;
    for (const TCellValue &value : shown) {
        const qsizetype countBefore = cells_.size();
        TCell &cell = cells_[TKey{value.Symbol, value.Column}];
        const bool shownBefore = cells_.size() == countBefore;
        // A symbol shown twice keeps the number of its first row.
        if (shownBefore && cell.ShownBy == takes_)
            continue;
        const double old = cell.Value;
        cell.Value = value.Value;
        cell.ShownBy = takes_;
        if (!shownBefore || quiet || std::isnan(old) || std::isnan(value.Value) || old == value.Value)
            continue;
        cell.Flashing = true;
        cell.Up = value.Value > old;
        cell.FlashStart = now;
    }
    // A cell that left the list has nothing left to flash, nor a number to compare.
    // Flashes that are over end in the same pass, as the list is taken with every alert.
    bool running = false;
    for (auto cell = cells_.begin(); cell != cells_.end();) {
        if (cell->ShownBy != takes_) {
            cell = cells_.erase(cell);
            continue;
        }
        running = EndIfOver(*cell, now) || running;
        ++cell;
    }
    return running;
}

bool TCellFlashes::EndIfOver(TCell &cell, TSteadyMs now)
{
    if (cell.Flashing && now - cell.FlashStart >= DurationMs)
        cell.Flashing = false;
    return cell.Flashing;
}

TCellFlash TCellFlashes::At(const QByteArray &symbol, int column, TSteadyMs now) const
{
    const auto cell = cells_.constFind(TKey{symbol, column});
    if (cell == cells_.cend() || !cell->Flashing)
        return {};
    const TSteadyMs age = now - cell->FlashStart;
    if (age < 0 || age >= DurationMs)
        return {};
    return {cell->Up, 1.0 - double(age) / DurationMs};
}

bool TCellFlashes::Expire(TSteadyMs now)
{
    bool running = false;
    for (TCell &cell : cells_)
        running = EndIfOver(cell, now) || running;
    return running;
}

void TCellFlashes::Clear()
{
    cells_.clear();
}

#include "client/core/TTopListOrder.h"

#include "shared/DisplayText.h"
#include "shared/Exception.h"

#include <QHash>

namespace {

constexpr TSteadyMs SortIntervalMs = 30000;
// The missing text names this many symbols and counts the rest.
constexpr qint32 MissingNamed = 5;

} // namespace

TTopListChange TTopListOrder::SetEntries(const TSmbTopListEntries &list)
{
    pendingEntries_ = list;
    updatePending_ = true;
    // Same symbols in the same place: only values changed, nothing can jump, so the
    // list shows at once without restarting the 30 seconds.
    if (SameSymbolOrder()) {
        ApplyPending();
        return TTopListChange::tcNewOrder;
    }
    if (SortDue())
        return SortNow();
    UpdateInPlace();
    return TTopListChange::tcRepaint;
}

bool TTopListOrder::SameSymbolOrder() const
{
    if (pendingEntries_.size() != entries_.size())
        return false;
    for (int i = 0; i < entries_.size(); ++i) {
        if (pendingEntries_[i].Symbol != entries_[i].Symbol)
            return false;
    }
    return true;
}

bool TTopListOrder::SortDue() const
{
    if (!updatePending_ || frozen_)
        return false;
    if (ignoreSortTimer_)
        return true;
    return !lastSortTime_ || SteadyNowMs() > *lastSortTime_ + SortIntervalMs;
}

TTopListChange TTopListOrder::SortNow()
{
    if (!updatePending_)
        return TTopListChange::tcNone;
    ApplyPending();
    lastSortTime_ = SteadyNowMs();
    return TTopListChange::tcNewOrder;
}

TTopListChange TTopListOrder::CheckSortTimer()
{
    if (SortDue())
        return SortNow();
    return TTopListChange::tcNone;
}

TTopListChange TTopListOrder::SetFrozen(bool frozen)
{
    if (frozen == frozen_)
        return TTopListChange::tcNone;
    frozen_ = frozen;
    // Count the 30 seconds as passed, so that unfreezing shows a waiting order at once.
    lastSortTime_.reset();
    const TTopListChange sorted = CheckSortTimer();
    // The header colour shows the frozen state, so the grid repaints either way.
    return sorted == TTopListChange::tcNone ? TTopListChange::tcRepaint : sorted;
}

void TTopListOrder::ApplyPending()
{
    AZ_ASSERT(updatePending_);
    updatePending_ = false;
    ClearMissing();
    entries_ = pendingEntries_;
    rowIndexBuilt_ = false;
}

void TTopListOrder::UpdateInPlace()
{
    ClearMissing();
    // One index of the rows on screen, instead of a scan per pending symbol.
    if (!rowIndexBuilt_) {
        rowOfSymbol_.clear();
        rowOfSymbol_.reserve(entries_.size());
        // A symbol shown twice (separator rows) is found at its first row.
        for (int row = 0; row < entries_.size(); ++row) {
            const TTextKey key{DisplayText(entries_[row].Symbol).toCaseFolded()};
            if (!rowOfSymbol_.contains(key))
                rowOfSymbol_.insert(key, row);
        }
        rowIndexBuilt_ = true;
    }
    for (const TSmbTopListEntry &pending : qAsConst(pendingEntries_)) {
        const auto found = rowOfSymbol_.constFind({DisplayText(pending.Symbol).toCaseFolded()});
        if (found != rowOfSymbol_.constEnd())
            entries_[found.value()] = pending;
        else
            AddMissing(pending.Symbol);
    }
    if (missingCount_ > MissingNamed)
        missingText_ += QStringLiteral(" and ") % QString::number(missingCount_ - MissingNamed)
                        % QStringLiteral(" more");
}

void TTopListOrder::ClearMissing()
{
    missingCount_ = 0;
    missingText_.clear();
}

void TTopListOrder::AddMissing(const QByteArray &symbol)
{
    ++missingCount_;
    if (missingCount_ == 1)
        missingText_ = DisplayText(symbol);
    else if (missingCount_ <= MissingNamed)
        missingText_ += QStringLiteral(", ") % DisplayText(symbol);
}

TSelectionAfterSort SelectionAfterSort(const TSmbTopListEntries &entries, int selectedIndex,
                                       const QByteArray &lastLinkedSymbol)
{
    if (selectedIndex >= entries.size())
        return TSelectionAfterSort::saForgetLink;
    // Nothing selected: there is no row that could still show the last link.
    if (selectedIndex < 0)
        return TSelectionAfterSort::saClear;
    if (entries[selectedIndex].Symbol == lastLinkedSymbol)
        return TSelectionAfterSort::saKeep;
    return TSelectionAfterSort::saClear;
}

QByteArray SymbolToLink(const TSmbTopListEntries &entries, int index, const QByteArray &lastLinkedSymbol)
{
    if (index < 0 || index >= entries.size())
        return QByteArray();
    const QByteArray &symbol = entries[index].Symbol;
    if (symbol.isEmpty() || IsSeparatorSymbol(symbol) || symbol == lastLinkedSymbol)
        return QByteArray();
    return symbol;
}

bool IsSeparatorSymbol(const QByteArray &symbol)
{
    return symbol == "-";
}

#pragma once

#include "client/core/EntryRecords.h"
#include "shared/LocalClock.h"
#include "shared/SeededHash.h"

#include <QHash>
#include <QString>

#include <optional>

// What an ordering step did to the rows on screen, so the grid knows how much
// work follows: nothing, a repaint of the same rows, or a new row order (new row
// count, selection check, repaint).
enum class TTopListChange { tcNone, tcRepaint, tcNewOrder };

// The rows of a full top list and when they may be re-ordered. The server resends
// the whole ranked list with every alert; writing each new order straight to the
// screen would make the rows jump under the user's eyes, so new values go into the
// rows already shown at once, while a new order waits until it is calm to apply it:
// when the symbols are unchanged, at most every 30 seconds, on request, or always
// when the window asks for it. A frozen list never re-orders by itself.
class TTopListOrder
{
public:
    // The rows on screen; Entries()[0] is the first row under the header.
    const TSmbTopListEntries &Entries() const { return entries_; }
    // The latest list received, in the server's order.
    const TSmbTopListEntries &PendingEntries() const { return pendingEntries_; }
    // PendingEntries() holds an order not yet applied.
    bool UpdatePending() const { return updatePending_; }
    // Pending symbols that have no row on screen, and the first five of them by name.
    qint32 MissingCount() const { return missingCount_; }
    const QString &MissingText() const { return missingText_; }
    bool IgnoreSortTimer() const { return ignoreSortTimer_; }
    void SetIgnoreSortTimer(bool ignore) { ignoreSortTimer_ = ignore; }
    bool Frozen() const { return frozen_; }
    // Steady time of the last sort; none when the 30 seconds count as passed.
    std::optional<TSteadyMs> LastSortTime() const { return lastSortTime_; }

    // A new list from the server: shown at once when only values changed or a sort
    // is due, otherwise written into the rows already on screen.
    TTopListChange SetEntries(const TSmbTopListEntries &list);
    bool SameSymbolOrder() const;
    bool SortDue() const;
    // Applies a waiting order and restarts the 30 seconds; nothing without one.
    TTopListChange SortNow();
    TTopListChange CheckSortTimer();
    // Freezing only changes the header; unfreezing applies a waiting order at once.
    TTopListChange SetFrozen(bool frozen);
    void ApplyPending();
    void UpdateInPlace();

private:
    void ClearMissing();
    void AddMissing(const QByteArray &symbol);

    TSmbTopListEntries entries_;
    // The row of each symbol on screen (case-folded; a symbol shown twice at its first
    // row). Values change in place between sorts, symbols only with a new order, so
    // the index is built once per order instead of once per alert.
    QHash<TTextKey, int> rowOfSymbol_;
    bool rowIndexBuilt_ = false;
    TSmbTopListEntries pendingEntries_;
    bool updatePending_ = false;
    qint32 missingCount_ = 0;
    QString missingText_;
    bool ignoreSortTimer_ = false;
    bool frozen_ = false;
    std::optional<TSteadyMs> lastSortTime_;
};

// What becomes of the selected row when a new order has been applied.
enum class TSelectionAfterSort {
    saKeep,       // the selected row still shows the symbol last passed on
    saForgetLink, // the selection lies past the last row: forget the last link, scroll to top
    saClear       // another symbol moved under the selection: unselect, forget, scroll to top
};

// selectedIndex is the selected data row's place in entries, or negative when no
// data row is selected.
TSelectionAfterSort SelectionAfterSort(const TSmbTopListEntries &entries, int selectedIndex,
                                       const QByteArray &lastLinkedSymbol);

// The symbol that selecting the row at index passes on, or empty when it passes
// nothing: no entry there, a separator row, or the symbol passed on last.
QByteArray SymbolToLink(const TSmbTopListEntries &entries, int index,
                        const QByteArray &lastLinkedSymbol);

// The text "-" in the symbol field marks a separator row that repeats the header.
bool IsSeparatorSymbol(const QByteArray &symbol);

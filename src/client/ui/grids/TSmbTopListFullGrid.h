#pragma once

#include "client/core/EntryRecords.h"
#include "client/core/TTopListOrder.h"
#include "client/ui/grid/TGridFrame.h"
#include "client/ui/grids/TChangeFlasher.h"
#include "client/ui/grids/TPieCell.h"

#include <QVector>

// Header backgrounds: the normal one, one while pending symbols have no row, and
// one for a frozen list, which takes precedence.
constexpr TColor SmbHeaderColor = RGB(236, 233, 216);
constexpr TColor SmbMissingHeaderColor = RGB(255, 192, 192);
constexpr TColor SmbFrozenHeaderColor = RGB(32, 254, 248);

// Background of the symbol and rate cells: blue for a low intraday price rate,
// through black at 1, to red for a high one.
TColor VolRateColor(double volRate);
// A price spike from this value on lights its cell up.
bool IsPriceSpike(double priceSpike);

// A ranked top list that the server resends whole with every alert. New values
// are written into the rows on screen at once; a new row order is shown only
// when it is calm to do so (see TTopListOrder). The header colour tells a frozen
// list and a list with waiting symbols apart. A "columns" setting chooses up to
// fifteen logical columns, two of which show fractions as pies. Selecting a row
// passes its symbol on; the frame around the selected row's symbol cell is the
// only mark of the selection. A changed number flashes unless the list is frozen
// (see TChangeFlasher).
class TSmbTopListFullGrid : public TGridFrame
{
    Q_OBJECT

public:
    // The owner must be given: the grid measures itself with its font.
    explicit TSmbTopListFullGrid(QWidget *owner);

    void SetEntries(const TSmbTopListEntries &list);
    const TSmbTopListEntries &Entries() const { return order_.Entries(); }
    const TSmbTopListEntries &PendingEntries() const { return order_.PendingEntries(); }

    // The window's "columns" setting: logical column ids separated by commas or blanks,
    // the columns shown until the user chooses others.
    void SetColumns(const QString &text);
    const QVector<int> &ColumnMap() const { return ColumnLayout().Shown(); }
    // Sizes every column for its logical column; widths the user dragged are lost.
    void LayoutColumns();

    bool IgnoreSortTimer() const { return order_.IgnoreSortTimer(); }
    void SetIgnoreSortTimer(bool ignore) { order_.SetIgnoreSortTimer(ignore); }
    bool Frozen() const { return order_.Frozen(); }
    void SetFrozen(bool frozen);
    // Applies a waiting order now; nothing without one.
    void SortNow();
    // The window's one-second tick: applies a waiting order when one is due.
    void CheckSortTimer();
    bool UpdatePending() const { return order_.UpdatePending(); }
    qint32 MissingCount() const { return order_.MissingCount(); }
    const QString &MissingText() const { return order_.MissingText(); }
    std::optional<TSteadyMs> LastSortTime() const { return order_.LastSortTime(); }

    bool LinkOnSelect() const { return linkOnSelect_; }
    const QByteArray &LastLinkedSymbol() const { return lastLinkedSymbol_; }
    TColor HeaderColor() const;
    TChangeFlasher &Flasher() { return flasher_; }

    // Row height from "Xy()", then LayoutColumns with these metrics.
    void Measure(const TTextMetrics &metrics) override;

protected:
    QString HeaderText(int id) const override;
    QString SampleText(int id) const override;
    int EntryCount() const override { return order_.Entries().size(); }
    QByteArray EntrySymbol(int index) const override { return order_.Entries()[index].Symbol; }
    void DrawDataCell(TCellText &text, int id, int index) override;

    void DrawCell(TCanvas &canvas, int col, int row, const QRect &rect, TGridDrawState state) override;
    // Without a vertical scroll bar, a pressed row that is only partly shown comes
    // into view whole.
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y) override;
    // Rows link on selection, not on release, so a click links once.
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y) override;
    bool SelectCell(int col, int row) override;

private:
    void LayoutColumns(const TTextMetrics &metrics);
    TCellColors DataColors(int id, const TSmbTopListEntry *entry) const;
    void AfterChange(TTopListChange change);
    void ShowNewOrder();
    // Hands the numbers on screen to the flasher.
    void NoteShownNumbers();

    TTopListOrder order_;
    TPieCell newHighPie_;
    TPieCell newLowPie_;
    bool linkOnSelect_ = true;
    QByteArray lastLinkedSymbol_;
    TChangeFlasher flasher_;
};

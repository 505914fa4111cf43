#pragma once

#include "client/ui/grid/TColor.h"

#include <QByteArray>

#include <memory>

class QWidget;
class TAlertKind;
class TChangeFlasher;
class TGridFrame;
class TIniFile;
class TSmbTopListFullGrid;

// How an alert window shows the list of its kind: the grid that shows it, the settings
// of the window's section that reach that grid, and the controls the grid brings to
// the window's menu. What a grid exports as CSV is the grid's own.
class TKindView
{
public:
    virtual ~TKindView() = default;

    // Made as a child of the window, so it measures in the window's font.
    TGridFrame *Grid() const { return grid_; }

    // The kind's settings from the window's section: by default the text colour.
    virtual void ApplySettings(const TIniFile &ini, const QByteArray &section, TColor color);
    // Hands the kind's list to the grid.
    virtual void Show(const TAlertKind &kind) = 0;
    // The top list that the window's Freeze and Sort Now drive; none for grids whose
    // rows keep the order they came in.
    virtual TSmbTopListFullGrid *SortedTopList() const { return nullptr; }
    // What lights up the grid's changed numbers; none for grids whose rows never change.
    virtual TChangeFlasher *Flasher() const { return nullptr; }

protected:
    explicit TKindView(TGridFrame *grid) : grid_(grid) {}

private:
    TGridFrame *grid_;
};

// A grid of type TGrid showing the Entries() of a kind of type TKind.
template <typename TKind, typename TGrid>
class TGridView : public TKindView
{
public:
    using Kind = TKind;

    explicit TGridView(QWidget *window) : TKindView(new TGrid(window)) {}

    // MakeKindView pairs each view with the kind of its class, so the kind is a TKind.
    void Show(const TAlertKind &kind) override
    {
        ShownIn()->SetEntries(static_cast<const TKind &>(kind).Entries());
        ShownIn()->ShownListChanged();
    }

protected:
    TGrid *ShownIn() const { return static_cast<TGrid *>(Grid()); }
};

// The view of the kind's class, its grid made in window.
std::unique_ptr<TKindView> MakeKindView(const TAlertKind &kind, QWidget *window);

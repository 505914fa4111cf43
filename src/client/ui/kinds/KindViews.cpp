#include "client/ui/kinds/TKindView.h"

#include "client/core/kinds/NewestFirstKinds.h"
#include "client/core/kinds/TBandSetKind.h"
#include "client/core/kinds/TopListKinds.h"
#include "client/ui/grids/TBollingerGrid.h"
#include "client/ui/grids/TJFGrid.h"
#include "client/ui/grids/TPointsTopListGrid.h"
#include "client/ui/grids/TQuickStrikeGrid.h"
#include "client/ui/grids/TSmbTopListFullGrid.h"
#include "client/ui/grids/TSymbolOnlyGrid.h"
#include "shared/TIniFile.h"

#include <typeindex>
#include <unordered_map>

namespace {

// The band set's fourth column takes its caption from "extra"; its colours are its own.
class TBandSetView : public TGridView<TBandSetKind, TBollingerGrid>
{
public:
    using TGridView::TGridView;

    void ApplySettings(const TIniFile &ini, const QByteArray &section, TColor) override
    {
        const QString extra = ini.ReadText(section, "extra", QString());
        if (!extra.isEmpty())
            ShownIn()->SetExtraCaption(extra);
    }

    TChangeFlasher *Flasher() const override { return &ShownIn()->Flasher(); }
};

// The points top list, which the server resends whole: its numbers change in place.
class TPointsListView : public TGridView<TPointsListKind, TPointsTopListGrid>
{
public:
    using TGridView::TGridView;

    TChangeFlasher *Flasher() const override { return &ShownIn()->Flasher(); }
};

// The full top list shows the "columns" chosen, sorts on its own timer unless
// "ignore_sort_timer" is 1, and can be frozen or sorted from the window's menu.
class TFullTopListView : public TGridView<TFullTopListKind, TSmbTopListFullGrid>
{
public:
    using TGridView::TGridView;

    void ApplySettings(const TIniFile &ini, const QByteArray &section, TColor) override
    {
        ShownIn()->SetColumns(ini.ReadText(section, "columns", QString()));
        ShownIn()->SetIgnoreSortTimer(ini.ReadString(section, "ignore_sort_timer", QByteArray()) == "1");
    }

    TSmbTopListFullGrid *SortedTopList() const override { return ShownIn(); }
    TChangeFlasher *Flasher() const override { return &ShownIn()->Flasher(); }
};

using TViewMaker = std::unique_ptr<TKindView> (*)(QWidget *window);

template <typename View>
std::pair<const std::type_index, TViewMaker> Register()
{
    return {typeid(typename View::Kind), [](QWidget *window) -> std::unique_ptr<TKindView> {
                return std::make_unique<View>(window);
            }};
}

} // namespace

void TKindView::ApplySettings(const TIniFile &, const QByteArray &, TColor color)
{
    grid_->SetTextColor(color);
}

std::unique_ptr<TKindView> MakeKindView(const TAlertKind &kind, QWidget *window)
{
    // Every display kind with the grid that shows it: one line each. A kind of the
    // core without its line here cannot be shown.
    static const std::unordered_map<std::type_index, TViewMaker> views = {
        Register<TGridView<TQuickStrikeKind, TQuickStrikeGrid>>(),
        Register<TGridView<TSymbolOnlyKind, TSymbolOnlyGrid>>(),
        Register<TGridView<TSimpleListKind, TPointsTopListGrid>>(),
        Register<TPointsListView>(),
        Register<TGridView<TJFListKind, TJFGrid>>(),
        Register<TFullTopListView>(),
        Register<TBandSetView>(),
    };
    return views.at(typeid(kind))(window);
}

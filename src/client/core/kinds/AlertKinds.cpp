#include "client/core/kinds/NewestFirstKinds.h"
#include "client/core/kinds/TBandSetKind.h"
#include "client/core/kinds/TopListKinds.h"

#include <type_traits>

namespace {

using TKindMaker = std::unique_ptr<TAlertKind> (*)(const TSortedSymbolList &exclude);

template <typename Kind>
std::unique_ptr<TAlertKind> Make(const TSortedSymbolList &exclude)
{
    if constexpr (std::is_constructible_v<Kind, const TSortedSymbolList &>)
        return std::make_unique<Kind>(exclude);
    else
        return std::make_unique<Kind>();
}

struct TRegisteredKind
{
    const char *Setting;
    TKindMaker Make;
};

// Every display kind, by the "display" setting that chooses it: one line each.
const TRegisteredKind RegisteredKinds[] = {
    {"set", Make<TBandSetKind>},
    {"symbol", Make<TSymbolOnlyKind>},
    {"pointslist", Make<TPointsListKind>},
    {"smb", Make<TFullTopListKind>},
    {"jf-simplelist", Make<TJFListKind>},
    {"simplelist", Make<TSimpleListKind>},
};

} // namespace

TAlertSummary TAlertKind::Summarize(const TFieldReader &fields) const
{
    return SummarizeRow(fields);
}

std::unique_ptr<TAlertKind> MakeAlertKind(const QString &display, const TSortedSymbolList &exclude)
{
    for (const TRegisteredKind &kind : RegisteredKinds)
        if (display == QLatin1String(kind.Setting))
            return kind.Make(exclude);
    return Make<TQuickStrikeKind>(exclude);
}

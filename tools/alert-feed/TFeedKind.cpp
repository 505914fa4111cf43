#include "TFeedKind.h"

namespace {

struct TDisplayName
{
    const char *Display;
    TFeedKind Kind;
};

const TDisplayName DisplayNames[] = {
    {"set", TFeedKind::BandSet},           {"symbol", TFeedKind::SymbolMatrix},
    {"pointslist", TFeedKind::PointsList}, {"simplelist", TFeedKind::SimpleList},
    {"jf-simplelist", TFeedKind::JFList},  {"smb", TFeedKind::FullTopList},
};

} // namespace

std::optional<TFeedKind> FeedKindFromOption(const QByteArray &display)
{
    if (display == "default")
        return TFeedKind::NewestFirst;
    for (const TDisplayName &name : DisplayNames)
        if (display == name.Display)
            return name.Kind;
    return std::nullopt;
}

TFeedKind FeedKindFromDisplay(const QByteArray &display)
{
    return FeedKindFromOption(display).value_or(TFeedKind::NewestFirst);
}

QByteArray OptionNameOfFeedKind(TFeedKind kind)
{
    for (const TDisplayName &name : DisplayNames)
        if (name.Kind == kind)
            return name.Display;
    return "default";
}

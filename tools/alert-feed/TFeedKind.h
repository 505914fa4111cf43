#pragma once

#include <QByteArray>

#include <optional>

// Which kind of alert body a category carries: the same choice an alert window makes
// from its "display" setting, seen from the sending side.
enum class TFeedKind {
    NewestFirst,  // default: one alert per body, shown newest first
    BandSet,      // "set": symbols added to and deleted from a Bollinger band set
    SymbolMatrix, // "symbol": the same bodies as NewestFirst, shown as a symbol matrix
    PointsList,   // "pointslist": the whole points top list in every body
    SimpleList,   // "simplelist": one symbol, last and change per body
    JFList,       // "jf-simplelist": one JF row per body
    FullTopList,  // "smb": the whole fifteen-field top list in every body
};

// The kind a window with this "display" value shows. Like the client, anything it does
// not know (a misspelling, "Set", an empty value) falls back to the newest-first list.
TFeedKind FeedKindFromDisplay(const QByteArray &display);

// The strict form for the command line: the ini's "display" values plus "default" for
// the newest-first list; nothing for any other text, so a typo is reported, not guessed.
std::optional<TFeedKind> FeedKindFromOption(const QByteArray &display);

// The name FeedKindFromOption reads for the kind: a "display" value, or "default".
QByteArray OptionNameOfFeedKind(TFeedKind kind);

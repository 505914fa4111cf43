#pragma once

#include <QString>

#include <functional>

// The one way a symbol leaves a grid: an alert window hands its grid one that sends to
// the window's link group; tests hand a recorder instead.
using TSymbolSender = std::function<void(const QString &symbol)>;

// How an alert window hands on a clicked symbol: with the link group the window is in
// at that moment, which picks the target.
using TLinkGroupSender = std::function<void(int group, const QString &symbol)>;

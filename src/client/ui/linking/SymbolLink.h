#pragma once

#include <QString>

#include <functional>

// The one way a symbol leaves a grid: the program hands every grid the external-linking
// window's SendSymbol; tests hand a recorder instead.
using TSymbolSender = std::function<void(const QString &symbol)>;

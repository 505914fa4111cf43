#pragma once

#include <QString>

#include <functional>

// The one way a symbol leaves a grid. The external-linking window installs its
// SendSymbol here when it is created; tests install a recorder instead.
void SendSymbol(const QString &symbol);
void SetSymbolReceiver(std::function<void(const QString &)> receiver);

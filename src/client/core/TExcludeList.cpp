#include "client/core/TExcludeList.h"

#include "shared/SafeText.h"

bool TExcludeList::Accepts(const QString &symbol)
{
    return !symbol.isEmpty() && !HasDeceptiveCharacters(symbol);
}

bool TExcludeList::Add(const QString &symbol)
{
    if (!Accepts(symbol))
        return false;
    symbols_.Add(symbol);
    return true;
}

#include "client/core/TSortedSymbolList.h"

#include <algorithm>

const QCollator &TSortedSymbolList::Collator() const
{
    const QLocale current;
    if (collator_.locale() != current || collator_.caseSensitivity() != Qt::CaseInsensitive) {
        collator_ = QCollator(current);
        collator_.setCaseSensitivity(Qt::CaseInsensitive);
    }
    return collator_;
}

bool TSortedSymbolList::SameSymbol(const QString &a, const QString &b) const
{
    return Collator().compare(a, b) == 0;
}

int TSortedSymbolList::LowerBound(const QString &symbol) const
{
    const QCollator &collator = Collator();
    const auto at = std::lower_bound(items_.cbegin(), items_.cend(), symbol,
                                     [&collator](const QString &a, const QString &b) {
                                         return collator.compare(a, b) < 0;
                                     });
    return int(at - items_.cbegin());
}

bool TSortedSymbolList::FoundAt(int at, const QString &symbol) const
{
    return at < items_.size() && SameSymbol(items_[at], symbol);
}

void TSortedSymbolList::Clear()
{
    items_.clear();
}

void TSortedSymbolList::Add(const QString &symbol)
{
    const int at = LowerBound(symbol);
    if (!FoundAt(at, symbol))
        items_.insert(at, symbol);
}

void TSortedSymbolList::Remove(const QString &symbol)
{
    const int at = LowerBound(symbol);
    if (FoundAt(at, symbol))
        items_.removeAt(at);
}

bool TSortedSymbolList::Contains(const QString &symbol) const
{
    return FoundAt(LowerBound(symbol), symbol);
}

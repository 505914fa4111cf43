#include "client/core/TSortedSymbolList.h"

#include <algorithm>

const QCollator &TSortedSymbolList::Collator() const
{
    // Making a collator is costly: it is made again only for another default locale.
    const QLocale current;
    if (!collatorMade_ || current != collatorLocale_) {
        collatorLocale_ = current;
        collator_ = QCollator(current);
        collator_.setCaseSensitivity(Qt::CaseInsensitive);
        collatorMade_ = true;
    }
    return collator_;
}

bool TSortedSymbolList::SameSymbol(const QString &a, const QString &b) const
{
    return Collator().compare(a, b) == 0;
}

int TSortedSymbolList::LowerBound(const QCollator &collator, const QString &symbol) const
{
    const auto at = std::lower_bound(items_.cbegin(), items_.cend(), symbol,
                                     [&collator](const QString &a, const QString &b) {
                                         return collator.compare(a, b) < 0;
                                     });
    return int(at - items_.cbegin());
}

bool TSortedSymbolList::FoundAt(const QCollator &collator, int at, const QString &symbol) const
{
    return at < items_.size() && collator.compare(items_[at], symbol) == 0;
}

void TSortedSymbolList::Clear()
{
    items_.clear();
}

QString TSortedSymbolList::Add(const QString &symbol)
{
    const QCollator &collator = Collator();
    const int at = LowerBound(collator, symbol);
    if (!FoundAt(collator, at, symbol))
        items_.insert(at, symbol);
    return items_[at];
}

void TSortedSymbolList::Remove(const QString &symbol)
{
    const QCollator &collator = Collator();
    const int at = LowerBound(collator, symbol);
    if (FoundAt(collator, at, symbol))
        items_.removeAt(at);
}

bool TSortedSymbolList::Contains(const QString &symbol) const
{
    const QCollator &collator = Collator();
    return FoundAt(collator, LowerBound(collator, symbol), symbol);
}

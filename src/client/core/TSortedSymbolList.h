#pragma once

#include <QCollator>
#include <QString>
#include <QStringList>

// A sorted list of symbols without duplicates in which sorting, duplicates and look-up
// ignore letter case by the default locale's collation. Adding a symbol equal to one
// already present does nothing, so the form added first stays.
class TSortedSymbolList
{
public:
    void Clear();
    void Add(const QString &symbol);
    void Remove(const QString &symbol);
    bool Contains(const QString &symbol) const;
    // Whether two symbols count as the same one here.
    bool SameSymbol(const QString &a, const QString &b) const;

    const QStringList &Items() const { return items_; }
    int Count() const { return items_.size(); }

private:
    // The place where symbol is, or where it would be inserted to keep the order.
    int LowerBound(const QString &symbol) const;
    bool FoundAt(int at, const QString &symbol) const;
    // The case-insensitive collator of the default locale, remade when that changes.
    const QCollator &Collator() const;

    QStringList items_;
    mutable QCollator collator_;
};

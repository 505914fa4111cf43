#pragma once

#include <QCollator>
#include <QLocale>
#include <QString>
#include <QStringList>

// A sorted list of symbols without duplicates in which sorting, duplicates and look-up
// ignore letter case by the default locale's collation. Adding a symbol equal to one
// already present does nothing, so the form added first stays.
class TSortedSymbolList
{
public:
    void Clear();
    // Returns the list's spelling of the symbol: the one that was added first.
    QString Add(const QString &symbol);
    void Remove(const QString &symbol);
    bool Contains(const QString &symbol) const;
    // Whether two symbols count as the same one here.
    bool SameSymbol(const QString &a, const QString &b) const;
    // The case-insensitive collator of the default locale that decides it, remade
    // when that changes; callers comparing many symbols take it once.
    const QCollator &Collator() const;

    const QStringList &Items() const { return items_; }
    int Count() const { return items_.size(); }

private:
    // The place where symbol is, or where it would be inserted to keep the order.
    int LowerBound(const QCollator &collator, const QString &symbol) const;
    bool FoundAt(const QCollator &collator, int at, const QString &symbol) const;

    QStringList items_;
    mutable bool collatorMade_ = false;
    mutable QLocale collatorLocale_;
    mutable QCollator collator_;
};

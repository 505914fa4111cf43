#pragma once

#include "client/core/EntryRecords.h"

#include <QStringList>

// Top-list rows as the tests make them and read them back.

// A row with nothing but its symbol.
inline TSmbTopListEntry SmbRow(const QString &symbol)
{
    TSmbTopListEntry row;
    row.Symbol = symbol.toUtf8();
    return row;
}

inline TSmbTopListEntries SmbRows(const QStringList &symbols)
{
    TSmbTopListEntries rows;
    for (const QString &symbol : symbols)
        rows.append(SmbRow(symbol));
    return rows;
}

// The rows' symbols, in their order.
inline QStringList SymbolsOf(const TSmbTopListEntries &rows)
{
    QStringList symbols;
    for (const TSmbTopListEntry &row : rows)
        symbols.append(row.Symbol);
    return symbols;
}

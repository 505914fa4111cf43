#pragma once

#include "client/core/EntryRecords.h"
#include "shared/SeededHash.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>

// The rows of a band-set (Bollinger) window: one row per symbol, spelled byte for
// byte, ordered by the absolute distance from the band, largest first, and equal
// distances by symbol.
//
// A row is found by its exact symbol in a hash, not by a walk over the rows. Rows in
// rank order stay in order, so a row's place is found by halving. A NaN distance
// stops every walk where it stands, so rows pile up before it out of order: while one
// is listed, and until the rows are in order again, places are walked as the rule
// says.
class TBandSet
{
public:
    // Puts entry in the row of its symbol, or in a new row at the end, and then moves
    // that row to where the walk from the top stops: the walk passes over a row while
    // it ranks before the entry, the row itself with its old values. The entry's
    // symbol may borrow bytes it does not own (QByteArray::fromRawData): the row never
    // keeps them.
    void Add(TBollingerEntry entry);
    // Removes the row of exactly this symbol; false when there is none.
    bool Remove(QByteArrayView symbol);
    // Keeps the rows whose Time is less than two minutes before now (both steady
    // times). True when rows were dropped.
    bool Expire(TSteadyMs now);

    // Copies are cheap snapshots.
    const TBollingerList &Rows() const { return rows_; }

private:
    void List(const QByteArray &symbol, double distance);
    // Where the row of symbol, holding distance, is.
    int PlaceOf(const QByteArray &symbol, double distance) const;
    // Where the walk for a row of these values stops.
    int PlaceFor(double distance, const QByteArray &symbol) const;
    void CountDistance(double distance, int change);
    // After every change: whether places can be found by halving.
    void CheckOrder();

    TBollingerList rows_;
    // The distance each listed symbol's row holds, by which its place is found.
    QHash<TBytesKey, double> distances_;
    int rowsWithoutDistance_ = 0;
    bool inOrder_ = true;
};

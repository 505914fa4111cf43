#pragma once

#include "shared/LocalClock.h"
#include "shared/SeededHash.h"

#include <QByteArray>
#include <QHash>
#include <QVector>

// One number a list shows: the symbol of its row, its column and its value (NaN for
// none).
struct TCellValue
{
    QByteArray Symbol;
    int Column = 0;
    double Value = 0;
};

// How a changed cell shows: which way its number went, and how strong the flash
// still is, from 1 when it began down to 0 when it is over.
struct TCellFlash
{
    bool Up = false;
    double Strength = 0;
};

// Which cells of a list changed their number, and when: the grid lights them up
// green (up) or red (down) for a moment after the change. A cell is a symbol and a
// column, so a row that moves keeps its flash; a symbol new to the list has nothing
// to compare with and never flashes.
class TCellFlashes
{
public:
    static constexpr TSteadyMs DurationMs = 600;

    // The numbers the list shows now replace the ones it showed. A cell whose symbol was
    // shown before in the same column starts to flash when its number moved, unless
    // quiet (a frozen list learns its new numbers without a flash). Then drops the
    // flashes that are over, as Expire does, and says as it does whether some still run.
    bool Take(const QVector<TCellValue> &shown, TSteadyMs now, bool quiet = false);
    // The flash of a cell at now; Strength 0 for none.
    TCellFlash At(const QByteArray &symbol, int column, TSteadyMs now) const;
    // Drops flashes that are over; true while some still run.
    bool Expire(TSteadyMs now);
    // Forgets every number and flash: the next list shown is new throughout.
    void Clear();

private:
    // A cell: the symbol of its row and its column.
    struct TKey
    {
        QByteArray Symbol;
        int Column;

        friend bool operator==(const TKey &a, const TKey &b) { return a.Column == b.Column && a.Symbol == b.Symbol; }
        friend size_t qHash(const TKey &key, size_t)
        {
            return SeededHash(key.Symbol) ^ (size_t(key.Column) * 0x9e3779b97f4a7c15ULL);
        }
    };
    // A cell shown now, with its number and its flash if one began.
    struct TCell
    {
        double Value = 0;
        // The Take that showed it last, so a symbol shown twice keeps its first row and
        // a cell no longer shown can be told apart.
        quint64 ShownBy = 0;
        bool Flashing = false;
        bool Up = false;
        TSteadyMs FlashStart = 0;
    };

    // Ends the cell's flash if it is over; true while it runs.
    static bool EndIfOver(TCell &cell, TSteadyMs now);

    // One table for numbers and flashes, so each cell of a list costs one lookup: the
    // lists it serves are taken again with every alert.
    QHash<TKey, TCell> cells_;
    quint64 takes_ = 0;
};

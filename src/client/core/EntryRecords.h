#pragma once

#include "client/core/LinkGap.h"
#include "client/core/TNewestFirstList.h"
#include "client/core/TSnapshotList.h"
#include "shared/LocalClock.h"

#include <QByteArray>
#include <QVector>

#include <cmath>
#include <limits>
#include <type_traits>
#include <utility>

// The entry records the alert windows fill and the grids show, one kind per grid.
// Missing reals are NaN and missing integers 0; grids leave such cells empty.
// Symbols and times hold the bytes the alert carried; grids decode them only to
// paint them (DisplayText). The windows keep their newest-first lists as
// TNewestFirstList and their band sets as TSnapshotList, which hand them to the grids
// without copying the entries; the plain arrays serve lists built whole.
//
// The records of the newest-first lists carry a Gap: set, the record is no alert but
// the marker row of a link gap, which lists and grids keep like any row but which holds
// no symbol to send, copy or export.

inline double MissingReal() { return std::numeric_limits<double>::quiet_NaN(); }

// The alerts of one symbol that a window folding bursts shows as one row: how many
// came, and when the newest came, in steady time.
struct TBurst
{
    qint32 Count = 1;
    TSteadyMs Newest = 0;
};

// One alert of the newest-first list (also the Symbol-only grid's record).
struct TQuickStrikeEntry
{
    QByteArray Symbol;
    double Last = MissingReal();
    double PrevClose = MissingReal();
    double Divergence = MissingReal();
    QByteArray Time;
    TLinkGap Gap;
    TBurst Burst;
};
using TQuickStrikeEntries = QVector<TQuickStrikeEntry>;
using TQuickStrikeList = TNewestFirstList<TQuickStrikeEntry>;

// One symbol near its Bollinger band; Time is when the alert was handled, in steady
// time: it only decides when the row expires.
struct TBollingerEntry
{
    QByteArray Symbol;
    double Last = MissingReal();
    double PrevClose = MissingReal();
    double DistFromBB = MissingReal();
    TSteadyMs Time = 0;
};
using TBollingerEntries = QVector<TBollingerEntry>;
using TBollingerList = TSnapshotList<TBollingerEntry>;

struct TJFEntry
{
    QByteArray Time;
    QByteArray Symbol;
    double Change = MissingReal();
    double BB = MissingReal();
    qint32 Volume = 0;
    qint32 Count = 0;
    double Rank = 0;
    double RV = MissingReal();
    TLinkGap Gap;
    TBurst Burst;
};
using TJFEntries = QVector<TJFEntry>;
using TJFList = TNewestFirstList<TJFEntry>;

struct TPointsTopListEntry
{
    QByteArray Symbol;
    double Last = MissingReal();
    double Change = MissingReal();
    TLinkGap Gap;
    TBurst Burst;
};
using TPointsTopListEntries = QVector<TPointsTopListEntry>;
// Newest first for simple lists; the points list is replaced whole by every alert.
using TPointsList = TNewestFirstList<TPointsTopListEntry>;

// One row of the full top list; the symbol "-" marks a separator row.
struct TSmbTopListEntry
{
    QByteArray Symbol;
    double PriceSpike = MissingReal();
    double VolRate = MissingReal();
    double TodaysRange = MissingReal();
    double OpeningRange = MissingReal();
    double Strength = MissingReal();
    double UpTrend = MissingReal();
    double NearHigh = MissingReal();
    double NearLow = MissingReal();
    double NewHigh = MissingReal();
    double NewLow = MissingReal();
    double Last = MissingReal();
    double Change = MissingReal();
    qint32 Volume = 0;
    qint32 Count = 0;
};
using TSmbTopListEntries = QVector<TSmbTopListEntry>;

// Whether an entry record can be a gap marker row.
template <typename Entry, typename = void>
struct THasLinkGap : std::false_type
{
};
template <typename Entry>
struct THasLinkGap<Entry, std::void_t<decltype(std::declval<Entry>().Gap)>> : std::true_type
{
};

// Whether an entry record can stand for a folded burst of alerts.
template <typename Entry, typename = void>
struct THasBurst : std::false_type
{
};
template <typename Entry>
struct THasBurst<Entry, std::void_t<decltype(std::declval<Entry>().Burst)>> : std::true_type
{
};

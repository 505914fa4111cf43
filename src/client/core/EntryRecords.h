#pragma once

#include "client/core/LinkGap.h"
#include "client/core/TExactDecimal.h"
#include "client/core/TInternedText.h"
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
// paint them (DisplayText). The newest-first rows hold them interned, and the JF row
// its reals as exact decimals, so a list of a whole day stays small. The windows keep their newest-first lists as
// TNewestFirstList and their band sets as TSnapshotList, which hand them to the grids
// without copying the entries; the plain arrays serve lists built whole.
//
// A record of the newest-first lists can be a gap marker (IsGapMarker): no alert but
// the marker row of a link gap, which lists and grids keep like any row but which holds
// no symbol to send, copy or export.

inline double MissingReal() { return std::numeric_limits<double>::quiet_NaN(); }

// How many alerts of one symbol a row of a window folding bursts stands for.
struct TBurst
{
    qint32 Count = 1;
};

// The part of a row that lets it stand for a link gap instead of an alert: the gap's
// marker row, made by GapMarker. A row of a JF list keeps its gap otherwise, in place
// of its figures.
template <typename Row>
class TGapMarkerRow
{
public:
    static Row GapMarker(const TLinkGap &gap)
    {
        Row marker;
        static_cast<TGapMarkerRow &>(marker).gap_ = gap;
        return marker;
    }
    bool IsGapMarker() const { return gap_.IsMarker(); }
    const TLinkGap &Gap() const { return gap_; }

private:
    TLinkGap gap_;
};

// One alert of the newest-first list (also the Symbol-only grid's record).
struct TQuickStrikeEntry : TGapMarkerRow<TQuickStrikeEntry>
{
    TInternedText Symbol;
    double Last = MissingReal();
    double PrevClose = MissingReal();
    double Divergence = MissingReal();
    TInternedText Time;
    TBurst Burst;
};
static_assert(sizeof(TQuickStrikeEntry) <= 64, "a million rows must fit in the memory of a day");
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

// The JF list keeps every alert of the day, so its row is as small as its figures
// allow. A marker row has no figures and keeps its gap in their place; it stands for
// no alert, so its burst counts none.
struct TJFEntry
{
    TInternedText Time;
    TInternedText Symbol;
    TExactDecimal Change;
    TExactDecimal BB;
    TExactDecimal Rank{0.0};
    TExactDecimal RV;
    qint32 Volume = 0;
    qint32 Count = 0;
    TBurst Burst;

    static TJFEntry GapMarker(const TLinkGap &gap);
    bool IsGapMarker() const { return Burst.Count == 0; }
    TLinkGap Gap() const;
};
static_assert(sizeof(TJFEntry) <= 36, "the JF list keeps every alert of the day");
using TJFEntries = QVector<TJFEntry>;
using TJFList = TNewestFirstList<TJFEntry>;

struct TPointsTopListEntry : TGapMarkerRow<TPointsTopListEntry>
{
    TInternedText Symbol;
    double Last = MissingReal();
    double Change = MissingReal();
    TBurst Burst;
};
static_assert(sizeof(TPointsTopListEntry) <= 64, "a million rows must fit in the memory of a day");
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
struct THasLinkGap<Entry, std::void_t<decltype(std::declval<Entry>().IsGapMarker())>> : std::true_type
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

#pragma once

#include "client/core/EntryRecords.h"
#include "client/core/TBandSet.h"
#include "client/core/TDisplayKind.h"
#include "client/core/TSortedSymbolList.h"

#include <QByteArray>

class TFieldReader;

// The entry lists of one alert window and the rules by which its alerts change them.
// The window owns one of these; whenever a call reports a change it hands the list of
// its kind to its grid. Only the list of the window's kind is ever used.
class TAlertLists
{
public:
    // exclude is consulted by QuickStrike windows; it must outlive this object.
    explicit TAlertLists(const TSortedSymbolList &exclude);

    void SetSubscription(const QByteArray &subscription) { subscription_ = subscription; }
    const QByteArray &Subscription() const { return subscription_; }
    void SetDisplayKind(TDisplayKind kind) { kind_ = kind; }
    TDisplayKind DisplayKind() const { return kind_; }

    // Takes one alert body: a category line, CR LF, the field list, and anything after
    // a second CR LF is ignored. Bodies of other categories are dropped. True when the
    // list of this window's kind must be handed to the grid again.
    bool HandleAlert(const QByteArray &data);

    // Drops band-set rows not refreshed in the last two minutes. True when any went.
    bool ExpireBollingers(TSteadyMs now);

    // Puts the marker row of a link gap on top of a newest-first list, where it counts
    // against the list's length limit like an alert. True when the window has such a list.
    bool AddGapMarker(const TLinkGap &gap);

    // Empties a newest-first list that has a "Clear Window" command. True when a
    // non-empty list was emptied.
    bool ClearWindow();

    // The newest-first lists: copies of them are cheap snapshots.
    const TQuickStrikeList &QuickStrikeEntries() const { return quickStrikeEntries_; }
    const TQuickStrikeList &SymbolOnlyEntries() const { return symbolOnlyEntries_; }
    const TBollingerList &BollingerEntries() const { return bandSet_.Rows(); }
    const TJFList &JFEntries() const { return jfEntries_; }
    const TPointsList &PointsEntries() const { return pointsEntries_; }
    const TSmbTopListEntries &SmbEntries() const { return smbEntries_; }

private:
    bool HandleQuickStrike(const TFieldReader &fields);
    void HandleSymbolOnly(const TFieldReader &fields);
    void HandleSimpleList(const TFieldReader &fields);
    void HandleJFSimpleList(const TFieldReader &fields);
    void HandlePointsList(const TFieldReader &fields);
    void HandleSmbTopList(const TFieldReader &fields);
    bool HandleBollinger(const TFieldReader &fields);

    QByteArray subscription_;
    TDisplayKind kind_ = dkQuickStrike;
    const TSortedSymbolList &exclude_;

    TQuickStrikeList quickStrikeEntries_;
    TBandSet bandSet_;
    TQuickStrikeList symbolOnlyEntries_;
    TJFList jfEntries_;
    TPointsList pointsEntries_;
    TSmbTopListEntries smbEntries_;
};

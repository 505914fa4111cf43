#pragma once

#include "client/core/AlertSummary.h"
#include "client/core/LinkGap.h"
#include "shared/LocalClock.h"

#include <QString>

#include <memory>

class TFieldReader;
class TSortedSymbolList;

// The rules of one display kind: the one list an alert window of that kind keeps, how
// the alerts of the window's category change it, and what a call-out says about them.
// Each kind has a class of its own, registered by its setting in AlertKinds.cpp; the
// list it hands on to its grid is that class's Entries().
class TAlertKind
{
public:
    virtual ~TAlertKind() = default;

    // Takes the fields of one alert. True when the list changed and must be shown again.
    virtual bool TakeAlert(const TFieldReader &fields) = 0;

    // What a sound or a desktop notification says about one alert: by default the
    // alert's own symbol and figures.
    virtual TAlertSummary Summarize(const TFieldReader &fields) const;

    // Drops rows that have grown too old. True when any went.
    virtual bool Expire(TSteadyMs /*now*/) { return false; }

    // Puts the marker row of a link gap into the list. True when the kind keeps such rows.
    virtual bool AddGapMarker(const TLinkGap & /*gap*/) { return false; }

    // Whether the window offers "Clear Window", and what it does: true when a non-empty
    // list was emptied.
    virtual bool HasClearWindow() const { return false; }
    virtual bool ClearWindow() { return false; }

    // Whether the kind keeps symbols on the exclude list out of its list, and so whether
    // its window's menu can put them there.
    virtual bool UsesExcludeList() const { return false; }

    // Whether the kind can fold a burst of one symbol's alerts into the symbol's newest
    // row, and the window that makes a burst: alerts of the symbol within this many
    // seconds of its last one. 0 folds nothing.
    virtual bool CanFoldBursts() const { return false; }
    virtual void SetFoldSeconds(int /*seconds*/) {}

    // The rows of the list, gap markers included.
    virtual int RowCount() const = 0;
};

// The kind named by a window's "display" setting. The comparison is exact, so "Set"
// or a misspelt name falls back to the QuickStrike kind. exclude must outlive the kind.
std::unique_ptr<TAlertKind> MakeAlertKind(const QString &display, const TSortedSymbolList &exclude);

#pragma once

#include "client/core/AlertParsing.h"
#include "client/core/kinds/TAlertKind.h"

#include <QByteArray>
#include <QByteArrayView>

#include <memory>

class TSortedSymbolList;

// The one list of an alert window: the alerts of its category, kept by the rules of
// its kind. A window is of the QuickStrike kind until its configuration says otherwise.
class TWindowList
{
public:
    // exclude is consulted by QuickStrike windows; it must outlive this object.
    explicit TWindowList(const TSortedSymbolList &exclude);

    void SetSubscription(const QByteArray &subscription) { subscription_ = subscription; }
    const QByteArray &Subscription() const { return subscription_; }
    // Chooses the kind by the window's "display" setting, with an empty list.
    void SetDisplay(const QString &display);
    const TAlertKind &Kind() const { return *kind_; }
    TAlertKind &Kind() { return *kind_; }

    // Takes one alert body; bodies of other categories are dropped. True when the list
    // changed and must be handed to the grid again.
    bool HandleAlert(QByteArrayView body);
    // What a call-out says about an alert this list took.
    TAlertSummary Summarize(QByteArrayView body) const;

private:
    const TSortedSymbolList &exclude_;
    QByteArray subscription_;
    std::unique_ptr<TAlertKind> kind_;
    // Kept from alert to alert, so that reading one allocates nothing once warm; it is
    // cleared after each, so it holds no view into a body that is gone.
    mutable TFieldReader fields_;
};

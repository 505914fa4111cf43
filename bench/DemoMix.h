#pragma once

// The demo's mix of alerts, one category of every kind as tools/alert-feed/KVX.ini
// subscribes them, made by the feed's own generator from its first seed.

#include "TCategoryKinds.h"
#include "TGeneratedAlerts.h"

#include <QByteArray>
#include <QVector>

// A seeded market starts at 10:30.
constexpr int DemoStartMsOfDay = (10 * 60 + 30) * 60 * 1000;

// The demo's categories in the order the feed hands alerts to them.
inline const QVector<QByteArray> DemoCategories = {"Bollinger",  "JF",           "PointsLeaders", "QuickStrike",
                                                   "SimpleList", "SymbolMatrix", "TopList"};

inline const TCategoryKinds &DemoKinds()
{
    static const TCategoryKinds kinds = [] {
        TCategoryKinds made;
        made.Set("Bollinger", TFeedKind::BandSet);
        made.Set("JF", TFeedKind::JFList);
        made.Set("PointsLeaders", TFeedKind::PointsList);
        made.Set("SimpleList", TFeedKind::SimpleList);
        made.Set("SymbolMatrix", TFeedKind::SymbolMatrix);
        made.Set("TopList", TFeedKind::FullTopList);
        return made;
    }();
    return kinds;
}

// The mix at alertsPerSecond; take bodies with TakeBody(DemoCategories).
inline TGeneratedAlerts DemoAlerts(double alertsPerSecond)
{
    return TGeneratedAlerts(1, DemoStartMsOfDay, alertsPerSecond, DemoKinds());
}

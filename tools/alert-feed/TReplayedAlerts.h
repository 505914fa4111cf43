#pragma once

#include "TAlertSource.h"
#include "TReplayScript.h"

// Recorded bodies, sent once each in file order, at their recorded times or, when a
// rate is given, evenly at that rate. A body goes only to the receivers of its
// category; the replay ends with its last line.
class TReplayedAlerts : public TAlertSource
{
public:
    // alertsPerSecond 0 keeps the recorded times.
    TReplayedAlerts(TReplayScript script, double alertsPerSecond);

    qint64 NextDueMs() const override;
    QByteArray TakeBody(const QVector<QByteArray> &categories) override;

private:
    TReplayScript script_;
    double alertsPerSecond_;
    int next_ = 0;
};

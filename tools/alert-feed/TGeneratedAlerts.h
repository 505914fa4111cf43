#pragma once

#include "TAlertGenerator.h"
#include "TAlertSource.h"
#include "TCategoryKinds.h"

// Synthetic alerts at an even rate, handed to the receivers' categories in turn; or,
// for load runs, a burst of them all due at once. Either may end after a given count.
class TGeneratedAlerts : public TAlertSource
{
public:
    TGeneratedAlerts(quint64 seed, int startMsOfDay, double alertsPerSecond,
                     const TCategoryKinds &kinds);

    // No more alerts after count (count > 0).
    void EndAfter(qint64 count) { end_ = count; }
    // The alerts up to the end are all due at once.
    void MakeBurst() { burst_ = true; }

    qint64 NextDueMs() const override;
    QByteArray TakeBody(const QVector<QByteArray> &categories) override;

private:
    TAlertGenerator generator_;
    double alertsPerSecond_;
    const TCategoryKinds &kinds_;
    qint64 taken_ = 0;
    qint64 end_ = -1;
    bool burst_ = false;
};

#pragma once

#include "TAlertGenerator.h"
#include "TAlertSource.h"
#include "TCategoryKinds.h"

// Synthetic alerts at an even rate, handed to the receivers' categories in turn.
class TGeneratedAlerts : public TAlertSource
{
public:
    TGeneratedAlerts(quint64 seed, int startMsOfDay, double alertsPerSecond,
                     const TCategoryKinds &kinds);

    qint64 NextDueMs() const override;
    QByteArray TakeBody(const QVector<QByteArray> &categories) override;

private:
    TAlertGenerator generator_;
    double alertsPerSecond_;
    const TCategoryKinds &kinds_;
    qint64 taken_ = 0;
};

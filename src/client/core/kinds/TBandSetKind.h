#pragma once

#include "client/core/TBandSet.h"
#include "client/core/kinds/TAlertKind.h"

// The band-set (Bollinger) kind ("set"): alerts add, renew or remove one symbol's row,
// and rows not renewed for two minutes expire.
class TBandSetKind : public TAlertKind
{
public:
    bool TakeAlert(const TFieldReader &fields) override;
    // A row leaving, or an alert without news, is no news worth calling out.
    TAlertSummary Summarize(const TFieldReader &fields) const override;
    bool Expire(TSteadyMs now) override { return bandSet_.Expire(now); }
    int RowCount() const override { return bandSet_.Rows().size(); }
    // Copies are cheap snapshots.
    const TBollingerList &Entries() const { return bandSet_.Rows(); }

private:
    TBandSet bandSet_;
};

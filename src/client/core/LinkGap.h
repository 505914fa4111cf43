#pragma once

#include "shared/LocalClock.h"

#include <QString>

// A stretch of time the alert stream was cut off after alerts had flowed: from the
// moment the client lost the session to the moment a new one was logged in. Alerts
// sent in between may never arrive, so the newest-first windows show it as a marker
// row between the alerts before and after.
struct TLinkGap
{
    TDateTime Lost = 0;
    TDateTime Back = 0;

    // Entry records carry a gap that is not set; only a marker row sets one.
    bool IsMarker() const { return Lost != 0; }
};

// "link lost 10:04:03 – 10:04:09, alerts may be missing", in the user's long time
// format.
QString LinkGapText(const TLinkGap &gap);

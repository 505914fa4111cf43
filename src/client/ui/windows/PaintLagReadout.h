#pragma once

#include <QString>

class TPaintLag;

// The link readout followed by the worst paint lag of the last minute, in the locale's
// numbers ("ping 12 ms, last alert 3 s ago, paint lag 12 ms"); the readout alone
// without a record or while no repaint was measured in the last minute.
QString WithPaintLag(const QString &linkReadout, const TPaintLag *lag);

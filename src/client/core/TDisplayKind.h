#pragma once

#include <QtGlobal>

class QString;

// The kind of an alert window: it decides the window's grid, its list rules and its
// popup menu. A window is a QuickStrike window until its configuration says otherwise.
enum TDisplayKind : quint8 {
    dkQuickStrike,
    dkBollinger,
    dkSymbolOnly,
    dkPointsList,
    dkSimpleList,
    dkJFSimpleList,
    dkSmbTopList,
};

// The kind named by a window's "display" setting. The comparison is exact, so "Set"
// or a misspelt name falls back to the QuickStrike kind.
TDisplayKind DisplayKindFromSetting(const QString &display);

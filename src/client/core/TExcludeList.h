#pragma once

#include "client/core/TSortedSymbolList.h"

// The symbols whose QuickStrike alerts are dropped: sorted, without duplicates, letter
// case ignored, the form entered first kept. It lives in memory only and starts empty
// on every run.
using TExcludeList = TSortedSymbolList;

// The program's one exclude list.
TExcludeList &ExcludeList();

#pragma once

#include "client/core/EntryRecords.h"

// Sample lists for the grid gallery, each chosen so that every colour rule of its
// grid shows at least once.

// Newest first; the first row is drawn inverted.
TQuickStrikeEntries QuickStrikeSamples();
// Rising, unchanged and falling symbols, and a missing distance.
TBollingerEntries BollingerSamples();
// The symbol-only grid takes one new symbol at a time: each list is the one before
// with one more symbol at the front.
QVector<TQuickStrikeEntries> SymbolOnlySteps();
// Rank tints from none to full, and counts below and from ten.
TJFEntries JFSamples();
TPointsTopListEntries PointsSamples();
// Rates from blue to red, price spikes on both sides of 5, both pies from empty to
// full, a separator row, large volumes and counts.
TSmbTopListEntries TopListSamples();
// The same symbols reordered, with two that have no row yet.
TSmbTopListEntries TopListReordered();

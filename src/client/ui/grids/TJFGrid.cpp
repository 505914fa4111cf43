#include "client/ui/grids/TJFGrid.h"

#include "client/ui/grids/PriceColumns.h"

#include <cmath>

namespace {

using TEntry = TJFEntry;

// A positive count, abbreviated to fit; nothing for none.
TListColumn<TEntry> AbbreviatedColumn(const QString &header, const QString &sample, qint64 (*count)(const TEntry &))
{
    return {header, sample, [count](TCellText &text, const TEntry &entry) {
                if (count(entry) > 0)
                    text.DrawTextRight(text.FormatAbbreviated(count(entry)));
            }};
}

TJFGrid::TColumns Columns()
{
    const QString number = WidestNumber(2);
    return {{QStringLiteral("Time"), QStringLiteral("00:00"),
             [](TCellText &text, const TEntry &entry) {
                 text.DrawTextRight(text.EllipsizeText(CellTextOf(entry.Time)));
             }},
            SymbolColumn<TEntry>(),
            NumberColumn<TEntry>(QStringLiteral("%Chg"), WidestNumber(1), QStringLiteral("%.01f"),
                                 [](const TEntry &entry) { return entry.Change; }),
            AbbreviatedColumn(QStringLiteral("Volume"), QStringLiteral("100,000,000"),
                              [](const TEntry &entry) { return qint64(entry.Volume); }),
            NumberColumn<TEntry>(QStringLiteral("RV"), number, QStringLiteral("%f"),
                                 [](const TEntry &entry) { return entry.RV; }),
            NumberColumn<TEntry>(QStringLiteral("BB"), number, QStringLiteral("%f"),
                                 [](const TEntry &entry) { return entry.BB; }),
            AbbreviatedColumn(QStringLiteral("#"), QStringLiteral("10"),
                              [](const TEntry &entry) { return qint64(entry.Count); })};
}

constexpr int CountColumn = 6;
// A count from here on lights its cell up.
constexpr int NotableCount = 10;

} // namespace

TJFGrid::TJFGrid(QWidget *owner)
    : TListGrid(owner, Columns())
{
    if (owner)
        MeasureWithCanvasFont();
}

TCellColors TJFGrid::DataCellColors(int kindColumn, int row, bool hasEntry) const
{
    const TJFEntry *entry = hasEntry ? &entries_[row - 1] : nullptr;
    if (entry && kindColumn == CountColumn && entry->Count >= NotableCount)
        return {clYellow, clBlack};
    const double rank = entry ? entry->Rank.Value() : 0;
    if (rank == 0 || std::isnan(rank))
        return {Color(), TextColor()};
    // Ranked rows are tinted from white towards the window's text colour.
    return {BlendColor(clWhite, TextColor(), rank), clBlack};
}

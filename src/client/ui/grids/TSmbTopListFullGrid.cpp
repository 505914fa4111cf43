#include "client/ui/grids/TSmbTopListFullGrid.h"

#include "client/core/TopListColumns.h"
#include "client/ui/grid/NumberFormat.h"
#include "client/ui/grid/TCanvas.h"
#include "client/ui/grid/TCellText.h"
#include "client/ui/grid/TQtCanvas.h"
#include "shared/Exception.h"
#include "shared/DisplayText.h"

#include <algorithm>
#include <cmath>

namespace {

// Logical columns, the ids of the "columns" setting.
enum TColumnId {
    ciSymbol,
    ciPriceSpike,
    ciVolRate,
    ciTodaysRange,
    ciOpeningRange,
    ciStrength,
    ciUpTrend,
    ciNearHigh,
    ciNewHigh,
    ciNearLow,
    ciNewLow,
    ciLast,
    ciChange,
    ciVolume,
    ciCount,
    ciColumnIds
};

struct TColumnInfo
{
    const char *caption;
    // Sizes a column of text or counts; the pie columns are square instead and
    // have none.
    const char *sample;
    // A column of numbers shows this many decimals and is sized for the widest
    // number; -1 for the others.
    int decimals;
};

const TColumnInfo Columns[ciColumnIds] = {
    {"Symbol", "XXXXX", -1}, {"PrSpk", nullptr, 1}, {"IPR", nullptr, 1},   {"TRang", nullptr, 1},
    {"ORang", nullptr, 1},   {"Strnth", nullptr, 1}, {"Up Tr", nullptr, 1}, {"Nr Hi", nullptr, 1},
    {"H", nullptr, -1},      {"Nr Lo", nullptr, 1}, {"L", nullptr, -1},     {"Last", nullptr, 2},
    {"%Chg", nullptr, 1},    {"Volume", "100,000,000", -1}, {"#", "100", -1},
};

bool IsPieId(int id)
{
    return id == ciNewHigh || id == ciNewLow;
}

constexpr TColor NewHighPieColor = RGB(0, 255, 0);
constexpr TColor NewLowPieColor = RGB(255, 102, 0);
constexpr TColor RateTextColor = clWhite;
constexpr TColor LowRateColor = RGB(0, 0, 255);
constexpr TColor HighRateColor = RGB(255, 0, 0);
constexpr double LowRate = 0.5;
constexpr double NeutralRate = 1.0;
constexpr double HighRate = 3.5;
constexpr double PriceSpikeFrom = 5.0;

bool IsKnownId(int id)
{
    return id >= 0 && id < ciColumnIds;
}

QWidget *RequireOwner(QWidget *owner)
{
    AZ_ASSERT(owner);
    return owner;
}

const QString OneDecimal = QStringLiteral("%.1f");

// The value a numeric cell shows, NaN for the columns that show none.
double NumberOf(int id, const TSmbTopListEntry &entry)
{
    switch (id) {
    case ciPriceSpike:
        return entry.PriceSpike;
    case ciVolRate:
        return entry.VolRate;
    case ciTodaysRange:
        return entry.TodaysRange;
    case ciOpeningRange:
        return entry.OpeningRange;
    case ciStrength:
        return entry.Strength;
    case ciUpTrend:
        return entry.UpTrend;
    case ciNearHigh:
        return entry.NearHigh;
    case ciNearLow:
        return entry.NearLow;
    case ciLast:
        return entry.Last;
    case ciChange:
        return entry.Change;
    default:
        return MissingReal();
    }
}

// The counts and figures a row's number cells show, by logical column: the ones a
// change can light up.
double ShownNumberOf(int id, const TSmbTopListEntry &entry)
{
    switch (id) {
    // A count cell is empty, not 0, until there is one.
    case ciVolume:
        return entry.Volume > 0 ? entry.Volume : MissingReal();
    case ciCount:
        return entry.Count > 0 ? entry.Count : MissingReal();
    default:
        return NumberOf(id, entry);
    }
}

bool ShowsNumber(int id)
{
    return IsKnownId(id) && id != ciSymbol && !IsPieId(id);
}

} // namespace

TColor VolRateColor(double volRate)
{
    if (std::isnan(volRate))
        return clBlack;
    if (volRate <= LowRate)
        return LowRateColor;
    if (volRate >= HighRate)
        return HighRateColor;
    if (volRate >= NeutralRate)
        return RGB(RoundHalfEven((volRate - NeutralRate) / (HighRate - NeutralRate) * 255), 0, 0);
    return RGB(0, 0, RoundHalfEven((NeutralRate - volRate) / (NeutralRate - LowRate) * 255));
}

bool IsPriceSpike(double priceSpike)
{
    return priceSpike >= PriceSpikeFrom;
}

TSmbTopListFullGrid::TSmbTopListFullGrid(QWidget *owner)
    : TGridFrame(RequireOwner(owner), 1)
    , newHighPie_(NewHighPieColor)
    , newLowPie_(NewLowPieColor)
    , flasher_(*this)
{
    // No vertical scroll bar: rows below the window come into view as the selection
    // moves. Columns wider than the window scroll sideways.
    SetScrollBars(TGridScrollBars::sbHorizontal);
    OfferColumns(TColumnLayout(ciColumnIds, {ciSymbol}));
    MeasureWithCanvasFont();
}

void TSmbTopListFullGrid::SetEntries(const TSmbTopListEntries &list)
{
    AfterChange(order_.SetEntries(list));
}

void TSmbTopListFullGrid::SetColumns(const QString &text)
{
    QVector<int> columns = ColumnMapFromSetting(text);
    // A full top list shows at least its symbols.
    if (columns.isEmpty())
        columns.append(ciSymbol);
    OfferColumns(TColumnLayout(ciColumnIds, columns));
    LayoutColumns();
}

void TSmbTopListFullGrid::LayoutColumns()
{
    const TQtTextMetrics metrics(CanvasFont(), viewport());
    LayoutColumns(metrics);
}

void TSmbTopListFullGrid::LayoutColumns(const TTextMetrics &metrics)
{
    for (int col = 0; col < ColCount(); ++col) {
        const int id = KindColumn(col);
        if (IsPieId(id))
            SetColWidths(col, DefaultRowHeight());
        else if (IsKnownId(id))
            MeasureColumn(metrics, col, SampleText(id));
    }
    Invalidate();
}

void TSmbTopListFullGrid::Measure(const TTextMetrics &metrics)
{
    SetDefaultRowHeight(metrics.TextHeight(QStringLiteral("Xy()")) + 4);
    LayoutColumns(metrics);
}

void TSmbTopListFullGrid::SetFrozen(bool frozen)
{
    AfterChange(order_.SetFrozen(frozen));
}

void TSmbTopListFullGrid::SortNow()
{
    AfterChange(order_.SortNow());
}

void TSmbTopListFullGrid::CheckSortTimer()
{
    AfterChange(order_.CheckSortTimer());
}

void TSmbTopListFullGrid::AfterChange(TTopListChange change)
{
    if (change != TTopListChange::tcNone)
        NoteShownNumbers();
    switch (change) {
    case TTopListChange::tcNone:
        break;
    case TTopListChange::tcRepaint:
        Invalidate();
        break;
    case TTopListChange::tcNewOrder:
        ShowNewOrder();
        break;
    }
}

void TSmbTopListFullGrid::NoteShownNumbers()
{
    if (!flasher_.Enabled())
        return;
    QVector<TCellValue> shown;
    for (const TSmbTopListEntry &entry : order_.Entries()) {
        if (IsSeparatorSymbol(entry.Symbol))
            continue;
        for (int id = 0; id < ciColumnIds; ++id)
            if (ShowsNumber(id))
                shown.append({entry.Symbol, id, ShownNumberOf(id, entry)});
    }
    // A frozen list still takes new numbers into its rows, but quietly.
    flasher_.Take(shown, Frozen());
}

void TSmbTopListFullGrid::ShowNewOrder()
{
    // Rows that vanish can move the selection; that move is not the user's choice
    // and must not link a symbol.
    linkOnSelect_ = false;
    SetRowCount(std::max(1, EntryCount()) + 1);
    linkOnSelect_ = true;
    Invalidate();

    const int selectedIndex = Row() >= FixedRows() ? Row() - 1 : -1;
    switch (SelectionAfterSort(order_.Entries(), selectedIndex, lastLinkedSymbol_)) {
    case TSelectionAfterSort::saKeep:
        break;
    case TSelectionAfterSort::saClear:
        ClearSelection();
        lastLinkedSymbol_.clear();
        SetTopRow(FixedRows());
        break;
    case TSelectionAfterSort::saForgetLink:
        lastLinkedSymbol_.clear();
        SetTopRow(FixedRows());
        break;
    }
}

TColor TSmbTopListFullGrid::HeaderColor() const
{
    if (Frozen())
        return SmbFrozenHeaderColor;
    if (MissingCount() > 0)
        return SmbMissingHeaderColor;
    return SmbHeaderColor;
}

QString TSmbTopListFullGrid::HeaderText(int id) const
{
    return IsKnownId(id) ? QString::fromLatin1(Columns[id].caption) : QString();
}

QString TSmbTopListFullGrid::SampleText(int id) const
{
    if (!IsKnownId(id))
        return QString();
    return Columns[id].decimals >= 0 ? WidestNumber(Columns[id].decimals) : QString::fromLatin1(Columns[id].sample);
}

TCellColors TSmbTopListFullGrid::DataColors(int id, const TSmbTopListEntry *entry) const
{
    if (id == ciSymbol || id == ciVolRate)
        return {entry ? VolRateColor(entry->VolRate) : clBlack, RateTextColor};
    if (id == ciPriceSpike && entry && IsPriceSpike(entry->PriceSpike))
        return {clYellow, clBlack};
    return {Color(), TextColor()};
}

void TSmbTopListFullGrid::DrawCell(TCanvas &canvas, int col, int row, const QRect &rect,
                                   TGridDrawState state)
{
    const int id = KindColumn(col);
    const TSmbTopListEntries &entries = order_.Entries();
    const TSmbTopListEntry *entry = row >= 1 && row <= entries.size() ? &entries[row - 1] : nullptr;
    // A separator row repeats the header captions.
    const bool header = state.Fixed || (entry && IsSeparatorSymbol(entry->Symbol));

    canvas.SetFontStyle({});
    TCellColors colors = header ? TCellColors{HeaderColor(), clBlack} : DataColors(id, entry);
    if (!header && entry && ShowsNumber(id))
        colors.Background = flasher_.Background(colors.Background, entry->Symbol, id);
    const QRect textRect = PrepareCell(canvas, rect, colors.Background, header);
    canvas.SetFontColor(colors.Text);
    TCellText text(canvas, textRect);
    if (header) {
        DrawHeaderText(text, HeaderText(id));
        return;
    }
    if (!entry)
        return;
    switch (id) {
    case ciNewHigh:
        newHighPie_.Draw(canvas, colors.Background, textRect, entry->NewHigh);
        break;
    case ciNewLow:
        newLowPie_.Draw(canvas, colors.Background, textRect, entry->NewLow);
        break;
    case ciSymbol:
        DrawDataCell(text, id, row - 1);
        // The frame on the symbol cell is the only mark of the selected row.
        if (state.Selected)
            canvas.FrameRect(rect, colors.Text);
        break;
    default:
        DrawDataCell(text, id, row - 1);
    }
}

void TSmbTopListFullGrid::DrawDataCell(TCellText &text, int id, int index)
{
    const TSmbTopListEntry &entry = order_.Entries()[index];
    switch (id) {
    case ciSymbol:
        text.DrawTextLeft(text.EllipsizeText(CellTextOf(entry.Symbol)));
        break;
    case ciVolume:
        if (entry.Volume > 0)
            text.DrawTextRight(text.FormatAbbreviated(entry.Volume));
        break;
    case ciCount:
        if (entry.Count > 0)
            text.DrawTextRight(text.FormatAbbreviated(entry.Count));
        break;
    default: {
        // Every number shows whole or as "...", never cut off at the cell edge.
        const double value = NumberOf(id, entry);
        text.DrawNumberRight(id == ciLast ? QStringLiteral("%f") : OneDecimal, value);
    }
    }
}

void TSmbTopListFullGrid::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y)
{
    TGridFrame::MouseDown(button, modifiers, x, y);
    int col, row;
    if (button == Qt::LeftButton && MouseToCell(x, y, col, row) && row == Row())
        ScrollRowIntoView(row);
}

void TSmbTopListFullGrid::MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, int, int)
{
}

bool TSmbTopListFullGrid::SelectCell(int col, int row)
{
    // Unlike the list grids, this one links by selecting rows.
    TGridFrame::SelectCell(col, row);
    if (!linkOnSelect_)
        return true;
    // A failing external link must never disturb the grid.
    try {
        const QByteArray symbol = SymbolToLink(order_.Entries(), row - 1, lastLinkedSymbol_);
        if (!symbol.isEmpty()) {
            lastLinkedSymbol_ = symbol;
            SendSymbol(DisplayText(symbol));
        }
    } catch (...) {
    }
    return true;
}

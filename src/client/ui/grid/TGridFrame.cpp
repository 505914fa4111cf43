#include "client/ui/grid/TGridFrame.h"

#include "client/ui/SymbolLink.h"
#include "client/ui/grid/TCanvas.h"
#include "client/ui/grid/TCellText.h"
#include "client/ui/grid/TQtCanvas.h"
#include "shared/DisplayText.h"

#include <QKeyEvent>

#include <algorithm>
#include <utility>

namespace {

// A header's text rectangle loses one pixel on each side to the bevel.
constexpr int BevelWidth = 1;
// Text keeps this far from the cell's sides, in rectangles wide enough for it.
constexpr int TextInset = 3;
constexpr int NarrowestInsetWidth = 15;

} // namespace

TGridFrame::TGridFrame(QWidget *owner, int colCount)
    : TDrawGrid(owner)
{
    SetColor(clBlack);
    SetColCount(colCount);
    SetRowCount(2);
    SetColumnSizing(true);
    SetThumbTracking(true);
    SetHasCurrentCell(false);
    flashTimer_.setSingleShot(true);
    flashTimer_.setInterval(FlashMs);
    connect(&flashTimer_, &QTimer::timeout, this, [this] {
        flashCol_ = flashRow_ = -1;
        Invalidate();
    });
}

void TGridFrame::SetTextColor(TColor color)
{
    textColor_ = color;
    Invalidate();
}

int TGridFrame::MeasuredWidth(const TTextMetrics &metrics, const QString &sample) const
{
    // Room for the two insets, plus the bevel and a little air with the 3-D look.
    return metrics.TextWidth(sample) + (Ctl3D() ? 16 : 12);
}

void TGridFrame::MeasureColumn(const TTextMetrics &metrics, int col, const QString &sample)
{
    SetColWidths(col, MeasuredWidth(metrics, sample));
}

void TGridFrame::Measure(const TTextMetrics &metrics)
{
    SetDefaultRowHeight(metrics.TextHeight(QStringLiteral("Xy()")) + 4);
    for (int col = 0; col < ColCount(); ++col)
        MeasureColumn(metrics, col, SampleText(col));
}

void TGridFrame::MeasureWithCanvasFont()
{
    SetCanvasFont(font());
    const TQtTextMetrics metrics(CanvasFont(), viewport());
    Measure(metrics);
}

void TGridFrame::FontChanged()
{
    // A new alert font re-measures rows and columns as at creation; widths the
    // user dragged give way to the measured ones.
    MeasureWithCanvasFont();
    ForgetUserSizing();
    Invalidate();
}

bool TGridFrame::CellEntry(int, int row, int &index) const
{
    index = row - 1;
    return row >= 1 && index < EntryCount();
}

TCellColors TGridFrame::DataCellColors(int, int, bool) const
{
    return {Color(), textColor_};
}

bool TGridFrame::CellSymbolEntry(int col, int row, int &index) const
{
    return CellEntry(col, row, index) && !GapAt(index);
}

void TGridFrame::DrawCell(TCanvas &canvas, int col, int row, const QRect &rect, TGridDrawState state)
{
    const bool header = state.Fixed;
    int index = -1;
    const bool hasEntry = !header && CellEntry(col, row, index);
    canvas.SetFontStyle({});
    if (const TLinkGap *gap = hasEntry ? GapAt(index) : nullptr) {
        DrawGapMarker(canvas, col, rect, *gap);
        if (hasFocus() && IsKeySelected(col, row))
            DrawSelectionFrame(canvas, col, row, rect);
        return;
    }
    TCellColors colors = header ? TCellColors{FixedColor(), clBlack} : DataCellColors(col, row, hasEntry);
    if (!header && IsFlashing(col, row))
        colors = {FromQColor(palette().color(QPalette::Highlight)),
                  FromQColor(palette().color(QPalette::HighlightedText))};
    TCellText text(canvas, PrepareCell(canvas, rect, colors.Background, header));
    canvas.SetFontColor(colors.Text);
    if (header)
        DrawHeaderText(text, HeaderText(col));
    else if (hasEntry)
        DrawDataCell(text, col, index);
    if (!header && hasFocus() && IsKeySelected(col, row))
        DrawSelectionFrame(canvas, col, row, rect);
}

void TGridFrame::DrawGapMarker(TCanvas &canvas, int col, const QRect &cell, const TLinkGap &gap) const
{
    canvas.FillRect(cell, FixedColor());
    canvas.SetFontColor(clBlack);
    const QString text = LinkGapText(gap);
    if (!GapSpansRow()) {
        TCellText cellText(canvas, PrepareCell(canvas, cell, FixedColor(), false));
        cellText.DrawTextLeft(cellText.EllipsizeText(text));
        return;
    }
    // Each cell draws the part of the row's text that falls on it, so the text runs
    // on from column to column without a break; a row too short for it ends in "...".
    int rowLeft = cell.left();
    for (int c = 0; c < col; ++c)
        rowLeft -= ColWidths(c);
    int rowWidth = 0;
    for (int c = 0; c < ColCount(); ++c)
        rowWidth += ColWidths(c);
    const TCellText band(canvas, QRect(rowLeft + TextInset, cell.top(), rowWidth - 2 * TextInset, cell.height()));
    const QString shown = band.EllipsizeText(text);
    const int top = cell.top() + std::max(cell.height() - canvas.TextHeight(shown), 0) / 2;
    canvas.TextRect(cell, rowLeft + TextInset, top, shown);
}

bool TGridFrame::IsKeySelected(int col, int row) const
{
    return selectedRow_ >= FixedRows() && SameClickTarget(selectedCol_, selectedRow_, col, row);
}

void TGridFrame::DrawSelectionFrame(TCanvas &canvas, int col, int row, const QRect &rect) const
{
    const TColor color = FromQColor(palette().color(QPalette::Highlight));
    canvas.FillRect(QRect(rect.left(), rect.top(), rect.width(), 1), color);
    canvas.FillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), color);
    if (col == 0 || !IsKeySelected(col - 1, row))
        canvas.FillRect(QRect(rect.left(), rect.top(), 1, rect.height()), color);
    if (col == ColCount() - 1 || !IsKeySelected(col + 1, row))
        canvas.FillRect(QRect(rect.right(), rect.top(), 1, rect.height()), color);
}

QRect TGridFrame::PrepareCell(TCanvas &canvas, const QRect &cell, TColor background, bool header) const
{
    canvas.FillRect(cell, background);
    QRect textRect = cell;
    if (header && Ctl3D()) {
        canvas.DrawBevel(cell);
        textRect.adjust(BevelWidth, BevelWidth, -BevelWidth, -BevelWidth);
    }
    if (textRect.width() >= NarrowestInsetWidth)
        textRect.adjust(TextInset, 0, -TextInset, 0);
    return textRect;
}

void TGridFrame::DrawHeaderText(TCellText &text, const QString &caption)
{
    text.DrawTextCentered(text.EllipsizeText(caption));
}

bool TGridFrame::SameClickTarget(int, int row1, int, int row2) const
{
    return row1 == row2;
}

bool TGridFrame::ShowsSymbol(int col, int row, const QByteArray &symbol) const
{
    int index;
    return row < RowCount() && CellSymbolEntry(col, row, index) && EntrySymbol(index) == symbol;
}

int TGridFrame::NearestRowShowing(int col, int row, const QByteArray &symbol) const
{
    // Bounded, so following a symbol costs the same whatever the list's length.
    const int reach = VisibleRowCount() + 1;
    for (int distance = 0; distance <= reach; ++distance) {
        if (ShowsSymbol(col, row + distance, symbol))
            return row + distance;
        if (distance > 0 && row - distance >= FixedRows() && ShowsSymbol(col, row - distance, symbol))
            return row - distance;
    }
    return -1;
}

bool TGridFrame::IsFlashing(int col, int row) const
{
    if (flashRow_ < 0)
        return false;
    // Alerts arriving during the flash move the rows; the flash stays with the
    // symbol that was sent, in the row nearest to the click that shows it.
    const int flashedRow = NearestRowShowing(flashCol_, flashRow_, flashSymbol_);
    return flashedRow >= 0 && SameClickTarget(flashCol_, flashedRow, col, row);
}

void TGridFrame::FollowSelectedSymbol()
{
    // A row without a symbol (a gap marker) has nothing to follow.
    if (selectedRow_ < FixedRows() || selectedSymbol_.isEmpty())
        return;
    // Without its symbol nearby the selection keeps its row, as it does once its
    // entry has left the list.
    const int row = NearestRowShowing(selectedCol_, selectedRow_, selectedSymbol_);
    if (row >= 0)
        selectedRow_ = row;
}

void TGridFrame::MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y)
{
    if (button != Qt::LeftButton)
        return;
    // The symbol is taken now: alerts arriving before the release may move the
    // rows, and the trader meant what was under the pointer when pressing.
    pressedRow_ = -1;
    int col, row, index;
    if (MouseToCell(x, y, col, row) && CellSymbolEntry(col, row, index)) {
        pressedCol_ = col;
        pressedRow_ = row;
        pressedSymbol_ = EntrySymbol(index);
    }
}

void TGridFrame::MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y)
{
    if (button != Qt::LeftButton)
        return;
    const int pressedRow = std::exchange(pressedRow_, -1);
    int col, row;
    // A press that ends on another row (or ends a column drag) is no click.
    if (pressedRow < 0 || !MouseToCell(x, y, col, row) || !SameClickTarget(pressedCol_, pressedRow, col, row))
        return;
    SendFrom(pressedCol_, pressedRow, pressedSymbol_);
}

void TGridFrame::SendFrom(int col, int row, const QByteArray &symbol)
{
    flashCol_ = col;
    flashRow_ = row;
    flashSymbol_ = symbol;
    flashTimer_.start();
    Invalidate();
    SendSymbol(DisplayText(symbol));
}

void TGridFrame::MoveSelection(int col, int row)
{
    selectedCol_ = std::clamp(col, 0, ColCount() - 1);
    selectedRow_ = std::clamp(row, FixedRows(), RowCount() - 1);
    int index;
    selectedSymbol_ = CellSymbolEntry(selectedCol_, selectedRow_, index) ? EntrySymbol(index) : QByteArray();
    ScrollRowIntoView(selectedRow_);
    Invalidate();
}

void TGridFrame::keyPressEvent(QKeyEvent *event)
{
    if (HasCurrentCell()) {
        TDrawGrid::keyPressEvent(event);
        return;
    }
    // The first move starts from the first row shown.
    const int row = selectedRow_ >= FixedRows() ? std::min(selectedRow_, RowCount() - 1) : -1;
    const int from = row >= 0 ? row : TopRow();
    const int step = row >= 0 ? 1 : 0;
    switch (event->key()) {
    case Qt::Key_Up:
        MoveSelection(selectedCol_, from - step);
        break;
    case Qt::Key_Down:
        MoveSelection(selectedCol_, from + step);
        break;
    case Qt::Key_PageUp:
        MoveSelection(selectedCol_, from - VisibleRowCount());
        break;
    case Qt::Key_PageDown:
        MoveSelection(selectedCol_, from + VisibleRowCount());
        break;
    case Qt::Key_Home:
        MoveSelection(selectedCol_, FixedRows());
        break;
    case Qt::Key_End:
        MoveSelection(selectedCol_, RowCount() - 1);
        break;
    case Qt::Key_Left:
        MoveSelection(selectedCol_ - 1, from);
        break;
    case Qt::Key_Right:
        MoveSelection(selectedCol_ + 1, from);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter: {
        int index;
        if (row >= 0 && CellSymbolEntry(selectedCol_, row, index))
            SendFrom(selectedCol_, row, EntrySymbol(index));
        break;
    }
    default:
        TDrawGrid::keyPressEvent(event);
    }
}

void TGridFrame::focusInEvent(QFocusEvent *event)
{
    TDrawGrid::focusInEvent(event);
    Invalidate();
}

void TGridFrame::focusOutEvent(QFocusEvent *event)
{
    TDrawGrid::focusOutEvent(event);
    Invalidate();
}

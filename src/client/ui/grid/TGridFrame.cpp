#include "client/ui/grid/TGridFrame.h"

#include "client/ui/grid/TCanvas.h"
#include "client/ui/grid/TCellText.h"
#include "client/ui/grid/TQtCanvas.h"
#include "shared/DisplayText.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QToolButton>
#include <QToolTip>

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
    , newAboveButton_(new QToolButton(viewport()))
{
    newAboveButton_->setObjectName(QStringLiteral("NewAbove"));
    newAboveButton_->setFocusPolicy(Qt::NoFocus);
    newAboveButton_->hide();
    connect(newAboveButton_, &QToolButton::clicked, this, [this] { SetTopRow(FixedRows()); });
    SetColor(clBlack);
    SetColCount(colCount);
    SetRowCount(2);
    SetColumnSizing(true);
    SetThumbTracking(true);
    SetRowSelect(true);
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
    SetColWidths(col, std::max(MeasuredWidth(metrics, sample), MeasuredWidth(metrics, HeaderText(KindColumn(col)))));
}

void TGridFrame::MeasureKindColumn(const TTextMetrics &metrics, int kindColumn, const QString &sample)
{
    const int col = ChoosesColumns() ? columnLayout_.PositionOf(kindColumn) : kindColumn;
    if (col >= 0)
        MeasureColumn(metrics, col, sample);
}

void TGridFrame::Measure(const TTextMetrics &metrics)
{
    SetDefaultRowHeight(metrics.TextHeight(QStringLiteral("Xy()")) + 4);
    for (int col = 0; col < ColCount(); ++col)
        MeasureColumn(metrics, col, SampleText(KindColumn(col)));
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
    return CellEntry(col, row, index) && !GapAt(index).has_value();
}

void TGridFrame::DrawCell(TCanvas &canvas, int col, int row, const QRect &rect, TGridDrawState state)
{
    const bool header = state.Fixed;
    int index = -1;
    const bool hasEntry = !header && CellEntry(col, row, index);
    canvas.SetFontStyle({});
    if (const std::optional<TLinkGap> gap = hasEntry ? GapAt(index) : std::nullopt) {
        const QRect band = GapSpansRow() ? GapBand(rect.top()) : rect;
        DrawGapMarker(canvas, band, rect, *gap);
        if (hasFocus() && state.Selected)
            DrawSelectionFrame(canvas, col, rect);
        return;
    }
    const int kindColumn = KindColumn(col);
    TCellColors colors = header ? TCellColors{FixedColor(), clBlack} : DataCellColors(kindColumn, row, hasEntry);
    if (!header && IsFlashing(col, row))
        colors = {FromQColor(palette().color(QPalette::Highlight)),
                  FromQColor(palette().color(QPalette::HighlightedText))};
    TCellText text(canvas, PrepareCell(canvas, rect, colors.Background, header));
    canvas.SetFontColor(colors.Text);
    if (header)
        DrawHeaderText(text, HeaderText(kindColumn));
    else if (hasEntry)
        DrawDataCell(text, kindColumn, index);
    if (!header && hasFocus() && state.Selected)
        DrawSelectionFrame(canvas, col, rect);
}

bool TGridFrame::DrawWholeRow(TCanvas &canvas, int row, const QRect &rect, TGridDrawState state)
{
    int index;
    const std::optional<TLinkGap> gap = GapSpansRow() && CellEntry(0, row, index) ? GapAt(index) : std::nullopt;
    if (!gap)
        return false;
    canvas.SetFontStyle({});
    DrawGapMarker(canvas, rect, rect, *gap);
    if (hasFocus() && state.Selected)
        canvas.FrameRect(rect, FromQColor(palette().color(QPalette::Highlight)));
    return true;
}

QRect TGridFrame::GapBand(int top) const
{
    return QRect(0, top, std::max(viewport()->width(), ContentWidth() - ScrollX()), DefaultRowHeight());
}

void TGridFrame::DrawGapMarker(TCanvas &canvas, const QRect &band, const QRect &clip, const TLinkGap &gap) const
{
    canvas.FillRect(clip, FixedColor());
    canvas.SetFontColor(clBlack);
    // The text starts at the band's left whichever part of it is drawn, so it runs on
    // from cell to cell without a break; a band too short for it ends in "...".
    const QRect textRect = band.width() >= NarrowestInsetWidth ? band.adjusted(TextInset, 0, -TextInset, 0) : band;
    const TCellText text(canvas, textRect);
    const QString shown = text.EllipsizeText(LinkGapText(gap));
    const int top = band.top() + std::max(band.height() - canvas.TextHeight(shown), 0) / 2;
    canvas.TextRect(clip & textRect, textRect.left(), top, shown);
}

void TGridFrame::DrawSelectionFrame(TCanvas &canvas, int col, const QRect &rect) const
{
    const TColor color = FromQColor(palette().color(QPalette::Highlight));
    canvas.FillRect(QRect(rect.left(), rect.top(), rect.width(), 1), color);
    canvas.FillRect(QRect(rect.left(), rect.bottom(), rect.width(), 1), color);
    // A selected row is framed as a whole, a selected cell on its own.
    if (col == 0 || !RowSelect())
        canvas.FillRect(QRect(rect.left(), rect.top(), 1, rect.height()), color);
    if (col == ColCount() - 1 || !RowSelect())
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
    if (!Selection().HasRow() || Selection().Symbol().isEmpty())
        return;
    // Without its symbol nearby the selection keeps its row, as it does once its
    // entry has left the list.
    const int row = NearestRowShowing(Col(), Row(), Selection().Symbol());
    if (row >= 0)
        PlaceCurrent(Col(), row);
}

void TGridFrame::EntriesArrivedOnTop(int count)
{
    if (Row() >= FixedRows())
        PlaceCurrent(Col(), Row() + count);
    if (flashRow_ >= FixedRows())
        flashRow_ += count;
    if (TopRow() == FixedRows())
        return;
    // The press moves with the row under it, so the release over it is still a click.
    if (pressedRow_ >= FixedRows())
        pressedRow_ += count;
    SetTopRow(TopRow() + count);
    newAbove_ += count;
    UpdateNewAbove();
}

void TGridFrame::UpdateNewAbove()
{
    if (newAbove_ == 0) {
        newAboveButton_->hide();
        return;
    }
    newAboveButton_->setText(QStringLiteral("%1 new \u2191").arg(newAbove_));
    newAboveButton_->adjustSize();
    const QSize size = newAboveButton_->size();
    newAboveButton_->move(std::max(0, viewport()->width() - size.width() - TextInset), DefaultRowHeight() + 1);
    newAboveButton_->show();
}

void TGridFrame::Resized()
{
    UpdateNewAbove();
}

bool TGridFrame::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ContextMenu && ShowColumnMenu(static_cast<QContextMenuEvent *>(event)))
        return true;
    if (event->type() != QEvent::ToolTip)
        return TDrawGrid::viewportEvent(event);
    const auto *help = static_cast<QHelpEvent *>(event);
    int col, row, index;
    const std::optional<TLinkGap> gap = MouseToCell(help->pos().x(), help->pos().y(), col, row)
                                                 && row >= FixedRows() && CellEntry(col, row, index)
                                             ? GapAt(index)
                                             : std::nullopt;
    if (gap)
        QToolTip::showText(help->globalPos(), LinkGapText(*gap), viewport());
    else
        QToolTip::hideText();
    return true;
}

void TGridFrame::scrollContentsBy(int dx, int dy)
{
    TDrawGrid::scrollContentsBy(dx, dy);
    // Back at the first row everything new is in view.
    if (TopRow() == FixedRows() && newAbove_ > 0) {
        newAbove_ = 0;
        UpdateNewAbove();
    }
}

bool TGridFrame::SelectCell(int col, int row)
{
    int index;
    Selection().SetSymbol(CellSymbolEntry(col, row, index) ? EntrySymbol(index) : QByteArray());
    return true;
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

void TGridFrame::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        int index;
        if (Row() >= FixedRows() && CellSymbolEntry(Col(), Row(), index))
            SendFrom(Col(), Row(), EntrySymbol(index));
        return;
    }
    TDrawGrid::keyPressEvent(event);
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

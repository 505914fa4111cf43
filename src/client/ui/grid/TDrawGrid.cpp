#include "client/ui/grid/TDrawGrid.h"

#include "client/ui/grid/TQtCanvas.h"
#include "shared/TPaintLag.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace {

// How far from a column border, in pixels, a press in the header starts a resize.
constexpr int SizingReach = 3;

} // namespace

TDrawGrid::TDrawGrid(QWidget *owner)
    : QAbstractScrollArea(owner)
    , canvasFont_(font())
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFocusPolicy(Qt::WheelFocus);
    // Every pixel is painted by the cells or the uncovered strip.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setAutoFillBackground(false);
    viewport()->setMouseTracking(true);
    connect(&pacer_, &TRepaintPacer::FrameDue, viewport(), [this] {
        if (scrollBarUpdatePending_)
            UpdateScrollBar();
        viewport()->update();
    });
    UpdateScrollBar();
    UpdateHorizontalScrollBar();
}

void TDrawGrid::SetColCount(int count)
{
    geometry_.SetColCount(count);
    selection_.Place(std::min(Col(), count - 1), Row());
    UpdateHorizontalScrollBar();
    Invalidate();
}

void TDrawGrid::SetRowCount(int count)
{
    geometry_.SetRowCount(count, ViewHeight());
    if (Row() >= count) {
        // The current row no longer exists: the last row becomes current, and
        // the owner hears of it like of any other move.
        SelectCell(Col(), count - 1);
        selection_.Place(Col(), count - 1);
    }
    ScheduleScrollBarUpdate();
    Invalidate();
}

void TDrawGrid::SetDefaultRowHeight(int height)
{
    geometry_.SetDefaultRowHeight(height);
    UpdateScrollBar();
    Invalidate();
}

void TDrawGrid::SetDefaultColWidth(int width)
{
    geometry_.SetDefaultColWidth(width);
    UpdateHorizontalScrollBar();
    Invalidate();
}

void TDrawGrid::SetColWidths(int col, int width)
{
    geometry_.SetColWidth(col, width);
    UpdateHorizontalScrollBar();
    Invalidate();
}

void TDrawGrid::SetUserColWidth(int col, int width)
{
    geometry_.SetUserColWidth(col, width);
    UpdateHorizontalScrollBar();
    Invalidate();
}

bool TDrawGrid::ThumbTracking() const
{
    return verticalScrollBar()->hasTracking();
}

void TDrawGrid::SetThumbTracking(bool on)
{
    verticalScrollBar()->setTracking(on);
}

void TDrawGrid::SetRowSelect(bool on)
{
    selection_.SetRowSelect(on);
    Invalidate();
}

void TDrawGrid::SetScrollBars(TGridScrollBars bars)
{
    scrollBars_ = bars;
    setVerticalScrollBarPolicy(bars == TGridScrollBars::sbBoth ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(bars == TGridScrollBars::sbNone ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
}

void TDrawGrid::SetColor(TColor color)
{
    color_ = color;
    Invalidate();
}

TColor TDrawGrid::FixedColor() const
{
    return fixedColorSet_ ? fixedColor_ : FromQColor(palette().color(QPalette::Button));
}

void TDrawGrid::SetFixedColor(TColor color)
{
    fixedColor_ = color;
    fixedColorSet_ = true;
    Invalidate();
}

void TDrawGrid::SetCtl3D(bool on)
{
    ctl3D_ = on;
    Invalidate();
}

void TDrawGrid::SetCanvasFont(const QFont &font)
{
    canvasFont_ = font;
    Invalidate();
}

void TDrawGrid::SetRow(int row)
{
    MoveCurrent(Col(), row);
}

void TDrawGrid::ClearSelection()
{
    selection_.Clear();
    Invalidate();
}

void TDrawGrid::SetTopRow(int row)
{
    // The bar must know the current row count before it takes the new position.
    if (scrollBarUpdatePending_)
        UpdateScrollBar();
    geometry_.SetTopRow(row, ViewHeight());
    verticalScrollBar()->setValue(TopRow() - 1);
    Invalidate();
}

int TDrawGrid::VisibleRowCount() const
{
    return geometry_.VisibleRowCount(ViewHeight());
}

int TDrawGrid::ViewHeight() const
{
    return viewport()->height();
}

QRect TDrawGrid::CellRect(int col, int row) const
{
    return geometry_.CellRect(col, row);
}

bool TDrawGrid::MouseToCell(int x, int y, int &col, int &row) const
{
    return geometry_.CellAt(x, y, col, row);
}

void TDrawGrid::Invalidate()
{
    wholeRepaintAsked_ = true;
    if (pacer_.Defer())
        return;
    // This repaint covers whatever a paced one would have; a scroll-bar update that
    // waited for it goes back to the next pass of the loop.
    if (pacer_.Cancel() && scrollBarUpdatePending_)
        QueueScrollBarUpdate();
    viewport()->update();
}

void TDrawGrid::InvalidateCell(int col, int row)
{
    const QRect rect = CellRect(col, row);
    if (!rect.isEmpty())
        viewport()->update(rect);
}

TGridDrawState TDrawGrid::StateOf(int col, int row) const
{
    TGridDrawState state;
    state.Fixed = row < FixedRows();
    state.Selected = selection_.Covers(col, row);
    return state;
}

void TDrawGrid::PaintTo(TCanvas &canvas, const QRect &area)
{
    // What no cell covers shows the data background; a row painted whole covers its
    // part of the strip again.
    const int gridRight = ContentWidth() - ScrollX();
    const int gridBottom = geometry_.ContentBottom();
    const QRect rightStrip = QRect(QPoint(gridRight, area.top()), area.bottomRight()) & area;
    const QRect bottomStrip = QRect(QPoint(area.left(), gridBottom), QPoint(gridRight - 1, area.bottom())) & area;
    if (!rightStrip.isEmpty())
        canvas.FillRect(rightStrip, color_);
    if (!bottomStrip.isEmpty())
        canvas.FillRect(bottomStrip, color_);

    const int rowWidth = std::max(gridRight, viewport()->width());
    const int height = DefaultRowHeight();
    for (int row = 0; row < RowCount(); row = row == 0 ? TopRow() : row + 1) {
        const int top = geometry_.RowTop(row);
        if (top > area.bottom())
            break;
        const QRect wholeRow(0, top, rowWidth, height);
        if (row >= FixedRows() && wholeRow.intersects(area) && DrawWholeRow(canvas, row, wholeRow, StateOf(0, row)))
            continue;
        int left = -ScrollX();
        for (int col = 0; col < ColCount() && left <= area.right(); ++col) {
            const QRect cell(left, top, ColWidths(col), height);
            if (cell.intersects(area))
                DrawCell(canvas, col, row, cell, StateOf(col, row));
            left += ColWidths(col);
        }
    }
}

void TDrawGrid::PaintCell(TCanvas &canvas, int col, int row)
{
    const QRect rect = CellRect(col, row);
    if (!rect.isEmpty())
        DrawCell(canvas, col, row, rect, StateOf(col, row));
}

bool TDrawGrid::DrawWholeRow(TCanvas &, int, const QRect &, TGridDrawState)
{
    return false;
}

void TDrawGrid::MouseDown(Qt::MouseButton, Qt::KeyboardModifiers, int, int)
{
}

void TDrawGrid::MouseUp(Qt::MouseButton, Qt::KeyboardModifiers, int, int)
{
}

bool TDrawGrid::SelectCell(int, int)
{
    return true;
}

void TDrawGrid::FontChanged()
{
}

void TDrawGrid::Resized()
{
}

void TDrawGrid::ShownListChanged()
{
    // A grid off the screen or in a minimised window paints nothing until it shows
    // again: the time it was away is no lag.
    if (!paintLag_ || !wholeRepaintAsked_ || changeWaitingSince_ || !viewport()->isVisible() ||
        window()->isMinimized())
        return;
    changeWaitingSince_ = SteadyNowMs();
}

void TDrawGrid::paintEvent(QPaintEvent *event)
{
    pacer_.Painted();
    {
        QPainter painter(viewport());
        TQtCanvas canvas(painter, canvasFont_, palette(), &widthCache_);
        PaintTo(canvas, event->rect());
    }
    // A cell repainted alone (a flash, the focus) does not yet show the new list.
    if (!event->rect().contains(viewport()->rect()))
        return;
    wholeRepaintAsked_ = false;
    if (changeWaitingSince_) {
        paintLag_->Record(SteadyNowMs() - *changeWaitingSince_);
        changeWaitingSince_.reset();
    }
}

void TDrawGrid::hideEvent(QHideEvent *event)
{
    QAbstractScrollArea::hideEvent(event);
    changeWaitingSince_.reset();
}

void TDrawGrid::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBar();
    UpdateHorizontalScrollBar();
    Resized();
}

void TDrawGrid::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        FontChanged();
}

int TDrawGrid::SizingColumnAt(int x, int y) const
{
    return columnSizing_ ? geometry_.ColumnBorderAt(x, y, SizingReach) : -1;
}

void TDrawGrid::mousePressEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        sizingColumn_ = SizingColumnAt(pos.x(), pos.y());
        int col, row;
        // A press selects without scrolling: the release must land on the same row.
        if (sizingColumn_ < 0 && MouseToCell(pos.x(), pos.y(), col, row) && row >= FixedRows())
            MoveCurrent(col, row, false);
    }
    MouseDown(event->button(), event->modifiers(), pos.x(), pos.y());
}

void TDrawGrid::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint pos = event->position().toPoint();
    if (sizingColumn_ >= 0) {
        SetUserColWidth(sizingColumn_, std::max(1, pos.x() + ScrollX() - geometry_.ColumnLeft(sizingColumn_)));
        return;
    }
    if (SizingColumnAt(pos.x(), pos.y()) >= 0)
        viewport()->setCursor(Qt::SplitHCursor);
    else
        viewport()->unsetCursor();
}

void TDrawGrid::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        sizingColumn_ = -1;
    const QPoint pos = event->position().toPoint();
    MouseUp(event->button(), event->modifiers(), pos.x(), pos.y());
}

void TDrawGrid::keyPressEvent(QKeyEvent *event)
{
    int col, row;
    if (selection_.KeyTarget(event->key(), TopRow(), VisibleRowCount(), RowCount(), col, row))
        MoveCurrent(col, row);
    else
        QAbstractScrollArea::keyPressEvent(event);
}

void TDrawGrid::scrollContentsBy(int, int)
{
    geometry_.ScrollTo(verticalScrollBar()->value() + 1, horizontalScrollBar()->value());
    Invalidate();
}

void TDrawGrid::MoveCurrent(int col, int row, bool scrollIntoView)
{
    col = std::clamp(col, 0, ColCount() - 1);
    row = std::clamp(row, FixedRows(), RowCount() - 1);
    if (!SelectCell(col, row))
        return;
    selection_.Place(col, row);
    if (scrollIntoView)
        ScrollRowIntoView(row);
    Invalidate();
}

void TDrawGrid::PlaceCurrent(int col, int row)
{
    selection_.Place(std::clamp(col, 0, ColCount() - 1), std::min(row, RowCount() - 1));
    Invalidate();
}

void TDrawGrid::ScrollRowIntoView(int row)
{
    const int top = geometry_.TopRowShowing(row, ViewHeight());
    if (top != TopRow())
        SetTopRow(top);
}

void TDrawGrid::ScheduleScrollBarUpdate()
{
    if (scrollBarUpdatePending_)
        return;
    scrollBarUpdatePending_ = true;
    // While repaints are paced the bar follows with them: a new range repaints it too.
    if (pacer_.Defer())
        return;
    QueueScrollBarUpdate();
}

void TDrawGrid::QueueScrollBarUpdate()
{
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (scrollBarUpdatePending_)
                UpdateScrollBar();
        },
        Qt::QueuedConnection);
}

void TDrawGrid::UpdateScrollBar()
{
    scrollBarUpdatePending_ = false;
    const int visible = VisibleRowCount();
    const int lastTop = geometry_.LastTopRow(ViewHeight());
    QScrollBar *bar = verticalScrollBar();
    bar->setRange(0, lastTop - 1);
    // Setting the steps repaints the bar even when they stay as they were.
    if (bar->pageStep() != visible)
        bar->setPageStep(visible);
    if (bar->singleStep() != 1)
        bar->setSingleStep(1);
    geometry_.SetTopRow(TopRow(), ViewHeight());
    bar->setValue(TopRow() - 1);
}

void TDrawGrid::UpdateHorizontalScrollBar()
{
    QScrollBar *bar = horizontalScrollBar();
    const int page = viewport()->width();
    bar->setRange(0, std::max(0, ContentWidth() - page));
    if (bar->pageStep() != page)
        bar->setPageStep(page);
    // A step of about one short column.
    const int step = std::max(1, DefaultRowHeight() * 2);
    if (bar->singleStep() != step)
        bar->setSingleStep(step);
    geometry_.SetScrollX(bar->value());
}

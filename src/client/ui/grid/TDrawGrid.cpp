#include "client/ui/grid/TDrawGrid.h"

#include "client/ui/grid/TQtCanvas.h"
#include "shared/Exception.h"

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
    , colWidths_(5, 64)
    , userSized_(5, false)
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
    pacedRepaintTimer_.setSingleShot(true);
    // A coarse timer may fire a little early, and two paints would then come closer
    // than a frame apart.
    pacedRepaintTimer_.setTimerType(Qt::PreciseTimer);
    connect(&pacedRepaintTimer_, &QTimer::timeout, viewport(), [this] {
        if (scrollBarUpdatePending_)
            UpdateScrollBar();
        viewport()->update();
    });
    UpdateScrollBar();
    UpdateHorizontalScrollBar();
}

void TDrawGrid::SetColCount(int count)
{
    AZ_ASSERT(count >= 1);
    // Columns that stay keep their widths; new ones take the default.
    const int kept = std::min(count, ColCount());
    colWidths_.resize(count);
    std::fill(colWidths_.begin() + kept, colWidths_.end(), defaultColWidth_);
    userSized_.resize(count);
    std::fill(userSized_.begin() + kept, userSized_.end(), false);
    col_ = std::min(col_, count - 1);
    UpdateHorizontalScrollBar();
    Invalidate();
}

void TDrawGrid::SetRowCount(int count)
{
    AZ_ASSERT(count > FixedRows());
    rowCount_ = count;
    topRow_ = std::clamp(topRow_, 1, LastTopRow());
    if (row_ >= count) {
        // The current row no longer exists: the last row becomes current, and
        // the owner hears of it like of any other move.
        SelectCell(col_, count - 1);
        row_ = count - 1;
    }
    ScheduleScrollBarUpdate();
    Invalidate();
}

void TDrawGrid::SetDefaultRowHeight(int height)
{
    AZ_ASSERT(height >= 1);
    defaultRowHeight_ = height;
    UpdateScrollBar();
    Invalidate();
}

void TDrawGrid::SetDefaultColWidth(int width)
{
    AZ_ASSERT(width >= 0);
    defaultColWidth_ = width;
    std::fill(colWidths_.begin(), colWidths_.end(), width);
    UpdateHorizontalScrollBar();
    Invalidate();
}

int TDrawGrid::ColWidths(int col) const
{
    AZ_ASSERT(col >= 0 && col < ColCount());
    return colWidths_[col];
}

void TDrawGrid::SetColWidths(int col, int width)
{
    AZ_ASSERT(col >= 0 && col < ColCount());
    colWidths_[col] = std::max(0, width);
    UpdateHorizontalScrollBar();
    Invalidate();
}

void TDrawGrid::SetUserColWidth(int col, int width)
{
    SetColWidths(col, width);
    userSized_[col] = true;
}

void TDrawGrid::ForgetUserSizing()
{
    std::fill(userSized_.begin(), userSized_.end(), false);
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
    rowSelect_ = on;
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
    MoveCurrent(col_, row);
}

void TDrawGrid::ClearSelection()
{
    row_ = -1;
    Invalidate();
}

void TDrawGrid::SetTopRow(int row)
{
    // The bar must know the current row count before it takes the new position.
    if (scrollBarUpdatePending_)
        UpdateScrollBar();
    topRow_ = std::clamp(row, 1, LastTopRow());
    verticalScrollBar()->setValue(topRow_ - 1);
    Invalidate();
}

int TDrawGrid::VisibleRowCount() const
{
    return std::max(1, (viewport()->height() - defaultRowHeight_) / defaultRowHeight_);
}

int TDrawGrid::LastTopRow() const
{
    return std::max(1, rowCount_ - VisibleRowCount());
}

int TDrawGrid::ColumnLeft(int col) const
{
    int left = 0;
    for (int c = 0; c < col; ++c)
        left += colWidths_[c];
    return left;
}

int TDrawGrid::RowTop(int row) const
{
    return row == 0 ? 0 : defaultRowHeight_ * (1 + row - topRow_);
}

QRect TDrawGrid::CellRect(int col, int row) const
{
    if (col < 0 || col >= ColCount() || row < 0 || row >= rowCount_ || (row > 0 && row < topRow_))
        return QRect();
    return QRect(ColumnLeft(col) - scrollX_, RowTop(row), colWidths_[col], defaultRowHeight_);
}

bool TDrawGrid::MouseToCell(int x, int y, int &col, int &row) const
{
    col = -1;
    row = -1;
    if (x < 0 || y < 0)
        return false;
    const int band = y / defaultRowHeight_;
    const int cellRow = band == 0 ? 0 : topRow_ + band - 1;
    if (cellRow >= rowCount_)
        return false;
    int left = -scrollX_;
    for (int c = 0; c < ColCount(); ++c) {
        left += colWidths_[c];
        if (x < left) {
            col = c;
            row = cellRow;
            return true;
        }
    }
    return false;
}

void TDrawGrid::Invalidate()
{
    if (pacedRepaints_ > 0 && DeferRepaint())
        return;
    // This repaint covers whatever a paced one would have; a scroll-bar update that
    // waited for it goes back to the next pass of the loop.
    if (pacedRepaintTimer_.isActive()) {
        pacedRepaintTimer_.stop();
        if (scrollBarUpdatePending_)
            QueueScrollBarUpdate();
    }
    viewport()->update();
}

bool TDrawGrid::DeferRepaint()
{
    if (pacedRepaintTimer_.isActive())
        return true;
    if (!lastPaint_.isValid())
        return false;
    const qint64 sinceLastPaint = lastPaint_.elapsed();
    if (sinceLastPaint >= RepaintFrameMs)
        return false;
    pacedRepaintTimer_.start(int(RepaintFrameMs - sinceLastPaint));
    return true;
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
    state.Selected = !state.Fixed && row == row_ && (rowSelect_ || col == col_);
    return state;
}

void TDrawGrid::PaintTo(TCanvas &canvas, const QRect &area)
{
    // What no cell covers shows the data background; a row painted whole covers its
    // part of the strip again.
    const int gridRight = ContentWidth() - scrollX_;
    const int gridBottom = RowTop(rowCount_ - 1) + defaultRowHeight_;
    const QRect rightStrip = QRect(QPoint(gridRight, area.top()), area.bottomRight()) & area;
    const QRect bottomStrip = QRect(QPoint(area.left(), gridBottom), QPoint(gridRight - 1, area.bottom())) & area;
    if (!rightStrip.isEmpty())
        canvas.FillRect(rightStrip, color_);
    if (!bottomStrip.isEmpty())
        canvas.FillRect(bottomStrip, color_);

    const int rowWidth = std::max(gridRight, viewport()->width());
    for (int row = 0; row < rowCount_; row = row == 0 ? topRow_ : row + 1) {
        const int top = RowTop(row);
        if (top > area.bottom())
            break;
        const QRect wholeRow(0, top, rowWidth, defaultRowHeight_);
        if (row >= FixedRows() && wholeRow.intersects(area) && DrawWholeRow(canvas, row, wholeRow, StateOf(0, row)))
            continue;
        int left = -scrollX_;
        for (int col = 0; col < ColCount() && left <= area.right(); ++col) {
            const QRect cell(left, top, colWidths_[col], defaultRowHeight_);
            if (cell.intersects(area))
                DrawCell(canvas, col, row, cell, StateOf(col, row));
            left += colWidths_[col];
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

void TDrawGrid::paintEvent(QPaintEvent *event)
{
    lastPaint_.start();
    QPainter painter(viewport());
    TQtCanvas canvas(painter, canvasFont_, palette(), &widthCache_);
    PaintTo(canvas, event->rect());
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
    if (!columnSizing_ || y < 0 || y >= defaultRowHeight_)
        return -1;
    int border = -scrollX_;
    int nearest = -1;
    int nearestDistance = SizingReach + 1;
    for (int col = 0; col < ColCount(); ++col) {
        border += colWidths_[col];
        const int distance = std::abs(x - border);
        if (distance <= nearestDistance) {
            nearest = col;
            nearestDistance = distance;
        }
    }
    return nearestDistance <= SizingReach ? nearest : -1;
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
        SetUserColWidth(sizingColumn_, std::max(1, pos.x() + scrollX_ - ColumnLeft(sizingColumn_)));
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
    // The first move starts from the first row shown, and Up or Down select it.
    const bool selected = row_ >= FixedRows();
    const int current = selected ? row_ : topRow_;
    const int step = selected ? 1 : 0;
    switch (event->key()) {
    case Qt::Key_Up:
        MoveCurrent(col_, current - step);
        break;
    case Qt::Key_Down:
        MoveCurrent(col_, current + step);
        break;
    case Qt::Key_PageUp:
        MoveCurrent(col_, current - VisibleRowCount());
        break;
    case Qt::Key_PageDown:
        MoveCurrent(col_, current + VisibleRowCount());
        break;
    case Qt::Key_Home:
        MoveCurrent(col_, FixedRows());
        break;
    case Qt::Key_End:
        MoveCurrent(col_, rowCount_ - 1);
        break;
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (rowSelect_)
            QAbstractScrollArea::keyPressEvent(event);
        else
            MoveCurrent(col_ + (event->key() == Qt::Key_Left ? -1 : 1), current);
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void TDrawGrid::scrollContentsBy(int, int)
{
    topRow_ = verticalScrollBar()->value() + 1;
    scrollX_ = horizontalScrollBar()->value();
    Invalidate();
}

void TDrawGrid::MoveCurrent(int col, int row, bool scrollIntoView)
{
    col = std::clamp(col, 0, ColCount() - 1);
    row = std::clamp(row, FixedRows(), rowCount_ - 1);
    if (!SelectCell(col, row))
        return;
    col_ = col;
    row_ = row;
    if (scrollIntoView)
        ScrollRowIntoView(row);
    Invalidate();
}

void TDrawGrid::PlaceCurrent(int col, int row)
{
    col_ = std::clamp(col, 0, ColCount() - 1);
    row_ = row < FixedRows() ? -1 : std::min(row, rowCount_ - 1);
    Invalidate();
}

void TDrawGrid::ScrollRowIntoView(int row)
{
    if (row < topRow_)
        SetTopRow(row);
    else if (row >= topRow_ + VisibleRowCount())
        SetTopRow(row - VisibleRowCount() + 1);
}

void TDrawGrid::ScheduleScrollBarUpdate()
{
    if (scrollBarUpdatePending_)
        return;
    scrollBarUpdatePending_ = true;
    // While repaints are paced the bar follows with them: a new range repaints it too.
    if (pacedRepaints_ > 0 && DeferRepaint())
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
    const int lastTop = LastTopRow();
    QScrollBar *bar = verticalScrollBar();
    bar->setRange(0, lastTop - 1);
    // Setting the steps repaints the bar even when they stay as they were.
    if (bar->pageStep() != visible)
        bar->setPageStep(visible);
    if (bar->singleStep() != 1)
        bar->setSingleStep(1);
    topRow_ = std::clamp(topRow_, 1, lastTop);
    bar->setValue(topRow_ - 1);
}

void TDrawGrid::UpdateHorizontalScrollBar()
{
    QScrollBar *bar = horizontalScrollBar();
    const int page = viewport()->width();
    bar->setRange(0, std::max(0, ContentWidth() - page));
    if (bar->pageStep() != page)
        bar->setPageStep(page);
    // A step of about one short column.
    const int step = std::max(1, defaultRowHeight_ * 2);
    if (bar->singleStep() != step)
        bar->setSingleStep(step);
    scrollX_ = bar->value();
}

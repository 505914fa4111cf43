#pragma once

#include "client/ui/grid/TColor.h"
#include "client/ui/grid/TGridGeometry.h"
#include "client/ui/grid/TGridSelection.h"
#include "client/ui/grid/TQtCanvas.h"
#include "client/ui/grid/TRepaintPacer.h"
#include "shared/LocalClock.h"

#include <QAbstractScrollArea>
#include <QFont>

#include <optional>

class TCanvas;
class TPaintLag;

struct TGridDrawState
{
    bool Fixed = false;    // a header cell
    bool Selected = false; // in the selected row (row selection) or the current cell
};

// Which scroll bars show when the grid needs them: vertical and horizontal, only the
// horizontal one, or none.
enum class TGridScrollBars { sbBoth, sbHorizontal, sbNone };

// An owner-drawn grid: the widget that puts its cells (TGridGeometry) on screen, with
// a vertical scroll bar that moves whole rows and a horizontal one that moves by
// pixels, each shown when the cells do not fit. Subclasses paint every cell in
// DrawCell; the grid itself paints nothing but the strip that no cell covers.
//
// One current cell (TGridSelection) is the selection of mouse and keyboard alike: a
// left press on a data cell moves it there, the cursor keys move it from there.
//
// Coordinates (CellRect, MouseToCell, MouseUp) are those of the viewport.
class TDrawGrid : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit TDrawGrid(QWidget *owner = nullptr);

    int ColCount() const { return geometry_.ColCount(); }
    void SetColCount(int count);
    int RowCount() const { return geometry_.RowCount(); }
    void SetRowCount(int count);
    int FixedRows() const { return TGridGeometry::FixedRows; }
    int FixedCols() const { return TGridGeometry::FixedCols; }

    int DefaultRowHeight() const { return geometry_.DefaultRowHeight(); }
    void SetDefaultRowHeight(int height);
    // Every column takes the new default width.
    int DefaultColWidth() const { return geometry_.DefaultColWidth(); }
    void SetDefaultColWidth(int width);
    int ColWidths(int col) const { return geometry_.ColWidth(col); }
    void SetColWidths(int col, int width);
    // Widths the user chose (by dragging, or kept from an earlier run) are
    // remembered apart from measured ones.
    void SetUserColWidth(int col, int width);
    bool UserSizedColumn(int col) const { return geometry_.UserSizedColumn(col); }
    void ForgetUserSizing() { geometry_.ForgetUserSizing(); }

    // The user may drag column borders in the header row to resize columns.
    bool ColumnSizing() const { return columnSizing_; }
    void SetColumnSizing(bool on) { columnSizing_ = on; }
    // The grid scrolls while the scroll-bar thumb is dragged, not only on release.
    bool ThumbTracking() const;
    void SetThumbTracking(bool on);
    // A click or a cursor key selects a whole row; Left and Right then scroll sideways.
    bool RowSelect() const { return selection_.RowSelect(); }
    void SetRowSelect(bool on);
    TGridScrollBars ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TGridScrollBars bars);

    // Background of data cells and of the strip no cell covers.
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    // Background of header cells; the palette's button face until set.
    TColor FixedColor() const;
    void SetFixedColor(TColor color);
    // Three-dimensional look of header cells.
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool on);
    // The font every cell is drawn and measured with; taken from the widget's
    // font when a grid measures itself.
    QFont CanvasFont() const { return canvasFont_; }
    void SetCanvasFont(const QFont &font);

    // The current cell. Row() is -1 while no row is selected.
    int Col() const { return selection_.Col(); }
    int Row() const { return selection_.Row(); }
    // Moves the current cell to a data row, asking SelectCell first, and
    // scrolls it into view.
    void SetRow(int row);
    // Leaves no row selected, without asking SelectCell.
    void ClearSelection();
    // First data row shown under the header.
    int TopRow() const { return geometry_.TopRow(); }
    void SetTopRow(int row);
    // Data rows that fit whole under the header (at least 1).
    int VisibleRowCount() const;
    // How far the columns are scrolled to the left, in pixels.
    int ScrollX() const { return geometry_.ScrollX(); }
    // The width of all columns together.
    int ContentWidth() const { return geometry_.ContentWidth(); }

    // The cell's rectangle where it is painted now; empty when scrolled away.
    QRect CellRect(int col, int row) const;
    // The cell under (x, y); false with col and row -1 outside every cell.
    bool MouseToCell(int x, int y, int &col, int &row) const;

    // Schedules a repaint of the whole grid or of one cell.
    void Invalidate();
    void InvalidateCell(int col, int row);

    // While one lives, the whole-grid repaints its grid is asked for come at most once
    // a frame (see TRepaintPacer).
    class TPacedRepaints
    {
    public:
        explicit TPacedRepaints(TDrawGrid &grid) : pacer_(grid.pacer_) { pacer_.BeginPacing(); }
        ~TPacedRepaints() { pacer_.EndPacing(); }
        TPacedRepaints(const TPacedRepaints &) = delete;
        TPacedRepaints &operator=(const TPacedRepaints &) = delete;

    private:
        TRepaintPacer &pacer_;
    };
    static constexpr int RepaintFrameMs = TRepaintPacer::FrameMs;
    // For tests that wait for a quiet frame instead of sleeping through one.
    const TRepaintPacer &RepaintPacer() const { return pacer_; }

    // Where each repaint that shows a new list records how long the list waited for it;
    // a grid without one measures nothing.
    void SetPaintLag(TPaintLag *lag) { paintLag_ = lag; }
    // The list the grid shows changed and the grid asked for its repaint: the repaint
    // of the whole grid that shows it records its lag from the oldest change still
    // waiting. A change the grid keeps off the screen (a frozen list) asks for no
    // repaint, and waits for none.
    void ShownListChanged();

    // Paints every cell that intersects area, and the uncovered strip, onto
    // canvas; the paint event does the same on the viewport.
    void PaintTo(TCanvas &canvas, const QRect &area);
    // Paints one cell at CellRect; nothing when it is scrolled away.
    void PaintCell(TCanvas &canvas, int col, int row);

protected:
    virtual void DrawCell(TCanvas &canvas, int col, int row, const QRect &rect, TGridDrawState state) = 0;
    // Paints a data row as one band across the view instead of cell by cell; false
    // for a row made of cells like any other.
    virtual bool DrawWholeRow(TCanvas &canvas, int row, const QRect &rect, TGridDrawState state);
    // After every mouse press, whatever the grid did with it.
    virtual void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    // After every mouse release, whatever the grid did with it.
    virtual void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    // Before the current cell moves; false keeps it where it is.
    virtual bool SelectCell(int col, int row);
    // Scrolls as little as needed to show the data row whole.
    void ScrollRowIntoView(int row);
    // Puts the current cell where its content moved to, without asking SelectCell and
    // without scrolling.
    void PlaceCurrent(int col, int row);
    TGridSelection &Selection() { return selection_; }
    // While a press on a column border resizes that column.
    bool IsSizingColumn() const { return sizingColumn_ >= 0; }
    // After the widget's font changed.
    virtual void FontChanged();
    // After every change of the widget's size.
    virtual void Resized();

    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void hideEvent(QHideEvent *event) override;

private:
    int ViewHeight() const;
    // The column whose right border lies within reach of x in the header, or -1.
    int SizingColumnAt(int x, int y) const;
    TGridDrawState StateOf(int col, int row) const;
    // Asks SelectCell, then moves the current cell, scrolling it into view if asked.
    void MoveCurrent(int col, int row, bool scrollIntoView = true);
    // The scroll bar follows the row count once per pass of the event loop, so a
    // burst of new lists costs one range change (and the re-layout it brings).
    void ScheduleScrollBarUpdate();
    void QueueScrollBarUpdate();
    void UpdateScrollBar();
    void UpdateHorizontalScrollBar();

    TGridGeometry geometry_;
    TGridSelection selection_;
    TRepaintPacer pacer_;
    bool columnSizing_ = false;
    bool scrollBarUpdatePending_ = false;
    TGridScrollBars scrollBars_ = TGridScrollBars::sbBoth;
    TColor color_ = clWhite;
    TColor fixedColor_ = clBlack;
    bool fixedColorSet_ = false;
    bool ctl3D_ = true;
    QFont canvasFont_;
    int sizingColumn_ = -1;
    TTextWidthCache widthCache_;
    TPaintLag *paintLag_ = nullptr;
    // A repaint of the whole grid was asked for and has not come yet.
    bool wholeRepaintAsked_ = false;
    // Since when a changed list waits for its repaint.
    std::optional<TSteadyMs> changeWaitingSince_;
};

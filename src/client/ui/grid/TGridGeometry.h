#pragma once

#include <QRect>
#include <QVector>

// Where a grid's cells lie, without a widget: one fixed header row, no fixed columns,
// rows of one height and per-column widths, scrolled by whole rows down and by pixels
// sideways. Coordinates are those of the view the cells are painted in; how many rows
// fit depends on the view's height, which callers pass in.
class TGridGeometry
{
public:
    static constexpr int FixedRows = 1;
    static constexpr int FixedCols = 0;

    int ColCount() const { return int(colWidths_.size()); }
    // Columns that stay keep their widths; new ones take the default.
    void SetColCount(int count);
    int RowCount() const { return rowCount_; }
    void SetRowCount(int count, int viewHeight);

    int DefaultRowHeight() const { return defaultRowHeight_; }
    void SetDefaultRowHeight(int height);
    // Every column takes the new default width.
    int DefaultColWidth() const { return defaultColWidth_; }
    void SetDefaultColWidth(int width);
    int ColWidth(int col) const;
    void SetColWidth(int col, int width);
    // Widths the user chose are remembered apart from measured ones.
    void SetUserColWidth(int col, int width);
    bool UserSizedColumn(int col) const { return userSized_.value(col); }
    void ForgetUserSizing();

    // First data row shown under the header, kept where the last rows fill the view.
    int TopRow() const { return topRow_; }
    void SetTopRow(int row, int viewHeight);
    // The first row shown when row is to be seen whole, scrolled as little as needed.
    int TopRowShowing(int row, int viewHeight) const;
    // Data rows that fit whole under the header (at least 1).
    int VisibleRowCount(int viewHeight) const;
    int LastTopRow(int viewHeight) const;
    // How far the columns are scrolled to the left, in pixels.
    int ScrollX() const { return scrollX_; }
    void SetScrollX(int x) { scrollX_ = x; }
    // Takes the scroll bars' positions as they are: their ranges keep them within the grid.
    void ScrollTo(int topRow, int scrollX)
    {
        topRow_ = topRow;
        scrollX_ = scrollX;
    }

    int ColumnLeft(int col) const;
    int RowTop(int row) const;
    // The width of all columns together.
    int ContentWidth() const { return ColumnLeft(ColCount()); }
    // Where the last row ends.
    int ContentBottom() const { return RowTop(rowCount_ - 1) + defaultRowHeight_; }

    // The cell's rectangle where it is painted now; empty when scrolled away.
    QRect CellRect(int col, int row) const;
    // The cell under (x, y); false with col and row -1 outside every cell.
    bool CellAt(int x, int y, int &col, int &row) const;
    // The column whose right border in the header lies within reach of (x, y), or -1.
    int ColumnBorderAt(int x, int y, int reach) const;

private:
    QVector<int> colWidths_ = QVector<int>(5, 64);
    QVector<bool> userSized_ = QVector<bool>(5, false);
    int rowCount_ = 2;
    int defaultRowHeight_ = 24;
    int defaultColWidth_ = 64;
    int topRow_ = 1;
    int scrollX_ = 0;
};

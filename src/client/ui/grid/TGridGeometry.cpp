#include "client/ui/grid/TGridGeometry.h"

#include "shared/Exception.h"

#include <algorithm>
#include <cstdlib>

void TGridGeometry::SetColCount(int count)
{
    AZ_ASSERT(count >= 1);
    const int kept = std::min(count, ColCount());
    colWidths_.resize(count);
    std::fill(colWidths_.begin() + kept, colWidths_.end(), defaultColWidth_);
    userSized_.resize(count);
    std::fill(userSized_.begin() + kept, userSized_.end(), false);
}

void TGridGeometry::SetRowCount(int count, int viewHeight)
{
    AZ_ASSERT(count > FixedRows);
    rowCount_ = count;
    topRow_ = std::clamp(topRow_, 1, LastTopRow(viewHeight));
}

void TGridGeometry::SetDefaultRowHeight(int height)
{
    AZ_ASSERT(height >= 1);
    defaultRowHeight_ = height;
}

void TGridGeometry::SetDefaultColWidth(int width)
{
    AZ_ASSERT(width >= 0);
    defaultColWidth_ = width;
    std::fill(colWidths_.begin(), colWidths_.end(), width);
}

int TGridGeometry::ColWidth(int col) const
{
    AZ_ASSERT(col >= 0 && col < ColCount());
    return colWidths_[col];
}

void TGridGeometry::SetColWidth(int col, int width)
{
    AZ_ASSERT(col >= 0 && col < ColCount());
    colWidths_[col] = std::max(0, width);
}

void TGridGeometry::SetUserColWidth(int col, int width)
{
    SetColWidth(col, width);
    userSized_[col] = true;
}

void TGridGeometry::ForgetUserSizing()
{
    std::fill(userSized_.begin(), userSized_.end(), false);
}

void TGridGeometry::SetTopRow(int row, int viewHeight)
{
    topRow_ = std::clamp(row, 1, LastTopRow(viewHeight));
}

int TGridGeometry::TopRowShowing(int row, int viewHeight) const
{
    if (row < topRow_)
        return row;
    const int visible = VisibleRowCount(viewHeight);
    if (row >= topRow_ + visible)
        return row - visible + 1;
    return topRow_;
}

int TGridGeometry::VisibleRowCount(int viewHeight) const
{
    return std::max(1, (viewHeight - defaultRowHeight_) / defaultRowHeight_);
}

int TGridGeometry::LastTopRow(int viewHeight) const
{
    return std::max(1, rowCount_ - VisibleRowCount(viewHeight));
}

int TGridGeometry::ColumnLeft(int col) const
{
    int left = 0;
    for (int c = 0; c < col; ++c)
        left += colWidths_[c];
    return left;
}

int TGridGeometry::RowTop(int row) const
{
    return row == 0 ? 0 : defaultRowHeight_ * (1 + row - topRow_);
}

QRect TGridGeometry::CellRect(int col, int row) const
{
    if (col < 0 || col >= ColCount() || row < 0 || row >= rowCount_ || (row > 0 && row < topRow_))
        return QRect();
    return QRect(ColumnLeft(col) - scrollX_, RowTop(row), colWidths_[col], defaultRowHeight_);
}

bool TGridGeometry::CellAt(int x, int y, int &col, int &row) const
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

int TGridGeometry::ColumnBorderAt(int x, int y, int reach) const
{
    if (y < 0 || y >= defaultRowHeight_)
        return -1;
    int border = -scrollX_;
    int nearest = -1;
    int nearestDistance = reach + 1;
    for (int col = 0; col < ColCount(); ++col) {
        border += colWidths_[col];
        const int distance = std::abs(x - border);
        if (distance <= nearestDistance) {
            nearest = col;
            nearestDistance = distance;
        }
    }
    return nearestDistance <= reach ? nearest : -1;
}

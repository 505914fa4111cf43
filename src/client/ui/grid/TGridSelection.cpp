#include "client/ui/grid/TGridSelection.h"

#include <Qt>

void TGridSelection::Place(int col, int row)
{
    col_ = col;
    row_ = row < 1 ? -1 : row;
}

bool TGridSelection::KeyTarget(int key, int topRow, int visibleRows, int rowCount, int &col, int &row) const
{
    const int current = HasRow() ? row_ : topRow;
    const int step = HasRow() ? 1 : 0;
    col = col_;
    switch (key) {
    case Qt::Key_Up:
        row = current - step;
        return true;
    case Qt::Key_Down:
        row = current + step;
        return true;
    case Qt::Key_PageUp:
        row = current - visibleRows;
        return true;
    case Qt::Key_PageDown:
        row = current + visibleRows;
        return true;
    case Qt::Key_Home:
        row = 1;
        return true;
    case Qt::Key_End:
        row = rowCount - 1;
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (rowSelect_)
            return false;
        col = col_ + (key == Qt::Key_Left ? -1 : 1);
        row = current;
        return true;
    default:
        return false;
    }
}

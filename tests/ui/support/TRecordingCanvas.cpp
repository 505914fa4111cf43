#include "support/TRecordingCanvas.h"

#include "client/ui/grid/TDrawGrid.h"

TPaintedCell PaintOneCell(TDrawGrid &grid, int col, int row)
{
    TRecordingCanvas canvas;
    grid.PaintCell(canvas, col, row);
    TPaintedCell painted;
    painted.Cell = grid.CellRect(col, row);
    for (const TRecordedFill &fill : canvas.Fills)
        if (fill.Rect.contains(painted.Cell))
            painted.Background = fill.Color;
    painted.Beveled = canvas.Bevels.contains(painted.Cell);
    painted.Texts = canvas.Texts;
    return painted;
}

QString CellText(TDrawGrid &grid, int col, int row)
{
    return PaintOneCell(grid, col, row).Text();
}

QStringList RowTexts(TDrawGrid &grid, int row)
{
    QStringList texts;
    for (int col = 0; col < grid.ColCount(); ++col)
        texts.append(CellText(grid, col, row));
    return texts;
}

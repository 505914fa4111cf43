#include "client/ui/desktop/MonitorFit.h"

#include <QGuiApplication>
#include <QScreen>

#include <algorithm>
#include <limits>

namespace {

qint64 Area(const QRect &rect)
{
    return rect.isEmpty() ? 0 : qint64(rect.width()) * rect.height();
}

// How far apart two rectangles are along one axis; 0 when they overlap on it.
qint64 Gap(int startA, int lengthA, int startB, int lengthB)
{
    const qint64 endA = qint64(startA) + lengthA;
    const qint64 endB = qint64(startB) + lengthB;
    if (endA <= startB)
        return startB - endA;
    if (endB <= startA)
        return startA - endB;
    return 0;
}

qint64 SquaredDistance(const QRect &a, const QRect &b)
{
    const qint64 dx = Gap(a.left(), a.width(), b.left(), b.width());
    const qint64 dy = Gap(a.top(), a.height(), b.top(), b.height());
    return dx * dx + dy * dy;
}

int FitAxis(int start, int length, int monitorStart, int monitorLength)
{
    int fitted = start;
    if (qint64(start) + length > qint64(monitorStart) + monitorLength)
        fitted = monitorStart + monitorLength - length;
    if (start < monitorStart)
        fitted = monitorStart;
    return fitted;
}

// The free parts of the area right of, left of, below and above the main window.
QVector<QRect> FreeRegionsBeside(const QRect &available, const QRect &main)
{
    return {QRect(QPoint(main.right() + 1, available.top()), available.bottomRight()),
            QRect(available.topLeft(), QPoint(main.left() - 1, available.bottom())),
            QRect(QPoint(available.left(), main.bottom() + 1), available.bottomRight()),
            QRect(available.topLeft(), QPoint(available.right(), main.top() - 1))};
}

} // namespace

QRect MonitorOf(const QRect &window, const QVector<QRect> &monitors)
{
    QRect best;
    qint64 bestArea = 0;
    for (const QRect &monitor : monitors) {
        const qint64 area = Area(window.intersected(monitor));
        if (area > bestArea) {
            best = monitor;
            bestArea = area;
        }
    }
    if (bestArea > 0)
        return best;

    qint64 bestDistance = std::numeric_limits<qint64>::max();
    for (const QRect &monitor : monitors) {
        const qint64 distance = SquaredDistance(window, monitor);
        if (distance < bestDistance) {
            best = monitor;
            bestDistance = distance;
        }
    }
    return best;
}

QPoint FitOntoMonitor(const QRect &window, const QRect &monitor)
{
    return QPoint(FitAxis(window.left(), window.width(), monitor.left(), monitor.width()),
                  FitAxis(window.top(), window.height(), monitor.top(), monitor.height()));
}

QPoint FitOntoScreens(const QRect &window)
{
    QVector<QRect> monitors;
    for (const QScreen *screen : QGuiApplication::screens())
        monitors.append(screen->availableGeometry());
    const QRect monitor = MonitorOf(window, monitors);
    return monitor.isEmpty() ? window.topLeft() : FitOntoMonitor(window, monitor);
}

QVector<QRect> TileBeside(const QRect &available, const QRect &mainFrame, const QVector<QSize> &frameSizes)
{
    QVector<QRect> tiles;
    const int count = int(frameSizes.size());
    if (count == 0 || available.isEmpty())
        return tiles;

    // A main window covering the whole area leaves nothing beside it; the area it is.
    QRect region = available;
    qint64 regionArea = 0;
    for (const QRect &free : FreeRegionsBeside(available, mainFrame)) {
        const QRect inside = free.intersected(available);
        if (Area(inside) > regionArea) {
            region = inside;
            regionArea = Area(inside);
        }
    }

    // The tiling that has to shrink its windows least, in the direction shrunk most: a
    // window cut to a sliver of its width is no use, however tall it stays.
    int bestColumns = 1;
    double bestScale = -1;
    for (int columns = 1; columns <= count; ++columns) {
        const int rows = (count + columns - 1) / columns;
        const QSize tile(region.width() / columns, region.height() / rows);
        double scale = 1;
        for (const QSize &size : frameSizes)
            scale = std::min({scale, double(tile.width()) / std::max(1, size.width()),
                              double(tile.height()) / std::max(1, size.height())});
        if (scale > bestScale) {
            bestScale = scale;
            bestColumns = columns;
        }
    }

    const int rows = (count + bestColumns - 1) / bestColumns;
    const QSize tile(region.width() / bestColumns, region.height() / rows);
    // Columns run away from the main window: leftwards when the region lies left of it,
    // each window then standing at its tile's right edge.
    const bool leftwards = region.right() < mainFrame.left();
    for (int i = 0; i < count; ++i) {
        const int column = i / rows;
        const int row = i % rows;
        const QSize size = frameSizes[i].boundedTo(tile);
        const int left = leftwards ? region.right() + 1 - column * tile.width() - size.width()
                                   : region.left() + column * tile.width();
        tiles.append(QRect(QPoint(left, region.top() + row * tile.height()), size));
    }
    return tiles;
}

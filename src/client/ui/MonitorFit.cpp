#include "client/ui/MonitorFit.h"

#include <QGuiApplication>
#include <QScreen>

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
        monitors.append(screen->geometry());
    const QRect monitor = MonitorOf(window, monitors);
    return monitor.isEmpty() ? window.topLeft() : FitOntoMonitor(window, monitor);
}

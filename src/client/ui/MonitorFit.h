#pragma once

#include <QPoint>
#include <QRect>
#include <QVector>

// Restored window positions may come from another monitor layout; these put a window
// back onto a monitor without changing its size.

// The monitor that holds the largest part of the window, or the nearest one when none
// holds any of it. An empty rectangle when there is no monitor at all.
QRect MonitorOf(const QRect &window, const QVector<QRect> &monitors);

// The top-left corner that moves the window fully onto the monitor. An edge that sticks
// out on the right (bottom) pulls the window left (up); an edge left of (above) the
// monitor wins and aligns with it. Both tests look at the position before the move and
// the size never changes, so a window wider than its monitor that starts inside it ends
// flush with the right edge and overhangs on the left.
QPoint FitOntoMonitor(const QRect &window, const QRect &monitor);

// FitOntoMonitor on the screens of this desktop; the window's own top-left corner when
// there is no screen.
QPoint FitOntoScreens(const QRect &window);

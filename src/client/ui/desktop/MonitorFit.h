#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
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

// FitOntoMonitor on the available areas of this desktop's screens (without their
// panels); the window's own top-left corner when there is no screen.
QPoint FitOntoScreens(const QRect &window);

// A window manager's frame as most draw it, title bar included. The real one is known
// only once a window has been shown; placing windows before that reckons with this.
inline QMargins ExpectedWindowFrame()
{
    return QMargins(4, 30, 4, 4);
}

// Where windows without a saved place go, as frames (title bar and border included) in
// the screen's logical pixels, which already count the screen's scale. They tile the
// largest free part of the available area beside the main window's frame: right or left
// of it, below or above. Each keeps its size when its tile is big enough and shrinks to
// the tile otherwise, so none covers another or the main window and all stay inside the
// area. The tiling that shrinks the windows least wins; fill goes down each column
// first, from the column nearest the main window.
QVector<QRect> TileBeside(const QRect &available, const QRect &mainFrame, const QVector<QSize> &frameSizes);

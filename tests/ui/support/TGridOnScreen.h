#pragma once

#include <QTest>
#include <QWidget>

#include <memory>

// A grid in an owner window on the (offscreen) screen, for tests that paint on it,
// click it and type into it.
template <typename TGrid>
struct TGridOnScreen
{
    // Sizes the owner and places the grid where they are given, shows the owner and
    // waits until it is on screen.
    bool Show(const QSize &ownerSize = QSize(), const QRect &gridGeometry = QRect())
    {
        if (ownerSize.isValid())
            owner->resize(ownerSize);
        if (gridGeometry.isValid())
            grid->setGeometry(gridGeometry);
        owner->show();
        return QTest::qWaitForWindowExposed(owner.get());
    }

    QPoint CentreOf(int col, int row) const { return grid->CellRect(col, row).center(); }

    std::unique_ptr<QWidget> owner = std::make_unique<QWidget>();
    TGrid *grid = new TGrid(owner.get());
};

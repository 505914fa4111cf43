#include "client/ui/grid/TGridFrame.h"

#include "client/ui/grid/TQtCanvas.h"
#include "shared/SafeText.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QHash>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace {

// The line that shows where a dragged column would land.
constexpr int DropLineWidth = 2;

} // namespace

void TGridFrame::OfferColumns(const TColumnLayout &defaults)
{
    columnLayout_ = defaults;
    SetColCount(std::max(1, columnLayout_.ShownCount()));
}

void TGridFrame::SetColumnLayout(const TColumnLayout &layout)
{
    QHash<int, int> chosenWidths;
    for (int col = 0; col < ColCount(); ++col)
        if (UserSizedColumn(col))
            chosenWidths.insert(KindColumn(col), ColWidths(col));
    columnLayout_ = layout;
    SetColCount(std::max(1, columnLayout_.ShownCount()));
    ForgetUserSizing();
    const TQtTextMetrics metrics(CanvasFont(), viewport());
    Measure(metrics);
    for (int col = 0; col < ColCount(); ++col)
        if (chosenWidths.contains(KindColumn(col)))
            SetUserColWidth(col, chosenWidths.value(KindColumn(col)));
    Invalidate();
}

void TGridFrame::ResetColumns()
{
    TColumnLayout defaults = columnLayout_;
    defaults.Reset();
    ForgetUserSizing();
    SetColumnLayout(defaults);
}

void TGridFrame::FillColumnMenu(QMenu *menu)
{
    for (int kindColumn = 0; kindColumn < columnLayout_.KindColumnCount(); ++kindColumn) {
        // Captions may come from KVX.ini: an ampersand in one stays an ampersand.
        QString caption = HeaderText(kindColumn);
        if (caption.trimmed().isEmpty())
            caption = QStringLiteral("Column %1").arg(kindColumn + 1);
        QAction *item = menu->addAction(MenuItemText(caption));
        item->setObjectName(QStringLiteral("Column%1MenuItem").arg(kindColumn));
        item->setCheckable(true);
        const bool shown = columnLayout_.IsShown(kindColumn);
        item->setChecked(shown);
        // The one column left cannot be hidden.
        item->setEnabled(!shown || columnLayout_.ShownCount() > 1);
        connect(item, &QAction::toggled, this, [this, kindColumn](bool show) {
            TColumnLayout layout = columnLayout_;
            if (layout.SetShown(kindColumn, show))
                SetColumnLayout(layout);
        });
    }
    menu->addSeparator();
    QAction *reset = menu->addAction(QStringLiteral("Reset Columns"));
    reset->setObjectName(QStringLiteral("ResetColumnsMenuItem"));
    connect(reset, &QAction::triggered, this, &TGridFrame::ResetColumns);
}

bool TGridFrame::ShowColumnMenu(const QContextMenuEvent *event)
{
    int col, row;
    if (!ChoosesColumns() || !MouseToCell(event->pos().x(), event->pos().y(), col, row) || row != 0)
        return false;
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("ColumnMenu"));
    FillColumnMenu(&menu);
    menu.exec(event->globalPos());
    return true;
}

int TGridFrame::ColumnDropTarget(int x) const
{
    int col, row;
    if (MouseToCell(x, 0, col, row))
        return col;
    return x < 0 ? 0 : ColCount() - 1;
}

void TGridFrame::mousePressEvent(QMouseEvent *event)
{
    TDrawGrid::mousePressEvent(event);
    dragFrom_ = dragTo_ = -1;
    const QPoint pos = event->position().toPoint();
    int col, row;
    if (event->button() == Qt::LeftButton && ChoosesColumns() && ColCount() > 1 && !IsSizingColumn()
        && MouseToCell(pos.x(), pos.y(), col, row) && row == 0) {
        dragFrom_ = col;
        dragStartX_ = pos.x();
    }
}

void TGridFrame::mouseMoveEvent(QMouseEvent *event)
{
    if (dragFrom_ < 0) {
        TDrawGrid::mouseMoveEvent(event);
        return;
    }
    // A press that barely moves stays a press.
    const int x = int(event->position().x());
    if (dragTo_ < 0 && std::abs(x - dragStartX_) < QApplication::startDragDistance())
        return;
    dragTo_ = ColumnDropTarget(x);
    viewport()->update();
}

void TGridFrame::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && dragFrom_ >= 0) {
        const int from = std::exchange(dragFrom_, -1);
        const int to = std::exchange(dragTo_, -1);
        TColumnLayout layout = columnLayout_;
        if (to >= 0 && layout.Move(from, to))
            SetColumnLayout(layout);
        viewport()->update();
    }
    TDrawGrid::mouseReleaseEvent(event);
}

void TGridFrame::paintEvent(QPaintEvent *event)
{
    TDrawGrid::paintEvent(event);
    if (dragFrom_ < 0 || dragTo_ < 0 || dragTo_ == dragFrom_)
        return;
    // The dragged column goes in before the target when it comes from the right,
    // after it when it comes from the left.
    const int left = CellRect(dragTo_, 0).left();
    const int x = dragTo_ < dragFrom_ ? left : left + ColWidths(dragTo_) - DropLineWidth;
    QPainter painter(viewport());
    painter.fillRect(QRect(x, 0, DropLineWidth, viewport()->height()), palette().color(QPalette::Highlight));
}

#pragma once

#include "client/core/TExcludeList.h"

#include <QObject>
#include <QString>

class QAction;
class QMenu;
class QPoint;
class TGridFrame;

// The items of an alert window's menu that take what the window shows elsewhere:
// "Copy Symbol" and "Copy Row" for the row under the pointer, "Export to CSV…" for
// every row, and in QuickStrike windows "Exclude SYMBOL".
class TAlertShareMenu : public QObject
{
    Q_OBJECT

public:
    TAlertShareMenu(QMenu *menu, TGridFrame *grid, bool offerExclude, TExcludeList &excludes = ExcludeList());

    // Called as the menu opens: the row under this point of the grid's viewport is
    // the one the row items act on; away from any row they are greyed.
    void AimAt(const QPoint &viewportPos);

    // Writes every row to the file; false, with the reason, when it cannot.
    bool ExportTo(const QString &path, QString &error) const;

    QAction *CopySymbolAction() const { return copySymbol_; }
    QAction *CopyRowAction() const { return copyRow_; }
    QAction *ExportAction() const { return export_; }
    QAction *ExcludeAction() const { return exclude_; }

private:
    void ExportChosen();

    TGridFrame *grid_;
    TExcludeList &excludes_;
    QString symbol_;
    int row_ = -1;
    QAction *copySymbol_;
    QAction *copyRow_;
    QAction *export_;
    QAction *exclude_ = nullptr;
};

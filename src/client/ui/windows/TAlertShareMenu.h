#pragma once

#include "client/core/CsvExport.h"
#include "client/core/TExcludeList.h"

#include <QObject>
#include <QString>

class QAction;
class QMenu;
class QPoint;
class TGridFrame;

// The items of an alert window's menu that take what the window shows elsewhere:
// "Copy Symbol" and "Copy Row" for the alert under the pointer, "Export to CSV…" for
// every row, and in QuickStrike windows "Exclude SYMBOL", or "Include SYMBOL" for a
// symbol on the exclude list.
class TAlertShareMenu : public QObject
{
    Q_OBJECT

public:
    // title names the window in the file name Export proposes.
    TAlertShareMenu(QMenu *menu, TGridFrame *grid, const QString &title, bool offerExclude,
                    TExcludeList &excludes);

    // Called as the menu opens: the alert under this point of the grid's viewport is
    // the one the row items act on, as it shows now, whatever arrives while the menu
    // is open. Away from any alert, and on a gap marker, they are greyed.
    void AimAt(const QPoint &viewportPos);

    // Writes every row to the file; false, with the reason, when it cannot.
    bool ExportTo(const QString &path, QString &error) const;

    QAction *CopySymbolAction() const { return copySymbol_; }
    QAction *CopyRowAction() const { return copyRow_; }
    QAction *ExportAction() const { return export_; }
    QAction *ExcludeAction() const { return exclude_; }
    QAction *IncludeAction() const { return include_; }

private:
    void ExportChosen();
    // Shows whether the aimed-at symbol can join or leave the exclude list.
    void ShowExcludeItems();

    TGridFrame *grid_;
    QString title_;
    TExcludeList &excludes_;
    // The alert the menu was opened on: its symbol and its cells as they showed.
    QString symbol_;
    TExportRow row_;
    QAction *copySymbol_;
    QAction *copyRow_;
    QAction *export_;
    QAction *exclude_ = nullptr;
    QAction *include_ = nullptr;
};

#include "client/ui/TAlertShareMenu.h"

#include "client/ui/grid/TGridFrame.h"

#include <QAction>
#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QSaveFile>

TAlertShareMenu::TAlertShareMenu(QMenu *menu, TGridFrame *grid, bool offerExclude, TExcludeList &excludes)
    : QObject(menu)
    , grid_(grid)
    , excludes_(excludes)
{
    if (!menu->isEmpty())
        menu->addSeparator();
    copySymbol_ = menu->addAction(QStringLiteral("Copy Symbol"));
    copySymbol_->setObjectName(QStringLiteral("CopySymbolMenuItem"));
    connect(copySymbol_, &QAction::triggered, this, [this] { QGuiApplication::clipboard()->setText(symbol_); });
    copyRow_ = menu->addAction(QStringLiteral("Copy Row"));
    copyRow_->setObjectName(QStringLiteral("CopyRowMenuItem"));
    connect(copyRow_, &QAction::triggered, this,
            [this] { QGuiApplication::clipboard()->setText(RowAsText(grid_->ExportRow(row_))); });
    export_ = menu->addAction(QStringLiteral("Export to CSV…"));
    export_->setObjectName(QStringLiteral("ExportCsvMenuItem"));
    connect(export_, &QAction::triggered, this, &TAlertShareMenu::ExportChosen);
    if (offerExclude) {
        exclude_ = menu->addAction(QString());
        exclude_->setObjectName(QStringLiteral("ExcludeSymbolMenuItem"));
        // The same as adding the line in the exclude dialog: later alerts of the
        // symbol are dropped, the rows already shown stay.
        connect(exclude_, &QAction::triggered, this, [this] { excludes_.Add(symbol_); });
    }
    AimAt(QPoint(-1, -1));
}

void TAlertShareMenu::AimAt(const QPoint &viewportPos)
{
    symbol_ = grid_->SymbolAt(viewportPos, row_);
    const bool onRow = !symbol_.isEmpty();
    copySymbol_->setEnabled(onRow);
    copyRow_->setEnabled(onRow);
    if (exclude_) {
        exclude_->setVisible(onRow);
        exclude_->setText(QStringLiteral("Exclude ") + symbol_);
    }
}

bool TAlertShareMenu::ExportTo(const QString &path, QString &error) const
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(CsvFromTable(grid_->ExportTable())) >= 0 && file.commit())
        return true;
    error = file.errorString();
    return false;
}

void TAlertShareMenu::ExportChosen()
{
    QWidget *window = grid_->window();
    const QString path = QFileDialog::getSaveFileName(window, QStringLiteral("Export to CSV"), QString(),
                                                      QStringLiteral("CSV files (*.csv)"));
    if (path.isEmpty())
        return;
    QString error;
    if (!ExportTo(path, error))
        QMessageBox::warning(window, QStringLiteral("Export to CSV"),
                             QStringLiteral("Could not write %1: %2").arg(path, error));
}

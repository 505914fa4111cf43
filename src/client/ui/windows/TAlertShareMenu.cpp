#include "client/ui/windows/TAlertShareMenu.h"

#include "client/ui/grid/TGridFrame.h"
#include "shared/SafeText.h"

#include <QAction>
#include <QClipboard>
#include <QDate>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QSaveFile>

TAlertShareMenu::TAlertShareMenu(QMenu *menu, TGridFrame *grid, const QString &title, bool offerExclude,
                                 TExcludeList &excludes)
    : QObject(menu)
    , grid_(grid)
    , title_(title)
    , excludes_(excludes)
{
    if (!menu->isEmpty())
        menu->addSeparator();
    copySymbol_ = menu->addAction(QStringLiteral("Copy Symbol"));
    copySymbol_->setObjectName(QStringLiteral("CopySymbolMenuItem"));
    connect(copySymbol_, &QAction::triggered, this, [this] { QGuiApplication::clipboard()->setText(symbol_); });
    copyRow_ = menu->addAction(QStringLiteral("Copy Row"));
    copyRow_->setObjectName(QStringLiteral("CopyRowMenuItem"));
    connect(copyRow_, &QAction::triggered, this, [this] { QGuiApplication::clipboard()->setText(RowAsText(row_)); });
    export_ = menu->addAction(QStringLiteral("Export to CSV…"));
    export_->setObjectName(QStringLiteral("ExportCsvMenuItem"));
    connect(export_, &QAction::triggered, this, &TAlertShareMenu::ExportChosen);
    if (offerExclude) {
        // The same as adding or removing the line in the exclude dialog: later alerts
        // of the symbol are dropped or shown again, the rows already shown stay.
        exclude_ = menu->addAction(QString());
        exclude_->setObjectName(QStringLiteral("ExcludeSymbolMenuItem"));
        connect(exclude_, &QAction::triggered, this, [this] { excludes_.Add(symbol_); });
        include_ = menu->addAction(QString());
        include_->setObjectName(QStringLiteral("IncludeSymbolMenuItem"));
        connect(include_, &QAction::triggered, this, [this] { excludes_.Remove(symbol_); });
    }
    AimAt(QPoint(-1, -1));
}

void TAlertShareMenu::AimAt(const QPoint &viewportPos)
{
    int row = -1;
    symbol_ = grid_->SymbolAt(viewportPos, row);
    const bool onAlert = !symbol_.isEmpty();
    row_ = onAlert ? grid_->ExportRow(row) : TExportRow();
    copySymbol_->setEnabled(onAlert);
    copyRow_->setEnabled(onAlert);
    ShowExcludeItems();
}

void TAlertShareMenu::ShowExcludeItems()
{
    if (!exclude_)
        return;
    const bool onAlert = !symbol_.isEmpty();
    const bool excluded = onAlert && excludes_.Contains(symbol_);
    exclude_->setVisible(onAlert && !excluded);
    exclude_->setEnabled(TExcludeList::Accepts(symbol_));
    exclude_->setText(QStringLiteral("Exclude ") + MenuItemText(symbol_));
    include_->setVisible(excluded);
    include_->setText(QStringLiteral("Include ") + MenuItemText(symbol_));
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
    QFileDialog dialog(window, QStringLiteral("Export to CSV"), QString(), QStringLiteral("CSV files (*.csv)"));
    dialog.setObjectName(QStringLiteral("ExportCsvDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // A name typed without an extension gets ".csv", before the dialog asks about
    // replacing a file of that name.
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.selectFile(ProposedCsvName(title_, QDate::currentDate()));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().constFirst();
    QString error;
    if (!ExportTo(path, error))
        QMessageBox::warning(window, QStringLiteral("Export to CSV"),
                             QStringLiteral("Could not write %1: %2").arg(path, error));
}

#pragma once

#include "client/core/TExcludeList.h"

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

// The dialog in which the trader edits the symbols kept out of QuickStrike windows,
// one per line. It is made once and reused; between openings the editor shows the
// list in force.
class TQuickstrikeExcludeForm : public QDialog
{
    Q_OBJECT

public:
    explicit TQuickstrikeExcludeForm(TExcludeList &list, QWidget *parent = nullptr);

    // Shows the dialog modally; "Update" replaces the list with the editor's non-empty
    // lines, taken exactly as typed, that the list accepts. Either way the editor then
    // shows the list.
    void EditCycle();

    QPlainTextEdit *SymbolsMemo() const { return symbolsMemo_; }

private:
    void ApplyLines();
    void ShowList();

    TExcludeList &list_;
    QPlainTextEdit *symbolsMemo_ = nullptr;
    QPushButton *okButton_ = nullptr;
    QPushButton *cancelButton_ = nullptr;
};

#include "client/ui/windows/TQuickstrikeExcludeForm.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

TQuickstrikeExcludeForm::TQuickstrikeExcludeForm(TExcludeList &list, QWidget *parent)
    : QDialog(parent)
    , list_(list)
{
    setObjectName(QStringLiteral("QuickstrikeExcludeForm"));
    setWindowTitle(QStringLiteral("Quickstrike Exclude"));

    symbolsMemo_ = new QPlainTextEdit(this);
    symbolsMemo_->setObjectName(QStringLiteral("SymbolsMemo"));
    symbolsMemo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    symbolsMemo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    // Tab goes on to the buttons: the list refuses a symbol holding a tab.
    symbolsMemo_->setTabChangesFocus(true);

    okButton_ = new QPushButton(QStringLiteral("Update"), this);
    okButton_->setObjectName(QStringLiteral("OKButton"));
    okButton_->setDefault(true);
    cancelButton_ = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton_->setObjectName(QStringLiteral("CancelButton"));
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
    // Escape rejects a QDialog already, so Cancel needs nothing more.
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(okButton_);
    buttons->addWidget(cancelButton_);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->addWidget(symbolsMemo_);
    layout->addLayout(buttons);

    // A dialog border: the size is fixed.
    setFixedSize(181, 335);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(), screen->availableGeometry()));
}

void TQuickstrikeExcludeForm::EditCycle()
{
    // Symbols can join the list from an alert window's menu between openings.
    ShowList();
    if (exec() == QDialog::Accepted)
        ApplyLines();
    ShowList();
}

void TQuickstrikeExcludeForm::ApplyLines()
{
    // Lines the list refuses (a control or invisible character in them) are left
    // out, so the editor shows afterwards what is in force.
    list_.Clear();
    const QStringList lines = symbolsMemo_->toPlainText().split(QLatin1Char('\n'));
    for (const QString &line : lines)
        if (!line.isEmpty())
            list_.Add(line);
}

void TQuickstrikeExcludeForm::ShowList()
{
    symbolsMemo_->setPlainText(list_.Items().join(QLatin1Char('\n')));
}

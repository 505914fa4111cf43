#include "client/ui/windows/TFakeDataForm.h"

#include "client/core/TMainConnection.h"
#include "client/ui/widgets/DefaultButton.h"
#include "shared/TIniFile.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TFakeDataForm::TFakeDataForm(TMainConnection &connection, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , connection_(connection)
{
    setObjectName(QStringLiteral("FakeDataForm"));
    setWindowTitle(QStringLiteral("Fake Data"));
    setAttribute(Qt::WA_DeleteOnClose);
    // A testing aid never keeps the program alive after the main window closed.
    setAttribute(Qt::WA_QuitOnClose, false);

    subscriptionEdit_ = new QLineEdit(this);
    subscriptionEdit_->setObjectName(QStringLiteral("SubscriptionEdit"));
    auto *subscriptionLabel = new QLabel(QStringLiteral("&Subscription:"), this);
    subscriptionLabel->setBuddy(subscriptionEdit_);
    dataEdit_ = new QLineEdit(this);
    dataEdit_->setObjectName(QStringLiteral("DataEdit"));
    auto *dataLabel = new QLabel(QStringLiteral("&Data:"), this);
    dataLabel->setBuddy(dataEdit_);

    sendButton_ = new QPushButton(QStringLiteral("Send"), this);
    sendButton_->setObjectName(QStringLiteral("SendButton"));
    sendButton_->setDefault(true);
    duplicateButton_ = new QPushButton(QStringLiteral("Duplicate"), this);
    duplicateButton_->setObjectName(QStringLiteral("DuplicateButton"));
    connect(sendButton_, &QPushButton::clicked, this, &TFakeDataForm::SendButtonClick);
    connect(duplicateButton_, &QPushButton::clicked, this, &TFakeDataForm::DuplicateButtonClick);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(sendButton_);
    buttons->addWidget(duplicateButton_);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(subscriptionLabel);
    layout->addWidget(subscriptionEdit_);
    layout->addWidget(dataLabel);
    layout->addWidget(dataEdit_);
    layout->addStretch();
    layout->addLayout(buttons);
    resize(297, 137);

    FormCreate();
}

void TFakeDataForm::FormCreate()
{
    const TIniFile ini(QStringLiteral("KVX.ini"));
    setVisible(ini.ReadString("General", "debug", "0") == "1");
}

void TFakeDataForm::SendButtonClick()
{
    const QByteArray body = subscriptionEdit_->text().toUtf8() + "\r\n" + dataEdit_->text().toUtf8();
    connection_.DispatchAlert(true, body, TMessageToServer());
}

TFakeDataForm *TFakeDataForm::DuplicateButtonClick()
{
    auto *duplicate = new TFakeDataForm(connection_);
    duplicate->subscriptionEdit_->setText(subscriptionEdit_->text());
    duplicate->dataEdit_->setText(dataEdit_->text());
    duplicate->show();
    return duplicate;
}

void TFakeDataForm::keyPressEvent(QKeyEvent *event)
{
    if (!PressDefaultButton(event, focusWidget(), sendButton_))
        QWidget::keyPressEvent(event);
}

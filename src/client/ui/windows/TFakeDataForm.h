#pragma once

#include <QWidget>

class QLineEdit;
class QPushButton;
class TMainConnection;

// A testing aid: sends a hand-typed alert into the program exactly as if the server had
// sent it, so alert windows can be tried without a server. It shows itself only when
// KVX.ini has "debug" = "1" in "General"; closing it destroys it.
class TFakeDataForm : public QWidget
{
    Q_OBJECT

public:
    explicit TFakeDataForm(TMainConnection &connection, QWidget *parent = nullptr);

    // Dispatches the subscription line, CR LF and the data line, exactly as typed.
    void SendButtonClick();
    // Opens another window with the same texts, shown whatever "debug" says.
    TFakeDataForm *DuplicateButtonClick();

    QLineEdit *SubscriptionEdit() const { return subscriptionEdit_; }
    QLineEdit *DataEdit() const { return dataEdit_; }
    QPushButton *SendButton() const { return sendButton_; }
    QPushButton *DuplicateButton() const { return duplicateButton_; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void FormCreate();

    TMainConnection &connection_;
    QLineEdit *subscriptionEdit_ = nullptr;
    QLineEdit *dataEdit_ = nullptr;
    QPushButton *sendButton_ = nullptr;
    QPushButton *duplicateButton_ = nullptr;
};

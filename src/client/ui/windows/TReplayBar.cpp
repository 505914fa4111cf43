#include "client/ui/windows/TReplayBar.h"

#include "client/core/TAlertReplay.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>

TReplayBar::TReplayBar(TAlertReplay &replay, QWidget *owner)
    : QWidget(owner, Qt::Tool)
    , replay_(replay)
{
    setObjectName(QStringLiteral("ReplayBar"));
    setWindowTitle(QStringLiteral("Replay"));
    progress_ = new QLabel(this);
    progress_->setObjectName(QStringLiteral("ReplayProgress"));
    progress_->setTextFormat(Qt::PlainText);
    speedBox_ = new QComboBox(this);
    speedBox_->setObjectName(QStringLiteral("ReplaySpeed"));
    speedBox_->addItem(QStringLiteral("1×"), 1);
    speedBox_->addItem(QStringLiteral("5×"), 5);
    speedBox_->addItem(QStringLiteral("20×"), 20);
    speedBox_->addItem(QStringLiteral("As fast as possible"), int(TAlertReplay::Fastest));
    speedBox_->setCurrentIndex(speedBox_->findData(replay_.Speed()));
    pauseButton_ = new QPushButton(QStringLiteral("Pause"), this);
    pauseButton_->setObjectName(QStringLiteral("ReplayPause"));
    stepButton_ = new QPushButton(QStringLiteral("Step"), this);
    stepButton_->setObjectName(QStringLiteral("ReplayStep"));
    endButton_ = new QPushButton(QStringLiteral("End Replay"), this);
    endButton_->setObjectName(QStringLiteral("ReplayEnd"));

    connect(speedBox_, qOverload<int>(&QComboBox::activated), this,
            [this] { replay_.SetSpeed(speedBox_->currentData().toInt()); });
    connect(pauseButton_, &QPushButton::clicked, this, &TReplayBar::PauseButtonClick);
    connect(stepButton_, &QPushButton::clicked, this, [this] { replay_.Step(); });
    connect(endButton_, &QPushButton::clicked, this, [this] { replay_.Stop(); });

    auto *controls = new QHBoxLayout;
    controls->addWidget(speedBox_);
    controls->addWidget(pauseButton_);
    controls->addWidget(stepButton_);
    controls->addStretch();
    controls->addWidget(endButton_);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(progress_);
    layout->addLayout(controls);

    stateSubscription_ = replay_.SubscribeState([this] { StateChanged(); });
    StateChanged();
}

void TReplayBar::SetFileName(const QString &fileName)
{
    setWindowTitle(QStringLiteral("Replay: ") + QFileInfo(fileName).fileName());
}

void TReplayBar::StateChanged()
{
    if (!replay_.Active()) {
        hide();
        return;
    }
    const QLocale locale;
    QString text = QStringLiteral("%1 of %2 alerts played")
                       .arg(locale.toString(replay_.Played()), locale.toString(replay_.Count()));
    if (replay_.Finished())
        text += QStringLiteral(", the end");
    if (replay_.Malformed() > 0)
        text += QStringLiteral("\n%1 unreadable lines skipped").arg(locale.toString(replay_.Malformed()));
    progress_->setText(text);
    pauseButton_->setText(replay_.Paused() ? QStringLiteral("Play") : QStringLiteral("Pause"));
    pauseButton_->setEnabled(!replay_.Finished());
    stepButton_->setEnabled(!replay_.Finished());
    const int speedIndex = speedBox_->findData(replay_.Speed());
    if (speedIndex >= 0)
        speedBox_->setCurrentIndex(speedIndex);
}

void TReplayBar::PauseButtonClick()
{
    if (replay_.Paused())
        replay_.Resume();
    else
        replay_.Pause();
}

void TReplayBar::closeEvent(QCloseEvent *event)
{
    replay_.Stop();
    event->accept();
}

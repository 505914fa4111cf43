#pragma once

#include "shared/TListeners.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;
class TAlertReplay;

// The small window that steers a replay: how far it is, how many lines of the file
// could not be read, its speed, Pause, Step and End Replay. Closing it ends the
// replay; it hides itself when the replay ends otherwise.
class TReplayBar : public QWidget
{
    Q_OBJECT

public:
    TReplayBar(TAlertReplay &replay, QWidget *owner);

    // The file shown in the bar's title.
    void SetFileName(const QString &fileName);

    QLabel *Progress() const { return progress_; }
    QComboBox *SpeedBox() const { return speedBox_; }
    QPushButton *PauseButton() const { return pauseButton_; }
    QPushButton *StepButton() const { return stepButton_; }
    QPushButton *EndButton() const { return endButton_; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void StateChanged();
    void PauseButtonClick();

    TAlertReplay &replay_;
    QLabel *progress_ = nullptr;
    QComboBox *speedBox_ = nullptr;
    QPushButton *pauseButton_ = nullptr;
    QPushButton *stepButton_ = nullptr;
    QPushButton *endButton_ = nullptr;
    TSubscription stateSubscription_;
};

#pragma once

#include "client/core/TAlertRecorder.h"
#include "shared/TListeners.h"

#include <QObject>

class QCheckBox;
class QLayout;
class QPushButton;
class QWidget;
class TMainConnection;
class TReplayBar;
class TSettingsStore;

// The Connection tab's "Record" check box, which writes every live alert to a new
// recording while it is on and is remembered between runs, and its "Replay…" button,
// which plays a recording through the alert windows in place of the live alerts.
class TRecordReplay : public QObject
{
    Q_OBJECT

public:
    TRecordReplay(TMainConnection &connection, TSettingsStore &store, QWidget *owner);

    // The check box and the button, for the Connection tab.
    QLayout *MakeControls(QWidget *tab);
    // Turns recording on when it was on at the end of the last run.
    void Restore();
    void Save();

    // Plays the recording and shows the replay bar; false, with a message, when the
    // file cannot be read.
    bool Replay(const QString &fileName);

    QCheckBox *RecordCheckBox() const { return recordCheckBox_; }
    QPushButton *ReplayButton() const { return replayButton_; }
    TReplayBar *Bar() const { return bar_; }
    const TAlertRecorder &Recorder() const { return recorder_; }

private:
    void SetRecording(bool on);
    void ReplayButtonClick();
    void ShowError(const QString &text);

    TMainConnection &connection_;
    TSettingsStore &store_;
    QWidget *owner_;
    TAlertRecorder recorder_;
    TSubscription recording_;
    QCheckBox *recordCheckBox_ = nullptr;
    QPushButton *replayButton_ = nullptr;
    TReplayBar *bar_ = nullptr;
};

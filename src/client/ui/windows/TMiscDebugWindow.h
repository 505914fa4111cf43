#pragma once

#include "shared/DebugSink.h"

#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <memory>

class QPlainTextEdit;

// The program's log: a plain text window that pops up on the first diagnostic line and
// then collects every later one. Lines arriving in a burst are gathered and written out
// together at most every 250 ms, so a flood of reports costs few editor updates. Only the
// newest lines are kept, so a report every second all day does not grow it without end,
// and it comes up without taking the keyboard from the trading windows.
class TMiscDebugWindow : public QWidget
{
    Q_OBJECT

public:
    static constexpr int MostLines = 10000;

    explicit TMiscDebugWindow(QWidget *parent = nullptr);

    // Queues one line and shows the window in its current state.
    void AddText(const QString &text);
    // Writes the queued lines to the log.
    void Timer1Timer();

    QPlainTextEdit *Memo1() const { return memo1_; }
    // The lines queued since the last flush, joined with CR LF.
    QString PendingText() const { return pendingLines_.join(QStringLiteral("\r\n")); }
    bool FlushArmed() const { return flushArmed_; }

protected:
    // Closing keeps the log and only hides the window; the next report brings it back
    // minimised, so it does not jump in front of the user.
    void closeEvent(QCloseEvent *event) override;

private:
    QPlainTextEdit *memo1_ = nullptr;
    QTimer timer1_;
    QStringList pendingLines_;
    bool flushArmed_ = false;
};

// While it lives, every diagnostic line of the process goes to the debug window, which
// is made on the first line and kept until the route goes.
class TDebugWindowRoute
{
public:
    TDebugWindowRoute();
    // Diagnostic lines go where they went before.
    ~TDebugWindowRoute();

    TDebugWindowRoute(const TDebugWindowRoute &) = delete;
    TDebugWindowRoute &operator=(const TDebugWindowRoute &) = delete;

    // The debug window, or nullptr while nothing has been reported.
    TMiscDebugWindow *Window() const { return window_.get(); }

private:
    std::unique_ptr<TMiscDebugWindow> window_;
    TDebugReceiver previous_;
};

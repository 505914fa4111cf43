#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// Paces a widget's repaints to at most one a frame while pacing is on: for the alert
// path, where a list changes thousands of times a second and painting each change
// would cost more than everything else. A repaint asked for after a quiet frame still
// comes at once; one asked for sooner waits for the end of the frame, and every repaint
// asked for meanwhile joins it.
class TRepaintPacer : public QObject
{
    Q_OBJECT

public:
    static constexpr int FrameMs = 50;

    explicit TRepaintPacer(QObject *parent = nullptr);

    // Pacing is on while at least one holder asks for it.
    void BeginPacing() { ++pacing_; }
    void EndPacing() { --pacing_; }

    // True when a repaint asked for now waits for FrameDue; false when it may go out at
    // once, as it always may while pacing is off.
    bool Defer();
    // A repaint goes out at once and covers the one that waited: true when one did.
    bool Cancel();
    // The widget painted.
    void Painted() { lastPaint_.start(); }
    // A frame has passed since the last paint and nothing waits: the next repaint asked
    // for comes at once. Tests wait for this instead of sleeping through a frame.
    bool Quiet() const;

Q_SIGNALS:
    // The frame ended: the repaint that waited for it is due now.
    void FrameDue();

private:
    int pacing_ = 0;
    QElapsedTimer lastPaint_;
    QTimer frameTimer_;
};

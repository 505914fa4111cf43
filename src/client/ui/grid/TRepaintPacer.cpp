#include "client/ui/grid/TRepaintPacer.h"

TRepaintPacer::TRepaintPacer(QObject *parent)
    : QObject(parent)
{
    frameTimer_.setSingleShot(true);
    // A coarse timer may fire a little early, and two paints would then come closer
    // than a frame apart.
    frameTimer_.setTimerType(Qt::PreciseTimer);
    connect(&frameTimer_, &QTimer::timeout, this, &TRepaintPacer::FrameDue);
}

bool TRepaintPacer::Defer()
{
    if (pacing_ == 0)
        return false;
    if (frameTimer_.isActive())
        return true;
    if (!lastPaint_.isValid())
        return false;
    const qint64 sinceLastPaint = lastPaint_.elapsed();
    if (sinceLastPaint >= FrameMs)
        return false;
    frameTimer_.start(int(FrameMs - sinceLastPaint));
    return true;
}

bool TRepaintPacer::Cancel()
{
    if (!frameTimer_.isActive())
        return false;
    frameTimer_.stop();
    return true;
}

bool TRepaintPacer::Quiet() const
{
    return !frameTimer_.isActive() && (!lastPaint_.isValid() || lastPaint_.elapsed() >= FrameMs);
}

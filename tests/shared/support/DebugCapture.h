#pragma once

#include "shared/DebugSink.h"

#include <QString>
#include <QStringList>

// Keeps the diagnostic lines written while it lives, and puts the receiver that was
// there before back however the test ends.
class TDebugCapture
{
public:
    TDebugCapture() : previous_(SetDebugReceiver([this](const QString &line) { lines_.append(line); })) {}
    ~TDebugCapture() { SetDebugReceiver(previous_); }
    TDebugCapture(const TDebugCapture &) = delete;
    TDebugCapture &operator=(const TDebugCapture &) = delete;

    const QStringList &Lines() const { return lines_; }
    QString All() const { return lines_.join(QLatin1Char('\n')); }

private:
    QStringList lines_;
    TDebugReceiver previous_;
};

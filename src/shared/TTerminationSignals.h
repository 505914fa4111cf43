#pragma once

#include <QSocketNotifier>

#include <functional>
#include <memory>

// Turns SIGINT and SIGTERM into a call on the event loop: the signal handler only
// writes a byte to a pipe, and the loop reads it and calls OnTerminate, where it is
// safe to do anything.
class TTerminationSignals
{
public:
    TTerminationSignals();
    ~TTerminationSignals();

    TTerminationSignals(const TTerminationSignals &) = delete;
    TTerminationSignals &operator=(const TTerminationSignals &) = delete;

    std::function<void()> OnTerminate;

private:
    void Drain();

    std::unique_ptr<QSocketNotifier> notifier_;
};

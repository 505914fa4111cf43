#pragma once

#include <functional>
#include <memory>

class QEvent;
class TWakeUpReceiver;

// Asks the event loop to call OnWakeUp soon: after the handler running now has
// returned, as one more posted event. However often it is asked before the call
// happens, there is one call. Lets an owner gather everything of one turn of the
// loop (output to flush, an upload to start) and act on it once, outside its
// caller's stack.
class TWakeMeSoon
{
public:
    TWakeMeSoon();
    // A wake-up still queued is dropped and never calls OnWakeUp.
    ~TWakeMeSoon();

    TWakeMeSoon(const TWakeMeSoon &) = delete;
    TWakeMeSoon &operator=(const TWakeMeSoon &) = delete;

    void RequestWakeUp();
    bool IsPending() const { return pending_; }

    std::function<void()> OnWakeUp;

private:
    friend class TWakeUpReceiver;
    bool WndPrc(QEvent *event);

    std::unique_ptr<TWakeUpReceiver> receiver_;
    bool pending_ = false;
};

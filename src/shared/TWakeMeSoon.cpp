#include "shared/TWakeMeSoon.h"

#include "shared/DebugSink.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>

namespace {

const auto WakeUpEvent = QEvent::Type(QEvent::User + 1);

} // namespace

// The event-loop endpoint of one TWakeMeSoon. Deleting it removes its posted events,
// which is what drops a queued wake-up when the owner goes away.
class TWakeUpReceiver : public QObject
{
public:
    explicit TWakeUpReceiver(TWakeMeSoon &owner) : owner_(owner) {}

protected:
    bool event(QEvent *event) override
    {
        return owner_.WndPrc(event) || QObject::event(event);
    }

private:
    TWakeMeSoon &owner_;
};

TWakeMeSoon::TWakeMeSoon() : receiver_(std::make_unique<TWakeUpReceiver>(*this))
{
}

TWakeMeSoon::~TWakeMeSoon() = default;

void TWakeMeSoon::RequestWakeUp()
{
    if (pending_)
        return;
    pending_ = true;
    QCoreApplication::postEvent(receiver_.get(), new QEvent(WakeUpEvent));
}

bool TWakeMeSoon::WndPrc(QEvent *event)
{
    if (event->type() != WakeUpEvent)
        return false;
    // Cleared first, so a request made from inside OnWakeUp queues a fresh call.
    pending_ = false;
    // The callback may destroy this object (an owner dropping a session that just
    // failed); run a copy and touch no member afterwards.
    const std::function<void()> wakeUp = OnWakeUp;
    if (wakeUp) {
        try {
            wakeUp();
        } catch (const std::exception &e) {
            ReportException(e, QStringLiteral("WakeMeSoon, TWakeMeSoon.WndPrc"));
        }
    }
    return true;
}

#include "shared/TTerminationSignals.h"

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

// One pipe per process: [0] is read by the event loop, [1] written by the handler.
int SignalPipe[2] = {-1, -1};

extern "C" void WriteSignalByte(int)
{
    const char byte = 1;
    // Nothing can be done about a full pipe here, and one byte waiting is enough.
    [[maybe_unused]] const ssize_t written = ::write(SignalPipe[1], &byte, 1);
}

void InstallHandler(int signalNumber, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(signalNumber, &action, nullptr);
}

} // namespace

TTerminationSignals::TTerminationSignals()
{
    if (::pipe(SignalPipe) != 0)
        return;
    for (const int end : SignalPipe) {
        ::fcntl(end, F_SETFL, ::fcntl(end, F_GETFL) | O_NONBLOCK);
        ::fcntl(end, F_SETFD, FD_CLOEXEC);
    }
    notifier_ = std::make_unique<QSocketNotifier>(SignalPipe[0], QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] { Drain(); });
    InstallHandler(SIGINT, WriteSignalByte);
    InstallHandler(SIGTERM, WriteSignalByte);
}

TTerminationSignals::~TTerminationSignals()
{
    InstallHandler(SIGINT, SIG_DFL);
    InstallHandler(SIGTERM, SIG_DFL);
    notifier_.reset();
    for (int &end : SignalPipe) {
        if (end >= 0)
            ::close(end);
        end = -1;
    }
}

void TTerminationSignals::Drain()
{
    char bytes[16];
    while (::read(SignalPipe[0], bytes, sizeof bytes) > 0) {
    }
    if (OnTerminate)
        OnTerminate();
}

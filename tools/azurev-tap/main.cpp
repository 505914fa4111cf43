// azurev-tap: logs in to the alert server through the client's own main connection and
// prints every alert on standard output, one JSON object per line, for scripts and for
// trying the network stack without the windows.

#include "AzurevVersion.h"
#include "TAlertJsonWriter.h"
#include "TTapOptions.h"
#include "shared/MemoryReturn.h"
#include "shared/TStallReporter.h"
#include "shared/TTerminationSignals.h"

#include "client/core/TMainConnection.h"
#include "shared/DebugSink.h"
#include "shared/SafeText.h"
#include "shared/TIniFile.h"

#include <QCoreApplication>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <termios.h>
#include <unistd.h>

namespace {

void PrintError(const QString &text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stderr);
}

// One line of what the server or the connection reported: controls in it are shown
// escaped, so no byte the server sends can steer the terminal or forge a line.
void PrintReport(const char *prefix, const QString &text)
{
    std::fprintf(stderr, "%s%s\n", prefix, TerminalSafe(text.toUtf8()).constData());
    std::fflush(stderr);
}

// The terminal's settings while a password is typed without echo, for putting
// them back, also from a signal that ends the program meanwhile.
termios SavedTerminal;

extern "C" void RestoreTerminalAndDie(int signalNumber)
{
    ::tcsetattr(STDIN_FILENO, TCSANOW, &SavedTerminal);
    std::signal(signalNumber, SIG_DFL);
    std::raise(signalNumber);
}

// Turns echo off while it lives, when standard input is a terminal, so the password
// typed is never shown.
class TEchoOff
{
public:
    TEchoOff()
    {
        if (!::isatty(STDIN_FILENO) || ::tcgetattr(STDIN_FILENO, &SavedTerminal) != 0)
            return;
        termios silent = SavedTerminal;
        silent.c_lflag &= ~tcflag_t(ECHO);
        std::signal(SIGINT, RestoreTerminalAndDie);
        std::signal(SIGTERM, RestoreTerminalAndDie);
        active_ = ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &silent) == 0;
        if (active_)
            std::fputs("Password: ", stderr);
    }
    ~TEchoOff()
    {
        if (active_) {
            ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &SavedTerminal);
            // The line break typed was not echoed either.
            std::fputs("\n", stderr);
        }
        std::signal(SIGINT, SIG_DFL);
        std::signal(SIGTERM, SIG_DFL);
    }
    TEchoOff(const TEchoOff &) = delete;
    TEchoOff &operator=(const TEchoOff &) = delete;

private:
    bool active_ = false;
};

// The first line of standard input, without its line break.
QByteArray ReadPasswordLine()
{
    const TEchoOff echoOff;
    QByteArray line;
    char chunk[256];
    while (std::fgets(chunk, sizeof chunk, stdin)) {
        line += chunk;
        if (line.endsWith('\n'))
            break;
    }
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return line;
}

} // namespace

int main(int argc, char **argv)
{
    ReturnLargeBlocksToTheSystem();
    QCoreApplication app(argc, argv);
    ReturnFreeHeapPagesEveryMinute(&app);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.contains(QLatin1String("--help"))) {
        std::fputs(TTapOptions::Usage().toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (arguments.contains(QLatin1String("--version"))) {
        std::puts("azurev-tap " AZUREV_VERSION);
        return 0;
    }

    TTapOptions options;
    QString error;
    if (!TTapOptions::Parse(arguments, options, error)) {
        PrintError(QStringLiteral("azurev-tap: ") + error + QLatin1Char('\n') + TTapOptions::Usage());
        return 2;
    }
    const QByteArray password = ReadPasswordLine();
    if (password.isEmpty()) {
        PrintError(QStringLiteral("azurev-tap: no password on standard input"));
        return 2;
    }

    SetDebugReceiver([](const QString &text) { PrintReport("debug: ", text); });

    TTerminationSignals termination;
    termination.OnTerminate = [] { QCoreApplication::quit(); };

    const TIniFile ini(QStringLiteral("KVX.ini"));
    TMainConnection connection(ini);
    if (!options.ServerAddress.isEmpty())
        connection.SetServerAddress(options.ServerAddress);
    for (const QByteArray &category : options.Categories)
        connection.AddCategory(category);

    TAlertJsonWriter writer(stdout);
    // The alerts of one turn of the event loop go out in one flush, when the loop turns.
    QTimer flushSoon;
    flushSoon.setSingleShot(true);
    flushSoon.setInterval(0);
    QObject::connect(&flushSoon, &QTimer::timeout, &flushSoon, [&writer] { writer.Flush(); });
    TStallReporter stallReporter(stderr);
    // Dropped before the writer and the connection: nothing the connection does at
    // its end may reach the writer.
    const TSubscription alertOutput = connection.SubscribeAlerts([&](QByteArrayView body) {
        writer.Write(body);
        if (!flushSoon.isActive())
            flushSoon.start();
        if (!body.isEmpty())
            stallReporter.CountAlert();
    });
    stallReporter.StartIfRequested();
    const TSubscription statusOutput = connection.SubscribeStatus([&connection] {
        PrintReport("status: ", connection.Status());
    });

    connection.SetUsername(options.UserName);
    connection.SetPassword(password);
    return QCoreApplication::exec();
}

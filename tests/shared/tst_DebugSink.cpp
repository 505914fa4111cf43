#include "shared/DebugSink.h"
#include "shared/Exception.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <stdexcept>
#include <unistd.h>

namespace {

class EZDecompressionError : public Exception
{
public:
    using Exception::Exception;
    const char *ClassName() const override { return "EZDecompressionError"; }
};

// Runs an action with standard error sent to a file and returns what it wrote there.
QByteArray CaptureStandardError(const std::function<void()> &action)
{
    QTemporaryDir dir;
    if (!dir.isValid())
        return "(no temporary folder)";
    const QByteArray path = QFile::encodeName(dir.filePath(QStringLiteral("stderr.txt")));
    const int file = open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::fflush(stderr);
    const int saved = dup(STDERR_FILENO);
    if (file < 0 || saved < 0 || dup2(file, STDERR_FILENO) < 0)
        return "(standard error could not be redirected)";
    action();
    std::fflush(stderr);
    dup2(saved, STDERR_FILENO);
    close(saved);
    close(file);
    QFile written(QString::fromLocal8Bit(path));
    return written.open(QIODevice::ReadOnly) ? written.readAll() : QByteArray("(unreadable)");
}

} // namespace

class TestDebugSink : public QObject
{
    Q_OBJECT

private:
    QStringList lines_;

private Q_SLOTS:
    void init()
    {
        lines_.clear();
        SetDebugReceiver([this](const QString &text) { lines_ << text; });
    }

    void cleanup()
    {
        SetDebugReceiver({});
    }

    void reportNamesClassMessageAndLocation()
    {
        ReportException(EZDecompressionError(QStringLiteral("data error")),
                        QStringLiteral("TalkWithServer, TTalkWithServer.ServerConnectionDataAvailable"));
        ReportException(std::out_of_range("index 7"), QStringLiteral("HttpTunnels, THttpTunnel.CheckForSend"));
        QCOMPARE(lines_,
                 (QStringList{
                     QStringLiteral("Class=EZDecompressionError, Message=data error, "
                                    "Location=TalkWithServer, TTalkWithServer.ServerConnectionDataAvailable"),
                     QStringLiteral("Class=std::out_of_range, Message=index 7, "
                                    "Location=HttpTunnels, THttpTunnel.CheckForSend")}));
    }

    void emptyMessageStillGivesTheWholeLine()
    {
        ReportException(Exception(QString()), QStringLiteral("Here"));
        QCOMPARE(lines_, QStringList{QStringLiteral("Class=Exception, Message=, Location=Here")});
    }

    void failingReceiverDoesNotFailTheReporter()
    {
        int attempts = 0;
        SetDebugReceiver([&](const QString &) {
            ++attempts;
            throw std::runtime_error("window gone");
        });
        ReportException(std::runtime_error("x"), QStringLiteral("A"));
        SetDebugReceiver([&](const QString &) {
            ++attempts;
            throw 42;
        });
        ReportException(std::runtime_error("y"), QStringLiteral("B"));
        QCOMPARE(attempts, 2);
    }

    void installingAReceiverReturnsThePreviousOne()
    {
        QStringList other;
        TDebugReceiver previous = SetDebugReceiver([&](const QString &text) { other << text; });
        DebugOutput(QStringLiteral("to other"));
        SetDebugReceiver(previous);
        DebugOutput(QStringLiteral("to first"));
        QCOMPARE(other, QStringList{QStringLiteral("to other")});
        QCOMPARE(lines_, QStringList{QStringLiteral("to first")});
    }

    void withoutReceiverLinesGoToStandardError()
    {
        SetDebugReceiver({});
        const QByteArray written = CaptureStandardError([] {
            ReportException(std::runtime_error("lost?"), QStringLiteral("Nowhere"));
        });
        QCOMPARE(written, QByteArray("Class=std::runtime_error, Message=lost?, Location=Nowhere\n"));
        QVERIFY(lines_.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDebugSink)
#include "tst_DebugSink.moc"

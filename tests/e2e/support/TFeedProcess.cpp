#include "TFeedProcess.h"

#include "../../shared/support/StopProcess.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QRegularExpression>

namespace {

constexpr int StartTimeoutMs = 15000;

} // namespace

TFeedProcess::TFeedProcess()
{
    // A file, not a pipe: a chatty feed can never block on a full pipe.
    process_.setStandardErrorFile(dir_.filePath(QStringLiteral("stderr.txt")));
}

TFeedProcess::~TFeedProcess()
{
    StopProcess(process_);
}

bool TFeedProcess::Start(const QStringList &arguments)
{
    process_.start(QStringLiteral(ALERT_FEED_BIN),
                   QStringList{QStringLiteral("--listen"), QStringLiteral("127.0.0.1:0")}
                       + arguments);
    if (!process_.waitForStarted(StartTimeoutMs))
        return false;
    static const QRegularExpression listening(
        QStringLiteral("listening on 127\\.0\\.0\\.1:(\\d+)"));
    QByteArray output;
    const QDeadlineTimer deadline(StartTimeoutMs);
    while (!deadline.hasExpired() && process_.state() == QProcess::Running) {
        process_.waitForReadyRead(int(std::max<qint64>(deadline.remainingTime(), 1)));
        output += process_.readAllStandardOutput();
        const QRegularExpressionMatch match = listening.match(QString::fromUtf8(output));
        if (match.hasMatch()) {
            port_ = quint16(match.captured(1).toUInt());
            // Printed before the listening line, so it is here by now.
            static const QRegularExpression tunnel(QStringLiteral("tunnel at (\\S+)"));
            tunnelUrl_ = tunnel.match(QString::fromUtf8(output)).captured(1);
            return true;
        }
    }
    return false;
}

bool TFeedProcess::RunToExit(const QStringList &arguments, int timeoutMs)
{
    process_.start(QStringLiteral(ALERT_FEED_BIN), arguments);
    return process_.waitForStarted(StartTimeoutMs) && WaitForExit(timeoutMs);
}

bool TFeedProcess::WaitForExit(int timeoutMs)
{
    return process_.state() == QProcess::NotRunning || process_.waitForFinished(timeoutMs);
}

QString TFeedProcess::WriteClientIni(const QByteArray &moreKeys) const
{
    const QString path = TempPath(QStringLiteral("KVX.ini"));
    QFile file(path);
    const QByteArray text = "[Connection]\r\naddress=127.0.0.1:" + QByteArray::number(port_) + "\r\n" + moreKeys;
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size() ? path : QString();
}

QByteArray TFeedProcess::ErrorOutput() const
{
    QFile file(dir_.filePath(QStringLiteral("stderr.txt")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

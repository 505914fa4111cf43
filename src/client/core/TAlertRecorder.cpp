#include "client/core/TAlertRecorder.h"

#include "client/core/AlertRecordFormat.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString TAlertRecorder::Folder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)
           + QStringLiteral("/Kestrova/Corvane Alerts/recordings");
}

QString TAlertRecorder::FileNameFor(const QDateTime &started)
{
    return QStringLiteral("alerts-%1.txt").arg(started.toString(QStringLiteral("yyyy-MM-dd-HHmmss")));
}

QString TAlertRecorder::Open(const QString &fileName)
{
    Close();
    QDir().mkpath(QFileInfo(fileName).absolutePath());
    file_.setFileName(fileName);
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Append))
        return QStringLiteral("Cannot record to %1: %2").arg(fileName, file_.errorString());
    // Alerts a trader pays for are theirs alone.
    file_.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    started_ = SteadyNowMs();
    count_ = 0;
    return QString();
}

void TAlertRecorder::Close()
{
    if (file_.isOpen())
        file_.close();
}

void TAlertRecorder::Record(QByteArrayView body)
{
    if (body.isEmpty() || !file_.isOpen())
        return;
    file_.write(RecordLine(SteadyNowMs() - started_, body));
    ++count_;
}

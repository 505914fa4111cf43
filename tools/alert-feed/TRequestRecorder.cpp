#include "TRequestRecorder.h"

#include "shared/TMessageToServer.h"

namespace {

void AppendJsonString(QByteArray &out, const QByteArray &utf8)
{
    QString escaped;
    for (const QChar c : QString::fromUtf8(utf8)) {
        if (c == u'"' || c == u'\\')
            escaped.append(u'\\').append(c);
        else if (c.unicode() < 0x20)
            escaped.append(QStringLiteral("\\u%1").arg(uint(c.unicode()), 4, 16, QLatin1Char('0')));
        else
            escaped.append(c);
    }
    out.append('"').append(escaped.toUtf8()).append('"');
}

QByteArray JsonLine(int connection, const TMessageToServer &request)
{
    QByteArray line = "{\"connection\":" + QByteArray::number(connection) + ",\"request\":{";
    bool first = true;
    for (const TMessageField &field : request.Fields()) {
        if (!first)
            line.append(',');
        first = false;
        AppendJsonString(line, field.Key);
        line.append(':');
        // A record is for seeing what a client sent, never for keeping its secrets.
        AppendJsonString(line, IsSecretKey(field.Key) ? QByteArray("***") : field.Value);
    }
    line.append("}}\n");
    return line;
}

} // namespace

QString TRequestRecorder::Open(const QString &fileName)
{
    // Logins and sessions are in it: the owner's only, also when the file was there before.
    constexpr QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
    file_.setFileName(fileName);
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate, ownerOnly) || !file_.setPermissions(ownerOnly))
        return QStringLiteral("cannot write record file %1: %2").arg(fileName, file_.errorString());
    return QString();
}

void TRequestRecorder::Record(int connection, const TMessageToServer &request)
{
    if (!file_.isOpen())
        return;
    file_.write(JsonLine(connection, request));
    file_.flush();
}

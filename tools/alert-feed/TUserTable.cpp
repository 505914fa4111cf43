#include "TUserTable.h"

#include "FeedFiles.h"

QString TUserTable::Load(const QString &fileName)
{
    QString error;
    const QByteArray text = ReadFeedFile(QStringLiteral("users file"), fileName, error);
    return error.isEmpty() ? Parse(text) : error;
}

QString TUserTable::Parse(const QByteArray &text)
{
    restricted_ = true;
    int lineNumber = 0;
    for (QByteArray line : text.split('\n')) {
        ++lineNumber;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.trimmed().isEmpty() || line.startsWith('#'))
            continue;
        const int colon = line.indexOf(':');
        if (colon <= 0 || colon == line.size() - 1)
            return QStringLiteral("users file line %1 is not name:password").arg(lineNumber);
        passwords_.insert(line.left(colon), line.mid(colon + 1));
    }
    return QString();
}

bool TUserTable::Accepts(const QByteArray &user, const QByteArray &password) const
{
    if (user.isEmpty() || password.isEmpty())
        return false;
    if (!restricted_)
        return true;
    const auto found = passwords_.constFind(user);
    return found != passwords_.constEnd() && *found == password;
}

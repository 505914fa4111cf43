#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

// Who may log in. Without a users file anyone with a non-empty user name and password
// may; with one, only its "name:password" lines.
class TUserTable
{
public:
    // Reads "name:password" lines; blank lines and lines starting with "#" are skipped,
    // and the first ":" splits, so a password may contain colons. Returns an error text,
    // empty when the file was read.
    QString Load(const QString &fileName);
    // The same rules over text in memory.
    QString Parse(const QByteArray &text);

    bool Accepts(const QByteArray &user, const QByteArray &password) const;

private:
    bool restricted_ = false;
    QHash<QByteArray, QByteArray> passwords_;
};

#include "client/core/TSettingsStore.h"

#include "shared/DebugSink.h"
#include "shared/TIniFile.h"
#include "shared/TMessageToServer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>

namespace {

constexpr QFileDevice::Permissions OwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions Others = QFileDevice::ReadGroup | QFileDevice::WriteGroup
                                            | QFileDevice::ReadOther | QFileDevice::WriteOther;

} // namespace

TSettingsStore::TSettingsStore()
    : settings_(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Kestrova"),
                QStringLiteral("Corvane Alerts"))
{
    if (QFile::permissions(FileName()).testAnyFlags(Others) && HoldsSecret()) {
        DebugOutput(QStringLiteral("Class=ESettingsStore, Message=%1 holds a password and was open to other "
                                   "users; it is now readable by you only. Change the password if someone "
                                   "else may have read it, Location=settings store")
                        .arg(FileName()));
        KeepToOwner();
    }
}

TSettingsStore::~TSettingsStore()
{
    Flush();
}

QString TSettingsStore::Key(const QString &section, const QString &name)
{
    return section + QLatin1Char('/') + name;
}

QString TSettingsStore::ReadString(const QString &section, const QString &name,
                                   const QString &defaultValue) const
{
    const QVariant value = settings_.value(Key(section, name));
    return value.isValid() ? value.toString() : defaultValue;
}

qint32 TSettingsStore::ReadInteger(const QString &section, const QString &name, qint32 defaultValue) const
{
    const QVariant value = settings_.value(Key(section, name));
    switch (value.typeId()) {
    case QMetaType::Int:
        return value.toInt();
    case QMetaType::UInt:
        // A 32-bit pattern, as some stores hand out their numbers.
        return qint32(value.toUInt());
    case QMetaType::QString:
    case QMetaType::QByteArray: {
        qint32 number = 0;
        return TIniFile::ParseInteger(value.toString().trimmed().toUtf8(), number) ? number : defaultValue;
    }
    default:
        return defaultValue;
    }
}

bool TSettingsStore::ReadBool(const QString &section, const QString &name, bool defaultValue) const
{
    return ReadInteger(section, name, defaultValue ? 1 : 0) != 0;
}

QStringList TSettingsStore::ReadStringList(const QString &section, const QString &name) const
{
    return settings_.value(Key(section, name)).toStringList();
}

bool TSettingsStore::Contains(const QString &section, const QString &name) const
{
    return settings_.contains(Key(section, name));
}

void TSettingsStore::WriteString(const QString &section, const QString &name, const QString &value)
{
    settings_.setValue(Key(section, name), value);
}

void TSettingsStore::WriteStringList(const QString &section, const QString &name, const QStringList &value)
{
    settings_.setValue(Key(section, name), value);
}

void TSettingsStore::WriteInteger(const QString &section, const QString &name, qint32 value)
{
    settings_.setValue(Key(section, name), value);
}

void TSettingsStore::WriteBool(const QString &section, const QString &name, bool value)
{
    settings_.setValue(Key(section, name), value ? QStringLiteral("1") : QStringLiteral("0"));
}

void TSettingsStore::Remove(const QString &section, const QString &name)
{
    settings_.remove(Key(section, name));
}

void TSettingsStore::RemoveSection(const QString &section)
{
    settings_.remove(section);
}

void TSettingsStore::Flush()
{
    // Closed before the rewrite, which keeps the permissions of the file it replaces.
    const bool secret = HoldsSecret();
    if (secret)
        KeepToOwner();
    settings_.sync();
    if (secret)
        KeepToOwner();
}

bool TSettingsStore::HoldsSecret() const
{
    const QStringList keys = settings_.allKeys();
    return std::any_of(keys.begin(), keys.end(), [](const QString &key) { return IsSecretKey(key.toUtf8()); });
}

void TSettingsStore::KeepToOwner() const
{
    const QString fileName = FileName();
    if (!QFile::exists(fileName)) {
        QDir().mkpath(QFileInfo(fileName).absolutePath());
        QFile(fileName).open(QIODevice::WriteOnly | QIODevice::NewOnly, OwnerOnly);
    }
    QFile::setPermissions(fileName, OwnerOnly);
}

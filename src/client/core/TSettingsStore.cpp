#include "client/core/TSettingsStore.h"

#include "shared/TIniFile.h"

TSettingsStore::TSettingsStore()
    : settings_(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Kestrova"),
                QStringLiteral("Corvane Alerts"))
{
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

void TSettingsStore::Flush()
{
    settings_.sync();
}

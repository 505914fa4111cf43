#pragma once

#include <QSettings>
#include <QString>
#include <QStringList>

// The per-user store of what the client remembers between runs: sections of named
// values under Kestrova / Corvane Alerts, in the platform's native settings format.
// Every part of the client that remembers something goes through it, so they all
// share the one store.
// Integers are written as numbers and Booleans as the text "0" or "1"; reading an
// integer accepts a number or its text, so values written either way read back.
//
// A store that holds a secret (a value whose name says password, secret or token) is
// kept readable by its owner only: it is written that way, and one found readable by
// others when it is opened is reported to the debug window and closed to them.
class TSettingsStore
{
public:
    TSettingsStore();
    // Writes out what is not written yet.
    ~TSettingsStore();

    TSettingsStore(const TSettingsStore &) = delete;
    TSettingsStore &operator=(const TSettingsStore &) = delete;

    QString ReadString(const QString &section, const QString &name, const QString &defaultValue) const;
    // A value that is neither a number nor an integer text reads as the default.
    qint32 ReadInteger(const QString &section, const QString &name, qint32 defaultValue) const;
    // Any integer other than 0 reads as true.
    bool ReadBool(const QString &section, const QString &name, bool defaultValue) const;
    // A value written as one text reads as a list of that one text.
    QStringList ReadStringList(const QString &section, const QString &name) const;
    bool Contains(const QString &section, const QString &name) const;

    void WriteString(const QString &section, const QString &name, const QString &value);
    void WriteStringList(const QString &section, const QString &name, const QStringList &value);
    void WriteInteger(const QString &section, const QString &name, qint32 value);
    void WriteBool(const QString &section, const QString &name, bool value);
    void Remove(const QString &section, const QString &name);
    // Every value of the section, and of the sections below it.
    void RemoveSection(const QString &section);

    // Writes everything out now.
    void Flush();

    QString FileName() const { return settings_.fileName(); }

private:
    static QString Key(const QString &section, const QString &name);
    bool HoldsSecret() const;
    // The file readable and writable by its owner only; made empty first when it does
    // not exist yet, so the secret is never in a file others may read.
    void KeepToOwner() const;

    QSettings settings_;
};

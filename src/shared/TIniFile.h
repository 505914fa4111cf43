#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QString>

// The program's configuration reader: an ini file read whole when it is opened and
// never written. A missing or unreadable file reads as empty; of a file larger than
// MostBytes only the start is read (with a debug report), as no real configuration
// comes near that size.
//
// Each line is trimmed of blanks and control characters; empty lines and lines starting
// with ";" are skipped; "[name]" opens a section; lines before the first section are
// ignored; in a section, the first "=" splits a line into key and value (each trimmed)
// and a line without "=" is ignored. Section and key names are matched without regard
// to ASCII letter case.
//
// A section that occurs more than once is one section: its keys are gathered from every
// occurrence, and a key defined more than once reads as the last line that defines it.
// So a repeated section adds to or overrides the earlier one but never discards keys
// that only the earlier one defines.
class TIniFile
{
public:
    static constexpr qint64 MostBytes = 4 * 1024 * 1024;

    explicit TIniFile(const QString &fileName);

    // The same reader over text already in memory.
    static TIniFile FromText(const QByteArray &text);

    // A key present with nothing after "=" reads as empty, not as the default.
    QByteArray ReadString(const QByteArray &section, const QByteArray &key,
                          const QByteArray &defaultValue) const;
    // ReadString for texts shown to the user; the file is taken as UTF-8.
    QString ReadText(const QByteArray &section, const QByteArray &key,
                     const QString &defaultValue) const;
    // Accepts an optional sign and decimal digits, or hexadecimal digits after "$",
    // "0x" or "0X". Without a sign, hexadecimal may give any 32-bit pattern ("$FFFFFFFF"
    // is -1); otherwise the value must fit a signed 32-bit integer. Anything else,
    // an empty value included, reads as the default.
    qint32 ReadInteger(const QByteArray &section, const QByteArray &key,
                       qint32 defaultValue) const;

    // The integer rule of ReadInteger on its own; false when text is not an integer.
    static bool ParseInteger(QByteArrayView text, qint32 &value);

private:
    TIniFile() = default;
    void Parse(const QByteArray &text);
    const QByteArray *Find(const QByteArray &section, const QByteArray &key) const;

    // Lower-cased section name -> lower-cased key -> value.
    QHash<QByteArray, QHash<QByteArray, QByteArray>> sections_;
};

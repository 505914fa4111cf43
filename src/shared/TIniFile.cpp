#include "shared/TIniFile.h"

#include "shared/DebugSink.h"
#include "shared/DisplayText.h"

#include <QFile>

#include <limits>

namespace {

bool IsBlankOrControl(char c)
{
    const auto u = uchar(c);
    return u <= ' ' || u == 0x7F;
}

QByteArray Trimmed(const QByteArray &text)
{
    int begin = 0;
    int end = text.size();
    while (begin < end && IsBlankOrControl(text[begin]))
        ++begin;
    while (end > begin && IsBlankOrControl(text[end - 1]))
        --end;
    return text.mid(begin, end - begin);
}

// Digits of the given base only, accumulated while the magnitude stays within limit.
bool ParseDigits(QByteArrayView digits, int base, quint64 limit, quint64 &magnitude)
{
    if (digits.isEmpty())
        return false;
    magnitude = 0;
    for (char c : digits) {
        int digit = -1;
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        if (digit < 0)
            return false;
        magnitude = magnitude * quint64(base) + quint64(digit);
        if (magnitude > limit)
            return false;
    }
    return true;
}

} // namespace

TIniFile::TIniFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return;
    QByteArray content = file.read(MostBytes + 1);
    if (content.size() > MostBytes) {
        // A line cut in two would read as a shorter value than the file holds.
        content.truncate(content.lastIndexOf('\n', MostBytes - 1) + 1);
        DebugOutput(QStringLiteral("Class=EConfigurationValue, Message=the file is larger than %1 bytes; "
                                   "only its start is read, Location=")
                        .arg(MostBytes)
                    + fileName);
    }
    Parse(content);
}

TIniFile TIniFile::FromText(const QByteArray &text)
{
    TIniFile ini;
    ini.Parse(text);
    return ini;
}

void TIniFile::Parse(const QByteArray &text)
{
    QByteArray content = text;
    // An editor's UTF-8 byte order mark would otherwise hide the first section header.
    if (content.startsWith("\xEF\xBB\xBF"))
        content.remove(0, 3);

    QHash<QByteArray, QByteArray> *section = nullptr;
    // Splitting at either line break character copes with LF, CR LF and CR files; the
    // empty pieces between CR and LF are skipped like any empty line.
    int start = 0;
    while (start <= content.size()) {
        int end = start;
        while (end < content.size() && content[end] != '\n' && content[end] != '\r')
            ++end;
        const QByteArray line = Trimmed(content.mid(start, end - start));
        start = end + 1;

        if (line.isEmpty() || line.startsWith(';'))
            continue;
        if (line.startsWith('[') && line.endsWith(']')) {
            section = &sections_[Trimmed(line.mid(1, line.size() - 2)).toLower()];
            continue;
        }
        const int equals = line.indexOf('=');
        if (!section || equals < 0)
            continue;
        section->insert(Trimmed(line.left(equals)).toLower(), Trimmed(line.mid(equals + 1)));
    }
}

const QByteArray *TIniFile::Find(const QByteArray &section, const QByteArray &key) const
{
    const auto s = sections_.constFind(section.toLower());
    if (s == sections_.constEnd())
        return nullptr;
    const auto k = s->constFind(key.toLower());
    return k == s->constEnd() ? nullptr : &*k;
}

QByteArray TIniFile::ReadString(const QByteArray &section, const QByteArray &key,
                                const QByteArray &defaultValue) const
{
    const QByteArray *value = Find(section, key);
    return value ? *value : defaultValue;
}

QString TIniFile::ReadText(const QByteArray &section, const QByteArray &key,
                           const QString &defaultValue) const
{
    const QByteArray *value = Find(section, key);
    return value ? DisplayText(*value) : defaultValue;
}

qint32 TIniFile::ReadInteger(const QByteArray &section, const QByteArray &key,
                             qint32 defaultValue) const
{
    const QByteArray *text = Find(section, key);
    qint32 value = 0;
    return text && ParseInteger(*text, value) ? value : defaultValue;
}

bool TIniFile::ParseInteger(QByteArrayView text, qint32 &value)
{
    QByteArrayView rest = text;
    const bool negative = rest.startsWith('-');
    const bool signedText = negative || rest.startsWith('+');
    if (signedText)
        rest = rest.sliced(1);

    int base = 10;
    if (rest.startsWith('$')) {
        base = 16;
        rest = rest.sliced(1);
    } else if (rest.startsWith("0x") || rest.startsWith("0X")) {
        base = 16;
        rest = rest.sliced(2);
    }

    // The magnitude of a negative number may reach 2^31; an unsigned hexadecimal
    // number may use all 32 bits.
    const quint64 maxPositive = quint64(std::numeric_limits<qint32>::max());
    quint64 limit = negative ? maxPositive + 1 : maxPositive;
    if (base == 16 && !signedText)
        limit = std::numeric_limits<quint32>::max();

    quint64 magnitude = 0;
    if (!ParseDigits(rest, base, limit, magnitude))
        return false;
    const qint64 signedValue = negative ? -qint64(magnitude) : qint64(magnitude);
    value = qint32(quint32(quint64(signedValue)));
    return true;
}

#include "TReplayScript.h"

#include "FeedFiles.h"

#include <algorithm>
#include <cmath>

namespace {

// An unknown escape is kept as written.
QByteArray UnescapeBody(const QByteArray &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const char next = i + 1 < text.size() ? text[i + 1] : '\0';
        const char unescaped = next == 'r'    ? '\r'
                               : next == 'n'  ? '\n'
                               : next == 't'  ? '\t'
                               : next == '\\' ? '\\'
                                              : '\0';
        if (c == '\\' && unescaped != '\0') {
            out.append(unescaped);
            ++i;
        } else {
            out.append(c);
        }
    }
    return out;
}

} // namespace

QString TReplayScript::Load(const QString &fileName)
{
    QString error;
    const QByteArray text = ReadFeedFile(QStringLiteral("replay file"), fileName, error);
    return error.isEmpty() ? Parse(text) : error;
}

QString TReplayScript::Parse(const QByteArray &text)
{
    lines_.clear();
    hasTimes_ = false;
    qint64 lastMs = 0;
    int lineNumber = 0;
    for (QByteArray line : text.split('\n')) {
        ++lineNumber;
        if (line.endsWith('\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        TLine entry;
        entry.AtMs = lastMs;
        const int tab = line.indexOf('\t');
        if (tab >= 0) {
            bool ok = false;
            const double seconds = line.left(tab).toDouble(&ok);
            if (!ok || !std::isfinite(seconds) || seconds < 0)
                return QStringLiteral("replay line %1: \"%2\" is not a time in seconds")
                    .arg(lineNumber)
                    .arg(QString::fromUtf8(line.left(tab)));
            // A time that runs backwards is sent at once rather than reordered.
            entry.AtMs = std::max(lastMs, qint64(std::llround(seconds * 1000)));
            hasTimes_ = true;
            line = line.mid(tab + 1);
        }
        entry.Body = UnescapeBody(line);
        lastMs = entry.AtMs;
        lines_.append(entry);
    }
    return QString();
}

#include "client/core/AlertRecordFormat.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

void AppendEscaped(QByteArray &out, QByteArrayView body)
{
    for (const char c : body) {
        switch (c) {
        case '\r':
            out += "\\r";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\\':
            out += "\\\\";
            break;
        default:
            out += c;
        }
    }
}

// True when every backslash starts one of the four escapes.
bool EscapesAreKnown(QByteArrayView escaped)
{
    const char *p = escaped.data();
    const char *const end = p + escaped.size();
    while ((p = static_cast<const char *>(std::memchr(p, '\\', size_t(end - p))))) {
        if (p + 1 == end || !std::strchr("rnt\\", p[1]) || p[1] == '\0')
            return false;
        p += 2;
    }
    return true;
}

} // namespace

QByteArray RecordLine(qint64 atMs, QByteArrayView body)
{
    QByteArray line;
    line.reserve(body.size() + body.size() / 8 + 16);
    // Milliseconds as seconds with three decimals, the same in every locale.
    line += QByteArray::number(atMs / 1000);
    line += '.';
    line += QByteArray::number(atMs % 1000).rightJustified(3, '0');
    line += '\t';
    AppendEscaped(line, body);
    line += '\n';
    return line;
}

bool ReadRecordLine(QByteArrayView line, qint64 previousMs, qint64 &atMs, QByteArrayView &escapedBody)
{
    const qsizetype tab = line.indexOf('\t');
    atMs = previousMs;
    if (tab >= 0) {
        bool ok = false;
        const double seconds = QByteArray::fromRawData(line.data(), tab).toDouble(&ok);
        // Beyond a century the milliseconds would not fit; no day is that long.
        if (!ok || !std::isfinite(seconds) || seconds < 0 || seconds > 3.2e9)
            return false;
        atMs = std::max(previousMs, qint64(std::llround(seconds * 1000)));
    }
    escapedBody = line.sliced(tab + 1);
    return !escapedBody.isEmpty() && EscapesAreKnown(escapedBody);
}

QByteArray UnescapeRecordBody(QByteArrayView escapedBody)
{
    QByteArray out;
    out.reserve(escapedBody.size());
    const char *p = escapedBody.data();
    const char *const end = p + escapedBody.size();
    while (p < end) {
        const char *slash = static_cast<const char *>(std::memchr(p, '\\', size_t(end - p)));
        if (!slash)
            slash = end;
        out.append(p, slash - p);
        if (slash + 1 >= end)
            break;
        const char escaped = slash[1];
        out += escaped == 'r' ? '\r' : escaped == 'n' ? '\n' : escaped == 't' ? '\t' : escaped;
        p = slash + 2;
    }
    return out;
}

bool ParseRecordLine(QByteArrayView line, qint64 previousMs, TRecordedAlert &alert)
{
    QByteArrayView escapedBody;
    if (!ReadRecordLine(line, previousMs, alert.AtMs, escapedBody))
        return false;
    alert.Body = UnescapeRecordBody(escapedBody);
    return true;
}

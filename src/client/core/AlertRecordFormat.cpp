#include "client/core/AlertRecordFormat.h"

#include <algorithm>
#include <cmath>

namespace {

void AppendEscaped(QByteArray &out, const QByteArray &body)
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

bool Unescape(const char *from, const char *end, QByteArray &out)
{
    out.clear();
    out.reserve(int(end - from));
    for (const char *p = from; p < end; ++p) {
        if (*p != '\\') {
            out += *p;
            continue;
        }
        if (++p == end)
            return false;
        switch (*p) {
        case 'r':
            out += '\r';
            break;
        case 'n':
            out += '\n';
            break;
        case 't':
            out += '\t';
            break;
        case '\\':
            out += '\\';
            break;
        default:
            return false;
        }
    }
    return true;
}

} // namespace

QByteArray RecordLine(qint64 atMs, const QByteArray &body)
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

bool ParseRecordLine(const QByteArray &line, qint64 previousMs, TRecordedAlert &alert)
{
    const int tab = line.indexOf('\t');
    alert.AtMs = previousMs;
    if (tab >= 0) {
        bool ok = false;
        const double seconds = line.left(tab).toDouble(&ok);
        // Beyond a century the milliseconds would not fit; no day is that long.
        if (!ok || !std::isfinite(seconds) || seconds < 0 || seconds > 3.2e9)
            return false;
        alert.AtMs = std::max(previousMs, qint64(std::llround(seconds * 1000)));
    }
    const char *body = line.constData() + tab + 1;
    const char *end = line.constData() + line.size();
    return body < end && Unescape(body, end, alert.Body);
}

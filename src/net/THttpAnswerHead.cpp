#include "net/THttpAnswerHead.h"

namespace {

QByteArray WithoutCarriageReturn(const QByteArray &line)
{
    return line.endsWith('\r') ? line.chopped(1) : line;
}

} // namespace

QByteArray THttpAnswerHead::Field(const QByteArray &name) const
{
    for (const QPair<QByteArray, QByteArray> &field : Fields) {
        if (field.first.compare(name, Qt::CaseInsensitive) == 0)
            return field.second;
    }
    return QByteArray();
}

THttpHeadResult TakeHttpAnswerHead(QByteArray &input, THttpAnswerHead &head, QString &problem)
{
    // Lines are counted as they come, so a head that never ends is refused as soon as
    // it is too long, not when it ends. The status line is not a field.
    constexpr int mostLines = THttpAnswerHead::MostFieldLines + 1;
    qsizetype lineStart = 0;
    qsizetype headEnd = -1;
    int lines = 0;
    while (lines <= mostLines) {
        const qsizetype lineEnd = input.indexOf('\n', lineStart);
        if (lineEnd < 0)
            break;
        if (WithoutCarriageReturn(input.mid(lineStart, lineEnd - lineStart)).isEmpty()) {
            headEnd = lineEnd + 1;
            break;
        }
        ++lines;
        lineStart = lineEnd + 1;
    }
    const qsizetype headBytes = headEnd < 0 ? input.size() : headEnd;
    if (lines > mostLines || headBytes > THttpAnswerHead::MostBytes) {
        problem = QStringLiteral("the server's answer header is too long");
        return THttpHeadResult::Bad;
    }
    if (headEnd < 0)
        return THttpHeadResult::Incomplete;

    const QList<QByteArray> headLines = input.left(headEnd).split('\n');
    const QByteArray statusLine = WithoutCarriageReturn(headLines.first());
    // "HTTP/1.0 200 OK": version, three digits, and an optional reason.
    const QList<QByteArray> parts = statusLine.split(' ');
    bool numeric = false;
    const int status = parts.size() >= 2 && parts[1].size() == 3 ? parts[1].toInt(&numeric) : 0;
    if (!statusLine.startsWith("HTTP/1.") || !numeric || status < 100) {
        problem = QStringLiteral("the server's answer is not HTTP");
        return THttpHeadResult::Bad;
    }
    THttpAnswerHead taken;
    taken.StatusCode = status;
    taken.ReasonPhrase = statusLine.mid(parts[0].size() + 1 + parts[1].size()).trimmed();
    for (qsizetype i = 1; i < headLines.size(); ++i) {
        const QByteArray line = WithoutCarriageReturn(headLines[i]);
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            taken.Fields.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
    }
    head = taken;
    input.remove(0, headEnd);
    return THttpHeadResult::Complete;
}

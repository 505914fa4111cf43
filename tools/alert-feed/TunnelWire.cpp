#include "TunnelWire.h"

#include <QList>

namespace {

constexpr int MostHeadBytes = 16 * 1024;
// A tunnel upload holds 6000 bytes as P64 text and a few more for its sequence.
constexpr qint64 MostBodyBytes = 64 * 1024;

int P64Value(char c)
{
    if (c >= 'a' && c <= 'z')
        return c - 'a';
    if (c >= 'A' && c <= 'Z')
        return c - 'A' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '_')
        return 62;
    if (c == '-')
        return 63;
    return -1;
}

} // namespace

std::optional<QByteArray> DecodeP64(const QByteArray &text)
{
    // One leftover character holds only 6 bits: no byte ends there.
    if (text.size() % 4 == 1)
        return std::nullopt;
    QByteArray bytes;
    bytes.reserve(text.size() * 3 / 4);
    quint32 bits = 0;
    int bitCount = 0;
    for (const char c : text) {
        const int value = P64Value(c);
        if (value < 0)
            return std::nullopt;
        bits = (bits << 6) | quint32(value);
        bitCount += 6;
        if (bitCount >= 8) {
            bitCount -= 8;
            bytes.append(char((bits >> bitCount) & 0xFF));
        }
    }
    return bytes;
}

std::optional<QByteArray> FormField(const QByteArray &body, const QByteArray &name)
{
    for (const QByteArray &field : body.split('&')) {
        const int equals = field.indexOf('=');
        if (equals >= 0 && field.left(equals) == name)
            return field.mid(equals + 1);
    }
    return std::nullopt;
}

THttpReadResult TakeHttpRequest(QByteArray &buffer, THttpRequestHead &head, QByteArray &body)
{
    const int headEnd = buffer.indexOf("\r\n\r\n");
    if (headEnd < 0)
        return buffer.size() > MostHeadBytes ? THttpReadResult::Bad : THttpReadResult::Incomplete;
    const QList<QByteArray> lines = buffer.left(headEnd).split('\n');
    const QList<QByteArray> requestLine = lines.first().trimmed().split(' ');
    if (requestLine.size() != 3 || !requestLine[2].startsWith("HTTP/1."))
        return THttpReadResult::Bad;

    THttpRequestHead read;
    read.Method = requestLine[0];
    read.Path = requestLine[1];
    // A proxy may pass on the absolute form it was given.
    const int scheme = read.Path.indexOf("://");
    if (scheme > 0) {
        const int pathStart = read.Path.indexOf('/', scheme + 3);
        read.Path = pathStart < 0 ? QByteArray("/") : read.Path.mid(pathStart);
    }
    for (int i = 1; i < lines.size(); ++i) {
        const int colon = lines[i].indexOf(':');
        if (colon <= 0)
            continue;
        const QByteArray name = lines[i].left(colon).trimmed().toLower();
        const QByteArray value = lines[i].mid(colon + 1).trimmed();
        if (name == "host") {
            read.Host = value;
        } else if (name == "content-length") {
            bool ok = false;
            read.ContentLength = value.toLongLong(&ok);
            if (!ok || read.ContentLength < 0 || read.ContentLength > MostBodyBytes)
                return THttpReadResult::Bad;
        }
    }
    const qint64 total = headEnd + 4 + read.ContentLength;
    if (buffer.size() < total)
        return THttpReadResult::Incomplete;
    body = buffer.mid(headEnd + 4, int(read.ContentLength));
    buffer.remove(0, int(total));
    head = read;
    return THttpReadResult::Complete;
}

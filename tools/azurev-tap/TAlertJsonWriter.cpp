#include "TAlertJsonWriter.h"

#include "shared/AlertBody.h"
#include "shared/UrlEncode.h"

#include <QByteArrayView>

namespace {

// Appends a JSON string of the bytes as the client would show them: UTF-8 when they
// are valid UTF-8, else one character per byte (Latin-1), so the line stays valid JSON
// whatever the server sent and different bytes never read the same. Works on the bytes
// directly: a body may be 16 MiB, and a detour through UTF-16 would hold it three times.
void AppendJsonString(QByteArray &json, QByteArrayView bytes)
{
    const bool utf8 = bytes.isValidUtf8();
    json += '"';
    // Bytes that stand for themselves go in by the run, not one at a time.
    qsizetype runStart = 0;
    const auto flushRun = [&](qsizetype end) {
        json.append(bytes.data() + runStart, end - runStart);
        runStart = end + 1;
    };
    for (qsizetype at = 0; at < bytes.size(); ++at) {
        const uchar byte = uchar(bytes[at]);
        const bool plain = byte >= 0x20 && byte != '"' && byte != '\\' && (byte < 0x80 || utf8);
        if (plain)
            continue;
        flushRun(at);
        switch (byte) {
        case '"': json += "\\\""; break;
        case '\\': json += "\\\\"; break;
        case '\n': json += "\\n"; break;
        case '\r': json += "\\r"; break;
        case '\t': json += "\\t"; break;
        default:
            if (byte < 0x20) {
                json += "\\u00";
                json += "0123456789abcdef"[byte >> 4];
                json += "0123456789abcdef"[byte & 0xF];
            } else {
                json += char(0xC0 | (byte >> 6));
                json += char(0x80 | (byte & 0x3F));
            }
        }
    }
    flushRun(bytes.size());
    json += '"';
}

// The bytes of a field name or value, percent-decoded; decoded only when the text holds
// an escape, into a buffer the caller keeps.
void AppendDecoded(QByteArray &json, QByteArray &decoded, QByteArrayView text)
{
    if (!text.contains('%')) {
        AppendJsonString(json, text);
        return;
    }
    decoded.truncate(0);
    AppendPercentDecoded(text, decoded);
    AppendJsonString(json, decoded);
}

} // namespace

void TAlertJsonWriter::AppendJson(QByteArray &json, QByteArray &decoded, QByteArrayView body)
{
    const TAlertBody alert = ReadAlertBody(body);
    // Room for the usual case, where few bytes need an escape.
    json.reserve(json.size() + body.size() + 64);
    json += "{\"category\":";
    AppendJsonString(json, alert.Category);
    TAlertFieldWalker walker(alert.Fields);
    TAlertField field;
    while (walker.Next(field)) {
        json += ',';
        AppendDecoded(json, decoded, field.Key);
        json += ':';
        AppendDecoded(json, decoded, field.Value);
    }
    json += '}';
}

QByteArray TAlertJsonWriter::ToJson(QByteArrayView body)
{
    QByteArray json;
    QByteArray decoded;
    AppendJson(json, decoded, body);
    return json;
}

void TAlertJsonWriter::Write(QByteArrayView body)
{
    line_.truncate(0);
    AppendJson(line_, decoded_, body);
    line_ += '\n';
    std::fwrite(line_.constData(), 1, static_cast<size_t>(line_.size()), out_);
}

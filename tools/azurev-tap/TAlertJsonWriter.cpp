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
    for (const char c : bytes) {
        const uchar byte = uchar(c);
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
            } else if (byte >= 0x80 && !utf8) {
                json += char(0xC0 | (byte >> 6));
                json += char(0x80 | (byte & 0x3F));
            } else {
                json += c;
            }
        }
    }
    json += '"';
}

// The bytes of a field name or value, percent-decoded; the view is copied only when it
// holds an escape.
void AppendDecoded(QByteArray &json, QByteArrayView text)
{
    if (!text.contains('%'))
        AppendJsonString(json, text);
    else
        AppendJsonString(json, PercentDecode(text.toByteArray()));
}

} // namespace

QByteArray TAlertJsonWriter::ToJson(const QByteArray &body)
{
    const TAlertBody alert = ReadAlertBody(body);
    QByteArrayView fields = alert.Fields;

    QByteArray json;
    // Room for the usual case, where few bytes need an escape.
    json.reserve(body.size() + 64);
    json += "{\"category\":";
    AppendJsonString(json, alert.Category);
    while (!fields.isEmpty()) {
        const qsizetype ampersand = fields.indexOf('&');
        const QByteArrayView item = ampersand < 0 ? fields : fields.first(ampersand);
        fields = ampersand < 0 ? QByteArrayView() : fields.sliced(ampersand + 1);
        // Split before decoding, so an escaped "&" or "=" stays inside its value.
        const qsizetype equals = item.indexOf('=');
        if (equals < 0)
            continue;
        json += ',';
        AppendDecoded(json, item.first(equals));
        json += ':';
        AppendDecoded(json, item.sliced(equals + 1));
    }
    json += '}';
    return json;
}

void TAlertJsonWriter::Write(const QByteArray &body)
{
    const QByteArray json = ToJson(body);
    std::fwrite(json.constData(), 1, static_cast<size_t>(json.size()), out_);
    std::fputc('\n', out_);
    std::fflush(out_);
}

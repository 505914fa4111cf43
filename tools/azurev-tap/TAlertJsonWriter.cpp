#include "TAlertJsonWriter.h"

#include "shared/DisplayText.h"
#include "shared/UrlEncode.h"

#include <QList>
#include <QString>

namespace {

const QByteArray LineBreak = "\r\n";

// A JSON string of the bytes as the client would show them (UTF-8 when valid, else
// one character per byte), so the line stays valid JSON whatever the server sent and
// different bytes never read the same.
QByteArray JsonString(const QByteArray &bytes)
{
    const QString text = DisplayText(bytes);
    QString escaped;
    escaped.reserve(text.size() + 2);
    escaped += QLatin1Char('"');
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '"': escaped += QLatin1String("\\\""); break;
        case '\\': escaped += QLatin1String("\\\\"); break;
        case '\n': escaped += QLatin1String("\\n"); break;
        case '\r': escaped += QLatin1String("\\r"); break;
        case '\t': escaped += QLatin1String("\\t"); break;
        default:
            if (c.unicode() < 0x20)
                escaped += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                escaped += c;
        }
    }
    escaped += QLatin1Char('"');
    return escaped.toUtf8();
}

} // namespace

QByteArray TAlertJsonWriter::ToJson(const QByteArray &body)
{
    // Line 1 is the category, line 2 the fields; anything after that is not part of it.
    const int categoryEnd = body.indexOf(LineBreak);
    const QByteArray category = categoryEnd < 0 ? body : body.left(categoryEnd);
    QByteArray fields;
    if (categoryEnd >= 0) {
        const int fieldsStart = categoryEnd + LineBreak.size();
        const int fieldsEnd = body.indexOf(LineBreak, fieldsStart);
        fields = fieldsEnd < 0 ? body.mid(fieldsStart) : body.mid(fieldsStart, fieldsEnd - fieldsStart);
    }

    QByteArray json = "{\"category\":" + JsonString(category);
    for (const QByteArray &item : fields.split('&')) {
        // Split before decoding, so an escaped "&" or "=" stays inside its value.
        const int equals = item.indexOf('=');
        if (equals < 0)
            continue;
        json += ',' + JsonString(PercentDecode(item.left(equals))) + ':'
                + JsonString(PercentDecode(item.mid(equals + 1)));
    }
    json += '}';
    return json;
}

void TAlertJsonWriter::Write(const QByteArray &body)
{
    const QByteArray line = ToJson(body) + '\n';
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), out_);
    std::fflush(out_);
}

#include "shared/WireFormat.h"

#include <QtEndian>

namespace {

qint32 ReadInt32(const QByteArray &bytes, qsizetype offset)
{
    return qFromLittleEndian<qint32>(bytes.constData() + offset);
}

bool IsValidLength(qint32 length)
{
    return length >= 0 && length <= MaxWireLength;
}

QString LengthError(const char *what, qint32 length)
{
    return QString::fromLatin1(what) + QLatin1String(" length ") + QString::number(length);
}

enum TTextRead { trComplete, trIncomplete, trInvalid };

// Reads one length-prefixed text at offset and steps past it. The length is checked
// as soon as it is read, so a corrupt one is reported without waiting for its bytes.

TTextRead ReadText(const QByteArray &bytes, qsizetype &offset, QByteArray &text, qint32 &length)
{
    if (bytes.size() - offset < 4)
        return trIncomplete;
    length = ReadInt32(bytes, offset);
    if (!IsValidLength(length))
        return trInvalid;
    if (bytes.size() - offset - 4 < length)
        return trIncomplete;
    text = bytes.mid(offset + 4, length);
    offset += 4 + length;
    return trComplete;
}

} // namespace

QByteArray OpeningLines()
{
    return QByteArrayLiteral("command=set_output&mode=zlib\r\ncommand=set_input&mode=zlib\r\n");
}

void AppendInt32(QByteArray &out, qint32 value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

void AppendText(QByteArray &out, const QByteArray &text)
{
    AppendInt32(out, static_cast<qint32>(text.size()));
    out.append(text);
}

QByteArray EncodeRequest(const TMessageToServer &message, qint32 messageId)
{
    QByteArray out;
    if (messageId >= 1) {
        AppendText(out, QByteArrayLiteral("message_id"));
        AppendText(out, QByteArray::number(messageId));
    }
    for (const TMessageField &field : message.Fields()) {
        if (field.Key.isEmpty())
            continue;
        AppendText(out, field.Key);
        AppendText(out, field.Value);
    }
    // Keys are never empty, so a zero count in key position ends the request.
    AppendInt32(out, 0);
    return out;
}

QByteArray EncodeFrame(qint32 messageId, const QByteArray &body)
{
    QByteArray out;
    AppendInt32(out, messageId);
    AppendText(out, body);
    return out;
}

TFrameRead ReadFrameHeader(const QByteArray &inflated, qsizetype offset, qint32 &messageId,
                           qint32 &bodyLength, QString &error)
{
    if (inflated.size() - offset < 8)
        return frIncomplete;
    messageId = ReadInt32(inflated, offset);
    bodyLength = ReadInt32(inflated, offset + 4);
    if (!IsValidLength(bodyLength)) {
        error = LengthError("bad frame", bodyLength);
        return frInvalid;
    }
    return inflated.size() - offset - 8 < bodyLength ? frIncomplete : frComplete;
}

TFrameCut CutFrames(const QByteArray &inflated)
{
    TFrameCut cut;
    qsizetype offset = 0;
    for (;;) {
        qint32 messageId = 0;
        qint32 length = 0;
        const TFrameRead read = ReadFrameHeader(inflated, offset, messageId, length, cut.Error);
        if (read == frIncomplete)
            break;
        if (read == frInvalid) {
            cut.Status = csInvalidData;
            break;
        }
        cut.Frames.append(TServerFrame{messageId, inflated.mid(offset + 8, length)});
        offset += 8 + length;
    }
    cut.BytesUsed = offset;
    return cut;
}

TRequestCut CutRequests(const QByteArray &inflated)
{
    TRequestCut cut;
    qsizetype offset = 0;
    for (;;) {
        qsizetype cursor = offset;
        TMessageToServer request;
        TTextRead read = trComplete;
        qint32 length = 0;
        for (;;) {
            QByteArray key;
            read = ReadText(inflated, cursor, key, length);
            if (read != trComplete || key.isEmpty())
                break;
            QByteArray value;
            read = ReadText(inflated, cursor, value, length);
            if (read != trComplete)
                break;
            request.Add(key, value);
        }
        if (read == trIncomplete)
            break;
        if (read == trInvalid) {
            cut.Status = csInvalidData;
            cut.Error = LengthError("bad text", length);
            break;
        }
        cut.Requests.append(request);
        offset = cursor;
    }
    cut.BytesUsed = offset;
    return cut;
}

TOpeningCut CutOpeningLines(const QByteArray &received)
{
    const QByteArray expected = OpeningLines();
    const qsizetype compared = qMin(received.size(), expected.size());
    TOpeningCut cut;
    if (received.left(compared) != expected.left(compared))
        cut.Status = csInvalidData;
    else if (compared == expected.size())
        cut.BytesUsed = compared;
    return cut;
}

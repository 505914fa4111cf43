#include "shared/DisplayText.h"

#include <QStringDecoder>

namespace {

bool IsAscii(const QByteArray &bytes)
{
    for (const char c : bytes)
        if (uchar(c) >= 0x80)
            return false;
    return true;
}

} // namespace

QString DisplayText(const QByteArray &bytes)
{
    // Most symbols and times are plain ASCII, which reads the same either way.
    if (IsAscii(bytes))
        return QString::fromLatin1(bytes);
    // A leading byte-order mark is part of the text, not a hint to drop.
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString text = utf8.decode(bytes);
    return utf8.hasError() ? QString::fromLatin1(bytes) : text;
}

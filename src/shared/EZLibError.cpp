#include "shared/EZLibError.h"

#include <zlib.h>

QString ZLibErrorText(int resultCode)
{
    switch (resultCode) {
    case Z_NEED_DICT:
        return QStringLiteral("need dictionary");
    case Z_STREAM_END:
        return QStringLiteral("stream end");
    case Z_ERRNO:
        return QStringLiteral("file error");
    case Z_STREAM_ERROR:
        return QStringLiteral("stream error");
    case Z_DATA_ERROR:
        return QStringLiteral("data error");
    case Z_MEM_ERROR:
        return QStringLiteral("insufficient memory");
    case Z_BUF_ERROR:
        return QStringLiteral("buffer error");
    case Z_VERSION_ERROR:
        return QStringLiteral("incompatible version");
    default:
        return QString();
    }
}

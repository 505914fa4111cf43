#include "shared/TZLibCompressor.h"

#include "shared/EZLibError.h"

#include <utility>

namespace {

const int PassSize = 4096;

int ZLibLevel(TZCompressionLevel level)
{
    switch (level) {
    case zcNone:
        return Z_NO_COMPRESSION;
    case zcFastest:
        return Z_BEST_SPEED;
    case zcBest:
        return Z_BEST_COMPRESSION;
    case zcDefault:
        break;
    }
    return Z_DEFAULT_COMPRESSION;
}

} // namespace

TZLibCompressor::TZLibCompressor(TZCompressionLevel level)
    : stream_()
{
    // 15 window bits: zlib header and Adler-32 trailer format, as the server expects.
    const int result = deflateInit2(&stream_, ZLibLevel(level), Z_DEFLATED, 15, 8,
                                    Z_DEFAULT_STRATEGY);
    if (result < 0)
        throw EZCompressionError(ZLibErrorText(result));
}

TZLibCompressor::~TZLibCompressor()
{
    deflateEnd(&stream_);
}

void TZLibCompressor::Write(const QByteArray &data)
{
    if (data.isEmpty())
        return;
    if (!heldBack_.isEmpty())
        Compress(heldBack_, Z_NO_FLUSH);
    heldBack_ = data;
}

void TZLibCompressor::Flush()
{
    if (heldBack_.isEmpty())
        return;
    Compress(std::exchange(heldBack_, QByteArray()), Z_SYNC_FLUSH);
}

QByteArray TZLibCompressor::TakeOutput()
{
    return std::exchange(output_, QByteArray());
}

void TZLibCompressor::Compress(const QByteArray &chunk, int flushMode)
{
    if (broken_)
        return;
    stream_.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(chunk.constData()));
    stream_.avail_in = static_cast<uInt>(chunk.size());
    bool lastPassFilled = false;
    do {
        char pass[PassSize];
        stream_.next_out = reinterpret_cast<Bytef *>(pass);
        stream_.avail_out = PassSize;
        const int result = deflate(&stream_, flushMode);
        // A pass started only because the previous one filled its area may find
        // nothing left to do; zlib calls that a buffer error, but it is normal.
        if (result < 0 && !(result == Z_BUF_ERROR && lastPassFilled)) {
            broken_ = true;
            throw EZCompressionError(ZLibErrorText(result));
        }
        const int produced = PassSize - static_cast<int>(stream_.avail_out);
        output_.append(pass, produced);
        lastPassFilled = produced == PassSize;
    } while (stream_.avail_in > 0 || lastPassFilled);
}

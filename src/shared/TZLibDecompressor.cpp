#include "shared/TZLibDecompressor.h"

#include "shared/EZLibError.h"

namespace {

const int PassSize = 4096;

} // namespace

TZLibDecompressor::TZLibDecompressor()
    : stream_()
{
    const int result = inflateInit2(&stream_, 15);
    if (result < 0)
        throw EZDecompressionError(ZLibErrorText(result));
}

TZLibDecompressor::~TZLibDecompressor()
{
    inflateEnd(&stream_);
}

void TZLibDecompressor::Decompress(const QByteArray &data)
{
    // An empty read is not input: inflating it would only report a buffer error.
    if (broken_ || data.isEmpty())
        return;
    // The server's stream never ends, so anything after its end is invalid.
    if (ended_)
        Fail(Z_STREAM_END);
    stream_.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    stream_.avail_in = static_cast<uInt>(data.size());
    bool lastPassFilled = false;
    do {
        char pass[PassSize];
        stream_.next_out = reinterpret_cast<Bytef *>(pass);
        stream_.avail_out = PassSize;
        const int result = inflate(&stream_, Z_SYNC_FLUSH);
        // Waiting for a dictionary consumes nothing; another pass would never progress.
        if (result == Z_NEED_DICT)
            Fail(result);
        if (result < 0 && !(result == Z_BUF_ERROR && lastPassFilled))
            Fail(result);
        const int produced = PassSize - static_cast<int>(stream_.avail_out);
        output_.append(pass, produced);
        if (result == Z_STREAM_END) {
            ended_ = true;
            if (stream_.avail_in > 0)
                Fail(result);
            return;
        }
        lastPassFilled = produced == PassSize;
    } while (stream_.avail_in > 0 || lastPassFilled);
}

void TZLibDecompressor::Fail(int result)
{
    broken_ = true;
    throw EZDecompressionError(ZLibErrorText(result));
}

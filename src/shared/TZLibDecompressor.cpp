#include "shared/TZLibDecompressor.h"

#include "shared/EZLibError.h"

#include <limits>

namespace {

// Room handed to zlib per call; zlib inflates straight into the output.
constexpr qsizetype PassSize = 64 * 1024;
// An output buffer this large is given back once it has been used up, so one huge
// frame does not keep its memory for the rest of the session.
constexpr qsizetype KeepCapacity = 1024 * 1024;

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
    Feed(data);
    while (HasPendingInput())
        InflateSlice(std::numeric_limits<qsizetype>::max());
}

void TZLibDecompressor::Feed(const QByteArray &data)
{
    // An empty read is not input: inflating it would only report a buffer error.
    if (broken_ || data.isEmpty())
        return;
    // The server's stream never ends, so anything after its end is invalid.
    if (ended_)
        Fail(Z_STREAM_END);
    if (stream_.avail_in > 0) {
        const qsizetype used = input_.size() - qsizetype(stream_.avail_in);
        input_ = input_.mid(used) + data;
    } else {
        input_ = data;
    }
    stream_.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(input_.constData()));
    stream_.avail_in = static_cast<uInt>(input_.size());
}

void TZLibDecompressor::InflateSlice(qsizetype maxOutput)
{
    qsizetype produced = 0;
    while (HasPendingInput() && produced < maxOutput) {
        const qsizetype room = std::min(PassSize, maxOutput - produced);
        const qsizetype oldSize = output_.size();
        output_.resize(oldSize + room);
        stream_.next_out = reinterpret_cast<Bytef *>(output_.data() + oldSize);
        stream_.avail_out = static_cast<uInt>(room);
        const bool onlyDraining = stream_.avail_in == 0;
        const int result = inflate(&stream_, Z_SYNC_FLUSH);
        const qsizetype made = room - qsizetype(stream_.avail_out);
        output_.truncate(oldSize + made);
        produced += made;
        // Waiting for a dictionary consumes nothing; another call would never progress.
        if (result == Z_NEED_DICT)
            Fail(result);
        // A call made only to drain held-back output may find there is none.
        if (result < 0 && !(result == Z_BUF_ERROR && onlyDraining))
            Fail(result);
        outputHeldBack_ = made == room && result != Z_BUF_ERROR;
        if (result == Z_STREAM_END) {
            ended_ = true;
            outputHeldBack_ = false;
            if (stream_.avail_in > 0)
                Fail(result);
        }
    }
    if (!HasPendingInput())
        input_.clear();
}

void TZLibDecompressor::RemoveUsedOutput(qsizetype count)
{
    output_.remove(0, count);
    if (output_.isEmpty() && output_.capacity() > KeepCapacity)
        output_ = QByteArray();
}

void TZLibDecompressor::Fail(int result)
{
    broken_ = true;
    outputHeldBack_ = false;
    stream_.avail_in = 0;
    input_.clear();
    throw EZDecompressionError(ZLibErrorText(result));
}

#pragma once

#include <QByteArray>

#include <zlib.h>

// How hard the compressor works; the session uses zcDefault.
enum TZCompressionLevel { zcNone, zcFastest, zcDefault, zcBest };

// The client's half of a session: one zlib stream that is never finished. The newest
// chunk is always held back so that the next Flush compresses it together with the
// sync flush, and a batch of writes ends in exactly one flush block.
class TZLibCompressor
{
public:
    explicit TZLibCompressor(TZCompressionLevel level = zcDefault);
    ~TZLibCompressor();
    TZLibCompressor(const TZLibCompressor &) = delete;
    TZLibCompressor &operator=(const TZLibCompressor &) = delete;

    void Write(const QByteArray &data);
    // Sync flush, so the server can inflate everything written so far. Nothing is
    // produced when nothing was written since the last flush.
    void Flush();

    const QByteArray &Output() const { return output_; }
    QByteArray TakeOutput();
    void ClearOutput() { output_.clear(); }

private:
    void Compress(const QByteArray &chunk, int flushMode);

    z_stream stream_;
    QByteArray heldBack_;
    QByteArray output_;
    // Set once zlib has failed on the stream; from then on input is dropped silently.
    bool broken_ = false;
};

#pragma once

#include <QByteArray>

#include <zlib.h>

// The server's half of a session: inflates one never-ending zlib stream, read in
// pieces split anywhere, into an output that the owner consumes from the front.
class TZLibDecompressor
{
public:
    TZLibDecompressor();
    ~TZLibDecompressor();
    TZLibDecompressor(const TZLibDecompressor &) = delete;
    TZLibDecompressor &operator=(const TZLibDecompressor &) = delete;

    // Inflates data and appends the result to Output(). Raises EZDecompressionError
    // for a corrupt stream ("data error"), a stream that wants a preset dictionary
    // ("need dictionary") or input after the end of the stream ("stream end"); after
    // that the stream is dead and further input is dropped without an error.
    void Decompress(const QByteArray &data);

    const QByteArray &Output() const { return output_; }
    // Removes the first count bytes of Output(), which the owner has used.
    void RemoveUsedOutput(qsizetype count) { output_.remove(0, count); }

private:
    [[noreturn]] void Fail(int result);

    z_stream stream_;
    QByteArray output_;
    bool ended_ = false;
    bool broken_ = false;
};

#pragma once

#include <QByteArray>

#include <zlib.h>

// The server's half of a session: inflates one never-ending zlib stream, read in
// pieces split anywhere, into an output that the owner consumes from the front.
//
// Input can be inflated all at once (Decompress) or a slice at a time (Feed, then
// InflateSlice until HasPendingInput is false), so that a few compressed bytes that
// inflate to gigabytes never have to be held in memory at once.
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

    // Takes compressed input to inflate later, behind what is still pending.
    void Feed(const QByteArray &data);
    // Inflates pending input until Output() has grown by at most maxOutput bytes or
    // the pending input is used up. Raises as Decompress does.
    void InflateSlice(qsizetype maxOutput);
    // Input fed but not yet inflated, or output zlib still holds back.
    bool HasPendingInput() const { return !broken_ && (stream_.avail_in > 0 || outputHeldBack_); }

    const QByteArray &Output() const { return output_; }
    // Removes the first count bytes of Output(), which the owner has used.
    void RemoveUsedOutput(qsizetype count);

private:
    [[noreturn]] void Fail(int result);

    z_stream stream_;
    // The compressed bytes stream_.next_in points into.
    QByteArray input_;
    QByteArray output_;
    // The last inflate call filled all the room it was given, so zlib may hold more.
    bool outputHeldBack_ = false;
    bool ended_ = false;
    bool broken_ = false;
};

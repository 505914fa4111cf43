#pragma once

#include "shared/TZLibCompressor.h"
#include "shared/TZLibDecompressor.h"
#include "shared/WireFormat.h"

#include <QByteArray>
#include <QString>
#include <QVector>

// What one read of the server's socket typically brings.
constexpr qsizetype ReadSize = 1460;

// The server's stream of the frames: each leaves with a sync flush of its own, and the
// client reads it in pieces of ReadSize that split frames and zlib blocks anywhere.
inline QVector<QByteArray> ServerReads(const QVector<QByteArray> &frames)
{
    TZLibCompressor server;
    QByteArray stream;
    for (const QByteArray &frame : frames) {
        server.Write(frame);
        server.Flush();
        stream += server.TakeOutput();
    }
    QVector<QByteArray> reads;
    for (qsizetype at = 0; at < stream.size(); at += ReadSize)
        reads.append(stream.mid(at, ReadSize));
    return reads;
}

// The session's receive path without a socket: each read is inflated a slice at a
// time and every frame's body goes to sink, as a view into the inflated bytes, as soon
// as it is cut, so the inflated bytes held never exceed one slice plus an incomplete
// frame. Returns the frames cut.
template <typename Sink>
qint64 InflateAndCut(const QVector<QByteArray> &reads, Sink &&sink)
{
    // As much as the session inflates before it delivers the frames.
    constexpr qsizetype SliceBytes = 64 * 1024;
    TZLibDecompressor decompressor;
    qint64 frames = 0;
    for (const QByteArray &read : reads) {
        decompressor.Feed(read);
        while (decompressor.HasPendingInput()) {
            decompressor.InflateSlice(SliceBytes);
            const QByteArray &inflated = decompressor.Output();
            qsizetype offset = 0;
            qint32 id = 0;
            qint32 length = 0;
            QString error;
            while (ReadFrameHeader(inflated, offset, id, length, error) == frComplete) {
                sink(QByteArrayView(inflated).sliced(offset + 8, length));
                offset += 8 + length;
                ++frames;
            }
            decompressor.RemoveUsedOutput(offset);
        }
    }
    return frames;
}

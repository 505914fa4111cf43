#pragma once

#include "shared/TMessageToServer.h"

#include <QByteArray>
#include <QString>
#include <QVector>

// The byte layout of the alert protocol, as pure functions over byte strings:
// requests (client to server) are runs of length-prefixed key/value texts ended by a
// zero count; frames (server to client) are an identifier, a body length and the
// body. All integers are 32-bit little-endian. Both directions travel inside zlib
// streams that the caller inflates before cutting.

// The longest text or frame body accepted from the other side. Nothing the protocol
// carries comes near it, so a larger length can only be corrupt data.
constexpr qint32 MaxWireLength = 16 * 1024 * 1024;

// The two plain lines that open every connection, before the compressed stream:
// the server is to compress what it sends and to expect compressed input.
QByteArray OpeningLines();

void AppendInt32(QByteArray &out, qint32 value);
// A 32-bit byte count, then the bytes.
void AppendText(QByteArray &out, const QByteArray &text);

// A request as sent: the "message_id" pair first when messageId is 1 or more, then
// every pair with a non-empty key, then a zero count as the terminator.
QByteArray EncodeRequest(const TMessageToServer &message, qint32 messageId);

// A frame as the server sends it: identifier, body length, body.
QByteArray EncodeFrame(qint32 messageId, const QByteArray &body);

enum TCutStatus { csGood, csInvalidData };

struct TServerFrame
{
    qint32 MessageId = 0;
    QByteArray Body;
};

// What the client cut from the inflated server bytes.
struct TFrameCut
{
    TCutStatus Status = csGood;
    QVector<TServerFrame> Frames; // every complete frame, in order
    qsizetype BytesUsed = 0;      // bytes taken by those frames; the rest waits
    QString Error;                // why the data is invalid, when it is
};

// The most inflated bytes a reader ever has to hold to cut one frame.
constexpr qsizetype MaxFrameBytes = 8 + qsizetype(MaxWireLength);

enum TFrameRead { frComplete, frIncomplete, frInvalid };

// Reads the frame header at offset of the inflated server bytes. frComplete when
// the whole frame is there: messageId and bodyLength are set and the body follows
// the 8 header bytes. frInvalid as soon as a header names a negative or oversized
// body, without waiting for it; error then says why.
TFrameRead ReadFrameHeader(const QByteArray &inflated, qsizetype offset, qint32 &messageId,
                           qint32 &bodyLength, QString &error);

// Cuts the complete frames from the front of the inflated server bytes. An
// incomplete tail waits for more bytes. A negative or oversized body length makes
// the data invalid; the frames before it are still returned.
TFrameCut CutFrames(const QByteArray &inflated);

// What the server cut from the inflated client bytes.
struct TRequestCut
{
    TCutStatus Status = csGood;
    QVector<TMessageToServer> Requests; // pairs as sent, "message_id" included
    qsizetype BytesUsed = 0;
    QString Error;
};

// Cuts the complete requests (those whose terminator has arrived) from the front of
// the inflated client bytes. A negative or oversized text length makes the data
// invalid; the requests before it are still returned.
TRequestCut CutRequests(const QByteArray &inflated);

// What the server made of the plain bytes that open a connection.
struct TOpeningCut
{
    TCutStatus Status = csGood;
    qsizetype BytesUsed = 0; // 0 until both opening lines have arrived
};

// Checks the opening lines at the front of what a client sent; the compressed
// stream starts after BytesUsed. Anything else than the opening lines is invalid.
TOpeningCut CutOpeningLines(const QByteArray &received);

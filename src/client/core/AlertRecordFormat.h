#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The line format of a recorded day, the one `alert-feed --replay` reads too:
//   12.345<TAB>QuickStrike\r\nsymbol=ABC&last=12.5
// the time the alert arrived, in seconds since the recording began, a TAB, then the
// body with CR, LF, TAB and backslash written "\r", "\n", "\t" and "\\", so no byte
// of a body can start a second line. A line without a TAB is a body that came with
// the line before it.

struct TRecordedAlert
{
    // Milliseconds since the recording began.
    qint64 AtMs = 0;
    QByteArray Body;
};

// The alert as one line, ending in LF.
QByteArray RecordLine(qint64 atMs, QByteArrayView body);

// Checks one line without its line end, and finds its time and where its escaped body
// lies in it. A line recorded without a time takes previousMs. A time earlier than
// previousMs is raised to it: alerts are replayed in the order they were written.
// False for a line this format cannot have written (a time that is no number of
// seconds, an unknown escape, no body).
bool ReadRecordLine(QByteArrayView line, qint64 previousMs, qint64 &atMs, QByteArrayView &escapedBody);
// The body of a line ReadRecordLine accepted.
QByteArray UnescapeRecordBody(QByteArrayView escapedBody);
// Both at once.
bool ParseRecordLine(QByteArrayView line, qint64 previousMs, TRecordedAlert &alert);

#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

// Recorded alert bodies to send again. A replay file has one body per line. CR, LF,
// TAB and backslash inside a body are written "\r", "\n", "\t" and "\\", so a body
// fits on its line. A line may start with the time it was recorded at, in seconds
// since the recording began, and a TAB:
//   0.250<TAB>QS\r\nsymbol=ABC&last=12.5&time=10%3A31%3A05
// Empty lines are skipped.
class TReplayScript
{
public:
    struct TLine
    {
        // Recorded time in milliseconds; lines without one follow the line before.
        qint64 AtMs = 0;
        QByteArray Body;
    };

    // Returns an error text, empty when the file was read.
    QString Load(const QString &fileName);
    QString Parse(const QByteArray &text);

    const QVector<TLine> &Lines() const { return lines_; }
    // True when any line carries its recorded time, so the recording's pace can be kept.
    bool HasTimes() const { return hasTimes_; }

private:
    QVector<TLine> lines_;
    bool hasTimes_ = false;
};

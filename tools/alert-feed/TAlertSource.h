#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QVector>

// Where the feed's alert bodies come from and when each one is due. Times are on the
// feed's pace clock: milliseconds of sending, which stands still while nobody listens.
class TAlertSource
{
public:
    virtual ~TAlertSource() = default;

    // When the next body is due; negative when the source has no more.
    virtual qint64 NextDueMs() const = 0;

    // Takes the next body, for one of the categories somebody receives (never an empty
    // list). An empty result means the due body concerns nobody; it is used up all
    // the same.
    virtual QByteArray TakeBody(const QVector<QByteArray> &categories) = 0;
};

// The category line of a body: everything before the first CR LF.
QByteArrayView CategoryOfBody(const QByteArray &body);

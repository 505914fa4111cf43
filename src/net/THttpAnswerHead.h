#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// The status line and header fields of one HTTP answer.
struct THttpAnswerHead
{
    // Beyond these a server is not answering but flooding: the head is refused as
    // soon as it has grown past either, without waiting for its end.
    static constexpr int MostFieldLines = 100;
    static constexpr qsizetype MostBytes = 64 * 1024;

    int StatusCode = 0;
    QByteArray ReasonPhrase;
    QList<QPair<QByteArray, QByteArray>> Fields;

    // The value of the first field of that name, whatever its letter case; null when
    // there is none.
    QByteArray Field(const QByteArray &name) const;
};

enum class THttpHeadResult { Incomplete, Complete, Bad };

// Takes a complete answer head (lines ending in CR LF or LF, closed by an empty line)
// from the front of `input` into `head`, leaving the body's first bytes in `input`.
// Incomplete leaves both alone; Bad says why in `problem`.
THttpHeadResult TakeHttpAnswerHead(QByteArray &input, THttpAnswerHead &head, QString &problem);

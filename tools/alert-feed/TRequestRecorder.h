#pragma once

#include <QFile>
#include <QString>

class TMessageToServer;

// Writes every request the feed receives to a file, one JSON object per line, so a
// test can check what a client sent:
//   {"connection":2,"request":{"message_id":"1","command":"login",...}}
// Connections are numbered from 1 in the order they were accepted; the request's pairs
// keep their order, and the value of every key that names a password, secret or token
// is "***". Texts are read as UTF-8. Each line is flushed at once, so the file can be
// read while the feed runs; only its owner can.
class TRequestRecorder
{
public:
    // Returns an error text, empty when the file is open (and emptied).
    QString Open(const QString &fileName);

    void Record(int connection, const TMessageToServer &request);

private:
    QFile file_;
};

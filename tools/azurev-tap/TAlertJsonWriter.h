#pragma once

#include <QByteArray>

#include <cstdio>

// Writes alert bodies as JSON lines: {"category":..., then each field of the alert as
// "key":"value", percent-decoded, in the order the alert carries them}. The line is
// flushed at once, so a reader sees every alert as it arrives.
class TAlertJsonWriter
{
public:
    explicit TAlertJsonWriter(std::FILE *out) : out_(out) {}

    void Write(const QByteArray &body);

    // One alert body as one JSON object, without the line break.
    static QByteArray ToJson(const QByteArray &body);

private:
    std::FILE *out_;
};

#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <cstdio>

// Writes alert bodies as JSON lines: {"category":..., then each field of the alert as
// "key":"value", percent-decoded, in the order the alert carries them}. Lines are
// flushed by Flush, which the tap calls once the alerts that came together are
// written: a reader sees every alert as it arrives, without a write per alert.
class TAlertJsonWriter
{
public:
    explicit TAlertJsonWriter(std::FILE *out) : out_(out) {}

    // The line is made in a buffer the writer keeps, straight from the body's bytes, so
    // a steady stream of alerts allocates nothing once the buffers have grown.
    void Write(QByteArrayView body);
    void Flush() { std::fflush(out_); }

    // One alert body as one JSON object, without the line break.
    static QByteArray ToJson(QByteArrayView body);

private:
    // Appends the object to json; escaped texts are decoded in decoded first.
    static void AppendJson(QByteArray &json, QByteArray &decoded, QByteArrayView body);

    std::FILE *out_;
    QByteArray line_;
    QByteArray decoded_;
};

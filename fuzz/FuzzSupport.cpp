#include "FuzzSupport.h"

#include "FuzzTargets.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <cstdio>
#include <cstdlib>

namespace {

QString inputName;

} // namespace

void SetFuzzInputName(const QString &name)
{
    inputName = name;
}

void Check(bool condition, const char *what)
{
    if (condition)
        return;
    std::fprintf(stderr, "fuzz check failed: %s (input %s)\n", what, qPrintable(inputName));
    std::abort();
}

quint32 TSplitter::Next()
{
    state_ = state_ * 1103515245u + 12345u;
    return state_ >> 16;
}

QVector<QByteArray> TSplitter::Split(const QByteArray &data)
{
    QVector<QByteArray> pieces;
    for (qsizetype at = 0; at < data.size();) {
        const qsizetype length = 1 + Next() % 64;
        pieces.append(data.mid(at, length));
        at += length;
    }
    return pieces;
}

quint32 SeedOf(const QByteArray &data)
{
    return data.isEmpty() ? 0 : quint32(uchar(data[0])) | quint32(data.size()) << 8;
}

bool WaitFor(const std::function<bool()> &condition, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

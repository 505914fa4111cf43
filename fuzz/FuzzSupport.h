#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

#include <functional>

// What the fuzz targets of both fuzz executables share.

// Aborts, naming the input, when a property that must hold whatever the input was
// does not; the fuzzer and the corpus replay both see the abort.
void Check(bool condition, const char *what);

// Piece lengths from 1 to 64 drawn from a generator seeded by the input itself, so
// an input always splits the same way.
class TSplitter
{
public:
    explicit TSplitter(quint32 seed) : state_(seed | 1) {}

    QVector<QByteArray> Split(const QByteArray &data);
    // The next number from the generator, 0 to 65535.
    quint32 Next();

private:
    quint32 state_;
};

quint32 SeedOf(const QByteArray &data);

// Turns the event loop until the condition holds or the time is up; true when it holds.
bool WaitFor(const std::function<bool()> &condition, int timeoutMs);

#pragma once

#include <QByteArray>
#include <QRandomGenerator>

// Bytes whose order shows: a lost, doubled or swapped block changes the content.
inline QByteArray Pattern(int size, int seed = 0)
{
    QByteArray data(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        data[i] = char((i * 7 + i / 251 + seed) & 0xFF);
    return data;
}

// Bytes that do not compress, the same on every run for a seeded generator.
inline QByteArray RandomBytes(QRandomGenerator &random, int size)
{
    QByteArray bytes(size, '\0');
    for (char &byte : bytes)
        byte = char(random.bounded(256));
    return bytes;
}

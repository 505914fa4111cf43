#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

// Fuzz targets, each a function that takes one input of any bytes. A target feeds
// the input to the code under test and checks what must hold whatever the bytes
// were; a broken check aborts, so the fuzzer and the corpus replay both see it.

using TFuzzTarget = void (*)(const QByteArray &data);

struct TNamedFuzzTarget
{
    const char *Name;
    TFuzzTarget Target;
};

// The targets of this executable; each executable's file of targets defines it.
QList<TNamedFuzzTarget> FuzzTargets();

// Settings every run shares, so an input means the same thing on every machine:
// a locale whose decimal separator is ".".
void PrepareFuzzing();

// Named in the message of a broken check, so a failing corpus file can be found.
void SetFuzzInputName(const QString &name);

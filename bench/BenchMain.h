#pragma once

#include <QLocale>

#include <benchmark/benchmark.h>

// The main of every benchmark program. The alert bodies write numbers with ".", so
// they are read in a locale that uses it, whatever the machine's own settings.
inline int RunBenchmarks(int argc, char **argv)
{
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

// azurev-fuzz TARGET ...: runs one fuzz target, chosen by name.
//
// Built for libFuzzer: azurev-fuzz TARGET [libFuzzer options] [corpus folders].
// Otherwise: azurev-fuzz TARGET FILE-OR-FOLDER..., which runs the target once on every
// file given (a folder stands for the files in it) and fails when a check breaks,
// an exception escapes, or there was no input at all.

#include "FuzzTargets.h"

#include "shared/Exception.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>
#include <exception>

namespace {

TFuzzTarget chosen = nullptr;

TFuzzTarget ChooseTarget(const char *name)
{
    QStringList names;
    for (const TNamedFuzzTarget &target : FuzzTargets()) {
        if (qstrcmp(name, target.Name) == 0)
            return target.Target;
        names.append(QString::fromLatin1(target.Name));
    }
    std::fprintf(stderr, "azurev-fuzz: unknown target \"%s\"; targets: %s\n", name,
                 qPrintable(names.join(QStringLiteral(", "))));
    return nullptr;
}

} // namespace

#ifdef AZUREV_LIBFUZZER

// Takes the target's name off the command line before libFuzzer reads its options.
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    if (*argc < 2 || !(chosen = ChooseTarget((*argv)[1])))
        std::exit(2);
    for (int i = 1; i + 1 < *argc; ++i)
        (*argv)[i] = (*argv)[i + 1];
    --*argc;
    PrepareFuzzing();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A copy, terminated like every byte string the program itself handles.
    chosen(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    return 0;
}

#else

namespace {

QStringList InputFiles(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isDir())
        return {path};
    QStringList files;
    const QDir dir(path);
    for (const QString &name : dir.entryList(QDir::Files, QDir::Name))
        files.append(dir.filePath(name));
    return files;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: azurev-fuzz TARGET FILE-OR-FOLDER...\n");
        return 2;
    }
    if (!(chosen = ChooseTarget(argv[1])))
        return 2;
    PrepareFuzzing();

    int replayed = 0;
    for (int i = 2; i < argc; ++i) {
        for (const QString &file : InputFiles(QString::fromLocal8Bit(argv[i]))) {
            QFile input(file);
            if (!input.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "azurev-fuzz: cannot read %s\n", qPrintable(file));
                return 1;
            }
            SetFuzzInputName(file);
            try {
                chosen(input.readAll());
            } catch (const std::exception &e) {
                std::fprintf(stderr, "azurev-fuzz: %s escaped on %s: %s\n",
                             qPrintable(ExceptionClassName(e)), qPrintable(file),
                             qPrintable(ExceptionMessage(e)));
                return 1;
            }
            ++replayed;
        }
    }
    if (replayed == 0) {
        std::fprintf(stderr, "azurev-fuzz: no input to replay\n");
        return 1;
    }
    std::printf("azurev-fuzz %s: %d inputs replayed\n", argv[1], replayed);
    return 0;
}

#endif

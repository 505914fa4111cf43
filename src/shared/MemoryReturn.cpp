#include "shared/MemoryReturn.h"

#include <QTimer>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// Blocks from this size on are mapped on their own and unmapped when freed. Setting it
// also stops glibc from moving it (and the trim threshold) on its own.
constexpr int OwnMappingFromBytes = 256 * 1024;
constexpr int TrimIntervalMs = 60 * 1000;

} // namespace

void ReturnLargeBlocksToTheSystem()
{
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, OwnMappingFromBytes);
#endif
}

void ReturnFreeHeapPagesEveryMinute(QObject *owner)
{
#if defined(__GLIBC__)
    auto *timer = new QTimer(owner);
    timer->setInterval(TrimIntervalMs);
    QObject::connect(timer, &QTimer::timeout, timer, [] { ReturnFreeHeapPagesNow(); });
    timer->start();
#else
    Q_UNUSED(owner);
#endif
}

void ReturnFreeHeapPagesNow()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

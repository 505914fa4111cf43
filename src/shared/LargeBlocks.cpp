#include "shared/LargeBlocks.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace {

// Blocks from this size on are mapped on their own and unmapped when freed. Setting it
// also stops glibc from moving it (and the trim threshold) on its own.
constexpr int OwnMappingFromBytes = 256 * 1024;

} // namespace

void ReturnLargeBlocksToTheSystem()
{
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, OwnMappingFromBytes);
#endif
}

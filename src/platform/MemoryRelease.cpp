#include "platform/MemoryRelease.h"

#include <malloc.h>

namespace MemoryRelease {

void configureAllocator()
{
#ifdef __GLIBC__
    // Setting the threshold also turns off its dynamic growth.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    // Every worker thread would otherwise get heaps of its own that are rarely trimmed.
    mallopt(M_ARENA_MAX, 4);
#endif
}

void releaseFreedMemory()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

}

#include "platform/MemoryRelease.h"

#include <malloc.h>

namespace MemoryRelease {

void configureAllocator()
{
#ifdef __GLIBC__
    // Setting the threshold also turns off its dynamic growth. Below it stay the recogniser's many
    // working buffers, which a mapping per allocation would slow down.
    mallopt(M_MMAP_THRESHOLD, 8 << 20);
#endif
}

void releaseFreedMemory()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

}

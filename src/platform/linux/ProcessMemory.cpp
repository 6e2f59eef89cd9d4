#include "platform/ProcessMemory.h"

#include <cstdlib> // tells which C library this is
#if defined(__GLIBC__)
#include <malloc.h>
#endif

void KeepLargeBlocksApart()
{
#if defined(__GLIBC__)
    // By default the allocator raises this limit once the first such block is freed.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
}

void ReturnFreeMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

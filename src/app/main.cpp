#include "app/Application.h"

#include <cstdlib> // tells which C library this is

#if defined(__GLIBC__)
#include <malloc.h>
#endif

int main(int argc, char** argv)
{
#if defined(__GLIBC__)
    // Large blocks (the window's buffer, remade as the window takes its size; a settings
    // file's text) always get pages of their own, given back when they are freed. By default
    // the allocator raises that limit once the first such block is freed, and later ones leave
    // holes in the heap that stay resident.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
    return RunKestrolin(argc, argv);
}

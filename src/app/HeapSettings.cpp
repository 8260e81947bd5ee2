#include "app/HeapSettings.h"
#include <cstdlib> // defines __GLIBC__ on systems with the GNU C library
#if defined(__GLIBC__)
#include <malloc.h>
#endif

void ConfigureHeap() {
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
}

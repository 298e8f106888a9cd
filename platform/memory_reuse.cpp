#include "platform/memory_reuse.h"

#include <cstdlib>  // defines __GLIBC__ where the C library is glibc

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace painter {

void keepFreedMemoryForReuse() {
#if defined(__GLIBC__)
    // Allocations below this come from the heap, not from a mapping of their
    // own; setting it also stops glibc from moving it by itself.
    mallopt(M_MMAP_THRESHOLD, 4 << 20);
    // Free memory at the top of a heap is given back only beyond this.
    mallopt(M_TRIM_THRESHOLD, 8 << 20);
#endif
}

}  // namespace painter

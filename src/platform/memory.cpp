#include "platform/memory.h"

#include <cstdlib> // defines __GLIBC__ with the C library that has malloc_trim

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace zavi::platform {

void ReturnFreeMemory()
{
#if defined(__GLIBC__)
    // glibc keeps freed blocks in its arenas, one per thread that allocated,
    // and returns only the free top of each by itself; a released player's
    // buffers lie amid blocks still in use.
    malloc_trim(0);
#endif
}

} // namespace zavi::platform

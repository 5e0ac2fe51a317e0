#include "platform/memory.h"

#include <malloc.h>

namespace platform {

void ReturnFreeMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

} // namespace platform

#include "app/MemoryReuse.h"

#if __has_include(<malloc.h>)
#include <malloc.h>
#endif

void keepFreedMemoryForReuse() {
#if defined(M_TRIM_THRESHOLD) && defined(M_TOP_PAD)
    // Trim the heap only when half a GiB lies free at its top, and grow it 64 MiB at a time.
    mallopt(M_TRIM_THRESHOLD, 512 << 20);
    mallopt(M_TOP_PAD, 64 << 20);
#endif
}

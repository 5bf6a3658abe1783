#include "platform/memory.h"

#if __has_include(<malloc.h>)
#include <malloc.h>
#endif

namespace mirel::platform {

void keepFreedMemory() {
#if defined(M_TRIM_THRESHOLD) && defined(M_MMAP_THRESHOLD)
    // Setting the trim threshold also fixes the size from which blocks get a mapping of their
    // own, which the library would otherwise raise as large blocks come and go: it is set to
    // what a large workbook read whole takes, so that such a block is not mapped anew for each.
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
    mallopt(M_MMAP_THRESHOLD, 4 * 1024 * 1024);
#endif
}

} // namespace mirel::platform

#include "platform/services/large_pages.h"

#include <cstdint>
#include <sys/mman.h>
#include <unistd.h>

void AdviseLargePages(void* data, std::size_t bytes) {
#ifdef MADV_HUGEPAGE
    if (bytes < kLargePageBytes) {
        return;
    }
    // madvise takes whole pages: only those inside the block are advised.
    const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    const auto start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (start + page - 1) / page * page;
    const std::uintptr_t end = (start + bytes) / page * page;
    if (first < end) {
        // Only a hint: where the system refuses, the pages stay small.
        madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
    }
#else
    (void)data;
    (void)bytes;
#endif
}

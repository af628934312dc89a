#include "cli/heap_setup.h"

#include <cstdint>
#include <cstdlib>
#include <malloc.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

namespace ornavex {

void SetUpHeapForRun() {
    constexpr std::size_t kHugePage = std::size_t{2} << 20;
    constexpr std::size_t kStep = std::size_t{32} << 20;
    // Blocks up to kStep come from the heap rather than mappings of their
    // own, which would be faulted in afresh each time; the heap grows kStep
    // at a time and gives back memory only when twice that is free.
    mallopt(M_MMAP_THRESHOLD, static_cast<int>(kStep));
    mallopt(M_TOP_PAD, static_cast<int>(kStep));
    mallopt(M_TRIM_THRESHOLD, static_cast<int>(2 * kStep));
    // Each thread's own heap would reserve 64 MiB of address space: under an
    // address-space limit (ulimit -v) the threads share one, so the memory
    // the limit allows goes to the addresses.
    struct rlimit addressSpace {};
    if (getrlimit(RLIMIT_AS, &addressSpace) == 0 && addressSpace.rlim_cur != RLIM_INFINITY)
        mallopt(M_ARENA_MAX, 1);

    // Growing the heap now gives it kStep of room; the whole huge pages in
    // that room are marked for the kernel to back with huge pages.
    void* grow = std::malloc(kHugePage);
    if (grow == nullptr)
        return;
    const auto start = (reinterpret_cast<std::uintptr_t>(grow) + kHugePage - 1) & ~(kHugePage - 1);
    const auto end = reinterpret_cast<std::uintptr_t>(sbrk(0)) & ~(kHugePage - 1);
    if (end > start)
        madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
    std::free(grow);
}

} // namespace ornavex

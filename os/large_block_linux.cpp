// Large blocks as huge-page mappings (Linux).
#include "os/large_block.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <sys/mman.h>

namespace ornavex {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

} // namespace

LargeBlock::LargeBlock(std::size_t bytes) {
    void* memory = nullptr;
    if (bytes >= kHugePage) {
        // Fresh anonymous pages come zeroed from the kernel: no second fill.
        const std::size_t rounded = (bytes + kHugePage - 1) / kHugePage * kHugePage;
        void* mapped = ::mmap(nullptr, rounded + kHugePage, PROT_READ | PROT_WRITE,
                              MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (mapped != MAP_FAILED) {
            // Align to a huge page and give back the unused ends.
            const auto start = reinterpret_cast<std::uintptr_t>(mapped);
            const std::uintptr_t aligned = (start + kHugePage - 1) / kHugePage * kHugePage;
            if (aligned > start)
                ::munmap(mapped, aligned - start);
            const std::size_t tail = start + rounded + kHugePage - (aligned + rounded);
            if (tail > 0)
                ::munmap(reinterpret_cast<void*>(aligned + rounded), tail);
            memory = reinterpret_cast<void*>(aligned);
            ::madvise(memory, rounded, MADV_HUGEPAGE);
            memory_ = std::unique_ptr<void, Free>(memory, Free{rounded});
            return;
        }
    }
    if (memory == nullptr)
        memory = std::calloc(bytes == 0 ? 1 : bytes, 1);
    if (memory == nullptr)
        throw std::bad_alloc();
    memory_ = std::unique_ptr<void, Free>(memory, Free{0});
}

void LargeBlock::Free::operator()(void* memory) const {
    if (mappedBytes > 0) {
        ::munmap(memory, mappedBytes);
        return;
    }
    std::free(memory);
}

} // namespace ornavex

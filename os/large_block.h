#pragma once

#include <cstddef>
#include <memory>

namespace ornavex {

// Zero-filled memory for large tables that are read at random. On Linux the
// block is mapped straight from the kernel, aligned to 2 MiB and marked for
// transparent huge pages, which saves most of the address-translation misses
// of random lookups.
class LargeBlock {
public:
    LargeBlock() = default;
    explicit LargeBlock(std::size_t bytes);

    void* data() const { return memory_.get(); }

private:
    struct Free {
        std::size_t mappedBytes; // 0: from the C heap
        void operator()(void* memory) const;
    };
    std::unique_ptr<void, Free> memory_;
};

} // namespace ornavex

// Large blocks from the C heap, zeroed, where no huge-page mapping is offered.
#include "os/large_block.h"

#include <cstdlib>
#include <new>

namespace ornavex {

LargeBlock::LargeBlock(std::size_t bytes) {
    void* memory = std::calloc(bytes == 0 ? 1 : bytes, 1);
    if (memory == nullptr)
        throw std::bad_alloc();
    memory_ = std::unique_ptr<void, Free>(memory, Free{0});
}

void LargeBlock::Free::operator()(void* memory) const {
    std::free(memory);
}

} // namespace ornavex

#pragma once

#include "os/large_block.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace ornavex {

// A list of addresses kept back to back in large blocks that never move, so
// a million of them cost their bytes plus a view each: no allocation per
// address and no copying as the list grows. The views, too, sit in blocks
// of a fixed size, and every block is fresh memory mapped in large pages
// where the system has them: filling the list costs few page faults.
class AddressList {
public:
    AddressList() = default;
    AddressList(AddressList&&) noexcept;
    AddressList(const AddressList&) = delete; // the views point into the blocks
    AddressList& operator=(const AddressList&) = delete;
    ~AddressList();

    void Append(std::string_view address);

    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    std::string_view operator[](std::size_t i) const {
        return viewBlocks_[i / kViewsPerBlock][i % kViewsPerBlock];
    }

private:
    static constexpr std::size_t kViewsPerBlock = std::size_t{1} << 17; // 2 MiB of views

    std::vector<LargeBlock> byteBlocks_;
    char* free_ = nullptr;
    std::size_t freeLeft_ = 0;
    std::vector<LargeBlock> viewMemory_;
    std::vector<std::string_view*> viewBlocks_;
    std::size_t size_ = 0;
};

} // namespace ornavex

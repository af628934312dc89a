#pragma once

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string_view>

namespace ornavex {

// The line an address found in text fed block by block starts on, counted
// from 1. Between Block and EndBlock, an address inside the block counts the
// line ends before it; one that is not (a word carried over from earlier
// blocks, which holds no line end) is on the line the block starts on.
class LineCounter {
public:
    void Reset() {
        lines_ = 0;
        EndBlock();
    }
    void Block(std::string_view block) {
        end_ = block.data() + block.size();
        cursor_ = block.data();
    }
    std::uint64_t LineOf(std::string_view address) {
        const char* at = address.data();
        const std::less_equal<const char*> atOrBefore;
        if (cursor_ != nullptr && atOrBefore(cursor_, at) && atOrBefore(at, end_)) {
            lines_ += static_cast<std::uint64_t>(std::count(cursor_, at, '\n'));
            cursor_ = at;
        }
        return lines_ + 1;
    }
    void EndBlock() {
        if (cursor_ != nullptr)
            lines_ += static_cast<std::uint64_t>(std::count(cursor_, end_, '\n'));
        cursor_ = end_ = nullptr;
    }

private:
    std::uint64_t lines_ = 0; // line ends before the cursor
    const char* cursor_ = nullptr;
    const char* end_ = nullptr;
};

} // namespace ornavex

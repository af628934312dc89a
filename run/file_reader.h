#pragma once

#include "run/input_source.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace ornavex {

inline constexpr std::size_t kReadBlockSize = 30000;

struct ReadOutcome {
    bool ok = true;
    bool stopped = false; // the block callback asked to stop
    std::string error;    // the operating system's reason when !ok
    std::uint64_t bytesRead = 0;
};

// Reads the source from start to end in blocks of blockSize bytes, one read
// per block, and hands each block's raw bytes to onBlock, which returns false
// to stop. The file is opened read-only and closed on every path out. Only
// regular files (and the standard input) are read: a folder, a FIFO or a
// device fails with a clear reason instead of blocking or never ending.
ReadOutcome ReadFileBlocks(const InputSource& source, std::size_t blockSize,
                           const std::function<bool(std::string_view block)>& onBlock);

} // namespace ornavex

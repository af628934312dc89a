#pragma once

#include "run/input.h"

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace ornavex {

// Reads a batch of small files whole in one system call, where the system
// offers that (io_uring on Linux). Opening, checking, reading and closing a
// file one call at a time costs more than the reading itself when files are
// a few kilobytes, so a folder of many small files reads far faster this way.
//
// Only regular files shorter than the block size are taken, and nothing
// else is opened or read; every other source (a larger or empty file, a
// folder, a FIFO, one that fails to open, the standard input) is left for
// the usual block-by-block read, which also gives its error reason. Without
// batch reads on the system, nothing is taken.
class WholeFileBatch {
public:
    static constexpr std::size_t kMaxFiles = 32;

    explicit WholeFileBatch(std::size_t blockSize);
    ~WholeFileBatch();
    WholeFileBatch(const WholeFileBatch&) = delete;
    WholeFileBatch& operator=(const WholeFileBatch&) = delete;

    // Reads what it can of up to kMaxFiles sources; the contents of the
    // previous batch are gone after this call.
    void Load(std::span<const Input* const> sources);

    // The whole contents of the k-th source of the last Load, if it was read.
    std::optional<std::string_view> Contents(std::size_t k) const;

private:
    struct Ring;

    std::size_t blockSize_;
    std::unique_ptr<Ring> ring_; // null until the first batch, or when batch reads are unavailable
    bool ringTried_ = false;
    std::unique_ptr<char[]> buffer_;
    std::vector<std::optional<std::string_view>> contents_;
};

} // namespace ornavex

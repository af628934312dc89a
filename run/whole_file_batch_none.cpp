// Systems without batch reads: nothing is taken, every file is read the
// usual way.
#include "run/whole_file_batch.h"

#include <algorithm>

namespace ornavex {

struct WholeFileBatch::Ring {};

void WholeFileBatch::Load(std::span<const Input* const> sources) {
    (void)sources;
    std::fill(contents_.begin(), contents_.end(), std::nullopt);
}

WholeFileBatch::WholeFileBatch(std::size_t blockSize)
    : blockSize_(blockSize), contents_(kMaxFiles) {}

WholeFileBatch::~WholeFileBatch() = default;

} // namespace ornavex

#include "run/whole_file_batch.h"

namespace ornavex {

std::optional<std::string_view> WholeFileBatch::Contents(std::size_t k) const {
    return k < contents_.size() ? contents_[k] : std::nullopt;
}

} // namespace ornavex

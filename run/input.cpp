#include "run/input.h"

#include "os/file_access.h"

namespace ornavex {

std::uint64_t TotalSize(const std::vector<Input>& inputs) {
    std::uint64_t total = 0;
    for (const Input& input : inputs) {
        FileStatus status;
        if (!input.standardInput && StatPath(input.path, status) == 0 &&
            status.kind == FileStatus::Kind::kRegular)
            total += status.size;
    }
    return total;
}

} // namespace ornavex

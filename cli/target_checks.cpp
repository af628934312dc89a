#include "cli/target_checks.h"

#include <system_error>

namespace ornavex {
namespace fs = std::filesystem;
namespace {

constexpr int kMostLinks = 40; // as the system follows them

// A target that does not exist yet: where it would be made, with the
// links that name it followed and its folder made absolute and resolved.
fs::path WhereMade(fs::path path) {
    std::error_code error;
    for (int hops = 0; hops < kMostLinks && fs::is_symlink(fs::symlink_status(path, error));
         ++hops) {
        const fs::path target = fs::read_symlink(path, error);
        if (error)
            break;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    const fs::path made = fs::weakly_canonical(fs::absolute(path, error), error);
    return error ? path.lexically_normal() : made;
}

} // namespace

std::vector<FileStatus> IdentitiesOf(const std::vector<Input>& files) {
    std::vector<FileStatus> identities;
    for (const Input& file : files) {
        FileStatus status;
        const int error =
            file.standardInput ? StatStandardInput(status) : StatPath(file.path, status);
        if (error == 0 && status.kind == FileStatus::Kind::kRegular)
            identities.push_back(status);
    }
    return identities;
}

bool IsOneOf(const fs::path& target, const std::vector<FileStatus>& files) {
    FileStatus status;
    if (StatPath(target, status) != 0 || status.kind != FileStatus::Kind::kRegular)
        return false;
    for (const FileStatus& file : files)
        if (file.SameFileAs(status))
            return true;
    return false;
}

bool SameTarget(const fs::path& a, const fs::path& b) {
    FileStatus first, second;
    const bool firstExists = StatPath(a, first) == 0;
    const bool secondExists = StatPath(b, second) == 0;
    if (firstExists || secondExists)
        return firstExists && secondExists && first.SameFileAs(second);
    return WhereMade(a) == WhereMade(b);
}

} // namespace ornavex

#include "os/posix_path_anchor.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <unistd.h>

namespace ornavex {
namespace {

// The longest path handed to one call, its terminating NUL left out.
constexpr std::size_t kOneCall = PATH_MAX - 1;

} // namespace

PathAnchor::PathAnchor(std::string_view path, int& error) : folder_(AT_FDCWD) {
    error = 0;
    while (path.size() > kOneCall) {
        // The longest leading piece that ends at a separator and fits.
        const std::size_t slash = path.substr(0, kOneCall).find_last_of('/');
        if (slash == std::string_view::npos) {
            error = ENAMETOOLONG; // a single name longer than any call takes
            break;
        }
        const std::string piece(path.substr(0, slash == 0 ? 1 : slash));
        const int next = ::openat(folder_, piece.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (next < 0) {
            error = errno;
            break;
        }
        if (owned_)
            ::close(folder_);
        folder_ = next;
        owned_ = true;
        path.remove_prefix(slash + 1);
    }
    if (error != 0) {
        if (owned_)
            ::close(folder_);
        folder_ = -1;
        owned_ = false;
        return;
    }
    rest_ = path.empty() ? "." : std::string(path);
}

PathAnchor::~PathAnchor() {
    if (owned_)
        ::close(folder_);
}

} // namespace ornavex

#include "os/folder_listing.h"
#include "os/posix_path_anchor.h"
#include "os/system_reason.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace ornavex {

// Read straight from the directory, which is opened through a descriptor
// chain when its path is longer than one call takes: the listing tells each
// entry's kind, so only links (and entries of file systems that do not tell)
// cost a stat.
std::string ListFolder(const std::filesystem::path& folder, std::vector<FolderEntry>& entries) {
    int error = 0;
    const PathAnchor anchor(folder.native(), error);
    if (error != 0)
        return SystemReason(error);
    const int fd = ::openat(anchor.folder(), anchor.rest(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return SystemReason(errno);
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        error = errno;
        ::close(fd);
        return SystemReason(error);
    }
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (entry == nullptr) {
            error = errno;
            break;
        }
        const std::string_view name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        unsigned char type = entry->d_type;
        struct stat status;
        if (type == DT_UNKNOWN)
            type = ::fstatat(fd, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0
                       ? static_cast<unsigned char>(IFTODT(status.st_mode))
                       : static_cast<unsigned char>(DT_UNKNOWN);
        FolderEntry listed{std::string(name)};
        listed.symlink = type == DT_LNK;
        listed.directory = type == DT_DIR;
        if (listed.symlink) // a link counts as what it leads to
            listed.directory =
                ::fstatat(fd, entry->d_name, &status, 0) == 0 && S_ISDIR(status.st_mode);
        listed.hidden = name.front() == '.';
        entries.push_back(std::move(listed));
    }
    ::closedir(dir);
    return error != 0 ? SystemReason(error) : std::string();
}

} // namespace ornavex

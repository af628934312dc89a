#include "output/output_file.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace ornavex::output_file {
namespace {

constexpr int kMostLinks = 40; // as the system follows them

// The descriptor a name such as /dev/stdout or /proc/self/fd/3 stands for.
int DescriptorNamed(const std::string& path) {
    if (path == "/dev/stdout")
        return STDOUT_FILENO;
    if (path == "/dev/stderr")
        return STDERR_FILENO;
    for (const char* prefix : {"/dev/fd/", "/proc/self/fd/"}) {
        const std::string_view start = prefix;
        if (path.size() <= start.size() || path.compare(0, start.size(), start) != 0)
            continue;
        char* end = nullptr;
        const long fd = std::strtol(path.c_str() + start.size(), &end, 10);
        if (*end == '\0' && fd >= 0 && fd <= INT_MAX)
            return static_cast<int>(fd);
    }
    return -1;
}

// path with every symbolic link along its last part followed, so the file
// that the link names is written, not the link replaced.
int FollowLinks(std::filesystem::path& path) {
    for (int hops = 0; hops < kMostLinks; ++hops) {
        struct stat info;
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return 0;
        std::string target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : PATH_MAX),
                           '\0');
        const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
        if (length < 0)
            return errno;
        target.resize(static_cast<std::size_t>(length));
        path = target.front() == '/' ? std::filesystem::path(target) : path.parent_path() / target;
    }
    return ELOOP;
}

} // namespace

int FindDestination(const std::filesystem::path& target, Destination& destination) {
    destination = Destination{};
    if (const int fd = DescriptorNamed(target.native()); fd >= 0) {
        destination.kind = Destination::Kind::kStream;
        destination.stream = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
        return destination.stream >= 0 ? 0 : errno;
    }
    destination.file = target;
    if (const int error = FollowLinks(destination.file))
        return error;
    struct stat info;
    if (::stat(destination.file.c_str(), &info) != 0)
        return errno == ENOENT ? 0 : errno;
    destination.exists = true;
    if (S_ISREG(info.st_mode)) {
        destination.mode = info.st_mode & 07777;
        destination.owner = info.st_uid;
        destination.group = info.st_gid;
        return 0;
    }
    if (S_ISDIR(info.st_mode))
        return EISDIR;
    if (!S_ISFIFO(info.st_mode) && !S_ISCHR(info.st_mode))
        return EINVAL; // a block device or a socket is no place for a list
    destination.kind = Destination::Kind::kStream;
    destination.stream = ::open(destination.file.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
    return destination.stream >= 0 ? 0 : errno;
}

int CreateExclusive(const std::filesystem::path& path, const Destination& destination) {
    // A file that replaces another is its owner's alone until it takes over
    // the other's mode; a new file gets the mode every new file gets.
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                  destination.exists ? 0600 : 0666);
}

void TakeOverModeAndOwner(int fd, const Destination& destination) {
    if (!destination.exists)
        return;
    struct stat mine;
    if (::fstat(fd, &mine) == 0 &&
        (mine.st_uid != destination.owner || mine.st_gid != destination.group) &&
        ::fchown(fd, destination.owner, destination.group) != 0)
        (void)::fchown(fd, static_cast<uid_t>(-1), destination.group); // the group at least
    ::fchmod(fd, destination.mode); // after the owner: a change of owner clears some bits
}

long long WriteSome(int fd, const char* data, std::size_t size) {
    long long written;
    do {
        written = ::write(fd, data, size);
    } while (written < 0 && errno == EINTR);
    return written;
}

bool FlushToDisk(int fd) {
    return ::fsync(fd) == 0 || errno == EINVAL || errno == EROFS; // no sync for special files
}

void CloseFile(int fd) {
    ::close(fd);
}

int Replace(const std::filesystem::path& from, const std::filesystem::path& to) {
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int MoveNoReplace(const std::filesystem::path& from, const std::filesystem::path& to) {
    // A hard link fails when the target exists, so no file is ever replaced.
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return 0;
    }
    const int error = errno;
    if (error != EPERM && error != ENOTSUP && error != EOPNOTSUPP)
        return error;
    // File systems without hard links: check, then rename.
    struct stat info;
    if (::lstat(to.c_str(), &info) == 0)
        return EEXIST;
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

void FlushFolder(const std::filesystem::path& folder) {
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

std::size_t LongestName() {
    return NAME_MAX;
}

} // namespace ornavex::output_file

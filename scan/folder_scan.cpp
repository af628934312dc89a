#include "scan/folder_scan.h"

#include "os/file_access.h"
#include "os/system_reason.h"

#include <algorithm>
#include <cstdint>
#include <system_error>
#include <type_traits>

#ifdef _WIN32
#include <windows.h>
#else
#include "os/posix_path_anchor.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace ornavex {
namespace fs = std::filesystem;
namespace {

// An entry of a folder: its name and what it is, without its full path,
// which is built only for the entries that are kept.
struct NamedEntry {
    NativeString name;
    bool directory = false; // a folder, or a link to one
    bool symlink = false;
};

#ifdef _WIN32

// Every entry of folder in listing order; the reason when it cannot be
// listed (whole).
std::string ListEntries(const fs::path& folder, std::vector<NamedEntry>& entries) {
    std::error_code error;
    fs::directory_iterator it(folder, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        std::error_code kindError;
        const bool symlink = it->is_symlink(kindError);
        entries.push_back({it->path().filename().native(), it->is_directory(kindError), symlink});
    }
    return error ? error.message() : std::string();
}

#else

// As above, read straight from the directory, which is opened through a
// descriptor chain when its path is longer than one call takes: the listing
// tells each entry's kind, so only links (and entries of file systems that
// do not tell) cost a stat, and no path is built for an entry that is not
// kept.
std::string ListEntries(const fs::path& folder, std::vector<NamedEntry>& entries) {
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
        NamedEntry named{NativeString(name)};
        named.symlink = type == DT_LNK;
        named.directory = type == DT_DIR;
        if (named.symlink) // a link counts as what it leads to
            named.directory =
                ::fstatat(fd, entry->d_name, &status, 0) == 0 && S_ISDIR(status.st_mode);
        entries.push_back(std::move(named));
    }
    ::closedir(dir);
    return error != 0 ? SystemReason(error) : std::string();
}

#endif

// The first characters of a sort key as one number, so most comparisons of
// two keys are one integer comparison: a smaller head means a smaller key.
std::uint64_t KeyHead(const NativeString& key) {
    using Unit = std::make_unsigned_t<NativeString::value_type>;
    constexpr unsigned kUnitBits = 8 * sizeof(Unit);
    constexpr std::size_t kUnits = 64 / kUnitBits;
    std::uint64_t head = 0;
    for (std::size_t i = 0; i < kUnits; ++i) {
        head <<= kUnitBits - 1; // two steps: a shift by 64 would be undefined
        head <<= 1;
        if (i < key.size())
            head |= static_cast<Unit>(key[i]);
    }
    return head;
}

// Every entry of folder, sorted by name ignoring case; the reason when it
// cannot be listed. A folder may hold many thousands of entries, so each name
// is folded once for the sort instead of in every comparison.
std::string SortedEntries(const fs::path& folder, std::vector<NamedEntry>& sorted) {
    std::vector<NamedEntry> entries;
    const std::string error = ListEntries(folder, entries);
    if (!error.empty())
        return error;
    struct SortItem {
        std::uint64_t head;
        std::size_t index;
    };
    std::vector<NativeString> keys;
    std::vector<SortItem> order;
    keys.reserve(entries.size());
    order.reserve(entries.size());
    for (const NamedEntry& named : entries) {
        keys.push_back(CaseFoldedSortKey(named.name));
        order.push_back({KeyHead(keys.back()), order.size()});
    }
    std::sort(order.begin(), order.end(), [&](const SortItem& a, const SortItem& b) {
        if (a.head != b.head)
            return a.head < b.head;
        const int byKey = keys[a.index].compare(keys[b.index]);
        return byKey != 0 ? byKey < 0 : entries[a.index].name < entries[b.index].name;
    });
    sorted.clear();
    sorted.reserve(entries.size());
    for (const SortItem& item : order)
        sorted.push_back(std::move(entries[item.index]));
    return {};
}

bool IsHidden(const fs::path& folder, const NamedEntry& named) {
#ifdef _WIN32
    const DWORD attributes = GetFileAttributesW((folder / named.name).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
#else
    (void)folder;
    return !named.name.empty() && named.name[0] == '.';
#endif
}

// A subfolder to enter: not a link, so no folder is reached twice.
bool IsRealFolder(const NamedEntry& named) {
    return named.directory && !named.symlink;
}

// Lists the folders in order, appending the real, visible subfolders of each
// to the list as it goes, so the list ends in level order: breadth-first,
// each level grouped by parent. Every other entry goes to onFile; a folder
// that cannot be listed goes to errors.
template <class OnFile>
void WalkFolders(std::vector<fs::path>& folders, const KeepScanning& keepGoing,
                 std::vector<FolderError>& errors, OnFile&& onFile) {
    std::vector<NamedEntry> entries;
    for (std::size_t i = 0; i < folders.size(); ++i) {
        if (keepGoing && !keepGoing())
            return;
        const fs::path folder = folders[i]; // folders may grow and move below
        if (std::string error = SortedEntries(folder, entries); !error.empty()) {
            errors.push_back({folder, std::move(error)});
            continue;
        }
        for (const NamedEntry& named : entries) {
            if (!named.directory)
                onFile(folder, named);
            else if (IsRealFolder(named) && !IsHidden(folder, named))
                folders.push_back(folder / named.name);
        }
    }
}

NativeString NativeFrom(std::string_view text) {
    return fs::path(std::u8string(text.begin(), text.end())).native();
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

} // namespace

FileNameFilter FileNameFilter::AllFiles() {
    FileNameFilter filter;
    filter.patterns_.push_back(NativeFrom("*.*"));
    return filter;
}

FileNameFilter FileNameFilter::ForExtensions(const std::string& extensions) {
    FileNameFilter filter;
    std::string_view rest = extensions;
    for (;;) {
        const std::size_t comma = rest.find(',');
        std::string_view item = Trimmed(rest.substr(0, comma));
        if (item.starts_with("*."))
            item.remove_prefix(2);
        else if (item.starts_with("."))
            item.remove_prefix(1);
        if (!item.empty())
            filter.patterns_.push_back(NativeFrom("*." + std::string(item)));
        if (comma == std::string_view::npos)
            return filter;
        rest.remove_prefix(comma + 1);
    }
}

bool FileNameFilter::Matches(NativeView name) const {
    for (const NativeString& pattern : patterns_)
        if (MatchesWildcard(name, pattern))
            return true;
    return false;
}

std::vector<NativeString> ListFolderFiles(const fs::path& folder, const FileNameFilter& filter) {
    std::vector<NamedEntry> entries;
    std::vector<NativeString> names;
    if (!SortedEntries(folder, entries).empty())
        return names;
    for (NamedEntry& named : entries)
        if (!named.directory && filter.Matches(named.name))
            names.push_back(std::move(named.name));
    return names;
}

ScanResult ScanFolder(const fs::path& root, const FileNameFilter& filter,
                      const KeepScanning& keepGoing) {
    // Each folder is listed once for both its subfolders and its files: a
    // folder of thousands of files is not listed and sorted twice.
    std::vector<fs::path> folders{root};
    ScanResult result;
    result.folder = true;
    WalkFolders(folders, keepGoing, result.errors,
                [&](const fs::path& folder, const NamedEntry& named) {
                    if (filter.Matches(named.name) && (named.name.empty() || named.name[0] != '~'))
                        result.files.push_back(folder / named.name);
                });
    return result;
}

ScanResult ExpandPath(const fs::path& path, const FileNameFilter& filter,
                      const KeepScanning& keepGoing) {
    FileStatus status;
    if (StatPath(path, status) == 0 && status.kind == FileStatus::Kind::kDirectory)
        return ScanFolder(path, filter, keepGoing);
    ScanResult result;
    result.files.push_back(path);
    return result;
}

} // namespace ornavex

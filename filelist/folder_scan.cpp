#include "filelist/folder_scan.h"

#include <algorithm>
#include <cstdint>
#include <system_error>
#include <type_traits>

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
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
    bool regular = false; // a regular file itself, not a link to one
};

#ifdef _WIN32

// Every entry of folder in listing order; nothing when it cannot be listed.
// Entries that fail part-way end the listing there.
std::vector<NamedEntry> ListEntries(const fs::path& folder) {
    std::vector<NamedEntry> entries;
    std::error_code error;
    fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        std::error_code kindError;
        const bool symlink = it->is_symlink(kindError);
        entries.push_back({it->path().filename().native(), it->is_directory(kindError), symlink,
                           !symlink && it->is_regular_file(kindError)});
    }
    return entries;
}

#else

// As above, read straight from the directory: the listing tells each entry's
// kind, so only links (and entries of file systems that do not tell) cost a
// stat, and no path is built for an entry that is not kept.
std::vector<NamedEntry> ListEntries(const fs::path& folder) {
    std::vector<NamedEntry> entries;
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr)
        return entries;
    const int fd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
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
        named.regular = type == DT_REG;
        named.directory = type == DT_DIR;
        if (named.symlink) // a link counts as what it leads to
            named.directory =
                ::fstatat(fd, entry->d_name, &status, 0) == 0 && S_ISDIR(status.st_mode);
        entries.push_back(std::move(named));
    }
    ::closedir(dir);
    return entries;
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

// Every entry of folder, sorted by name ignoring case. A folder may hold many
// thousands of entries, so each name is folded once for the sort instead of
// in every comparison.
std::vector<NamedEntry> SortedEntries(const fs::path& folder) {
    std::vector<NamedEntry> entries = ListEntries(folder);
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
    std::vector<NamedEntry> sorted;
    sorted.reserve(entries.size());
    for (const SortItem& item : order)
        sorted.push_back(std::move(entries[item.index]));
    return sorted;
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
// each level grouped by parent. Every other entry goes to onFile.
template <class OnFile>
void WalkFolders(FolderList& folders, const KeepScanning& keepGoing, OnFile&& onFile) {
    for (std::size_t i = 0; i < folders.size(); ++i) {
        if (keepGoing && !keepGoing())
            return;
        const fs::path folder = folders[i]; // folders may grow and move below
        for (const NamedEntry& named : SortedEntries(folder)) {
            if (!named.directory)
                onFile(folder, named);
            else if (IsRealFolder(named) && !IsHidden(folder, named))
                folders.push_back(folder / named.name);
        }
    }
}

} // namespace

void CollectSubfolders(FolderList& folders, const KeepScanning& keepGoing) {
    WalkFolders(folders, keepGoing, [](const fs::path&, const NamedEntry&) {});
}

std::vector<NativeString> ListFolderFiles(const fs::path& folder, NativeView pattern) {
    std::vector<NativeString> names;
    for (NamedEntry& named : SortedEntries(folder)) {
        if (named.directory)
            continue;
        if (MatchesWildcard(named.name, pattern))
            names.push_back(std::move(named.name));
    }
    return names;
}

std::vector<ScannedFile> ScanFolderFiles(const fs::path& root, NativeView pattern,
                                         const KeepScanning& keepGoing) {
    // Each folder is listed once for both its subfolders and its files: a
    // folder of thousands of files is not listed and sorted twice.
    FolderList folders{root};
    std::vector<ScannedFile> files;
    WalkFolders(folders, keepGoing, [&](const fs::path& folder, const NamedEntry& named) {
        if (MatchesWildcard(named.name, pattern) && (named.name.empty() || named.name[0] != '~'))
            files.push_back({folder / named.name, named.regular});
    });
    return files;
}

std::vector<ScannedFile> ExpandPathFiles(const fs::path& path, NativeView pattern,
                                         const KeepScanning& keepGoing) {
    std::error_code error;
    if (fs::is_directory(path, error))
        return ScanFolderFiles(path, pattern, keepGoing);
    return {{path, false}};
}

namespace {

std::vector<fs::path> PathsOf(std::vector<ScannedFile> files) {
    std::vector<fs::path> paths;
    paths.reserve(files.size());
    for (ScannedFile& file : files)
        paths.push_back(std::move(file.path));
    return paths;
}

} // namespace

std::vector<fs::path> ScanFolder(const fs::path& root, NativeView pattern,
                                 const KeepScanning& keepGoing) {
    return PathsOf(ScanFolderFiles(root, pattern, keepGoing));
}

std::vector<fs::path> ExpandPath(const fs::path& path, NativeView pattern,
                                 const KeepScanning& keepGoing) {
    return PathsOf(ExpandPathFiles(path, pattern, keepGoing));
}

NativeString PatternForExtension(const std::string& extension) {
    const std::string pattern = "*." + extension;
    return fs::path(std::u8string(pattern.begin(), pattern.end())).native();
}

} // namespace ornavex

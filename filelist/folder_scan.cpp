#include "filelist/folder_scan.h"

#include <algorithm>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace ornavex {
namespace fs = std::filesystem;
namespace {

struct NamedEntry {
    NativeString name;
    fs::directory_entry entry;
};

// Every entry of folder, sorted by name ignoring case; nothing when the folder
// cannot be listed. Entries that fail part-way end the listing there. The
// names are taken out once: a folder may hold many thousands of entries.
std::vector<NamedEntry> SortedEntries(const fs::path& folder) {
    std::vector<NamedEntry> entries;
    std::error_code error;
    fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error))
        entries.push_back({it->path().filename().native(), *it});
    std::sort(entries.begin(), entries.end(), [](const NamedEntry& a, const NamedEntry& b) {
        return LessIgnoringCase(a.name, b.name);
    });
    return entries;
}

bool IsHidden(const NamedEntry& named) {
#ifdef _WIN32
    const DWORD attributes = GetFileAttributesW(named.entry.path().c_str());
    return attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
#else
    return !named.name.empty() && named.name[0] == '.';
#endif
}

bool IsRealFolder(const fs::directory_entry& entry) {
    std::error_code error;
    return entry.is_directory(error) && !entry.is_symlink(error);
}

} // namespace

void CollectSubfolders(FolderList& folders, const KeepScanning& keepGoing) {
    // Breadth-first: each pass lists the folders found by the previous one.
    std::size_t levelStart = 0;
    while (levelStart < folders.size()) {
        const std::size_t levelEnd = folders.size();
        for (std::size_t i = levelStart; i < levelEnd; ++i) {
            if (keepGoing && !keepGoing())
                return;
            for (const NamedEntry& named : SortedEntries(folders[i]))
                if (IsRealFolder(named.entry) && !IsHidden(named))
                    folders.push_back(named.entry.path());
        }
        levelStart = levelEnd;
    }
}

std::vector<NativeString> ListFolderFiles(const fs::path& folder, NativeView pattern) {
    std::vector<NativeString> names;
    for (NamedEntry& named : SortedEntries(folder)) {
        std::error_code error;
        if (named.entry.is_directory(error))
            continue;
        if (MatchesWildcard(named.name, pattern))
            names.push_back(std::move(named.name));
    }
    return names;
}

std::vector<fs::path> ScanFolder(const fs::path& root, NativeView pattern,
                                 const KeepScanning& keepGoing) {
    // The folders in the order CollectSubfolders gives them, each listed
    // once for both its subfolders and its files: a folder of thousands of
    // files is not listed and sorted twice.
    FolderList folders{root};
    std::vector<fs::path> files;
    for (std::size_t i = 0; i < folders.size(); ++i) {
        if (keepGoing && !keepGoing())
            break;
        for (const NamedEntry& named : SortedEntries(folders[i])) {
            std::error_code error;
            if (named.entry.is_directory(error)) {
                if (IsRealFolder(named.entry) && !IsHidden(named))
                    folders.push_back(named.entry.path());
                continue;
            }
            if (MatchesWildcard(named.name, pattern) &&
                (named.name.empty() || named.name[0] != '~'))
                files.push_back(named.entry.path());
        }
    }
    return files;
}

std::vector<fs::path> ExpandPath(const fs::path& path, NativeView pattern,
                                 const KeepScanning& keepGoing) {
    std::error_code error;
    if (fs::is_directory(path, error))
        return ScanFolder(path, pattern, keepGoing);
    return {path};
}

NativeString PatternForExtension(const std::string& extension) {
    const std::string pattern = "*." + extension;
    return fs::path(std::u8string(pattern.begin(), pattern.end())).native();
}

} // namespace ornavex

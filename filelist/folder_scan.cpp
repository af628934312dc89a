#include "filelist/folder_scan.h"

#include <algorithm>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
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

// Every entry of folder, sorted by name ignoring case; nothing when the folder
// cannot be listed. Entries that fail part-way end the listing there. A
// folder may hold many thousands of entries, so each keeps only its name and
// kind, which the listing itself tells for all but links.
std::vector<NamedEntry> SortedEntries(const fs::path& folder) {
    std::vector<NamedEntry> entries;
    std::error_code error;
    fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, error);
    for (; !error && it != fs::directory_iterator(); it.increment(error)) {
        std::error_code kindError;
        const bool symlink = it->is_symlink(kindError);
        entries.push_back({it->path().filename().native(), it->is_directory(kindError), symlink,
                           !symlink && it->is_regular_file(kindError)});
    }
    std::sort(entries.begin(), entries.end(), [](const NamedEntry& a, const NamedEntry& b) {
        return LessIgnoringCase(a.name, b.name);
    });
    return entries;
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
                if (IsRealFolder(named) && !IsHidden(folders[i], named))
                    folders.push_back(folders[i] / named.name);
        }
        levelStart = levelEnd;
    }
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
    // The folders in the order CollectSubfolders gives them, each listed
    // once for both its subfolders and its files: a folder of thousands of
    // files is not listed and sorted twice.
    FolderList folders{root};
    std::vector<ScannedFile> files;
    for (std::size_t i = 0; i < folders.size(); ++i) {
        if (keepGoing && !keepGoing())
            break;
        const fs::path folder = folders[i]; // folders may grow and move below
        for (const NamedEntry& named : SortedEntries(folder)) {
            if (named.directory) {
                if (IsRealFolder(named) && !IsHidden(folder, named))
                    folders.push_back(folder / named.name);
                continue;
            }
            if (MatchesWildcard(named.name, pattern) &&
                (named.name.empty() || named.name[0] != '~'))
                files.push_back({folder / named.name, named.regular});
        }
    }
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

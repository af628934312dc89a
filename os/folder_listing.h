#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace ornavex {

// One entry of a folder as its listing tells it, without its full path.
struct FolderEntry {
    std::filesystem::path::string_type name;
    bool directory = false; // a folder, or a link to one
    bool symlink = false;   // a link (or on Windows, a junction)
    bool hidden = false;    // a dot name; on Windows, the hidden or system attribute
};

// Every entry of folder in listing order, "." and ".." left out; the reason
// when the folder cannot be listed, or "". Each platform has its own file
// (folder_listing_posix.cpp, folder_listing_windows.cpp).
std::string ListFolder(const std::filesystem::path& folder, std::vector<FolderEntry>& entries);

} // namespace ornavex

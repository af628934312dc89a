#include "os/folder_listing.h"
#include "os/system_reason.h"
#include "os/windows_error.h"
#include "os/windows_paths.h"

#include <windows.h>

namespace ornavex {
// The Windows listing gives each entry's attributes with its name, so
// telling folders, links and hidden or system entries costs no further call.
std::string ListFolder(const std::filesystem::path& folder, std::vector<FolderEntry>& entries) {
    WIN32_FIND_DATAW found;
    std::wstring pattern = LongPath(folder);
    if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L'/')
        pattern += L'\\';
    pattern += L'*';
    const HANDLE find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found,
                                         FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE)
        return SystemReason(ErrnoFromWindows(GetLastError()));
    DWORD error = ERROR_SUCCESS;
    while (error == ERROR_SUCCESS) {
        const std::wstring_view name = found.cFileName;
        if (name != L"." && name != L"..") {
            const DWORD attributes = found.dwFileAttributes;
            FolderEntry listed{std::wstring(name)};
            listed.directory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            // Symbolic links and junctions both lead elsewhere; other reparse
            // points (cloud files, deduplicated files) are the files themselves.
            listed.symlink = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
                             (found.dwReserved0 == IO_REPARSE_TAG_SYMLINK ||
                              found.dwReserved0 == IO_REPARSE_TAG_MOUNT_POINT);
            listed.hidden = (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
            entries.push_back(std::move(listed));
        }
        if (!FindNextFileW(find, &found))
            error = GetLastError();
    }
    FindClose(find);
    return error != ERROR_NO_MORE_FILES ? SystemReason(ErrnoFromWindows(error)) : std::string();
}

} // namespace ornavex

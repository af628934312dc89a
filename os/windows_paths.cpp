#include "os/windows_paths.h"

#include <windows.h>

namespace ornavex {

std::wstring LongPath(const std::filesystem::path& path) {
    // Room for a name that a caller appends, such as \* to list a folder.
    constexpr std::size_t kRoom = 12;
    if (path.native().size() + kRoom < MAX_PATH || path.native().starts_with(L"\\\\"))
        return path.native();
    std::error_code error;
    std::wstring whole = std::filesystem::absolute(path, error).native();
    if (error || whole.starts_with(L"\\\\"))
        return path.native();
    for (wchar_t& unit : whole)
        if (unit == L'/')
            unit = L'\\';
    return L"\\\\?\\" + whole;
}

} // namespace ornavex

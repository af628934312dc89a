#pragma once

#include <filesystem>
#include <string>

namespace ornavex {

// The path as the Windows file calls take it at any length: an absolute
// path past MAX_PATH gets the \\?\ prefix, which lifts the limit (and then
// takes only backslashes).
std::wstring LongPath(const std::filesystem::path& path);

} // namespace ornavex

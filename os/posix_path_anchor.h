#pragma once

#include <string>
#include <string_view>

namespace ornavex {

// Reaches a path of any length: the system looks up at most PATH_MAX bytes
// of a path in one call, so a longer one is reached folder by folder, each
// step relative to a descriptor of the folder before. What is left is a
// name short enough for one call relative to folder().
class PathAnchor {
public:
    // On failure folder() is -1 and error holds the system's error number.
    PathAnchor(std::string_view path, int& error);
    ~PathAnchor();
    PathAnchor(const PathAnchor&) = delete;
    PathAnchor& operator=(const PathAnchor&) = delete;

    // AT_FDCWD for a short path, which is used as it stands.
    int folder() const { return folder_; }
    const char* rest() const { return rest_.c_str(); }

private:
    int folder_;
    bool owned_ = false;
    std::string rest_;
};

} // namespace ornavex

#pragma once

#include <filesystem>
#include <string>

namespace ornavex {

// One entry of a run: a file by path, or the standard input.
struct InputSource {
    std::filesystem::path path;
    bool standardInput = false;
    // A folder listing made just before the run showed a regular file, so a
    // batch read need not look it up again to tell.
    bool listedRegular = false;

    static InputSource File(std::filesystem::path path) { return {std::move(path), false, false}; }
    static InputSource ListedRegularFile(std::filesystem::path path) {
        return {std::move(path), false, true};
    }
    static InputSource StandardInput() { return {"-", true, false}; }

    // The path as UTF-8 text (or "-" for the standard input), for messages.
    std::string DisplayName() const {
        if (standardInput)
            return "-";
        const std::u8string text = path.u8string();
        return {text.begin(), text.end()};
    }
};

} // namespace ornavex

#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace ornavex {

// One entry of a run: a file by path, or the standard input.
struct Input {
    std::filesystem::path path;
    bool standardInput = false;

    static Input File(std::filesystem::path path) { return {std::move(path), false}; }
    static Input StandardInput() { return {"-", true}; }

    // The path as UTF-8 text (or "-" for the standard input), for messages.
    std::string DisplayName() const {
        if (standardInput)
            return "-";
        const std::u8string text = path.u8string();
        return {text.begin(), text.end()};
    }
};

// The bytes of the inputs that are regular files, as far as they can be
// sized now: what a progress display counts up to.
std::uint64_t TotalSize(const std::vector<Input>& inputs);

} // namespace ornavex

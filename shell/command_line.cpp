#include "shell/command_line.h"

#include <cstring>

namespace ornavex {

int QtOptionsEnd(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--") == 0)
            return i;
    return argc;
}

std::vector<std::filesystem::path> NamedPaths(int leftByQt, char** argv, int optionsEnd, int argc) {
    std::vector<std::filesystem::path> paths;
    auto add = [&](const char* argument) {
        const std::filesystem::path path(argument); // the bytes as given
        std::error_code error;
        const std::filesystem::path absolute = std::filesystem::absolute(path, error);
        paths.push_back(error ? path : absolute);
    };
    for (int i = 1; i < leftByQt; ++i)
        add(argv[i]);
    for (int i = optionsEnd + 1; i < argc; ++i)
        add(argv[i]);
    return paths;
}

} // namespace ornavex

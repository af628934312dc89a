#include "shell/command_line.h"

#include <cstring>
#include <string_view>

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

const char* ProgramVersion() {
    return "ornavex " ORNAVEX_VERSION;
}

bool AnswerInformationOptions(int optionsEnd, char** argv, std::FILE* out) {
    for (int i = 1; i < optionsEnd; ++i) {
        const std::string_view option = argv[i];
        if (option == "--version") {
            std::fprintf(out, "%s\n", ProgramVersion());
            return true;
        }
        if (option == "--help" || option == "-h") {
            std::fputs(
                "Usage: ornavex [QT OPTIONS] [--] [PATH...]\n"
                "Opens the desktop program: it gives back every distinct e-mail address in the\n"
                "files of its list, once each, in the order and letter case of its first\n"
                "occurrence. Files and folders named are added to the list.\n"
                "\n"
                "Options:\n"
                "  -h, --help     Print this help and exit\n"
                "      --version  Print the version and exit\n"
                "  --             End the options: every argument after it is a file or folder\n"
                "\n"
                "Before \"--\", Qt's own options are taken too (such as -platform NAME).\n",
                out);
            return true;
        }
    }
    return false;
}

} // namespace ornavex

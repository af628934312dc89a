#include "cli_support.h"

#include "cli/cli_app.h"

#include <cstdio>

namespace ornavex::testing {
namespace {

// What a stream passed to the command line received.
std::string Contents(std::FILE* stream) {
    std::string text;
    std::rewind(stream);
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, stream)) > 0;)
        text.append(buffer, got);
    std::fclose(stream);
    return text;
}

} // namespace

ProcessResult Cli(const std::vector<std::string>& arguments) {
    std::vector<const char*> argv{"ornavex-cli"};
    for (const std::string& argument : arguments)
        argv.push_back(argument.c_str());
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    ProcessResult result;
    result.exitCode = CliMain(static_cast<int>(argv.size()), argv.data(), out, err);
    result.out = Contents(out);
    result.err = Contents(err);
    return result;
}

} // namespace ornavex::testing

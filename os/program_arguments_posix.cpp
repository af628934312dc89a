#include "os/program_arguments.h"

namespace ornavex {

std::vector<std::string> ProgramArguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

} // namespace ornavex

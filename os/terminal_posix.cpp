#include "os/terminal.h"

#include <unistd.h>

namespace ornavex {

bool IsTerminal(std::FILE* stream) {
    return ::isatty(::fileno(stream)) != 0;
}

} // namespace ornavex

#include "os/terminal.h"

#include <io.h>

namespace ornavex {

bool IsTerminal(std::FILE* stream) {
    return _isatty(_fileno(stream)) != 0;
}

} // namespace ornavex

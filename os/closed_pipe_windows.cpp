#include "os/closed_pipe.h"
#include "os/temporary_paths.h"

#include <cerrno>
#include <cstdlib>

namespace ornavex {

void ReportClosedPipesAsErrors() {
    // Windows has no SIGPIPE: a write to a closed pipe fails already.
}

bool IsClosedPipe(int error) {
    return error == EPIPE;
}

void EndForClosedPipe() {
    TemporaryPaths::RemoveAll();
    std::_Exit(141);
}

} // namespace ornavex

#include "os/closed_pipe.h"
#include "os/temporary_paths.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <unistd.h>

namespace ornavex {

void ReportClosedPipesAsErrors() {
    ::signal(SIGPIPE, SIG_IGN);
}

bool IsClosedPipe(int error) {
    return error == EPIPE;
}

void EndForClosedPipe() {
    TemporaryPaths::RemoveAll();
    ::signal(SIGPIPE, SIG_DFL);
    sigset_t pipe;
    ::sigemptyset(&pipe);
    ::sigaddset(&pipe, SIGPIPE);
    ::sigprocmask(SIG_UNBLOCK, &pipe, nullptr);
    ::raise(SIGPIPE);
    ::_exit(128 + SIGPIPE); // not reached
}

} // namespace ornavex

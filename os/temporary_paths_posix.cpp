#include "os/temporary_paths.h"

#include <csignal>
#include <unistd.h>

namespace ornavex {
namespace {

constexpr int kInterruptions[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

extern "C" void RemoveAndEnd(int signal) {
    TemporaryPaths::RemoveAll();
    // The signal's own way out, so the caller sees how the program ended.
    struct sigaction usual {};
    usual.sa_handler = SIG_DFL;
    ::sigemptyset(&usual.sa_mask);
    ::sigaction(signal, &usual, nullptr);
    ::raise(signal);
}

} // namespace

namespace temporary_paths_detail {
void RemoveFileNow(const char* path) noexcept {
    ::unlink(path);
}
} // namespace temporary_paths_detail

void RemoveTemporaryFilesOnInterruption() {
    for (int signal : kInterruptions) {
        struct sigaction current {};
        ::sigaction(signal, nullptr, &current);
        if (current.sa_handler == SIG_IGN)
            continue; // ignored on purpose (nohup): leave it so
        struct sigaction handler {};
        handler.sa_handler = RemoveAndEnd;
        ::sigemptyset(&handler.sa_mask);
        for (int other : kInterruptions)
            ::sigaddset(&handler.sa_mask, other);
        ::sigaction(signal, &handler, nullptr);
    }
}

} // namespace ornavex

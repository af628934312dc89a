#include "os/standard_streams.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace ornavex {

void OpenClosedStandardStreams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // The lowest free number is fd itself, the ones below being open.
        // The standard output is opened for reading only: what the program
        // writes to it fails as a write to a closed stream does, rather than
        // vanishing as if it had been written.
        const int opened = ::open("/dev/null", fd == 2 ? O_WRONLY : O_RDONLY);
        if (opened >= 0 && opened != fd) {
            ::dup2(opened, fd);
            ::close(opened);
        }
    }
}

} // namespace ornavex

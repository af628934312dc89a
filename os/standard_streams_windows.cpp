#include "os/standard_streams.h"

#include <cstdio>
#include <io.h>

namespace ornavex {

void OpenClosedStandardStreams() {
    // A program started without a console has no standard streams; writes to
    // them then go nowhere, and files opened later never take their numbers.
    for (int fd = 0; fd <= 2; ++fd)
        if (_get_osfhandle(fd) == -1)
            std::freopen("NUL", fd == 0 ? "r" : "w", fd == 0 ? stdin : fd == 1 ? stdout : stderr);
}

} // namespace ornavex

#include "os/standard_streams.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace ornavex {

void OpenClosedStandardStreams() {
    // A program started without a console has no standard streams; writes to
    // them then go nowhere, and files opened later never take their numbers.
    for (int fd = 0; fd <= 2; ++fd)
        if (_get_osfhandle(fd) == -1)
            std::freopen("NUL", fd == 0 ? "r" : "w", fd == 0 ? stdin : fd == 1 ? stdout : stderr);
    // Bytes in and out as they are: text mode would turn each LF written
    // into CR LF and stop reading at the first Ctrl-Z.
    for (int fd = 0; fd <= 2; ++fd)
        _setmode(fd, _O_BINARY);
    // What the program writes is UTF-8; a console shows it as such.
    SetConsoleOutputCP(CP_UTF8);
}

} // namespace ornavex

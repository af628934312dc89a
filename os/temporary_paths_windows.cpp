#include "os/temporary_paths.h"

#include <windows.h>

namespace ornavex {
namespace {

BOOL WINAPI RemoveOnConsoleEvent(DWORD event) {
    switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
        TemporaryPaths::RemoveAll();
        break;
    default:
        break;
    }
    return FALSE; // then the usual handling ends the program
}

} // namespace

namespace temporary_paths_detail {
void RemoveFileNow(const wchar_t* path) noexcept {
    DeleteFileW(path);
}
} // namespace temporary_paths_detail

void RemoveTemporaryFilesOnInterruption() {
    SetConsoleCtrlHandler(RemoveOnConsoleEvent, TRUE);
}

} // namespace ornavex

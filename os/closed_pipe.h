#pragma once

namespace ornavex {

// A command-line tool whose output goes to a pipe ends quietly once the
// reader of the pipe has gone (`ornavex-cli | head`), as grep and sort do.
// Each platform has its own file for this.

// Makes a write to a pipe without a reader fail with EPIPE rather than end
// the program on the spot (POSIX: SIGPIPE ignored), so the program can stop
// its work and tidy up first, whatever its parent left SIGPIPE set to.
void ReportClosedPipesAsErrors();

// Whether a write failed because the reader of the pipe has gone.
bool IsClosedPipe(int error);

// Removes the temporary files, then ends the program the way a closed pipe
// ends one: by SIGPIPE on POSIX, so its parent sees what it sees of grep or
// sort (a shell shows status 141); on Windows, which has no such signal,
// with status 141.
[[noreturn]] void EndForClosedPipe();

} // namespace ornavex

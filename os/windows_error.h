#pragma once

namespace ornavex {

// The errno value that stands for a Windows error code (GetLastError), so
// both platforms report failures the same way.
int ErrnoFromWindows(unsigned long error);

} // namespace ornavex

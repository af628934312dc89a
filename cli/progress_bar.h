#pragma once

#include "run/removal_run.h"

#include <chrono>
#include <cstdint>
#include <cstdio>

namespace ornavex {

// A one-line progress bar on a terminal. It appears only once the work has
// lasted a second, and redraws at most ten times a second.
class ProgressBar {
public:
    // totalBytes is 0 when the size is unknown (standard input).
    ProgressBar(std::FILE* terminal, std::uint64_t totalBytes, bool enabled);

    // Shows how far the run is; when it uses the disk, says so, and after
    // the last file shows how far the addresses on disk are resolved.
    void Update(const RunProgress& progress);
    // Clears the line when the bar was shown.
    void Finish();

private:
    using Clock = std::chrono::steady_clock;

    std::FILE* terminal_;
    std::uint64_t totalBytes_;
    bool enabled_;
    bool shown_ = false;
    Clock::time_point start_;
    Clock::time_point lastDraw_;
};

} // namespace ornavex

#pragma once

#include <string>

namespace ornavex {

// The steps of a run whose failure is reported.
enum class RunStep {
    kReadFile,     // reading an input, or a part inside it
    kAppendResult, // adding a found address to the results
};

// One failure of a run: the step that failed, why, and the input concerned.
// The programs word it themselves (the window in shell/error_report.h).
struct ErrorReport {
    RunStep step = RunStep::kReadFile;
    std::string description; // the reason, e.g. the operating system's message
    std::string path;        // the input concerned, when there is one
};

} // namespace ornavex

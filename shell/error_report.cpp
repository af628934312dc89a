#include "shell/error_report.h"

#include "run/shown_name.h"

namespace ornavex {
namespace {

// The procedure a run's failures are reported in, and the statement number
// each step is reported at.
constexpr std::string_view kStartLocation = "in Kantrasel7/29/2014.Form1.Start ";
constexpr int kReadFileStatement = 120;
constexpr int kAppendResultStatement = 132;

int StatementOf(RunStep step) {
    switch (step) {
    case RunStep::kReadFile:
        return kReadFileStatement;
    case RunStep::kAppendResult:
        return kAppendResultStatement;
    }
    return kReadFileStatement;
}

} // namespace

std::string FormatErrorReport(const ErrorReport& report) {
    // The description may hold names (an archive's members): their control
    // bytes are shown escaped.
    std::string text = ShownName(report.description);
    text += "\r\n";
    text += kStartLocation;
    text += "at line ";
    text += std::to_string(StatementOf(report.step));
    text += "\r\r";
    text += "Please email screenshot of this message to ";
    text += kSupportAddress;
    return text;
}

} // namespace ornavex

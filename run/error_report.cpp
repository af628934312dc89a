#include "run/error_report.h"

#include "run/shown_name.h"

namespace ornavex {

std::string FormatErrorReport(const ErrorReport& report) {
    // The description may hold names (an archive's members): their control
    // bytes are shown escaped.
    std::string text = ShownName(report.description);
    text += "\r\n";
    text += report.location;
    text += "at line ";
    text += std::to_string(report.statement);
    text += "\r\r";
    text += "Please email screenshot of this message to ";
    text += kSupportAddress;
    return text;
}

} // namespace ornavex

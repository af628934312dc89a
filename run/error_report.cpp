#include "run/error_report.h"

namespace ornavex {

std::string FormatErrorReport(const ErrorReport& report) {
    std::string text = report.description;
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

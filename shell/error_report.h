#pragma once

#include "run/error_report.h"

#include <string>
#include <string_view>

namespace ornavex {

// The title of the window's error reports.
inline constexpr std::string_view kErrorReportTitle = "Application Error";

// The support mailbox every error report asks to write to.
inline constexpr std::string_view kSupportAddress = "support@velquarn.example";

// The message text of a run's failure: description (as ShownName shows it),
// CR LF, the location of the failing procedure, "at line ", the step's
// statement number, CR CR and the request to mail a screenshot to the
// support address.
std::string FormatErrorReport(const ErrorReport& report);

} // namespace ornavex

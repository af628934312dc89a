#pragma once

#include <string>
#include <string_view>

namespace ornavex {

inline constexpr std::string_view kErrorReportTitle = "Application Error";

// The support mailbox every error report asks to write to.
inline constexpr std::string_view kSupportAddress = "support@velquarn.example";

// Location texts of the procedures whose failures are reported.
inline constexpr std::string_view kStartLocation = "in Kantrasel7/29/2014.Form1.Start ";

// Statement numbers of the run that a report can name.
inline constexpr int kReadFileStatement = 120;
inline constexpr int kAppendResultStatement = 132;

// One failure of a run step, as the error report shows it.
struct ErrorReport {
    std::string location;    // "in ... " text of the failing procedure
    int statement = 0;       // the failing step's number
    std::string description; // the reason, e.g. the operating system's message
    std::string path;        // the file concerned, when there is one
};

// The message text: description (as ShownName shows it), CR LF, location,
// "at line ", number, CR CR and the request to mail a screenshot to the
// support address.
std::string FormatErrorReport(const ErrorReport& report);

} // namespace ornavex

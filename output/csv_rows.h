#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ornavex {

// The CSV export for spreadsheets (RFC 4180, UTF-8): a header, then a row
// per address with its count and where it first occurred.
inline constexpr std::string_view kCsvHeader = "address,count,first_file,first_line";

struct CsvRow {
    std::string_view address;
    std::uint64_t count = 0;
    std::string_view firstFile;
    std::uint64_t firstLine = 0; // 0: not known, left empty
};

// A field as it is, or in double quotes (its quotes doubled) when it holds a
// comma, a quote, CR or LF.
void AppendCsvField(std::string& out, std::string_view field);
// The header or a row, each ended by CR LF.
void AppendCsvHeader(std::string& out);
void AppendCsvRow(std::string& out, const CsvRow& row);

} // namespace ornavex

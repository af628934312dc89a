#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ornavex {

// The CSV export for spreadsheets (RFC 4180, UTF-8): a header, then a row
// per address with its count and where it first occurred.
//
// The file name is free text and is neutralised (AppendCsvTextField). The
// address is written as it is, so mail tools import it unchanged: it can
// start with "-", but holds only letters, digits, "_", "-", ".", "@" and a
// bracketed IP's "[" and "]", never the parentheses, quotes, "!" or "|" a
// formula needs to call a function or another program.
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
// A field of free text, such as a file name, that a spreadsheet opening the
// file must not take for a formula: one that starts with =, +, -, @, TAB or
// CR gets a ' in front, which a spreadsheet takes as "text", then as
// AppendCsvField.
void AppendCsvTextField(std::string& out, std::string_view text);
// The header or a row, each ended by CR LF.
void AppendCsvHeader(std::string& out);
void AppendCsvRow(std::string& out, const CsvRow& row);

} // namespace ornavex

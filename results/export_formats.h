#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ornavex {

enum class ExportFormat {
    kLines,     // each address followed by CR LF (the results file)
    kUnixLines, // each address followed by LF
    kCommas,    // addresses joined by ",", no line end
};

// Appends one address in the given format; first tells whether it is the
// list's first item. Lists of any length can be written item by item.
void AppendExportItem(std::string& out, ExportFormat format, std::string_view address, bool first);

// The whole list in the given format.
std::string FormatAddresses(const std::vector<std::string>& addresses, ExportFormat format);

// Clipboard text of a table: one line per row ending in CR LF; cells padded
// with spaces to their column's widest cell and joined by TAB; the TAB after
// the last cell and all trailing spaces of a line are dropped. Rows may have
// fewer cells than others; a missing cell counts as empty.
std::string BuildClipboardText(const std::vector<std::vector<std::string>>& rows);

} // namespace ornavex

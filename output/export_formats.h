#pragma once

#include "output/address_list.h"

#include <cstddef>
#include <filesystem>
#include <functional>
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

// Writes items to path through a temporary file that replaces the target
// only once complete, append(out, i) adding item i. Returns the failure's
// reason, or an empty string on success.
using ItemWriter = std::function<void(std::string& out, std::size_t i)>;
std::string WriteExportFile(const std::filesystem::path& path, bool replaceExisting,
                            std::size_t items, const ItemWriter& append);

// Writes the list, or count addresses given by address(i), in the format.
using AddressAt = std::function<std::string_view(std::size_t i)>;
std::string WriteAddressesFile(const std::filesystem::path& path, const AddressList& addresses,
                               ExportFormat format, bool replaceExisting);
std::string WriteAddressesFile(const std::filesystem::path& path, std::size_t count,
                               const AddressAt& address, ExportFormat format, bool replaceExisting);

// The list as clipboard text: one line per address, each ended by CR LF.
std::string ClipboardLines(const AddressList& addresses);
std::string ClipboardLines(std::size_t count, const AddressAt& address);

// The text of the cell at (row, column).
using CellText = std::function<std::string_view(std::size_t row, std::size_t column)>;

// Clipboard text of a table: one line per row ending in CR LF; cells padded
// with spaces to their column's widest cell and joined by TAB; the TAB after
// the last cell and all trailing spaces of a line are dropped.
std::string BuildClipboardText(std::size_t rows, std::size_t columns, const CellText& cell);
// The same for rows given as lists; a row's missing cells count as empty.
std::string BuildClipboardText(const std::vector<std::vector<std::string>>& rows);

} // namespace ornavex

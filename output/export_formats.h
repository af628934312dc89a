#pragma once

#include "output/address_list.h"

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace ornavex {

enum class ExportFormat {
    kLines,     // each address followed by CR LF (the results file)
    kUnixLines, // each address followed by LF
    kCommas,    // addresses joined by ",", no line end
};

// Appends one address in the given format; first tells whether it is the
// list's first item. Lists of any length can be written item by item, as
// OutputWriter writes them.
void AppendExportItem(std::string& out, ExportFormat format, std::string_view address, bool first);

// The list, or count addresses given by address(i), as clipboard text: one
// line per address, each ended by CR LF.
using AddressAt = std::function<std::string_view(std::size_t i)>;
std::string ClipboardLines(const AddressList& addresses);
std::string ClipboardLines(std::size_t count, const AddressAt& address);

} // namespace ornavex

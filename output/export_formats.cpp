#include "output/export_formats.h"

namespace ornavex {

void AppendExportItem(std::string& out, ExportFormat format, std::string_view address, bool first) {
    switch (format) {
    case ExportFormat::kLines:
        out.append(address);
        out.append("\r\n");
        break;
    case ExportFormat::kUnixLines:
        out.append(address);
        out.push_back('\n');
        break;
    case ExportFormat::kCommas:
        if (!first)
            out.push_back(',');
        out.append(address);
        break;
    }
}

std::string ClipboardLines(std::size_t count, const AddressAt& address) {
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < count; ++i)
        bytes += address(i).size() + 2;
    std::string text;
    text.reserve(bytes);
    for (std::size_t i = 0; i < count; ++i)
        AppendExportItem(text, ExportFormat::kLines, address(i), i == 0);
    return text;
}

std::string ClipboardLines(const AddressList& addresses) {
    return ClipboardLines(addresses.size(), [&](std::size_t i) { return addresses[i]; });
}

} // namespace ornavex

#include "results/export_formats.h"

#include <algorithm>

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

std::string FormatAddresses(const std::vector<std::string>& addresses, ExportFormat format) {
    std::string out;
    std::size_t bytes = 0;
    for (const std::string& address : addresses)
        bytes += address.size() + 2;
    out.reserve(bytes);
    for (std::size_t i = 0; i < addresses.size(); ++i)
        AppendExportItem(out, format, addresses[i], i == 0);
    return out;
}

std::string BuildClipboardText(const std::vector<std::vector<std::string>>& rows) {
    std::vector<std::size_t> widths;
    for (const auto& row : rows) {
        if (row.size() > widths.size())
            widths.resize(row.size(), 0);
        for (std::size_t c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], row[c].size());
    }

    std::string text;
    for (const auto& row : rows) {
        const std::size_t lineStart = text.size();
        for (std::size_t c = 0; c < widths.size(); ++c) {
            const std::string_view cell = c < row.size() ? std::string_view(row[c]) : "";
            text.append(cell);
            text.append(widths[c] - cell.size(), ' ');
            text.push_back('\t');
        }
        if (!widths.empty())
            text.pop_back(); // the TAB after the last cell
        while (text.size() > lineStart && text.back() == ' ')
            text.pop_back();
        text.append("\r\n");
    }
    return text;
}

} // namespace ornavex

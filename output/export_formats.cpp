#include "output/export_formats.h"

#include "output/safe_file_writer.h"

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

std::string WriteExportFile(const std::filesystem::path& path, bool replaceExisting,
                            std::size_t items, const ItemWriter& append) {
    constexpr std::size_t kChunk = 1 << 20;
    SafeFileWriter writer(path, replaceExisting ? SafeFileWriter::Replace::kExisting
                                                : SafeFileWriter::Replace::kNever);
    if (!writer.Open())
        return writer.error();
    std::string chunk;
    for (std::size_t i = 0; i < items; ++i) {
        append(chunk, i);
        if (chunk.size() >= kChunk) {
            if (!writer.Write(chunk))
                return writer.error();
            chunk.clear();
        }
    }
    if (!writer.Write(chunk) || !writer.Commit())
        return writer.error();
    return {};
}

std::string WriteAddressesFile(const std::filesystem::path& path, std::size_t count,
                               const AddressAt& address, ExportFormat format,
                               bool replaceExisting) {
    return WriteExportFile(path, replaceExisting, count, [&](std::string& out, std::size_t i) {
        AppendExportItem(out, format, address(i), i == 0);
    });
}

std::string WriteAddressesFile(const std::filesystem::path& path, const AddressList& addresses,
                               ExportFormat format, bool replaceExisting) {
    return WriteAddressesFile(
        path, addresses.size(), [&](std::size_t i) { return addresses[i]; }, format,
        replaceExisting);
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

std::string BuildClipboardText(std::size_t rows, std::size_t columns, const CellText& cell) {
    std::vector<std::size_t> widths(columns, 0);
    std::size_t bytes = 0;
    for (std::size_t c = 0; c < columns; ++c) {
        for (std::size_t r = 0; r < rows; ++r)
            widths[c] = std::max(widths[c], cell(r, c).size());
        bytes += (widths[c] + 1) * rows;
    }

    std::string text;
    text.reserve(bytes + rows * 2);
    for (std::size_t r = 0; r < rows; ++r) {
        const std::size_t lineStart = text.size();
        for (std::size_t c = 0; c < columns; ++c) {
            const std::string_view value = cell(r, c);
            text.append(value);
            text.append(widths[c] - value.size(), ' ');
            text.push_back('\t');
        }
        if (columns > 0)
            text.pop_back(); // the TAB after the last cell
        while (text.size() > lineStart && text.back() == ' ')
            text.pop_back();
        text.append("\r\n");
    }
    return text;
}

std::string BuildClipboardText(const std::vector<std::vector<std::string>>& rows) {
    std::size_t columns = 0;
    for (const auto& row : rows)
        columns = std::max(columns, row.size());
    return BuildClipboardText(rows.size(), columns, [&](std::size_t r, std::size_t c) {
        return c < rows[r].size() ? std::string_view(rows[r][c]) : std::string_view();
    });
}

} // namespace ornavex

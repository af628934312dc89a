#include "output/csv_rows.h"

namespace ornavex {

void AppendCsvField(std::string& out, std::string_view field) {
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        out.append(field);
        return;
    }
    out.push_back('"');
    for (const char c : field) {
        if (c == '"')
            out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
}

void AppendCsvTextField(std::string& out, std::string_view text) {
    if (!text.empty() &&
        std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos) {
        std::string neutral = "'";
        neutral.append(text);
        AppendCsvField(out, neutral);
        return;
    }
    AppendCsvField(out, text);
}

void AppendCsvHeader(std::string& out) {
    out.append(kCsvHeader);
    out.append("\r\n");
}

void AppendCsvRow(std::string& out, const CsvRow& row) {
    AppendCsvField(out, row.address);
    out.push_back(',');
    out.append(std::to_string(row.count));
    out.push_back(',');
    AppendCsvTextField(out, row.firstFile);
    out.push_back(',');
    if (row.firstLine != 0)
        out.append(std::to_string(row.firstLine));
    out.append("\r\n");
}

} // namespace ornavex

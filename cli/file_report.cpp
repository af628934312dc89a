#include "cli/file_report.h"

namespace ornavex {
namespace {

// A name with a TAB or a line end in it would break its row: those, and the
// backslash, are written as \t, \n, \r and \\.
std::string Field(const std::string& name) {
    std::string field;
    for (const char c : name) {
        switch (c) {
        case '\t':
            field += "\\t";
            break;
        case '\n':
            field += "\\n";
            break;
        case '\r':
            field += "\\r";
            break;
        case '\\':
            field += "\\\\";
            break;
        default:
            field += c;
        }
    }
    return field;
}

} // namespace

std::string FileReport(const std::vector<InputSource>& inputs,
                       const std::vector<FileTally>& tallies) {
    std::string text = "found\tnew\tstatus\tfile\n";
    for (const FileTally& tally : tallies) {
        const std::string name = inputs[tally.fileIndex].DisplayName();
        text += std::to_string(tally.found) + '\t' + std::to_string(tally.added) + '\t' +
                (tally.failed ? "failed" : "read") + '\t' + Field(name) + '\n';
        // A part that failed alone gave nothing: a row of its own.
        for (const std::string& part : tally.failedParts)
            text += "0\t0\tfailed\t" + Field(part.empty() ? name : name + ": " + part) + '\n';
    }
    return text;
}

} // namespace ornavex

#include "cli/file_report.h"

namespace ornavex {

std::string FileReport(const std::vector<InputSource>& inputs,
                       const std::vector<FileTally>& tallies) {
    std::string text = "found\tnew\tstatus\tfile\n";
    for (const FileTally& tally : tallies) {
        text += std::to_string(tally.found) + '\t' + std::to_string(tally.added) + '\t' +
                (tally.failed ? "failed" : "read") + '\t' + inputs[tally.fileIndex].DisplayName() +
                '\n';
    }
    return text;
}

} // namespace ornavex

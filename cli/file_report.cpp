#include "cli/file_report.h"

#include "run/shown_name.h"

namespace ornavex {

std::string FileReport(const std::vector<InputSource>& inputs,
                       const std::vector<FileTally>& tallies) {
    std::string text = "found\tnew\tstatus\tfile\n";
    for (const FileTally& tally : tallies) {
        // A name keeps to its row: its TABs, line ends and other control
        // bytes are escaped, and its backslashes doubled.
        text += std::to_string(tally.found) + '\t' + std::to_string(tally.added) + '\t' +
                (tally.failed ? "failed" : "read") + '\t' +
                ShownName(inputs[tally.fileIndex].DisplayName(), true) + '\n';
    }
    return text;
}

} // namespace ornavex
